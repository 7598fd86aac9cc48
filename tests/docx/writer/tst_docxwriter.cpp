// Whole packages: what the writer puts in them, what it leaves as the
// template had it, and what a failure leaves at the destination.
#include "docx/DocXTestTexts.h"
#include "docx/PackageInspector.h"

#include "docx/writer/DocXTemplate.h"
#include "platform/SafeSave.h"
#include "platform/ScratchRoot.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <sys/resource.h>

using namespace DocXTestTexts;

namespace {

QString templateFile(const QString &part)
{
    QFile file(DocXTemplate::builtInFolder() + u'/' + part);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

// A copy of the built-in template on disk, to break in a test.
void copyTemplate(const QString &folder)
{
    QDirIterator it(DocXTemplate::builtInFolder(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        SafeSave::writeFile(folder + u'/' + QDir(DocXTemplate::builtInFolder()).relativeFilePath(path), file.readAll(), nullptr);
    }
}

// Every file this process writes is limited to `bytes`, as on a nearly full
// disk: a write past the limit fails (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes) : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = std::min(bytes, m_old.rlim_max);
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int);
};

// A PNG stored without compression: large on disk, while the package, which
// deflates it again, stays small.
TextAttachmentPointer uncompressedPicture(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    auto attachment = std::make_shared<TextAttachment>();
    QBuffer buffer(&attachment->contents);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(0);
    writer.write(image);
    attachment->fileType = QStringLiteral("image/png");
    return attachment;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestDocXWriter : public QObject
{
    Q_OBJECT

private slots:
    void plainTextChangesOnlyItsOwnParts();
    void richTextPackage();
    void sectionsAndPages();
    void sectionsKeepTheirParagraphs_data();
    void sectionsKeepTheirParagraphs();
    void nothingToWrite();
    void failuresLeaveTheDestination_data();
    void failuresLeaveTheDestination();
    void failedPictureWriteFailsTheSave_data();
    void failedPictureWriteFailsTheSave();
    void partsAddedOnlyOnce();
    void templateKind();
    void endnotePositionInSchemaPlace();
    void noteReferences();
    void stylesConfiguration();
    void pictures();
    void linkedDrawingBoundLikeEveryPicture();
    void randomTexts();

private:
    QString destination(const QString &name) { return m_folder.filePath(name); }
    TemporaryFolder m_folder;
};

void TestDocXWriter::plainTextChangesOnlyItsOwnParts()
{
    const QString path = destination(QStringLiteral("plain.docx"));
    QVERIFY(!DocXWriter::write({StyledText(QStringLiteral("Hello"))}, path).isError());
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    QCOMPARE(package.text(QStringLiteral("[Content_Types].xml")), templateFile(QStringLiteral("[Content_Types].xml")));
    QCOMPARE(package.text(QStringLiteral("word/settings.xml")), templateFile(QStringLiteral("word/settings.xml")));
    QCOMPARE(package.text(QStringLiteral("word/styles.xml")), templateFile(QStringLiteral("word/styles.xml")));
    QVERIFY(!package.has(QStringLiteral("word/numbering.xml")));
    QVERIFY(!package.has(QStringLiteral("word/footnotes.xml")));
    const QString core = package.text(QStringLiteral("docProps/core.xml"));
    QVERIFY(core.startsWith(QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><cp:coreProperties )")));
    QVERIFY(core.contains(QStringLiteral("<dc:creator>DocX</dc:creator>")));
    QVERIFY(package.text(QStringLiteral("word/document.xml"))
                .contains(QStringLiteral(R"(<w:body><w:p><w:r><w:rPr /><w:t xml:space="preserve">Hello</w:t></w:r></w:p><w:sectPr /></w:body>)")));
}

void TestDocXWriter::richTextPackage()
{
    const QString path = destination(QStringLiteral("rich.docx"));
    const DocXSavingError error = DocXWriter::write({richText()}, path);
    QVERIFY2(!error.isError(), qPrintable(error.text()));
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    for (const char *part : {"word/numbering.xml", "word/footnotes.xml", "word/endnotes.xml"})
        QVERIFY2(package.has(QString::fromLatin1(part)), part);
    QVERIFY(!package.has(QStringLiteral("word/_rels/footnotes.xml.rels")));

    pugi::xml_document document;
    QVERIFY(load(document, package.bytes(QStringLiteral("word/document.xml"))));
    QCOMPARE(count(document, "//w:body/w:p"), 8); // note bodies left out
    QCOMPARE(count(document, "//w:tab"), 1);
    QCOMPARE(count(document, "//w:br[not(@w:type)]"), 1);
    QCOMPARE(count(document, "//w:br[@w:type='page']"), 1);
    QCOMPARE(count(document, "//w:numPr/w:numId[@w:val='1']"), 2);
    QCOMPARE(count(document, "//w:footnoteReference[@w:id='1']"), 1);
    QCOMPARE(count(document, "//w:endnoteReference[@w:id='1']"), 1);
    QCOMPARE(count(document, "//w:hyperlink/w:r/w:t"), 1);
    QCOMPARE(count(document, "//w:ruby/w:rt/w:r/w:t"), 1);
    QCOMPARE(count(document, "//wp:inline//a:blip"), 1);
    // rId1 and rId2 are the template's; numbering and the notes come next.
    QVERIFY(package.has(QStringLiteral("word/media/rId6.png")));

    pugi::xml_document footnotes;
    QVERIFY(load(footnotes, package.bytes(QStringLiteral("word/footnotes.xml"))));
    QCOMPARE(count(footnotes, "/w:footnotes/w:footnote"), 3);
    QCOMPARE(count(footnotes, "//w:footnote[@w:id='1']/w:p[1]/w:r[1]/w:footnoteRef"), 1);
    for (const char *prefix : {"xmlns:w", "xmlns:r", "xmlns:wp", "xmlns:w14", "xmlns:mc"})
        QVERIFY2(footnotes.document_element().attribute(prefix), prefix);

    const QString rels = package.text(QStringLiteral("word/_rels/document.xml.rels"));
    QCOMPARE(rels.count(QStringLiteral("relationships/numbering")), 1);
    QVERIFY(rels.contains(QStringLiteral("Target=\"https://example.com/page?a=1&amp;b=2\" TargetMode=\"External\"")));
    const QString types = package.text(QStringLiteral("[Content_Types].xml"));
    QCOMPARE(types.count(QStringLiteral("/word/footnotes.xml")), 1);
}

void TestDocXWriter::sectionsAndPages()
{
    const QString path = destination(QStringLiteral("sections.docx"));
    DocXOptions options;
    options.pageDefinition = PageDefinition{PageDefinition::PageSize::a4(), PageDefinition::PageMargins::defaultMargins()};
    TextAttributes vertical;
    vertical.verticalForms = true;
    ParagraphStyle listStyle;
    listStyle.textLists = {TextList{}};
    TextAttributes listed;
    listed.paragraphStyle = listStyle;
    // The first section ends without a terminator, the second with one; an
    // empty third section still closes with its own break.
    const QList<StyledText> sections{StyledText(QStringLiteral("one"), listed), StyledText(QStringLiteral("two\n"), vertical),
                                     StyledText(), StyledText(QStringLiteral("four"), listed)};
    QVERIFY(!DocXWriter::write(sections, path, options).isError());
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    pugi::xml_document document;
    QVERIFY(load(document, package.bytes(QStringLiteral("word/document.xml"))));
    QCOMPARE(count(document, "//w:body/w:p"), 4);
    QCOMPARE(count(document, "//w:p/w:pPr/w:sectPr[w:type/@w:val='nextPage']"), 3);
    QCOMPARE(count(document, "//w:p[3]/*"), 1); // the empty section: only its break
    // Every section keeps the page and the text direction.
    QCOMPARE(count(document, "//w:sectPr/w:pgSz[@w:w='11900']"), 4);
    QCOMPARE(count(document, "//w:sectPr/w:pgMar"), 4);
    QCOMPARE(count(document, "//w:sectPr/w:textDirection[@w:val='tbRl']"), 4);
    // One list definition per list: a plain section between them ends the first.
    QCOMPARE(count(document, "//w:numId[@w:val='1']"), 1);
    QCOMPARE(count(document, "//w:numId[@w:val='2']"), 1);

    QList<qsizetype> starts;
    QCOMPARE(DocXWriter::joinSections({StyledText(QStringLiteral("a\n")), StyledText(QStringLiteral("b"))}, &starts).string(),
             QStringLiteral("a\nb"));
    QCOMPARE(DocXWriter::joinSections({StyledText(QStringLiteral("a")), StyledText(QStringLiteral("b"))}).string(),
             QStringLiteral("a\rb"));

    const QString pages = destination(QStringLiteral("pages.docx"));
    QVERIFY(!DocXWriter::writePages({StyledText(QStringLiteral("1")), StyledText(QStringLiteral("2")), StyledText(QStringLiteral("3"))}, pages)
                 .isError());
    PackageInspector pagePackage(pages);
    QVERIFY(load(document, pagePackage.bytes(QStringLiteral("word/document.xml"))));
    QCOMPARE(count(document, "//w:body/w:p"), 3);
    QCOMPARE(count(document, "//w:br[@w:type='page']"), 2);
    QCOMPARE(count(document, "//w:sectPr"), 1);
}

void TestDocXWriter::sectionsKeepTheirParagraphs_data()
{
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<QStringList>("paragraphs"); // "|" marks the paragraph that closes a section
    QTest::newRow("empty paragraph after an open end")
        << QStringList{"first", "\nsecond"} << QStringList{"first|", "", "second"};
    QTest::newRow("empty paragraph after a CR")
        << QStringList{"first\r", "\nsecond"} << QStringList{"first|", "", "second"};
    QTest::newRow("empty section between")
        << QStringList{"first\r", "", "\nthird"} << QStringList{"first|", "|", "", "third"};
    QTest::newRow("CRLF inside a section stays one end")
        << QStringList{"a\r\nb", "c"} << QStringList{"a", "b|", "c"};
}

void TestDocXWriter::sectionsKeepTheirParagraphs()
{
    QFETCH(QStringList, sections);
    QFETCH(QStringList, paragraphs);
    QList<StyledText> texts;
    for (const QString &section : sections)
        texts.append(StyledText(section));
    const QString path = destination(QStringLiteral("joined.docx"));
    QVERIFY(!DocXWriter::write(texts, path).isError());
    PackageInspector package(path);
    pugi::xml_document document;
    QVERIFY(load(document, package.bytes(QStringLiteral("word/document.xml"))));
    QStringList written;
    for (const pugi::xpath_node &node : document.select_nodes("//w:body/w:p")) {
        QString text;
        for (const pugi::xpath_node &t : node.node().select_nodes(".//w:t"))
            text += QString::fromUtf8(t.node().text().get());
        written << text + (node.node().select_node("w:pPr/w:sectPr") ? QStringLiteral("|") : QString());
    }
    QCOMPARE(written, paragraphs);
}

void TestDocXWriter::nothingToWrite()
{
    const QString path = destination(QStringLiteral("nothing.docx"));
    QVERIFY(!DocXWriter::write({}, path).isError());
    QVERIFY(!DocXWriter::writePages({}, path).isError());
    QVERIFY(!QFile::exists(path));
}

void TestDocXWriter::failuresLeaveTheDestination_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<int>("kind");
    QTest::newRow("duplicate footnote reference") << "duplicate" << int(DocXSavingError::Kind::DuplicateNoteId);
    QTest::newRow("template without relationships") << "no rels" << int(DocXSavingError::Kind::NoBlankDocument);
    QTest::newRow("missing template folder") << "no template" << int(DocXSavingError::Kind::NoBlankDocument);
    QTest::newRow("unparsable relationships") << "bad rels" << int(DocXSavingError::Kind::Xml);
    QTest::newRow("unparsable content types") << "bad types" << int(DocXSavingError::Kind::Xml);
    QTest::newRow("unparsable settings") << "bad settings" << int(DocXSavingError::Kind::Xml);
    QTest::newRow("destination folder missing") << "no folder" << int(DocXSavingError::Kind::CompressionFailed);
}

void TestDocXWriter::failuresLeaveTheDestination()
{
    QFETCH(QString, breakage);
    QFETCH(int, kind);
    TemporaryFolder templateFolder;
    copyTemplate(templateFolder.path());
    StyledText text(QStringLiteral("text"));
    DocXOptions options;
    options.endnotePosition = DocXEndnotePosition::EndOfSection;
    QString path = destination(QStringLiteral("existing.docx"));
    QVERIFY(SafeSave::writeFile(path, "old contents", nullptr));
    QString folder = templateFolder.path();
    if (breakage == QLatin1String("duplicate")) {
        TextAttributes reference;
        reference.footnoteReferenceId = 3;
        text.append(QStringLiteral("1"), reference);
        text.append(QStringLiteral(" between "));
        text.append(QStringLiteral("1"), reference);
    } else if (breakage == QLatin1String("no rels")) {
        QFile::remove(templateFolder.filePath(QStringLiteral("word/_rels/document.xml.rels")));
    } else if (breakage == QLatin1String("no template")) {
        folder = templateFolder.filePath(QStringLiteral("absent"));
    } else if (breakage == QLatin1String("bad rels")) {
        SafeSave::writeFile(templateFolder.filePath(QStringLiteral("word/_rels/document.xml.rels")), "<Relationships>", nullptr);
    } else if (breakage == QLatin1String("bad types")) {
        SafeSave::writeFile(templateFolder.filePath(QStringLiteral("[Content_Types].xml")), "<Types", nullptr);
    } else if (breakage == QLatin1String("bad settings")) {
        SafeSave::writeFile(templateFolder.filePath(QStringLiteral("word/settings.xml")), "", nullptr);
    } else if (breakage == QLatin1String("no folder")) {
        path = destination(QStringLiteral("missing/folder/out.docx"));
    }
    const DocXSavingError error = DocXWriter::write({text}, path, options, folder);
    QCOMPARE(int(error.kind), kind);
    QVERIFY(!error.text().isEmpty());
    if (breakage == QLatin1String("duplicate")) {
        QCOMPARE(error.noteKind, QStringLiteral("footnote"));
        QCOMPARE(error.noteId, 3);
    }
    QFile existing(destination(QStringLiteral("existing.docx")));
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("old contents"));
    QVERIFY(!QFile::exists(destination(QStringLiteral("missing"))));
}

void TestDocXWriter::failedPictureWriteFailsTheSave_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("picture in the body") << "body";
    QTest::newRow("picture in a footnote") << "footnote";
    // The built-in path stores the picture twice when the text has ruby.
    QTest::newRow("built-in path with ruby") << "built-in";
}

