// The built-in conversion path: the converter's package as it made it, with
// the writer's main part only where ruby needs it, and the writer itself when
// the choice is off.
#include "docx/DocXTestTexts.h"
#include "docx/PackageInspector.h"

#include "docx/builtin/OfficeOpenXmlConverter.h"
#include "platform/SafeSave.h"
#include "platform/ScratchRoot.h"
#include "platform/package/PackageRelationships.h"
#include "support/TestImages.h"

#include <QRegularExpression>
#include <QtTest>

using namespace DocXTestTexts;

namespace {

// The parts of an unpacked package by name; the creation and modification
// times of the core properties masked, as two writes may fall in different
// seconds.
QMap<QString, QByteArray> parts(const QString &folder)
{
    QMap<QString, QByteArray> result;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QByteArray bytes = file.readAll();
        const QString name = QDir(folder).relativeFilePath(path);
        if (name == QLatin1String("docProps/core.xml"))
            bytes = QString::fromUtf8(bytes)
                        .replace(QRegularExpression(QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ")), QStringLiteral("T"))
                        .toUtf8();
        result.insert(name, bytes);
    }
    return result;
}

QMap<QString, QByteArray> convertersPackage(const StyledText &text)
{
    PackageFolder package;
    QString error;
    if (!OfficeOpenXmlConverter::writePackage(text, package, &error))
        qWarning() << error;
    return parts(package.path());
}

QStringList differingParts(const QMap<QString, QByteArray> &a, const QMap<QString, QByteArray> &b)
{
    QStringList names = a.keys() + b.keys();
    names.removeDuplicates();
    names.sort();
    QStringList differing;
    for (const QString &name : names)
        if (a.value(name) != b.value(name))
            differing << name;
    return differing;
}

QByteArray tiffBytes()
{
    return TestImages::filled(QSize(8, 4), Qt::blue, "tiff");
}

// Formatted text, a picture and a link; ruby on "漢字" when asked.
StyledText convertedText(bool ruby, const QString &pictureType = QStringLiteral("image/png"))
{
    StyledText text;
    text.append(QStringLiteral("Title\n"), with([](TextAttributes &a) {
                    a.font = FontDescriptor{QStringLiteral("Noto Serif CJK JP"), QString(), 16.0, true, true};
                    a.foreground = QColor(200, 0, 0);
                    ParagraphStyle centred;
                    centred.alignment = TextAlignment::Center;
                    a.paragraphStyle = centred;
                }));
    auto attachment = std::make_shared<TextAttachment>();
    attachment->contents = pictureType == QLatin1String("image/tiff") ? tiffBytes() : pngBytes(20, 10);
    attachment->fileType = pictureType;
    text.append(QStringLiteral("Picture "));
    text.append(QString(QChar(0xFFFC)), with([&](TextAttributes &a) { a.attachment = attachment; }));
    text.append(QStringLiteral(" and a "));
    text.append(QStringLiteral("link"), with([](TextAttributes &a) { a.link = QUrl(QStringLiteral("https://example.com/")); }));
    text.append(QStringLiteral("\n"));
    auto annotation = std::make_shared<RubyAnnotation>();
    annotation->before = QStringLiteral("かんじ");
    text.append(QStringLiteral("漢字"), with([&](TextAttributes &a) {
                    if (ruby)
                        a.ruby = annotation;
                }));
    text.append(QStringLiteral("の読み\n"));
    return text;
}

int scratchEntries()
{
    return int(QDir(ScratchRoot::processFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

} // namespace

class TestBuiltInConversion : public QObject
{
    Q_OBJECT

private slots:
    void withoutRubyTheConvertersPackage();
    void rubyTakesTheWritersMainPart_data();
    void rubyTakesTheWritersMainPart();
    void destinationAndWorkFolder();
    void choiceOffIsTheWriter();

private:
    TemporaryFolder m_folder;
};

void TestBuiltInConversion::withoutRubyTheConvertersPackage()
{
    const StyledText text = convertedText(false);
    const QString path = m_folder.filePath(QStringLiteral("plain.docx"));
    DocXSavingError error;
    QVERIFY(DocXWriter::writeDocXTo(text, path, true, &error));
    QVERIFY(!error.isError());
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    QCOMPARE(differingParts(parts(package.folder()), convertersPackage(text)), QStringList());
    QVERIFY(package.text(QStringLiteral("word/document.xml")).contains(QStringLiteral("漢字の読み")));
    QVERIFY(package.has(QStringLiteral("word/media/image1.png")));
}

void TestBuiltInConversion::rubyTakesTheWritersMainPart_data()
{
    QTest::addColumn<QString>("pictureType");
    QTest::addColumn<QStringList>("changed");
    const QStringList mainPart{QStringLiteral("word/_rels/document.xml.rels"), QStringLiteral("word/document.xml")};
    QTest::newRow("png") << "image/png" << mainPart;
    // The converter stores TIFF as PNG; the writer keeps TIFF, which then
    // needs a content type.
    QTest::newRow("tiff") << "image/tiff" << QStringList{QStringLiteral("[Content_Types].xml")} + mainPart;
}

void TestBuiltInConversion::rubyTakesTheWritersMainPart()
{
    QFETCH(QString, pictureType);
    QFETCH(QStringList, changed);
    StyledText text = convertedText(true, pictureType);
    // Lists and notes have no part in the converter's package: the list is
    // plain paragraphs, the note body stays text and its reference plain text.
    ParagraphStyle listed;
    listed.textLists = {TextList{}};
    text.append(QStringLiteral("Item\n"), with([&](TextAttributes &a) { a.paragraphStyle = listed; }));
    text.append(QStringLiteral("See"));
    text.append(QStringLiteral("1"), with([](TextAttributes &a) { a.footnoteReferenceId = 1; }));
    text.append(QStringLiteral("\nNote body\n"), with([](TextAttributes &a) { a.footnoteBodyId = 1; }));

    const QString path = m_folder.filePath(QStringLiteral("ruby.docx"));
    const DocXSavingError error = DocXWriter::writeDocXUsingBuiltIn(text, path);
    QVERIFY2(!error.isError(), qPrintable(error.text()));
    PackageInspector package(path);
    QCOMPARE(package.problems(), QStringList());
    const QMap<QString, QByteArray> written = parts(package.folder());
    const QMap<QString, QByteArray> converters = convertersPackage(text);
    QStringList differing = differingParts(written, converters);
    // The writer's own picture files are new.
    differing.removeIf([](const QString &name) { return name.startsWith(QLatin1String("word/media/rId")); });
    QCOMPARE(differing, changed);

    pugi::xml_document document;
    QVERIFY(load(document, package.bytes(QStringLiteral("word/document.xml"))));
    QCOMPARE(count(document, "/w:document[@mc:Ignorable]"), 1); // the writer's root
    QCOMPARE(count(document, "//w:ruby/w:rt//w:t[text()='かんじ']"), 1);
    QCOMPARE(count(document, "//w:hyperlink"), 1);
    QCOMPARE(count(document, "//wp:inline"), 1);
    QCOMPARE(count(document, "//w:numPr"), 0);
    QCOMPARE(count(document, "//w:footnoteReference"), 0);
    QCOMPARE(count(document, "//w:t[text()='Note body']"), 1);
    // The converter's relationships stay; the writer's follow them.
    const auto relationships = [](const QByteArray &bytes) {
        pugi::xml_document rels;
        load(rels, bytes);
        QStringList entries;
        const PackageRelationships read = PackageRelationships::fromXml(rels.document_element());
        for (const PackageRelationship &entry : read.entries())
            entries << entry.id + u' ' + entry.type.section(u'/', -1) + u' ' + entry.target;
        return entries;
    };
    const QStringList convertersEntries = relationships(converters.value(QStringLiteral("word/_rels/document.xml.rels")));
    const QStringList writtenEntries = relationships(package.bytes(QStringLiteral("word/_rels/document.xml.rels")));
    QCOMPARE(writtenEntries.mid(0, convertersEntries.size()), convertersEntries);
    QCOMPARE(writtenEntries.mid(convertersEntries.size()),
             (QStringList{QStringLiteral("rId4 image media/rId4.") + (pictureType == QLatin1String("image/tiff") ? "tiff" : "png"),
                          QStringLiteral("rId5 hyperlink https://example.com/")}));
}

void TestBuiltInConversion::destinationAndWorkFolder()
{
    const int scratchBefore = scratchEntries();
    const QString path = m_folder.filePath(QStringLiteral("existing.docx"));
    QVERIFY(SafeSave::writeFile(path, QByteArrayLiteral("an older file"), nullptr));
    for (const bool ruby : {false, true}) {
        QVERIFY(DocXWriter::writeDocXTo(convertedText(ruby), path, true));
        QCOMPARE(PackageInspector(path).problems(), QStringList());
        QCOMPARE(scratchEntries(), scratchBefore);
    }
    // A destination that cannot be written: an error, and nothing left behind.
    DocXSavingError error;
    QVERIFY(!DocXWriter::writeDocXTo(convertedText(true), m_folder.filePath(QStringLiteral("missing/folder.docx")), true, &error));
    QCOMPARE(error.kind, DocXSavingError::Kind::CompressionFailed);
    QVERIFY(!error.text().isEmpty());
    QCOMPARE(scratchEntries(), scratchBefore);
}

void TestBuiltInConversion::choiceOffIsTheWriter()
{
    const StyledText text = convertedText(true);
    const QString viaChoice = m_folder.filePath(QStringLiteral("choice.docx"));
    const QString viaWriter = m_folder.filePath(QStringLiteral("writer.docx"));
    QVERIFY(DocXWriter::writeDocXTo(text, viaChoice, false));
    QVERIFY(!DocXWriter::write({text}, viaWriter).isError());
    const PackageInspector choice(viaChoice);
    const PackageInspector writer(viaWriter);
    QCOMPARE(differingParts(parts(choice.folder()), parts(writer.folder())), QStringList());
    QVERIFY(choice.text(QStringLiteral("word/document.xml")).contains(QStringLiteral("<w:ruby>")));
}

QTEST_GUILESS_MAIN(TestBuiltInConversion)
#include "tst_builtinconversion.moc"
