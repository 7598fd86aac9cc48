// Package bookkeeping: relationship ids, settings, core properties, roots.
#include "docx/writer/DocXOptions.h"
#include "docx/writer/DocXPart.h"
#include "docx/writer/DocumentRoot.h"
#include "docx/writer/ImageDrawing.h"
#include "docx/writer/NoteSettings.h"
#include "platform/XmlElementConversion.h"

#include "docx/writer/DocXUnits.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<double>)

namespace {

XmlElement parse(const QString &xml)
{
    return *XmlElementConversion::fromBytes(xml.toUtf8(), nullptr);
}

} // namespace

class TestPackageParts : public QObject
{
    Q_OBJECT

private slots:
    void settingsPatch_data();
    void settingsPatch();
    void noteProperties();
    void coreProperties();
    void documentRoot();
    void serialization();
    void extents_data();
    void extents();
};

void TestPackageParts::settingsPatch_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("patched");
    const QString w = QStringLiteral("<w:settings>");
    QTest::newRow("existing endnotePr: old pos goes, new pos first")
        << "<w:settings><w:endnotePr><w:pos w:val=\"docEnd\"/><w:numFmt w:val=\"decimal\"/></w:endnotePr><w:compat/></w:settings>"
        << R"(<w:settings><w:endnotePr><w:pos w:val="sectEnd" /><w:numFmt w:val="decimal" /></w:endnotePr><w:compat /></w:settings>)";
    QTest::newRow("new one before compat, after footnotePr")
        << "<w:settings><w:defaultTabStop w:val=\"560\"/><w:footnotePr/><w:compat/><w:rsids/></w:settings>"
        << R"(<w:settings><w:defaultTabStop w:val="560" /><w:footnotePr /><w:endnotePr><w:pos w:val="sectEnd" /></w:endnotePr><w:compat /><w:rsids /></w:settings>)";
    QTest::newRow("before extensions") << "<w:settings><w:zoom/><w15:docId/></w:settings>"
                                       << R"(<w:settings><w:zoom /><w:endnotePr><w:pos w:val="sectEnd" /></w:endnotePr><w15:docId /></w:settings>)";
    QTest::newRow("appended when nothing follows") << "<w:settings/>"
                                                   << R"(<w:settings><w:endnotePr><w:pos w:val="sectEnd" /></w:endnotePr></w:settings>)";
}

void TestPackageParts::settingsPatch()
{
    QFETCH(QString, settings);
    QFETCH(QString, patched);
    QCOMPARE(NoteSettings::withEndnotePosition(parse(settings), DocXEndnotePosition::EndOfSection).toCompactString(), patched);
}

void TestPackageParts::noteProperties()
{
    DocXOptions options;
    QVERIFY(NoteSettings::notePropertiesElements(options).empty());
    options.footnoteNumberFormat = DocXNoteNumberFormat::UpperRoman;
    options.endnoteNumberRestart = DocXNoteNumberRestart::EachSection;
    const auto elements = NoteSettings::notePropertiesElements(options);
    QCOMPARE(elements.size(), size_t(2));
    QCOMPARE(elements[0].toCompactString(), QStringLiteral(R"(<w:footnotePr><w:numFmt w:val="upperRoman" /></w:footnotePr>)"));
    QCOMPARE(elements[1].toCompactString(), QStringLiteral(R"(<w:endnotePr><w:numRestart w:val="eachSect" /></w:endnotePr>)"));
}