// With the scratch folder's disk nearly full, a picture whose file cannot be
// written whole fails the save, naming the file and the cause: it never
// passes for a saved one, cut short or left out. Files are limited in size
// here; the package, deflated, still fits.
void TestDocXWriter::failedPictureWriteFailsTheSave()
{
    QFETCH(QString, where);
    const TextAttachmentPointer large = uncompressedPicture(300);
    constexpr rlim_t limit = 64 * 1024;
    QVERIFY(large->contents.size() > qsizetype(2 * limit));
    StyledText text(QStringLiteral("See"));
    TextAttributes picture;
    picture.attachment = large;
    if (where == QLatin1String("footnote")) {
        text.append(QStringLiteral("1"), with([](TextAttributes &a) { a.footnoteReferenceId = 1; }));
        text.append(QStringLiteral("\n"));
        picture.footnoteBodyId = 1;
        text.append(QStringLiteral("Note "), with([](TextAttributes &a) { a.footnoteBodyId = 1; }));
    } else if (where == QLatin1String("built-in")) {
        auto ruby = std::make_shared<RubyAnnotation>();
        ruby->before = QStringLiteral("かん");
        text.append(QStringLiteral("漢"), with([&](TextAttributes &a) { a.ruby = ruby; }));
    }
    text.append(QString(QChar(0xFFFC)), picture);
    text.append(QStringLiteral("\n"));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("kept.docx"));
    QVERIFY(SafeSave::writeFile(path, "old contents", nullptr));
    const QStringList scratchBefore = entriesOf(ScratchRoot::processFolder());
    DocXSavingError error;
    {
        FileSizeLimit nearlyFull(limit);
        error = where == QLatin1String("built-in") ? DocXWriter::writeDocXUsingBuiltIn(text, path)
                                                   : DocXWriter::write({text}, path);
    }
    QVERIFY2(error.isError(), "the save reported success");
    QVERIFY2(error.text().contains(QStringLiteral("word/media/")), qPrintable(error.text()));
    QVERIFY2(error.text().contains(qt_error_string(EFBIG)), qPrintable(error.text()));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("old contents"));
    QCOMPARE(entriesOf(folder.path()), QStringList{QStringLiteral("kept.docx")});
    QCOMPARE(entriesOf(ScratchRoot::processFolder()), scratchBefore);
}

