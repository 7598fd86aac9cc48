#include "textsystem/doc/DocTestStreams.h"

#include "textsystem/doc/DocFib.h"
#include "textsystem/doc/DocFormattedRuns.h"
#include "textsystem/doc/DocSprm.h"
#include "textsystem/doc/DocReader.h"
#include "textsystem/doc/DocWriter.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString seedFolder = QStringLiteral(MORVANE_TEST_DATA_DIR "/doc/seeds/");

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString richText = QStringLiteral(
    "Plain English text and 日本語のテキスト.\n"
    "A bold and italic and underlined and double word.\n"
    "struck twice red marked big mono 太字の日本語 x2 H2O\n"
    "Centered\nRight\n"
    "Justified with indents and spacing, long enough to wrap across more than one line of the page so that "
    "justification shows.\n"
    "Line one\u2028line two\n"
    "a1\tb1\na2\tb2\n"
    "See the site now.\n"
    "first item\nsecond item\n"
    "Picture: \uFFFC end.\n"
    "After the page break.");

// Attributes at the first character of `needle`.
TextAttributes attributesOf(const StyledText &text, const QString &needle)
{
    const qsizetype at = text.string().indexOf(needle);
    return at < 0 ? TextAttributes() : text.attributesAt(at);
}

// What the LibreOffice document made from tests/data/doc/rich.fodt must show.
void checkRichDocument(const StyledText &text)
{
    QCOMPARE(text.string(), richText);
    const TextAttributes plain = attributesOf(text, "Plain");
    QVERIFY(plain.font && !plain.font->bold && !plain.font->italic);
    QCOMPARE(plain.font->pointSize, 12.0);
    QVERIFY(!plain.underlineStyle && !plain.strikethroughStyle && !plain.paragraphStyle);
    QVERIFY(attributesOf(text, "bold").font->bold);
    QVERIFY(attributesOf(text, "italic").font->italic);
    QCOMPARE(attributesOf(text, "underlined").underlineStyle, TextLineStyle::single);
    QCOMPARE(attributesOf(text, "double").underlineStyle, TextLineStyle::doubleLine);
    QCOMPARE(attributesOf(text, "struck").strikethroughStyle, TextLineStyle::single);
    QCOMPARE(attributesOf(text, "twice").strikethroughStyle, TextLineStyle::doubleLine);
    QCOMPARE(attributesOf(text, "red").foreground, QColor(Qt::red));
    QCOMPARE(attributesOf(text, "marked").background, QColor(Qt::yellow));
    QCOMPARE(attributesOf(text, "big").font->pointSize, 20.0);
    QCOMPARE(attributesOf(text, "mono").font->family, QStringLiteral("Liberation Mono"));
    const TextAttributes japanese = attributesOf(text, "太字の日本語");
    QCOMPARE(japanese.font->family, QStringLiteral("Noto Sans CJK JP"));
    QCOMPARE(japanese.font->pointSize, 14.0);
    QVERIFY(text.attributesAt(text.string().indexOf("x2") + 1).baselineOffset.value_or(0) > 0);
    QVERIFY(text.attributesAt(text.string().indexOf("H2O") + 1).baselineOffset.value_or(0) < 0);
    QCOMPARE(attributesOf(text, "Centered").paragraphStyle->alignment, TextAlignment::Center);
    QCOMPARE(attributesOf(text, "Right").paragraphStyle->alignment, TextAlignment::Right);
    const ParagraphStyle justified = *attributesOf(text, "Justified").paragraphStyle;
    QCOMPARE(justified.alignment, TextAlignment::Justified);
    QCOMPARE(justified.headIndent, 36.0);
    QCOMPARE(justified.firstLineHeadIndent, 24.0);
    QCOMPARE(justified.tailIndent, -18.0);
    QCOMPARE(justified.spacingBefore, 6.0);
    QCOMPARE(justified.spacingAfter, 12.0);
    QCOMPARE(attributesOf(text, "the site").link, QUrl("https://example.com/"));
    QVERIFY(!attributesOf(text, " now").link);
    const auto list = attributesOf(text, "second item").paragraphStyle;
    QVERIFY(list && list->textLists.size() == 1);
    QVERIFY(!attributesOf(text, "See").paragraphStyle);
    const TextAttributes picture = attributesOf(text, QString(QChar::ObjectReplacementCharacter));
    QVERIFY(picture.attachment);
    QCOMPARE(picture.attachment->fileType, QStringLiteral("image/png"));
    QCOMPARE(picture.attachment->image.size(), QSize(8, 4));
    // LibreOffice stores the 16 x 8 pt frame in its own units, a little less.
    QVERIFY(qAbs(picture.attachment->bounds.width() - 16) < 0.1);
    QVERIFY(qAbs(picture.attachment->bounds.height() - 8) < 0.1);
}

