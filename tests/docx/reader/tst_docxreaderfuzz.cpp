#include "docx/reader/DocXReader.h"

#include "docx/reader/DocXTestPackage.h"
#include "support/FuzzRun.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QtTest>

using DocXTestPackage::relationship;

// Mutated packages that use every feature the reader knows: each must read
// or fail with a message, never crash, hang or leak.
namespace {

QByteArray png()
{
    return TestImages::filled(QSize(3, 2), Qt::green);
}

// A drawing naming files it must never open, holding a picture.
QByteArray svg()
{
    return R"(<?xml-stylesheet href="/dev/zero"?><svg xmlns="http://www.w3.org/2000/svg" )"
           R"(xmlns:xlink="http://www.w3.org/1999/xlink" width="4" height="4"><image width="4" height="4" )"
           R"(xlink:href="/dev/zero"/><image width="2" height="2" href="data:;base64,)"
        + png().toBase64() + R"("/><rect width="1" height="1"/></svg>)";
}

QMap<QString, QByteArray> seedParts()
{
    const QByteArray body =
        R"(<w:p><w:pPr><w:pStyle w:val="H"/><w:numPr><w:ilvl w:val="1"/><w:numId w:val="1"/></w:numPr><w:jc w:val="center"/>)"
        R"(<w:ind w:left="720" w:hanging="360"/><w:spacing w:before="120" w:line="276" w:lineRule="auto"/></w:pPr>)"
        R"(<w:r><w:rPr><w:b w:val="0"/><w:sz w:val="28"/><w:color w:val="FF0000"/><w:u w:val="dash"/><w:vertAlign w:val="superscript"/></w:rPr><w:t>a</w:t><w:tab/><w:br/></w:r>)"
        R"(<w:hyperlink r:id="rH"><w:r><w:t>link</w:t></w:r></w:hyperlink><w:hyperlink w:anchor="x"><w:r><w:t>in</w:t></w:r></w:hyperlink>)"
        R"(<w:r><w:fldChar w:fldCharType="begin"/><w:instrText>HYPERLINK "http://a" \l "b"</w:instrText><w:fldChar w:fldCharType="separate"/><w:t>f</w:t><w:fldChar w:fldCharType="end"/></w:r>)"
        R"(<w:sdt><w:sdtContent><w:ins><w:r><w:t>ins</w:t></w:r></w:ins><w:del><w:r><w:delText>del</w:delText></w:r></w:del></w:sdtContent></w:sdt>)"
        R"(<w:r><w:drawing><wp:inline><wp:extent cx="914400" cy="457200"/><a:blip r:embed="rP"/></wp:inline></w:drawing>)"
        R"(<w:pict><v:shape style="width:10pt;height:5pt"><v:imagedata r:id="rP"/></v:shape></w:pict>)"
        R"(<w:drawing><wp:inline><wp:extent cx="914400" cy="914400"/><a:blip r:embed="rV"/></wp:inline></w:drawing>)"
        R"(<w:ruby><w:rubyPr><w:hps w:val="10"/><w:hpsBaseText w:val="20"/></w:rubyPr><w:rt><w:r><w:t>r</w:t></w:r></w:rt><w:rubyBase><w:r><w:t>b</w:t></w:r></w:rubyBase></w:ruby>)"
        R"(<w:br w:type="page"/><w:sym w:char="F0B7"/></w:r></w:p>)"
        R"(<w:tbl><w:tr><w:tc><w:p><w:r><w:t>c1</w:t></w:r></w:p></w:tc><w:tc><w:p><w:pPr><w:pageBreakBefore/></w:pPr><w:r><w:t>c2</w:t></w:r></w:p></w:tc></w:tr></w:tbl>)"
        R"(<w:p><mc:AlternateContent><mc:Choice><w:r><w:t>x</w:t></w:r></mc:Choice><mc:Fallback><w:r><w:t>y</w:t></w:r></mc:Fallback></mc:AlternateContent></w:p>)";
    const QByteArray styles =
        R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme="minorHAnsi" w:eastAsia="M"/><w:sz w:val="22"/></w:rPr></w:rPrDefault>)"
        R"(<w:pPrDefault><w:pPr><w:spacing w:after="160"/></w:pPr></w:pPrDefault></w:docDefaults>)"
        R"(<w:style w:type="paragraph" w:default="1" w:styleId="N"><w:basedOn w:val="H"/></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="H"><w:basedOn w:val="N"/><w:rPr><w:b/></w:rPr></w:style>)"
        R"(<w:style w:type="numbering" w:styleId="L"><w:pPr><w:numPr><w:numId w:val="2"/></w:numPr></w:pPr></w:style>)";
    const QByteArray numbering =
        R"(<w:abstractNum w:abstractNumId="0"><w:lvl w:ilvl="0"><w:start w:val="3"/><w:numFmt w:val="decimal"/><w:lvlText w:val="%1."/></w:lvl>)"
        R"(<w:lvl w:ilvl="1"><w:numFmt w:val="bullet"/><w:lvlText w:val="o"/><w:pPr><w:ind w:left="1440"/></w:pPr></w:lvl></w:abstractNum>)"
        R"(<w:abstractNum w:abstractNumId="1"><w:numStyleLink w:val="L"/></w:abstractNum>)"
        R"(<w:num w:numId="1"><w:abstractNumId w:val="0"/><w:lvlOverride w:ilvl="0"><w:startOverride w:val="5"/></w:lvlOverride></w:num>)"
        R"(<w:num w:numId="2"><w:abstractNumId w:val="1"/></w:num>)";
    const QByteArray theme = R"(<a:theme xmlns:a="a"><a:themeElements><a:fontScheme><a:minorFont><a:latin typeface="T"/></a:minorFont></a:fontScheme></a:themeElements></a:theme>)";
    return {
        {QStringLiteral("word/document.xml"), DocXTestPackage::document(body)},
        {QStringLiteral("word/styles.xml"), DocXTestPackage::styles(styles)},
        {QStringLiteral("word/numbering.xml"), DocXTestPackage::numbering(numbering)},
        {QStringLiteral("word/theme/theme1.xml"), theme},
        {QStringLiteral("word/media/p.png"), png()},
        {QStringLiteral("word/media/v.svg"), svg()},
        {QStringLiteral("word/_rels/document.xml.rels"),
         DocXTestPackage::relationships(relationship("rS", "styles", "styles.xml") + relationship("rN", "numbering", "numbering.xml")
                                        + relationship("rT", "theme", "theme/theme1.xml") + relationship("rP", "image", "media/p.png")
                                        + relationship("rV", "image", "media/v.svg")
                                        + relationship("rH", "hyperlink", "https://example.com/", true))},
    };
}