void TestDocXWriter::partsAddedOnlyOnce()
{
    TemporaryFolder templateFolder;
    copyTemplate(templateFolder.path());
    // A template that already has a numbering part, its relationship and Override.
    SafeSave::writeFile(templateFolder.filePath(QStringLiteral("word/_rels/document.xml.rels")),
                          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering\" Target=\"numbering.xml\"/><Relationship Id=\"rId10\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" Target=\"settings.xml\"/><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/></Relationships>",
                          nullptr);
    QString types = templateFile(QStringLiteral("[Content_Types].xml"));
    types.replace(QStringLiteral("</Types>"), QStringLiteral(R"(<Override PartName="/word/numbering.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml"/></Types>)"));
    SafeSave::writeFile(templateFolder.filePath(QStringLiteral("[Content_Types].xml")), types.toUtf8(), nullptr);

    const QString path = destination(QStringLiteral("once.docx"));
    QVERIFY(!DocXWriter::write({richText()}, path, {}, templateFolder.path()).isError());
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    const QString rels = package.text(QStringLiteral("word/_rels/document.xml.rels"));
    QCOMPARE(rels.count(QStringLiteral("relationships/numbering")), 1);
    // Ids continue after the highest in numeric order: rId10, so the footnotes get rId11.
    QVERIFY(rels.contains(QStringLiteral(R"(<Relationship Id="rId11" Target="footnotes.xml")")));
    QCOMPARE(package.text(QStringLiteral("[Content_Types].xml")).count(QStringLiteral("/word/numbering.xml")), 1);
}