void TestPackageParts::coreProperties()
{
    DocXOptions options;
    options.title = QStringLiteral("A & B\nC\tD");
    options.keywords = {QStringLiteral("a"), QStringLiteral("b c")};
    options.createdDate = QDateTime(QDate(2024, 3, 5), QTime(9, 7, 2), Qt::UTC);
    options.modifiedDate = QDateTime(QDate(2024, 3, 5), QTime(18, 7, 2), Qt::OffsetFromUTC, 9 * 3600);
    options.attributes.clear(); // the five prefixes are declared all the same
    const QString xml = QString::fromUtf8(DocXPart::serialize(options.corePropertiesElement(), DocXPart::Encoding::UpperCase));
    QVERIFY(xml.startsWith(QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)")));
    for (const char *prefix : {"xmlns:cp=", "xmlns:dc=", "xmlns:dcterms=", "xmlns:dcmitype=", "xmlns:xsi="})
        QVERIFY2(xml.contains(QLatin1String(prefix)), prefix);
    QVERIFY(xml.contains(QStringLiteral("<dc:title>A &amp; B&#10;CD</dc:title>")));
    QVERIFY(xml.contains(QStringLiteral("<cp:keywords>a,b c</cp:keywords>")));
    QVERIFY(xml.contains(QStringLiteral(R"(<dcterms:created xsi:type="dcterms:W3CDTF">2024-03-05T09:07:02Z</dcterms:created>)")));
    QVERIFY(xml.contains(QStringLiteral(R"(<dcterms:modified xsi:type="dcterms:W3CDTF">2024-03-05T09:07:02Z</dcterms:modified>)")));
    QVERIFY(xml.contains(QStringLiteral("<dc:creator>DocX</dc:creator>")));
    QVERIFY(xml.contains(QStringLiteral("<cp:lastModifiedBy>DocX</cp:lastModifiedBy>")));
}

void TestPackageParts::documentRoot()
{
    const auto &attributes = DocumentRoot::namespaceAttributes();
    QCOMPARE(attributes.size(), size_t(32));
    QCOMPARE(attributes.at(QStringLiteral("mc:Ignorable")), QStringLiteral("w14 w15 w16se w16cid w16 w16cex wp14"));
    QCOMPARE(attributes.at(QStringLiteral("xmlns:wps")), QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordprocessingShape"));
    // Every prefix the ignorable list names is declared.
    for (const QString &prefix : attributes.at(QStringLiteral("mc:Ignorable")).split(u' '))
        QVERIFY2(attributes.count(QStringLiteral("xmlns:") + prefix), qPrintable(prefix));
}

void TestPackageParts::serialization()
{
    XmlElement root(QStringLiteral("r"), QStringLiteral("a\tb"), {{QStringLiteral("z"), QStringLiteral("1")}, {QStringLiteral("a"), QStringLiteral("2")}});
    QCOMPARE(QString::fromUtf8(DocXPart::serialize(root)),
             QStringLiteral(R"(<?xml version="1.0" encoding="utf-8" standalone="yes"?><r a="2" z="1">ab</r>)"));
}

void TestPackageParts::extents_data()
{
    QTest::addColumn<std::optional<double>>("fraction");
    QTest::addColumn<bool>("withPage");
    QTest::addColumn<QRectF>("bounds");
    QTest::addColumn<QSizeF>("natural");
    QTest::addColumn<qint64>("cx");
    QTest::addColumn<qint64>("cy");
    QTest::newRow("half the text width") << std::optional(0.5) << true << QRectF() << QSizeF(200, 100) << qint64(2863850) << qint64(1431925);
    QTest::newRow("natural size") << std::optional<double>() << false << QRectF() << QSizeF(200, 100) << qint64(2540000) << qint64(1270000);
    QTest::newRow("scaled into the page") << std::optional<double>() << true << QRectF() << QSizeF(1000, 500) << qint64(5727700) << qint64(2863850);
    QTest::newRow("bounds win") << std::optional<double>() << true << QRectF(0, 0, 144, 72) << QSizeF(1000, 500) << qint64(1828800) << qint64(914400);
    QTest::newRow("fraction without page uses bounds") << std::optional(0.5) << false << QRectF(0, 0, 144, 72) << QSizeF(1, 1) << qint64(1828800) << qint64(914400);
    QTest::newRow("infinite fraction is clamped") << std::optional(qInf()) << true << QRectF() << QSizeF(10, 10)
                                                  << DocXUnits::maxEmu << DocXUnits::maxEmu;
    QTest::newRow("NaN natural size is zero") << std::optional<double>() << false << QRectF() << QSizeF(qQNaN(), -5) << qint64(0) << qint64(0);
    QTest::newRow("enormous bounds clamp") << std::optional<double>() << false << QRectF(0, 0, 1e300, 1) << QSizeF() << DocXUnits::maxEmu << qint64(12700);
}

void TestPackageParts::extents()
{
    QFETCH(std::optional<double>, fraction);
    QFETCH(bool, withPage);
    QFETCH(QRectF, bounds);
    QFETCH(QSizeF, natural);
    QFETCH(qint64, cx);
    QFETCH(qint64, cy);
    std::optional<PageDefinition> page;
    if (withPage)
        page = PageDefinition{PageDefinition::PageSize::a4(), PageDefinition::PageMargins(72, 72, 72, 72, 0, 0)};
    QCOMPARE(ImageDrawing::extent(fraction, page, bounds, natural), (ImageDrawing::Extent{cx, cy}));
}

QTEST_GUILESS_MAIN(TestPackageParts)
#include "tst_packageparts.moc"
