#include "textsystem/doc/DocTestStreams.h"

#include "textsystem/doc/DocFkpWriter.h"
#include "textsystem/doc/DocFormattedRuns.h"
#include "textsystem/doc/DocReader.h"
#include "textsystem/doc/DocWriter.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

TextAttributes font(const QString &family = QStringLiteral("Times New Roman"), double size = 12, bool bold = false,
                    bool italic = false)
{
    TextAttributes attributes;
    attributes.font = FontDescriptor{family, QString(), size, bold, italic};
    return attributes;
}

template <typename Fn>
TextAttributes with(Fn change)
{
    TextAttributes attributes = font();
    change(attributes);
    return attributes;
}

TextAttributes paragraph(const ParagraphStyle &style)
{
    return with([&](TextAttributes &a) { a.paragraphStyle = style; });
}

ParagraphStyle aligned(TextAlignment alignment)
{
    ParagraphStyle style;
    style.alignment = alignment;
    return style;
}

StyledText text(const QList<std::pair<QString, TextAttributes>> &runs)
{
    StyledText result;
    for (const auto &[characters, attributes] : runs)
        result.append(characters, attributes);
    return result;
}

StyledText formattedSample()
{
    ParagraphStyle indented;
    indented.headIndent = 36;
    indented.firstLineHeadIndent = 54;
    indented.tailIndent = -18;
    indented.spacingBefore = 6;
    indented.spacingAfter = 12;
    return text({
        {"Plain and ", font()},
        {"bold", font("Times New Roman", 12, true)},
        {" and ", font()},
        {"italic", font("Liberation Mono", 18, false, true)},
        {" 日本語 ", font("Noto Sans CJK JP", 14)},
        {"red", with([](TextAttributes &a) { a.foreground = QColor(255, 0, 0); })},
        {"marked\n", with([](TextAttributes &a) { a.background = QColor(255, 255, 0); })},
        {"Centred\n", paragraph(aligned(TextAlignment::Center))},
        {"Indented and justified\n", paragraph([&] { ParagraphStyle s = indented; s.alignment = TextAlignment::Justified; return s; }())},
        {"underlined", with([](TextAttributes &a) { a.underlineStyle = TextLineStyle::single; })},
        {" struck", with([](TextAttributes &a) { a.strikethroughStyle = TextLineStyle::single; })},
    });
}

ParagraphStyle listed(QList<TextList> lists)
{
    ParagraphStyle style;
    style.textLists = lists;
    return style;
}

// Two lists: numbers with a nested bullet level, then roman numerals from 3.
StyledText listsSample()
{
    const TextList numbers{QStringLiteral("{decimal}."), 1};
    const TextList circles{TextList::circle.toString(), 1};
    const TextList roman{QStringLiteral("({lower-roman})"), 3};
    return text({{"one\n", paragraph(listed({numbers}))},
                 {"nested\n", paragraph(listed({numbers, circles}))},
                 {"two\n", paragraph(listed({numbers}))},
                 {"between\n", font()},
                 {"iii\n", paragraph(listed({roman}))},
                 {"iv", paragraph(listed({roman}))}});
}

QByteArray pngBytes(int width, int height)
{
    return TestImages::filled(QSize(width, height), QColor(20, 120, 220));
}

// A text with a PNG shown at 72 × 36 points, the same again, and a picture
// that has only an image (written as PNG) at its natural size.
StyledText picturesSample()
{
    auto png = std::make_shared<TextAttachment>();
    png->contents = pngBytes(40, 20);
    png->image = QImage::fromData(png->contents);
    png->bounds = QRectF(0, 0, 72, 36);
    auto drawn = std::make_shared<TextAttachment>();
    drawn->image = QImage(8, 6, QImage::Format_RGB32);
    drawn->image.fill(Qt::red);
    TextAttributes first = font();
    first.attachment = png;
    TextAttributes second = font();
    second.attachment = drawn;
    return text({{"Picture: ", font()}, {QStringLiteral("\uFFFC\uFFFC"), first}, {" and ", font()},
                 {QStringLiteral("\uFFFC"), second}, {" end", font()}});
}

} // namespace