void TestDocXWriter::templateKind()
{
    const QString path = destination(QStringLiteral("template.dotx"));
    DocXOptions options;
    options.packageKind = DocXPackageKind::Template;
    QVERIFY(!DocXWriter::write({StyledText(QStringLiteral("t"))}, path, options).isError());
    PackageInspector package(path);
    const QString types = package.text(QStringLiteral("[Content_Types].xml"));
    QVERIFY(types.contains(QStringLiteral("wordprocessingml.template.main+xml")));
    QVERIFY(!types.contains(QStringLiteral("wordprocessingml.document.main+xml")));
}

void TestDocXWriter::endnotePositionInSchemaPlace()
{
    const QString path = destination(QStringLiteral("endnotes.docx"));
    DocXOptions options;
    options.endnotePosition = DocXEndnotePosition::EndOfSection;
    options.footnoteNumberFormat = DocXNoteNumberFormat::UpperRoman;
    QVERIFY(!DocXWriter::write({StyledText(QStringLiteral("t"))}, path, options).isError());
    PackageInspector package(path);
    const QString settings = package.text(QStringLiteral("word/settings.xml"));
    QVERIFY(settings.contains(QStringLiteral(R"(<w:endnotePr><w:pos w:val="sectEnd" /></w:endnotePr><w:compat>)")));
    QVERIFY(package.text(QStringLiteral("word/document.xml"))
                .contains(QStringLiteral(R"(<w:sectPr><w:footnotePr><w:numFmt w:val="upperRoman" /></w:footnotePr></w:sectPr>)")));
}