void mutate(QByteArray &bytes, QRandomGenerator &random)
{
    static const QByteArray alphabet = "<>/=\" wrpt:0123456789-%";
    for (int edits = random.bounded(1, 6); edits > 0 && !bytes.isEmpty(); --edits) {
        const int at = random.bounded(int(bytes.size()));
        switch (random.bounded(4)) {
        case 0: bytes.remove(at, random.bounded(1, 12)); break;
        case 1: bytes.insert(at, alphabet.at(random.bounded(int(alphabet.size())))); break;
        case 2: bytes.insert(at, bytes.mid(random.bounded(int(bytes.size())), random.bounded(1, 80))); break;
        default: bytes[at] = char(random.bounded(256)); break;
        }
    }
}

} // namespace

class TestDocxReaderFuzz : public QObject
{
    Q_OBJECT

private slots:
    void seedReads();
    void mutatedPartsNeverCrash();
    void mutatedArchivesNeverCrash();
};

void TestDocxReaderFuzz::seedReads()
{
    QTemporaryDir folder;
    StyledText text;
    QString error;
    QVERIFY2(DocXReader::read(DocXTestPackage::write(folder, QStringLiteral("seed.docx"), seedParts()), &text, &error),
             qPrintable(error));
    QVERIFY(text.string().contains(QStringLiteral("link")));
    QVERIFY(text.string().contains(QStringLiteral("c1\tc2")));
}

void TestDocxReaderFuzz::mutatedPartsNeverCrash()
{
    const QMap<QString, QByteArray> seed = seedParts();
    const QStringList mutable_{QStringLiteral("word/document.xml"), QStringLiteral("word/styles.xml"),
                               QStringLiteral("word/numbering.xml"), QStringLiteral("word/_rels/document.xml.rels"),
                               QStringLiteral("word/media/p.png"), QStringLiteral("word/media/v.svg")};
    QRandomGenerator random(4711);
    QTemporaryDir folder;
    for (FuzzRun run(150); run.next();) {
        QMap<QString, QByteArray> parts = seed;
        const QString part = mutable_.at(random.bounded(int(mutable_.size())));
        mutate(parts[part], random);
        StyledText text;
        QString error;
        const QString path = DocXTestPackage::write(folder, QStringLiteral("case%1.docx").arg(run.current()), parts);
        if (!DocXReader::read(path, &text, &error))
            QVERIFY(!error.isEmpty());
        QFile::remove(path);
    }
}

void TestDocxReaderFuzz::mutatedArchivesNeverCrash()
{
    QTemporaryDir folder;
    QFile seedFile(DocXTestPackage::write(folder, QStringLiteral("seed.docx"), seedParts()));
    QVERIFY(seedFile.open(QIODevice::ReadOnly));
    const QByteArray seed = seedFile.readAll();
    QRandomGenerator random(815);
    const QString path = folder.filePath(QStringLiteral("case.docx"));
    for (FuzzRun run(150); run.next();) {
        QByteArray bytes = seed;
        mutate(bytes, random);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        StyledText text;
        QString error;
        if (!DocXReader::read(path, &text, &error))
            QVERIFY(!error.isEmpty());
    }
}

QTEST_MAIN(TestDocxReaderFuzz)
#include "tst_docxreaderfuzz.moc"