class TestDocWriter : public QObject
{
    Q_OBJECT

private slots:
    // What the writer stores, the reader gives back unchanged.
    void roundTrip_data()
    {
        QTest::addColumn<StyledText>("source");
        QTest::newRow("empty") << StyledText();
        QTest::newRow("one paragraph") << text({{"Hello", font()}});
        QTest::newRow("final terminator") << text({{"Hello\n", font()}});
        QTest::newRow("empty paragraphs") << text({{"\n\na\n\n", font()}});
        QTest::newRow("Japanese and emoji") << text({{"日本語のテキスト 😀 end", font("Noto Sans CJK JP", 10.5)}});
        QTest::newRow("tab, line break, page break") << text({{"a\tb\u2028c\fd", font()}});
        QTest::newRow("formatting") << formattedSample();
        for (const auto &[name, style] : QList<std::pair<const char *, int>>{
                 {"double", TextLineStyle::doubleLine},
                 {"thick", TextLineStyle::thick},
                 {"dotted", TextLineStyle::single | TextLineStyle::patternDot},
                 {"thick dashes", TextLineStyle::thick | TextLineStyle::patternDash},
                 {"dash dot dot", TextLineStyle::single | TextLineStyle::patternDashDotDot},
                 {"words", TextLineStyle::single | TextLineStyle::byWord}}) {
            QTest::addRow("underline %s", name)
                << text({{"a ", font()}, {"b c", with([style](TextAttributes &a) { a.underlineStyle = style; })}});
        }
        QTest::newRow("double strike") << text({{"x", with([](TextAttributes &a) { a.strikethroughStyle = TextLineStyle::doubleLine; })}});
        QTest::newRow("super and subscript")
            << text({{"x", font()}, {"2", with([](TextAttributes &a) { a.baselineOffset = 4.0; })},
                     {"H", font()}, {"2", with([](TextAttributes &a) { a.baselineOffset = -2.4; })}});
        for (const auto alignment : {TextAlignment::Center, TextAlignment::Right, TextAlignment::Justified})
            QTest::addRow("alignment %d", int(alignment)) << text({{"p\n", paragraph(aligned(alignment))}, {"q", font()}});
        QTest::newRow("line height") << text({{"p", paragraph([] { ParagraphStyle s; s.lineHeightMultiple = 1.5; return s; }())}});
        QTest::newRow("link") << text({{"See ", font()},
                                       {"the site", with([](TextAttributes &a) { a.link = QUrl("https://example.com/a?b=1"); })},
                                       {" now", font()}});
        QTest::newRow("link over two runs")
            << text({{"bold", with([](TextAttributes &a) { a.link = QUrl("https://example.com/"); a.font->bold = true; })},
                     {"plain", with([](TextAttributes &a) { a.link = QUrl("https://example.com/"); })}});
        // Enough distinct runs and paragraphs to fill several pages of each kind.
        StyledText many;
        for (int p = 0; p < 90; ++p) {
            std::optional<ParagraphStyle> style;
            if (p % 3) {
                style = ParagraphStyle();
                style->spacingAfter = p;
            }
            for (int w = 0; w < 7; ++w) {
                TextAttributes attributes = font("Times New Roman", 8 + (p + w) % 40, w % 2);
                attributes.paragraphStyle = style;
                many.append(QStringLiteral("w%1 ").arg(w), attributes);
            }
            TextAttributes end = font();
            end.paragraphStyle = style;
            many.append(QStringLiteral("\n"), end);
        }
        QTest::newRow("many runs and paragraphs") << many;
        QTest::newRow("lists") << listsSample();
    }