void TestDocXWriter::noteReferences()
{
    StyledText text;
    TextAttributes reference;
    reference.footnoteReferenceId = 7;
    text.append(QStringLiteral("1"), reference);
    reference.foreground = QColor(Qt::red); // same id, another run
    text.append(QStringLiteral("2"), reference);
    TextAttributes orphan;
    orphan.endnoteReferenceId = 5; // no endnote 5 exists: plain text
    text.append(QStringLiteral("x"), orphan);
    TextAttributes outOfRange;
    outOfRange.footnoteReferenceId = -4;
    text.append(QStringLiteral("y\n"), outOfRange);
    TextAttributes body;
    body.footnoteBodyId = 7;
    text.append(QStringLiteral("Body of seven\n"), body);

    const QString path = destination(QStringLiteral("notes.docx"));
    QVERIFY(!DocXWriter::write({text}, path).isError());
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    pugi::xml_document document;
    QVERIFY(load(document, package.bytes(QStringLiteral("word/document.xml"))));
    QCOMPARE(count(document, "//w:footnoteReference"), 1);
    QCOMPARE(count(document, "//w:endnoteReference"), 0);
    QCOMPARE(count(document, "//w:t[.='x']"), 1);
    QCOMPARE(count(document, "//w:t[.='y']"), 1);
    QVERIFY(!package.has(QStringLiteral("word/endnotes.xml")));
}