// The byte offset of the first page a bin table lists.
quint32 firstPage(DocTestStreams &s, DocFib::BlobIndex bins)
{
    const qsizetype count = (s.lcb(bins) - 4) / 8;
    return qFromLittleEndian<quint32>(s["1Table"].constData() + s.fc(bins) + 4 * (count + 1)) * 512;
}

// The rich seed with one change made to its streams.
using Patch = std::function<void(DocTestStreams &)>;

QByteArray patched(const Patch &patch)
{
    DocTestStreams streams = DocTestStreams::of(fileBytes(seedFolder + "rich.doc"));
    patch(streams);
    return streams.container();
}

// A page of runs laid out as our writer once did: property blocks downwards
// from the count byte on even offsets, then the entries, which on a page
// counted one byte too full overwrite the lowest block's first byte.
// `blockOfRun` names each run's block in `blocks` (stored bytes, size byte
// or bytes included).
QByteArray pageOnceOverfilled(bool paragraphs, const QList<QByteArray> &blocks, const QList<int> &blockOfRun)
{
    QByteArray page(512, '\0');
    const int count = int(blockOfRun.size());
    for (int i = 0; i <= count; ++i)
        qToLittleEndian(quint32(10 * i), page.data() + 4 * i);
    QList<int> offsets;
    int storeEnd = 511;
    for (const QByteArray &block : blocks) {
        storeEnd -= int(block.size()) + int(block.size() & 1);
        storeEnd -= storeEnd & 1;
        page.replace(storeEnd, block.size(), block);
        offsets << storeEnd;
    }
    const int entrySize = paragraphs ? 13 : 1;
    for (int i = 0; i < count; ++i) {
        page[4 * (count + 1) + i * entrySize] = char(offsets[blockOfRun[i]] / 2);
        for (int j = 1; j < entrySize; ++j)
            page[4 * (count + 1) + i * entrySize + j] = '\0';
    }
    page[511] = char(count);
    return page;
}

// A grpprl of `size` bytes: `first`, then sprms that change nothing much.
QByteArray grpprl(int size, const QByteArray &first = {})
{
    QByteArray bytes = first;
    while (bytes.size() < size) {
        const qsizetype left = size - bytes.size();
        if (left % 3 == 0)
            DocSprm::append(bytes, DocSprm::cIss, 0);
        else
            DocSprm::append(bytes, DocSprm::cHps, 24);
    }
    return bytes;
}

QList<QByteArray> withSizeBytes(const QList<QByteArray> &grpprls)
{
    QList<QByteArray> blocks;
    for (const QByteArray &bytes : grpprls)
        blocks << char(bytes.size()) + bytes;
    return blocks;
}

} // namespace

Q_DECLARE_METATYPE(Patch)

class TestDocReader : public QObject
{
    Q_OBJECT

private slots:
    void libreOfficeSeed()
    {
        QString error;
        const auto text = DocReader::readFile(seedFolder + "rich.doc", &error);
        QVERIFY2(text, qPrintable(error));
        checkRichDocument(*text);
    }