    // Properties fill a page down to the entries that point at them, each
    // stored on an even offset: runs whose properties would fill a page to
    // its last byte need one byte more than it holds. (A run of one page
    // took the properties of the run after it, in this program and others.)
    void pagesFilledToTheLastByte_data()
    {
        QTest::addColumn<bool>("paragraphs");
        QTest::addColumn<QList<int>>("sizes"); // of each run's properties
        QTest::newRow("character runs") << false << QList<int>{67, 67, 67, 67, 67, 67, 63};
        QTest::newRow("character runs, a byte less") << false << QList<int>{67, 67, 67, 67, 67, 67, 61};
    }

    void pagesFilledToTheLastByte()
    {
        QFETCH(bool, paragraphs);
        QFETCH(QList<int>, sizes);
        DocFkpWriter writer(paragraphs ? DocFkpWriter::Kind::Paragraph : DocFkpWriter::Kind::Character);
        QList<QByteArray> properties;
        for (qsizetype i = 0; i < sizes.size(); ++i) {
            properties << QByteArray(sizes[i], char('A' + i));
            writer.addRun(quint32(10 * i), quint32(10 * (i + 1)), properties.last());
        }
        const QByteArray pages = writer.pages();
        const QByteArray bins = writer.binTable(0);
        const DocFormattedRuns runs = paragraphs ? DocFormattedRuns::readParagraphRuns(DocByteView(pages), DocByteView(bins))
                                                 : DocFormattedRuns::readCharacterRuns(DocByteView(pages), DocByteView(bins));
        QCOMPARE(runs.runs().size(), sizes.size());
        for (qsizetype i = 0; i < sizes.size(); ++i) {
            const DocFormattedRuns::Run &run = runs.runs()[i];
            QCOMPARE(run.fcStart, quint32(10 * i));
            const QByteArray grpprl = paragraphs ? properties[i].mid(2) : properties[i];
            QCOMPARE(run.grpprl.bytes().toByteArray(), grpprl);
        }
    }

    void roundTrip()
    {
        QFETCH(StyledText, source);
        QString error;
        const auto read = DocReader::read(DocWriter::write(source), &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->string(), source.string());
        QCOMPARE(*read, source);
    }

    // Pictures come back at their size; marker-less control characters and
    // attachments that are no picture are left out.
    void picturesAndControlCharacters()
    {
        StyledText source = picturesSample();
        auto file = std::make_shared<TextAttachment>();
        file->contents = "not a picture";
        file->fileName = "notes.txt";
        TextAttributes withFile = font();
        withFile.attachment = file;
        source.append(QStringLiteral("\uFFFC"), withFile);
        source.append(QStringLiteral("b\x01\x7F" "c"), font());
        const QByteArray written = DocWriter::write(source);
        const auto read = DocReader::read(written, nullptr);
        QVERIFY(read);
        QCOMPARE(read->string(), QStringLiteral("Picture: \uFFFC\uFFFC and \uFFFC endbc"));
        const TextAttachmentPointer png = read->attributesAt(9).attachment;
        QVERIFY(png);
        QCOMPARE(png->contents, source.attributesAt(9).attachment->contents);
        QCOMPARE(png->image.size(), QSize(40, 20));
        QCOMPARE(png->bounds, QRectF(0, 0, 72, 36));
        // The same picture again: decoded once.
        QCOMPARE(read->attributesAt(10).attachment->image.cacheKey(), png->image.cacheKey());
        const TextAttachmentPointer drawn = read->attributesAt(16).attachment;
        QVERIFY(drawn);
        QCOMPARE(drawn->image.size(), QSize(8, 6));
        QCOMPARE(drawn->image.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(drawn->bounds.size(), QSizeF(8, 6));
        // The same picture at the same size is stored once.
        QVERIFY(written.count(source.attributesAt(9).attachment->contents) == 1);
    }

    // Values no Word file can hold are clamped or left out, never written raw.
    void unwritableValues()
    {
        ParagraphStyle odd;
        odd.headIndent = std::nan("");
        odd.spacingBefore = 1e9;
        odd.lineHeightMultiple = -1;
        TextAttributes attributes = font("Times New Roman", -5);
        attributes.paragraphStyle = odd;
        const auto read = DocReader::read(DocWriter::write(text({{"x", attributes}})), nullptr);
        QVERIFY(read);
        QCOMPARE(read->string(), QStringLiteral("x"));
        const ParagraphStyle style = read->attributesAt(0).paragraphStyle.value_or(ParagraphStyle());
        QCOMPARE(style.headIndent, 0.0);
        QCOMPARE(style.spacingBefore, 1584.0);
        QCOMPARE(style.lineHeightMultiple, 0.0);
    }

    void writesThroughTheSavePath()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("a.doc");
        QString error;
        QVERIFY2(DocWriter::writeFile(formattedSample(), path, &error), qPrintable(error));
        QVERIFY(DocReader::readFile(path, &error));
        QVERIFY(!DocWriter::writeFile(formattedSample(), folder.filePath("missing/\0/a.doc"), &error));
        QVERIFY(!error.isEmpty());
    }