void TestDocXWriter::stylesConfiguration()
{
    QString error;
    const auto styles = DocXStyleConfiguration::fromText(
        QStringLiteral("<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:style w:type=\"paragraph\" w:styleId=\"Heading1\"/><w:style w:type=\"character\" w:styleId=\"Strong\"/><w:style w:type=\"table\" w:styleId=\"Grid\"/><w:style w:type=\"paragraph\"/></w:styles>"),
        DocXStyleConfiguration::FontFamily::FromStyles, &error);
    QVERIFY(styles);
    QCOMPARE(styles->paragraphStyleIds(), std::optional(QStringList{QStringLiteral("Heading1")}));
    QCOMPARE(styles->characterStyleIds(), std::optional(QStringList{QStringLiteral("Strong")}));
    QVERIFY(!DocXStyleConfiguration::fromText(QStringLiteral("<w:styles>"), {}, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!DocXStyleConfiguration::fromFile(destination(QStringLiteral("absent.xml")), {}, &error));
    QVERIFY(!DocXStyleConfiguration::fromText(QString(), {}, nullptr)->stylesDocument());

    DocXOptions options;
    options.styleConfiguration = *styles;
    StyledText text;
    TextAttributes attributes;
    attributes.font = FontDescriptor{QStringLiteral("Serif"), QString(), 12, false, false};
    text.append(QStringLiteral("plain "), attributes);
    attributes.link = QUrl(QStringLiteral("https://example.com"));
    text.append(QStringLiteral("link"), attributes);
    const QString path = destination(QStringLiteral("styles.docx"));
    QVERIFY(!DocXWriter::write({text}, path, options).isError());
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    QVERIFY(package.text(QStringLiteral("word/styles.xml")).contains(QStringLiteral("Heading1")));
    QCOMPARE(package.text(QStringLiteral("word/_rels/document.xml.rels")).count(QStringLiteral("relationships/styles")), 1);
    pugi::xml_document document;
    QVERIFY(load(document, package.bytes(QStringLiteral("word/document.xml"))));
    // Plain runs take their family from the styles; a link's run keeps it.
    QCOMPARE(count(document, "//w:rFonts"), 1);
    QCOMPARE(count(document, "//w:hyperlink//w:rFonts"), 1);
}

// A linked picture file holds no decoded image: the writer decodes it under
// the same limits as every reader, so a drawing of a few kilobytes that
// expands to 160,000 shapes is skipped at once rather than drawn.
void TestDocXWriter::linkedDrawingBoundLikeEveryPicture()
{
    QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )"
                     R"(width="200" height="100"><rect id="l0" width="200" height="100" fill="red"/>)";
    for (int level = 1; level <= 4; ++level) {
        svg += "<g id=\"l" + QByteArray::number(level) + "\">";
        for (int i = 0; i < 20; ++i)
            svg += "<use xlink:href=\"#l" + QByteArray::number(level - 1) + "\" x=\"" + QByteArray::number(i) + "\"/>";
        svg += "</g>";
    }
    svg += "</svg>";
    const QString drawing = destination(QStringLiteral("drawing.svg"));
    QVERIFY(SafeSave::writeFile(drawing, svg, nullptr));
    StyledText text;
    text.append(QStringLiteral("u"), with([&](TextAttributes &a) { a.imageUrl = QUrl::fromLocalFile(drawing); }));
    const QString path = destination(QStringLiteral("drawing.docx"));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!DocXWriter::write({text}, path).isError());
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(PackageInspector(path).allParts().filter(QStringLiteral("word/media/")), QStringList());
}