    void smallSeeds_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one word") << "plain.doc" << "Hello";
        QTest::newRow("empty document") << "empty.doc" << "";
    }

    void smallSeeds()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QString error;
        const auto text = DocReader::readFile(seedFolder + file, &error);
        QVERIFY2(text, qPrintable(error));
        QCOMPARE(text->string(), expected);
    }

    // A document that LibreOffice makes now from the same source reads the same.
    void freshLibreOfficeDocument()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed");
        QTemporaryDir folder;
        QVERIFY(QFile::copy(QStringLiteral(MORVANE_TEST_DATA_DIR "/doc/rich.fodt"), folder.filePath("rich.fodt")));
        QProcess convert;
        convert.setWorkingDirectory(folder.path());
        convert.start(soffice, {"-env:UserInstallation=file://" + folder.filePath("profile"), "--headless",
                                "--convert-to", "doc", "rich.fodt"});
        QVERIFY(convert.waitForFinished(120000));
        QString error;
        const auto text = DocReader::readFile(folder.filePath("rich.doc"), &error);
        QVERIFY2(text, qPrintable(error));
        checkRichDocument(*text);
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty file") << QByteArray() << "not a compound file";
        QTest::newRow("plain text") << QByteArray("Hello, world\n") << "not a compound file";
        QTest::newRow("rich text") << QByteArray("{\\rtf1 hi}") << "not a compound file";
        QTest::newRow("container cut short") << fileBytes(seedFolder + "plain.doc").left(1000) << "compound document";
        DocTestStreams other;
        other["Workbook"] = "not words";
        QTest::newRow("no WordDocument stream") << other.container() << "no WordDocument stream";
        QTest::newRow("not a Word stream") << patched([](DocTestStreams &s) { setLittleEndian16(s["WordDocument"], 0, 0x1234); })
                                           << "not a Word document";
        QTest::newRow("Word 97 mark, older version") << patched([](DocTestStreams &s) { setLittleEndian16(s["WordDocument"], 2, 0x0065); })
                                                     << "older than Word 97";
        QTest::newRow("Word 6.0/95") << patched([](DocTestStreams &s) {
            setLittleEndian16(s["WordDocument"], 0, 0xA5DC);
            setLittleEndian16(s["WordDocument"], 2, 0x0068);
        }) << "older than Word 97";
        QTest::newRow("Far East Word 95") << patched([](DocTestStreams &s) {
            setLittleEndian16(s["WordDocument"], 0, 0xA699);
            setLittleEndian16(s["WordDocument"], 2, 0x0068);
        }) << "older than Word 97";
        QTest::newRow("encrypted") << patched([](DocTestStreams &s) { s["WordDocument"][0x0B] = char(s["WordDocument"][0x0B] | 0x01); })
                                   << "encrypted";
        QTest::newRow("table stream missing") << patched([](DocTestStreams &s) { s["WordDocument"][0x0B] = char(s["WordDocument"][0x0B] & ~0x02); })
                                              << "0Table";
        QTest::newRow("no piece table") << patched([](DocTestStreams &s) { setLittleEndian32(s["WordDocument"], 0x9E + 8 * DocFib::ClxIndex, 0); })
                                        << "no piece table";
        QTest::newRow("piece past the stream") << patched([](DocTestStreams &s) {
            const quint32 clx = s.fc(DocFib::ClxIndex);
            setLittleEndian32(s["1Table"], clx + 5 + 8 + 2, 0x3FFFFFF0);
        }) << "past the end";
        QTest::newRow("pieces out of order") << patched([](DocTestStreams &s) {
            setLittleEndian32(s["1Table"], s.fc(DocFib::ClxIndex) + 5, 7);
        }) << "overlap";
        // Every piece showing the same bytes: a file of 135 KB made 268
        // million characters this way, and one of 482 KB aborted.
        QTest::newRow("pieces reusing the same bytes") << patched([](DocTestStreams &s) {
            QByteArray &table = s["1Table"];
            const quint32 clx = s.fc(DocFib::ClxIndex);
            const quint32 count = (s.lcb(DocFib::ClxIndex) - 5 - 4) / 12;
            const QByteArray firstPiece = table.mid(clx + 5 + 4 * (count + 1), 8);
            const quint32 firstEnd = qFromLittleEndian<quint32>(table.constData() + clx + 5 + 4);
            const int pieces = int(s["WordDocument"].size() / firstEnd) + 2;
            QByteArray plc;
            for (int i = 0; i <= pieces; ++i) {
                char cp[4];
                qToLittleEndian(quint32(i) * firstEnd, cp);
                plc.append(cp, 4);
            }
            for (int i = 0; i < pieces; ++i)
                plc += firstPiece;
            QByteArray pieceTable("\x02", 1);
            char size[4];
            qToLittleEndian(quint32(plc.size()), size);
            pieceTable += QByteArray(size, 4) + plc;
            setLittleEndian32(s["WordDocument"], 0x9A + 8 * DocFib::ClxIndex, quint32(table.size()));
            setLittleEndian32(s["WordDocument"], 0x9E + 8 * DocFib::ClxIndex, quint32(pieceTable.size()));
            setLittleEndian32(s["WordDocument"], 0x40 + 4 * 3, quint32(pieces) * firstEnd);
            table += pieceTable;
        }) << "overlap in the file";
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QString error;
        QVERIFY(!DocReader::read(file, &error));
        QVERIFY2(error.contains(expected, Qt::CaseInsensitive), qPrintable(error));
    }

    // Pages that our writer once filled one byte too far, their lowest
    // block's size byte overwritten by the last entry, still give each run
    // its own properties: a link's colour and underline are not followed by
    // the weight, slant and colour of the run stored above them.
    void pagesOnceOverfilled_data()
    {
        QTest::addColumn<bool>("paragraphs");
        QTest::addColumn<QList<QByteArray>>("blocks"); // as stored
        QTest::addColumn<QList<int>>("blockOfRun");
        QTest::addColumn<QList<QByteArray>>("expected"); // each block's grpprl (PAPX: style index first)
        using namespace DocSprm;
        // A link's properties (dark blue, underlined) stored below those of a
        // red, bold, italic, double-underlined run. 41 entries end at byte
        // 209; the link's block starts at 208 and its size byte becomes 104:
        // read as written, it ran on into the red run's properties.
        QByteArray link, red;
        for (const auto &[code, operand] : {std::pair{cRgFtc0, 1u}, {cRgFtc1, 1u}, {cRgFtc2, 1u}, {cHps, 24u}, {cKul, 1u},
                                            {cIco, 9u}, {cCv, 0x800000u}})
            append(link, code, operand);
        for (const auto &[code, operand] : {std::pair{cFBold, 1u}, {cFItalic, 1u}, {cKul, 3u}, {cIco, 6u}, {cCv, 0xFFu}})
            append(red, code, operand);
        QList<int> runs;
        for (int i = 0; i < 41; ++i)
            runs << (i < 20 ? 0 : i < 40 ? 1 : 2);
        const QList<QByteArray> linkPage = {grpprl(135), grpprl(135, red), link};
        QTest::newRow("characters, size byte made larger") << false << withSizeBytes(linkPage) << runs << linkPage;
        // Seven entries end at byte 39; the last block's size byte becomes 19.
        QList<QByteArray> seven;
        for (int i = 0; i < 7; ++i)
            seven << grpprl(i < 6 ? 67 : 63, red);
        QTest::newRow("characters, size byte made smaller") << false << withSizeBytes(seven) << QList<int>{0, 1, 2, 3, 4, 5, 6}
                                                            << seven;
        // One entry of 13 bytes ends at byte 21; the block of the one-byte
        // form starts at 20 and loses its size in words.
        const QByteArray oddPapx = QByteArray(2, '\0') + grpprl(487);
        QTest::newRow("paragraphs, size in words lost") << true << QList<QByteArray>{char(245) + oddPapx} << QList<int>{0}
                                                        << QList<QByteArray>{oddPapx};
        // Three entries end at byte 55; the block of the two-byte form starts
        // at 54 with a zero that the entry's zero overwrites.
        const QByteArray evenPapx = QByteArray(2, '\0') + grpprl(452);
        QTest::newRow("paragraphs, zero byte overwritten by a zero")
            << true << QList<QByteArray>{QByteArray(1, '\0') + char(227) + evenPapx} << QList<int>{0, 0, 0}
            << QList<QByteArray>{evenPapx};
    }

    void pagesOnceOverfilled()
    {
        QFETCH(bool, paragraphs);
        QFETCH(QList<QByteArray>, blocks);
        QFETCH(QList<int>, blockOfRun);
        QFETCH(QList<QByteArray>, expected);
        const QByteArray page = pageOnceOverfilled(paragraphs, blocks, blockOfRun);
        QByteArray bins(4 * 3, '\0');
        qToLittleEndian(quint32(10 * blockOfRun.size()), bins.data() + 4);
        const DocFormattedRuns runs = paragraphs ? DocFormattedRuns::readParagraphRuns(DocByteView(page), DocByteView(bins))
                                                 : DocFormattedRuns::readCharacterRuns(DocByteView(page), DocByteView(bins));
        QCOMPARE(runs.runs().size(), blockOfRun.size());
        for (qsizetype i = 0; i < blockOfRun.size(); ++i) {
            const QByteArray &want = expected[blockOfRun[i]];
            const DocFormattedRuns::Run &run = runs.runs()[i];
            QCOMPARE(run.fcStart, quint32(10 * i));
            if (paragraphs) {
                QCOMPARE(run.istd, quint16(0));
                QCOMPARE(run.grpprl.bytes().toByteArray(), want.mid(2));
            } else {
                QCOMPARE(run.grpprl.bytes().toByteArray(), want);
            }
        }
    }

    // Glyphs of symbol fonts: a run set in Symbol reads as what it shows, and
    // so does the glyph sprmCSymbol names for its placeholder "("; another
    // font's glyph stays in that font at its private-use code.
    void symbolFontGlyphs_data()
    {
        QTest::addColumn<quint16>("font"); // in the written file: 1 Times, 2 Symbol, 3 Wingdings
        QTest::addColumn<quint16>("code");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("family");
        QTest::newRow("Symbol, private-use code") << quint16(2) << quint16(0xF0DA) << QString::fromUtf16(u"\u2228") << "Times";
        QTest::newRow("Symbol, byte code") << quint16(2) << quint16(0x71) << QString::fromUtf16(u"\u03B8") << "Times";
        QTest::newRow("Wingdings") << quint16(3) << quint16(0xF04A) << QString::fromUtf16(u"\uF04A") << "Wingdings";
        QTest::newRow("Wingdings, control code") << quint16(3) << quint16(0x81) << QString::fromUtf16(u"\uF081") << "Wingdings";
    }

    void symbolFontGlyphs()
    {
        QFETCH(quint16, font);
        QFETCH(quint16, code);
        QFETCH(QString, shown);
        QFETCH(QString, family);
        StyledText text;
        TextAttributes times;
        times.font = FontDescriptor{QStringLiteral("Times"), QString(), 12, false, false};
        TextAttributes symbol = times, wingdings = times, marked = times;
        symbol.font->family = QStringLiteral("Symbol");
        wingdings.font->family = QStringLiteral("Wingdings");
        marked.foreground = QColor(0x12, 0x34, 0x56);
        text.append(QStringLiteral("x"), times);
        text.append(QString::fromUtf16(u"q\u00AE"), symbol);
        text.append(QStringLiteral("w"), wingdings);
        text.append(QStringLiteral("("), marked);
        // The placeholder's colour becomes the symbol, in as many bytes.
        DocTestStreams streams = DocTestStreams::of(DocWriter::write(text));
        QByteArray colour, glyph;
        DocSprm::append(colour, DocSprm::cCv, 0x563412);
        DocSprm::append(glyph, DocSprm::cSymbol, font | quint32(code) << 16);
        QByteArray &document = streams["WordDocument"];
        const qsizetype at = document.indexOf(colour);
        QVERIFY(at > 0 && glyph.size() == colour.size());
        document.replace(at, colour.size(), glyph);
        QString error;
        const auto read = DocReader::read(streams.container(), &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->string(), QString::fromUtf16(u"x\u03B8\u2192w") + shown);
        QCOMPARE(read->attributesAt(1).font->family, QStringLiteral("Times New Roman"));
        QCOMPARE(read->attributesAt(4).font->family, family);
    }

    // Damage that leaves the text readable: the reader skips what it cannot
    // use and keeps the rest.
    void damageSkipped_data()
    {
        QTest::addColumn<Patch>("patch");
        QTest::addColumn<QString>("check");
        QTest::newRow("style based on itself") << Patch([](DocTestStreams &s) {
            QByteArray &table = s["1Table"];
            const quint32 stsh = s.fc(DocFib::StshfIndex);
            const quint32 firstStyle = stsh + 2 + qFromLittleEndian<quint16>(table.constData() + stsh);
            table[firstStyle + 2 + 2] = char((table[firstStyle + 2 + 2] & 0x0F)); // base 0: itself
            table[firstStyle + 2 + 3] = 0;
        }) << "text";
        QTest::newRow("font table of one font") << Patch([](DocTestStreams &s) {
            setLittleEndian16(s["1Table"], s.fc(DocFib::SttbfFfnIndex), 1);
        }) << "fonts";
        QTest::newRow("character runs pointing past their page") << Patch([](DocTestStreams &s) {
            QByteArray &main = s["WordDocument"];
            const quint32 page = firstPage(s, DocFib::PlcfBteChpxIndex);
            const int count = quint8(main[page + 511]);
            for (int i = 0; i < count; ++i)
                main[page + 4 * (count + 1) + i] = char(0xFF);
        }) << "text";
        QTest::newRow("paragraph runs pointing past their page") << Patch([](DocTestStreams &s) {
            QByteArray &main = s["WordDocument"];
            const quint32 page = firstPage(s, DocFib::PlcfBtePapxIndex);
            const int count = quint8(main[page + 511]);
            for (int i = 0; i < count; ++i)
                main[page + 4 * (count + 1) + 13 * i] = char(0xFF);
        }) << "text";
        QTest::newRow("bin table naming pages past the stream") << Patch([](DocTestStreams &s) {
            setLittleEndian32(s["1Table"], s.fc(DocFib::PlcfBteChpxIndex) + 8, 0x3FFFFF);
        }) << "text";
        QTest::newRow("text count past the pieces") << Patch([](DocTestStreams &s) {
            setLittleEndian32(s["WordDocument"], 0x40 + 4 * 3, 0x7FFFFFF0);
        }) << "text";
        QTest::newRow("sprm longer than its run") << Patch([](DocTestStreams &s) {
            QByteArray &main = s["WordDocument"];
            const quint32 page = firstPage(s, DocFib::PlcfBteChpxIndex);
            const int count = quint8(main[page + 511]);
            for (int i = 0; i < count; ++i) {
                const int offset = 2 * quint8(main[page + 4 * (count + 1) + i]);
                if (offset)
                    main[page + offset + 3] = char(0xC6); // a variable-size sprm code
            }
        }) << "text";
        QTest::newRow("picture store entry past the stream") << Patch([](DocTestStreams &s) {
            QByteArray &table = s["1Table"];
            const qsizetype entry = table.indexOf(QByteArray::fromHex("07f0"), s.fc(DocFib::DggInfoIndex));
            setLittleEndian32(table, entry + 2 + 4 + 28, 0x7FFFFFF0);
        }) << "picture";
    }

    void damageSkipped()
    {
        QFETCH(Patch, patch);
        QFETCH(QString, check);
        QString error;
        const auto text = DocReader::read(patched(patch), &error);
        QVERIFY2(text, qPrintable(error));
        if (check == "text" || check == "fonts") {
            QCOMPARE(text->string().left(20), richText.left(20));
        }
        if (check == "fonts")
            QVERIFY(attributesOf(*text, "mono").font->family.isEmpty());
        if (check == "picture")
            QVERIFY(!text->string().contains(QChar::ObjectReplacementCharacter));
    }
};

QTEST_GUILESS_MAIN(TestDocReader)
#include "tst_docreader.moc"