    void peersListAndExtract()
    {
        QTemporaryDir folder;
        StyledText long_;
        for (int i = 0; i < 40; ++i)
            long_.append(QStringLiteral("Paragraph %1 of English text and 日本語の段落です。\n").arg(i), font());
        long_.append("The end, ", font());
        long_.append("bold", font("Times New Roman", 12, true));
        long_.append(" and ", font());
        long_.append("italic", font("Times New Roman", 12, false, true));
        long_.append("\n", font());
        long_.append(picturesSample());
        const QString path = folder.filePath("ours.doc");
        QVERIFY(DocWriter::writeFile(long_, path, nullptr));
        struct Peer {
            QString program;
            QStringList arguments;
            QString expected;
        };
        const QList<Peer> peers = {
            {"gsf", {"list", path}, "WordDocument"},
            {"gsf", {"list", path}, "1Table"},
            {"gsf", {"list", path}, "Data"},
            {"antiword", {"-m", "UTF-8.txt", path}, "Picture: [pic][pic] and [pic] end"},
            {"antiword", {"-m", "UTF-8.txt", path}, "Paragraph 39 of English text and 日本語の段落です。"},
            {"catdoc", {"-d", "utf-8", path}, "Paragraph 39 of English text and 日本語の段落です。"},
            {"wvText", {path, "/dev/stdout"}, "Paragraph 39 of English text and"},
            {"wvHtml", {path, "/dev/stdout"}, "<b>bold</b>"},
            {"wvHtml", {path, "/dev/stdout"}, "<i>italic</i>"},
        };
        int ran = 0;
        for (const Peer &peer : peers) {
            const QString program = QStandardPaths::findExecutable(peer.program);
            if (program.isEmpty())
                continue;
            QProcess process;
            process.setWorkingDirectory(folder.path());
            process.start(program, peer.arguments);
            QVERIFY(process.waitForFinished(60000));
            const QString output = QString::fromUtf8(process.readAllStandardOutput());
            QVERIFY2(output.contains(peer.expected), qPrintable(peer.program + ": " + output.left(400)));
            ++ran;
        }
        if (ran == 0)
            QSKIP("none of gsf, antiword, catdoc and wv is installed");
    }