void TestDocXWriter::pictures()
{
    StyledText text;
    auto hinted = std::make_shared<TextAttachment>(*picture(200, 100));
    hinted->docXImage = DocXImageAttachment{0.5, DocXImageAttachment::Flow::Right, QStringLiteral("A red box")};
    text.append(QString(QChar(0xFFFC)), with([&](TextAttributes &a) { a.attachment = hinted; }));
    auto jpeg = std::make_shared<TextAttachment>();
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QBuffer buffer(&jpeg->contents);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "jpeg").write(image);
        jpeg->fileType = QStringLiteral("image/jpeg");
    }
    text.append(QString(QChar(0xFFFC)), with([&](TextAttributes &a) { a.attachment = jpeg; }));
    auto broken = std::make_shared<TextAttachment>();
    broken->contents = "not a picture";
    text.append(QString(QChar(0xFFFC)), with([&](TextAttributes &a) { a.attachment = broken; }));
    auto imageOnly = std::make_shared<TextAttachment>();
    imageOnly->image = QImage(4, 4, QImage::Format_ARGB32);
    imageOnly->image.fill(Qt::green);
    imageOnly->fileType = QStringLiteral("image/x-unknown");
    text.append(QString(QChar(0xFFFC)), with([&](TextAttributes &a) { a.attachment = imageOnly; }));
    const QString imageFile = destination(QStringLiteral("picture.png"));
    SafeSave::writeFile(imageFile, pngBytes(30, 30), nullptr);
    text.append(QStringLiteral("u"), with([&](TextAttributes &a) { a.imageUrl = QUrl::fromLocalFile(imageFile); }));
    text.append(QStringLiteral("r"), with([&](TextAttributes &a) { a.imageUrl = QUrl(QStringLiteral("https://example.com/x.png")); }));
    text.append(QStringLiteral("\n"));
    TextAttributes body;
    body.footnoteBodyId = 1;
    text.append(QStringLiteral("note "), body);
    text.append(QString(QChar(0xFFFC)), with([&](TextAttributes &a) { a.footnoteBodyId = 1; a.attachment = jpeg; }));
    text.append(QStringLiteral("\n"), body);

    DocXOptions options;
    options.pageDefinition = PageDefinition{PageDefinition::PageSize::a4(), PageDefinition::PageMargins(72, 72, 72, 72, 0, 0)};
    const QString path = destination(QStringLiteral("pictures.docx"));
    QVERIFY(!DocXWriter::write({text}, path, options).isError());
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    // rId1 and rId2 are the template's, rId3 the footnotes'. Known types keep
    // their bytes and name; the unreadable picture is skipped; a picture with
    // only an image becomes PNG.
    QVERIFY(package.has(QStringLiteral("word/media/rId4.png")));
    QCOMPARE(package.bytes(QStringLiteral("word/media/rId5.jpeg")), jpeg->contents);
    QVERIFY(package.bytes(QStringLiteral("word/media/rId6.png")).startsWith("\x89PNG"));
    QVERIFY(package.has(QStringLiteral("word/media/rId7.png")));
    QCOMPARE(package.allParts().filter(QStringLiteral("word/media/rId")).size(), 4);
    QVERIFY(package.has(QStringLiteral("word/media/footnotes-rId1.jpeg")));
    QVERIFY(package.text(QStringLiteral("word/_rels/footnotes.xml.rels")).contains(QStringLiteral("media/footnotes-rId1.jpeg")));

    pugi::xml_document document;
    QVERIFY(load(document, package.bytes(QStringLiteral("word/document.xml"))));
    const pugi::xml_node anchor = document.select_node("//wp:anchor").node();
    QVERIFY(anchor);
    QCOMPARE(QString::fromUtf8(anchor.attribute("distL").value()), QStringLiteral("91440"));
    QCOMPARE(QString::fromUtf8(anchor.child("wp:positionH").child_value("wp:align")), QStringLiteral("right"));
    // Half of 451 pt of text width, keeping the 2:1 aspect.
    QCOMPARE(QString::fromUtf8(anchor.child("wp:extent").attribute("cx").value()), QStringLiteral("2863850"));
    QCOMPARE(QString::fromUtf8(anchor.child("wp:extent").attribute("cy").value()), QStringLiteral("1431925"));
    QCOMPARE(QString::fromUtf8(anchor.child("wp:docPr").attribute("descr").value()), QStringLiteral("A red box"));
    QCOMPARE(count(document, "//wp:inline"), 3);
    QCOMPARE(count(document, "//w:t[.='r']"), 1); // a remote image URL is text
}