    // LibreOffice reads our pictures and lists: its own file of ours holds
    // them with their sizes and formats.
    void libreOfficeReadsPicturesAndLists()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed");
        QTemporaryDir folder;
        StyledText source = listsSample();
        source.append("\n", font());
        source.append(picturesSample());
        QVERIFY(DocWriter::writeFile(source, folder.filePath("ours.doc"), nullptr));
        QProcess convert;
        QDir().mkpath(folder.filePath("out"));
        convert.start(soffice, {"-env:UserInstallation=file://" + folder.filePath("profile"), "--headless",
                                "--convert-to", "doc", "--outdir", folder.filePath("out"), folder.filePath("ours.doc")});
        QVERIFY(convert.waitForFinished(120000));
        QString error;
        const auto back = DocReader::readFile(folder.filePath("out/ours.doc"), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->string(), source.string());
        for (const char *item : {"one", "nested", "two", "iii", "iv"}) {
            const qsizetype at = source.string().indexOf(item);
            QCOMPARE(back->attributesAt(at).paragraphStyle.value_or(ParagraphStyle()).textLists,
                     source.attributesAt(at).paragraphStyle->textLists);
        }
        QVERIFY(back->attributesAt(source.string().indexOf("between")).paragraphStyle.value_or(ParagraphStyle()).textLists.isEmpty());
        const qsizetype picture = source.string().indexOf(QChar(0xFFFC));
        for (const qsizetype at : {picture, picture + 1, picture + 7}) {
            const TextAttachmentPointer attachment = back->attributesAt(at).attachment;
            QVERIFY2(attachment, qPrintable(QString::number(at)));
            const QSizeF expected = at == picture + 7 ? QSizeF(8, 6) : QSizeF(72, 36);
            QVERIFY2(qAbs(attachment->bounds.width() - expected.width()) < 0.1
                         && qAbs(attachment->bounds.height() - expected.height()) < 0.1,
                     qPrintable(QStringLiteral("%1x%2").arg(attachment->bounds.width()).arg(attachment->bounds.height())));
        }
    }

    // LibreOffice reads our file and writes its own; that one reads back
    // with the same text and formatting.
    void libreOfficeConvertsBack()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed");
        QTemporaryDir folder;
        const StyledText source = formattedSample();
        QVERIFY(DocWriter::writeFile(source, folder.filePath("ours.doc"), nullptr));
        QProcess convert;
        convert.setWorkingDirectory(folder.path());
        QDir().mkpath(folder.filePath("out"));
        convert.start(soffice, {"-env:UserInstallation=file://" + folder.filePath("profile"), "--headless",
                                "--convert-to", "doc", "--outdir", folder.filePath("out"), "ours.doc"});
        QVERIFY(convert.waitForFinished(120000));
        QString error;
        const auto back = DocReader::readFile(folder.filePath("out/ours.doc"), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->string(), source.string());
        source.forEachRun({0, source.length()}, [&](const TextAttributes &expected, TextRange range) {
            if (source.string().at(range.location) == u'\n')
                return;
            const TextAttributes actual = back->attributesAt(range.location);
            const QString where = source.string().mid(range.location, range.length);
            QVERIFY2(actual.font && actual.font->family == expected.font->family, qPrintable(where));
            QCOMPARE(actual.font->pointSize, expected.font->pointSize);
            QCOMPARE(actual.font->bold, expected.font->bold);
            QCOMPARE(actual.font->italic, expected.font->italic);
            QCOMPARE(actual.underlineStyle, expected.underlineStyle);
            QCOMPARE(actual.strikethroughStyle, expected.strikethroughStyle);
            QCOMPARE(actual.foreground.has_value(), expected.foreground.has_value());
            QCOMPARE(actual.background, expected.background);
            const ParagraphStyle expectedStyle = expected.paragraphStyle.value_or(ParagraphStyle());
            const ParagraphStyle actualStyle = actual.paragraphStyle.value_or(ParagraphStyle());
            QCOMPARE(int(actualStyle.alignment), int(expectedStyle.alignment));
            QCOMPARE(actualStyle.headIndent, expectedStyle.headIndent);
            QCOMPARE(actualStyle.firstLineHeadIndent, expectedStyle.firstLineHeadIndent);
            QCOMPARE(actualStyle.tailIndent, expectedStyle.tailIndent);
            QCOMPARE(actualStyle.spacingBefore, expectedStyle.spacingBefore);
            QCOMPARE(actualStyle.spacingAfter, expectedStyle.spacingAfter);
        });
    }
};

QTEST_GUILESS_MAIN(TestDocWriter)
#include "tst_docwriter.moc"