void TestDocXWriter::randomTexts()
{
    // Random runs, terminators, control characters, lists, notes, pictures,
    // links and ruby: every package must be sound.
    QRandomGenerator random(20240305);
    const TextAttachmentPointer image = picture(3, 3);
    const auto ruby = std::make_shared<RubyAnnotation>(RubyAnnotation{QStringLiteral("ルビ"), {}, {}, {}, 0.5, RubyAlignment::Center});
    const QString alphabet = QStringLiteral("ab 漢字\t\v\f\r\n\u2028\u2029\u0085\x01\uFFFC<&\"'");
    const QStringList markers{QStringLiteral("{disc}"), QStringLiteral("{decimal}"), QStringLiteral("{lower-roman}")};
    const int rounds = 1000;
    for (int round = 0; round < rounds; ++round) {
        StyledText text;
        const int runs = random.bounded(1, 25);
        for (int r = 0; r < runs; ++r) {
            QString piece;
            for (int c = random.bounded(0, 8); c > 0; --c)
                piece += alphabet[random.bounded(int(alphabet.size()))];
            TextAttributes a;
            switch (random.bounded(10)) {
            case 0: a.attachment = image; break;
            case 1: a.link = QUrl(QStringLiteral("https://example.com/%1").arg(random.bounded(3))); break;
            case 2: a.ruby = ruby; break;
            case 3: a.footnoteReferenceId = random.bounded(1, 4); break;
            case 4: a.footnoteBodyId = random.bounded(1, 4); break;
            case 5: a.endnoteBodyId = random.bounded(0, 3); a.endnoteReferenceId = random.bounded(0, 3); break;
            case 6: {
                ParagraphStyle style;
                for (int depth = random.bounded(1, 4); depth > 0; --depth)
                    style.textLists.append(TextList{markers[random.bounded(int(markers.size()))], random.bounded(1, 4)});
                a.paragraphStyle = style;
                break;
            }
            case 7: a.breakType = BreakType(random.bounded(3)); break;
            case 8: a.font = FontDescriptor{QStringLiteral("F"), QString(), random.bounded(20) - 5.0, true, false}; a.strokeWidth = -2; break;
            default: break;
            }
            text.append(piece, a);
        }
        const QString path = destination(QStringLiteral("random.docx"));
        const DocXSavingError error = DocXWriter::write({text, text.mid({0, random.bounded(qint64(text.length()) + 1)})}, path);
        if (error.kind == DocXSavingError::Kind::DuplicateNoteId)
            continue;
        QVERIFY2(!error.isError(), qPrintable(error.text()));
        PackageInspector package(path);
        const QStringList problems = package.problems();
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("round %1: ").arg(round) + problems.join(u'\n')));
    }
}

QTEST_GUILESS_MAIN(TestDocXWriter)
#include "tst_docxwriter.moc"
