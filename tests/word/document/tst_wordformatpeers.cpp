#include "word/document/WordDocumentFiles.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <memory>
#include <vector>

// Files other programs write read with their content, and files we write
// open in other programs with ours. Each peer is skipped when missing.
namespace {

QByteArray pngBytes(int width, int height)
{
    return TestImages::filled(QSize(width, height), QColor(20, 120, 220));
}

bool run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr, int timeoutSeconds = 180)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutSeconds * 1000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// One LibreOffice start converting every file in `inputs` to `format` in
// `outFolder`, opening them with `inputFilter` when one is named.
struct Conversion {
    QStringList inputs;
    QString format;
    QString outFolder;
    QString inputFilter = QString();
};

// Runs the conversions side by side, each LibreOffice with a profile of its
// own; true when every one succeeded.
bool convertWithLibreOffice(const QList<Conversion> &conversions)
{
    std::vector<std::unique_ptr<QTemporaryDir>> profiles;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const Conversion &conversion : conversions) {
        profiles.push_back(std::make_unique<QTemporaryDir>());
        processes.push_back(std::make_unique<QProcess>());
        QStringList arguments{QStringLiteral("-env:UserInstallation=file://") + profiles.back()->path(),
                              QStringLiteral("--headless"), QStringLiteral("--convert-to"), conversion.format,
                              QStringLiteral("--outdir"), conversion.outFolder};
        if (!conversion.inputFilter.isEmpty())
            arguments << QStringLiteral("--infilter=") + conversion.inputFilter;
        processes.back()->start(QStringLiteral("soffice"), arguments + conversion.inputs);
    }
    bool succeeded = true;
    for (const auto &process : processes) {
        if (!process->waitForFinished(180 * 1000)) {
            process->kill();
            process->waitForFinished();
        }
        succeeded = succeeded && process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    }
    return succeeded;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A flat ODF text with what every rich format carries: fonts, sizes, bold,
// italic, underline, colour, alignment, a numbered list, a link, a picture.
QByteArray flatDocument()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls><style:font-face style:name="Liberation Sans" svg:font-family="'Liberation Sans'"/></office:font-face-decls>
<office:automatic-styles>
 <style:style style:name="P1" style:family="paragraph"><style:paragraph-properties fo:text-align="center"/></style:style>
 <style:style style:name="P2" style:family="paragraph"><style:paragraph-properties fo:margin-left="1in" fo:margin-right="0.5in" fo:text-indent="-0.25in"/></style:style>
 <style:style style:name="T1" style:family="text"><style:text-properties style:font-name="Liberation Sans" fo:font-size="18pt" fo:font-weight="bold" fo:color="#c00000"/></style:style>
 <style:style style:name="T2" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>
 <style:style style:name="T3" style:family="text"><style:text-properties style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"/></style:style>
 <text:list-style style:name="L1"><text:list-level-style-number text:level="1" style:num-suffix="." style:num-format="1">
  <style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" fo:text-indent="-0.25in" fo:margin-left="0.5in"/></style:list-level-properties>
 </text:list-level-style-number><text:list-level-style-number text:level="2" style:num-suffix="." style:num-format="a">
  <style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" fo:text-indent="-0.25in" fo:margin-left="1in"/></style:list-level-properties>
 </text:list-level-style-number></text:list-style>
</office:automatic-styles>
<office:body><office:text>
 <text:p text:style-name="P1"><text:span text:style-name="T1">Bold red title</text:span></text:p>
 <text:p>Some <text:span text:style-name="T2">italic words</text:span> and <text:span text:style-name="T3">underlined</text:span> text with a <text:a xlink:type="simple" xlink:href="https://example.com/page">link サイト</text:a>.</text:p>
 <text:list text:style-name="L1"><text:list-item><text:p>first item</text:p></text:list-item><text:list-item><text:p>second item</text:p><text:list><text:list-item><text:p text:style-name="P2">nested 細目</text:p></text:list-item></text:list></text:list-item></text:list>
 <text:p>Picture: <draw:frame draw:name="pic" text:anchor-type="as-char" svg:width="1in" svg:height="0.5in"><draw:image><office:binary-data>)"
        + pngBytes(40, 20).toBase64() + R"(</office:binary-data></draw:image></draw:frame></text:p>
</office:text></office:body></office:document>
)";
}

// A flat ODF text of one paragraph of `spans`, with the automatic text
// styles `styles`.
QByteArray flatOdfParagraph(const QByteArray &styles, const QByteArray &spans)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles>
)" + styles + "</office:automatic-styles><office:body><office:text><text:p>" + spans
        + "</text:p></office:text></office:body></office:document>\n";
}

// A flat ODF text of one paragraph of many runs, each formatted its own way,
// with links between them: enough runs to fill a page of a .doc file's
// character runs.
QByteArray manyRunsDocument()
{
    QByteArray styles, spans;
    for (int i = 0; i < 14; ++i) {
        const QByteArray name = "S" + QByteArray::number(i);
        styles += "<style:style style:name=\"" + name + "\" style:family=\"text\"><style:text-properties fo:color=\""
            + QColor::fromRgb((i * 37) % 256, (i * 91) % 256, (i * 53) % 256).name().toLatin1() + "\" fo:font-size=\""
            + QByteArray::number(10 + i % 5) + "pt\""
            + (i % 2 ? "" : " style:text-underline-style=\"solid\" style:text-underline-width=\"auto\" style:text-underline-color=\"font-color\"")
            + (i % 3 ? "" : " fo:font-weight=\"bold\"") + "/></style:style>\n";
        spans += "<text:span text:style-name=\"" + name + "\">w" + QByteArray::number(i) + " </text:span>";
        if (i % 9 == 4)
            spans += "<text:a xlink:type=\"simple\" xlink:href=\"https://example.com/" + QByteArray::number(i)
                + "\">example サイト</text:a>";
    }
    return flatOdfParagraph(styles, spans);
}

// A flat ODF text of one paragraph of 40 runs in sizes, colours, weights and
// underlines drawn from a fixed sequence; after each red, bold, italic,
// double-underlined run a link "example サイト" in LibreOffice's own link
// style. One of the links' properties is the last a page of a .doc file's
// character runs has room for.
QByteArray linksAfterRedRunsDocument()
{
    quint32 x = 197;
    const auto next = [&x](quint32 range) {
        x = (x * 1103515245u + 12345u) & 0x7FFFFFFF;
        return (x >> 8) % range;
    };
    QByteArray styles, spans;
    for (int i = 0; i < 40; ++i) {
        const bool red = next(6) == 0;
        const QByteArray name = "S" + QByteArray::number(i);
        const QByteArray color = red ? QByteArray("#ff0000") : QColor::fromRgb(next(0x1000000)).name().toLatin1();
        const QByteArray size = QByteArray::number(8 + next(12));
        QByteArray properties = "fo:color=\"" + color + "\" fo:font-size=\"" + size + "pt\"";
        if (red || next(3) == 0)
            properties += " fo:font-weight=\"bold\"";
        if (red || next(3) == 0)
            properties += " fo:font-style=\"italic\"";
        const QByteArray underline = " style:text-underline-style=\"solid\" style:text-underline-width=\"auto\" style:text-underline-color=\"font-color\"";
        if (red)
            properties += underline + " style:text-underline-type=\"double\"";
        else if (next(3) == 0)
            properties += underline;
        styles += "<style:style style:name=\"" + name + "\" style:family=\"text\"><style:text-properties " + properties
            + "/></style:style>\n";
        spans += "<text:span text:style-name=\"" + name + "\">w" + QByteArray::number(i) + " </text:span>";
        if (red)
            spans += "<text:a xlink:type=\"simple\" xlink:href=\"https://example.com/\">example サイト</text:a>";
    }
    return flatOdfParagraph(styles, spans);
}

qsizetype find(const StyledText &text, const QString &needle)
{
    return text.string().indexOf(needle);
}

// What a rich format that came from flatDocument() (or the python-docx
// equivalent) must hold.
void checkRichContent(const StyledText &text, bool checkList)
{
    const qsizetype title = find(text, QStringLiteral("Bold red title"));
    QVERIFY2(title >= 0, qPrintable(text.string()));
    const TextAttributes titleAttributes = text.attributesAt(title);
    QVERIFY(titleAttributes.font);
    QVERIFY(titleAttributes.font->bold);
    QCOMPARE(titleAttributes.font->pointSize, 18.0);
    QVERIFY2(titleAttributes.font->family.contains(QStringLiteral("Liberation Sans")) || titleAttributes.font->family.contains(QStringLiteral("Arial")),
             qPrintable(titleAttributes.font->family));
    QCOMPARE(titleAttributes.foreground.value_or(QColor()).name(), QStringLiteral("#c00000"));
    QVERIFY(titleAttributes.paragraphStyle);
    QCOMPARE(titleAttributes.paragraphStyle->alignment, TextAlignment::Center);

    const qsizetype italic = find(text, QStringLiteral("italic words"));
    QVERIFY(italic >= 0);
    QVERIFY(text.attributesAt(italic).font && text.attributesAt(italic).font->italic);
    QVERIFY(!text.attributesAt(italic - 2).font || !text.attributesAt(italic - 2).font->italic);
    const qsizetype underlined = find(text, QStringLiteral("underlined"));
    QVERIFY(underlined >= 0);
    QVERIFY(text.attributesAt(underlined).underlineStyle.value_or(0) != 0);
    const qsizetype link = find(text, QStringLiteral("link"));
    QVERIFY(link >= 0);
    QCOMPARE(text.attributesAt(link).link.value_or(QUrl()).toString(), QStringLiteral("https://example.com/page"));

    if (checkList) {
        const qsizetype item = find(text, QStringLiteral("second item"));
        QVERIFY(item >= 0);
        const std::optional<ParagraphStyle> style = text.attributesAt(item).paragraphStyle;
        QVERIFY2(style && !style->textLists.isEmpty(), "the list paragraph carries no list");
        QVERIFY2(style->textLists.first().markerFormat.contains(TextList::decimal), qPrintable(style->textLists.first().markerFormat));
        QVERIFY(!text.string().contains(QStringLiteral("1.")) && !text.string().contains(QStringLiteral("2.")));
    }

    const qsizetype picture = text.string().indexOf(QChar(0xFFFC));
    QVERIFY2(picture >= 0, "no picture");
    const TextAttachmentPointer attachment = text.attributesAt(picture).attachment;
    QVERIFY(attachment);
    QCOMPARE(attachment->picture().size(), QSize(40, 20));
    if (!attachment->bounds.isEmpty())
        QVERIFY2(qAbs(attachment->bounds.width() - 72.0) < 1.0, qPrintable(QString::number(attachment->bounds.width())));
}

StyledText ourSample()
{
    TextAttributes title;
    title.font = FontDescriptor{QStringLiteral("Liberation Sans"), QString(), 20, true, false};
    title.foreground = QColor(0, 90, 200);
    StyledText text(QString::fromUtf16(u"Peer title 日本語\n"), title);
    TextAttributes body;
    body.font = FontDescriptor{QStringLiteral("Liberation Serif"), QString(), 12, false, true};
    TextAttributes indented = body;
    ParagraphStyle inch;
    inch.headIndent = inch.firstLineHeadIndent = 72;
    indented.paragraphStyle = inch;
    text.append(QStringLiteral("Second paragraph, italic.\n"), indented);
    TextAttributes linked = body;
    linked.link = QUrl(QStringLiteral("https://example.org/"));
    text.append(QStringLiteral("Linked words"), linked);
    return text;
}

QStringList contentLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        const QString trimmed = line.trimmed().remove(QChar(0xFEFF));
        if (!trimmed.isEmpty())
            lines.append(trimmed);
    }
    return lines;
}

// Fails the running test where `reopened` looks otherwise than `original`:
// fonts as shown, colour, underline (single or double) and strike, pictures
// and their size, and each paragraph's margins and indents.
void compareLook(const StyledText &original, const StyledText &reopened, const QString &where)
{
    for (qsizetype i = 0; i < original.length(); ++i) {
        const QString at = where + " at " + QString::number(i);
        const TextAttributes a = original.attributesAt(i);
        const TextAttributes b = reopened.attributesAt(i);
        if (i == 0 || StyledText::isParagraphTerminator(original.string().at(i - 1))) {
            const ParagraphStyle p = a.paragraphStyle.value_or(ParagraphStyle());
            const ParagraphStyle q = b.paragraphStyle.value_or(ParagraphStyle());
            const QList<std::pair<double, double>> lengths = {
                {p.headIndent, q.headIndent}, {p.firstLineHeadIndent, q.firstLineHeadIndent}, {p.tailIndent, q.tailIndent},
                {p.spacingBefore, q.spacingBefore}, {p.spacingAfter, q.spacingAfter}};
            for (const auto &[shown, read] : lengths)
                QVERIFY2(qAbs(shown - read) < 0.5, qPrintable(at + QStringLiteral(": a margin of %1 pt reopens as %2").arg(shown).arg(read)));
        }
        if (StyledText::isParagraphTerminator(original.string().at(i)))
            continue;
        const FontDescriptor shownA = a.font.value_or(FontDescriptor{"Helvetica", {}, 12, false, false});
        QVERIFY2(a.attachment || (b.font && b.font->pointSize == shownA.pointSize && b.font->bold == shownA.bold
                                   && b.font->italic == shownA.italic), qPrintable(at));
        const QColor black(Qt::black);
        QVERIFY2(a.foreground.value_or(black).rgba() == b.foreground.value_or(black).rgba(),
                 qPrintable(at + ": colour " + b.foreground.value_or(black).name()));
        const int underlineA = a.underlineStyle.value_or(0), underlineB = b.underlineStyle.value_or(0);
        QVERIFY2(bool(underlineA) == bool(underlineB), qPrintable(at));
        QVERIFY2(TextLineStyle::isDouble(underlineA) == TextLineStyle::isDouble(underlineB), qPrintable(at));
        QVERIFY2(bool(a.strikethroughStyle.value_or(0)) == bool(b.strikethroughStyle.value_or(0)), qPrintable(at));
        QVERIFY2(bool(a.attachment) == bool(b.attachment), qPrintable(at));
        if (a.attachment) {
            const QSizeF shownSize = a.attachment->bounds.isEmpty() ? a.attachment->naturalSize() : a.attachment->bounds.size();
            const QSizeF reopenedSize = b.attachment->bounds.isEmpty() ? b.attachment->naturalSize() : b.attachment->bounds.size();
            QVERIFY2(qAbs(shownSize.width() - reopenedSize.width()) < 0.5, qPrintable(at));
        }
    }
}

} // namespace

class TestWordFormatPeers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void libreOfficeDocumentsRead_data();
    void libreOfficeDocumentsRead();
    void pythonDocxDocumentRead();
    void ourFilesOpenInLibreOffice();
    void ourFilesOpenInPandocAndUnrtf_data();
    void ourFilesOpenInPandocAndUnrtf();
    void peerFilesSurviveSaveAndReopen();
    void ourDocFilesOpenInLibreOffice();

private:
    QTemporaryDir m_folder;
    bool m_libreOffice = false;
    bool m_libreOfficeConverted = false;
};

// LibreOffice starts slowly: every conversion runs here, side by side.
// sample.fodt becomes sample.rtf, .docx and .html, runs.fodt and links.fodt
// .rtf; our own .rtf and .html become .docx in out/ (the page opened as a
// text, not as a web page, which has no .docx export).
void TestWordFormatPeers::initTestCase()
{
    m_libreOffice = !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
    if (!m_libreOffice)
        return;
    const QString source = m_folder.filePath(QStringLiteral("sample.fodt"));
    writeFile(source, flatDocument());
    const QString runs = m_folder.filePath(QStringLiteral("runs.fodt"));
    writeFile(runs, manyRunsDocument());
    const QString links = m_folder.filePath(QStringLiteral("links.fodt"));
    writeFile(links, linksAfterRedRunsDocument());
    QString error;
    const QString rtf = m_folder.filePath(QStringLiteral("ours_rtf.rtf"));
    const QString html = m_folder.filePath(QStringLiteral("ours_html.html"));
    QVERIFY2(WordDocumentFiles::write(ourSample(), rtf, DocumentFormat::Rtf, &error), qPrintable(error));
    QVERIFY2(WordDocumentFiles::write(ourSample(), html, DocumentFormat::Html, &error), qPrintable(error));
    QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("out")));
    m_libreOfficeConverted = convertWithLibreOffice({
        {{source, runs, links}, QStringLiteral("rtf"), m_folder.path()},
        {{source}, QStringLiteral("docx:MS Word 2007 XML"), m_folder.path()},
        {{source}, QStringLiteral("html:HTML (StarWriter)"), m_folder.path()},
        {{rtf}, QStringLiteral("docx:MS Word 2007 XML"), m_folder.filePath(QStringLiteral("out"))},
        {{html}, QStringLiteral("docx:MS Word 2007 XML"), m_folder.filePath(QStringLiteral("out")), QStringLiteral("HTML (StarWriter)")},
    });
}

void TestWordFormatPeers::libreOfficeDocumentsRead_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("checkList");
    QTest::newRow("rtf") << "rtf" << true;
    QTest::newRow("docx") << "docx" << true;
    QTest::newRow("html") << "html" << true;
}

void TestWordFormatPeers::libreOfficeDocumentsRead()
{
    if (!m_libreOffice)
        QSKIP("LibreOffice (soffice) is not installed");
    QFETCH(QString, extension);
    QFETCH(bool, checkList);
    QVERIFY(m_libreOfficeConverted);
    const QString converted = m_folder.filePath(QStringLiteral("sample.") + extension);
    QVERIFY2(QFileInfo::exists(converted), "LibreOffice wrote nothing");
    StyledText text;
    QString error;
    QVERIFY2(WordDocumentFiles::read(converted, &text, &error), qPrintable(error));
    checkRichContent(text, checkList);
}

void TestWordFormatPeers::pythonDocxDocumentRead()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo::exists(python) || !run(python, {QStringLiteral("-c"), QStringLiteral("import docx")}))
        QSKIP("python-docx is not installed");
    QTemporaryDir folder;
    writeFile(folder.filePath(QStringLiteral("pic.png")), pngBytes(40, 20));
    const QString script = QStringLiteral(R"(
import sys
from docx import Document
from docx.enum.text import WD_ALIGN_PARAGRAPH
from docx.oxml.ns import qn
from docx.oxml import OxmlElement
from docx.shared import Pt, RGBColor, Inches
folder = sys.argv[1]
d = Document()
p = d.add_paragraph()
p.alignment = WD_ALIGN_PARAGRAPH.CENTER
r = p.add_run('Bold red title')
r.bold = True
r.font.size = Pt(18)
r.font.name = 'Arial'
r.font.color.rgb = RGBColor(0xC0, 0, 0)
p = d.add_paragraph('Some ')
p.add_run('italic words').italic = True
p.add_run(' and ')
p.add_run('underlined').underline = True
p.add_run(' text with a ')
link = OxmlElement('w:hyperlink')
link.set(qn('r:id'), d.part.relate_to('https://example.com/page', 'http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink', is_external=True))
run = OxmlElement('w:r'); t = OxmlElement('w:t'); t.text = 'link'; run.append(t); link.append(run)
p._p.append(link)
p.add_run('.')
off = p.add_run(' not bold')
off.bold = False
d.add_paragraph('first item', style='List Number')
d.add_paragraph('second item', style='List Number')
p = d.add_paragraph('Picture: ')
p.add_run().add_picture(folder + '/pic.png', width=Inches(1))
t = d.add_table(rows=1, cols=2)
t.cell(0, 0).text = 'cell one'
t.cell(0, 1).text = 'cell two'
d.save(folder + '/python.docx')
)");
    QByteArray output;
    QVERIFY(run(python, {QStringLiteral("-c"), script, folder.path()}, &output));
    StyledText text;
    QString error;
    QVERIFY2(WordDocumentFiles::read(folder.filePath(QStringLiteral("python.docx")), &text, &error), qPrintable(error));
    checkRichContent(text, true);
    QVERIFY(text.string().contains(QStringLiteral("cell one\tcell two")));
    const qsizetype notBold = find(text, QStringLiteral("not bold"));
    QVERIFY(!text.attributesAt(notBold).font->bold);
}

void TestWordFormatPeers::ourFilesOpenInLibreOffice()
{
    if (!m_libreOffice)
        QSKIP("LibreOffice (soffice) is not installed");
    QVERIFY(m_libreOfficeConverted);
    // Back through LibreOffice's own .docx: the text, the title's formatting
    // and the indent survive.
    const QString out = m_folder.filePath(QStringLiteral("out"));
    for (const QString &name : {QStringLiteral("ours_rtf"), QStringLiteral("ours_html")}) {
        StyledText back;
        QString error;
        QVERIFY2(WordDocumentFiles::read(out + u'/' + name + QStringLiteral(".docx"), &back, &error), qPrintable(error));
        QCOMPARE(contentLines(back.string()), contentLines(ourSample().string()));
        const TextAttributes title = back.attributesAt(0);
        QVERIFY(title.font && title.font->bold);
        QCOMPARE(title.font->pointSize, 20.0);
        QCOMPARE(title.foreground.value_or(QColor()).name(), QStringLiteral("#005ac8"));
        const qsizetype linked = find(back, QStringLiteral("Linked"));
        QCOMPARE(back.attributesAt(linked).link.value_or(QUrl()).toString(), QStringLiteral("https://example.org/"));
        QVERIFY(back.attributesAt(linked).font->italic);
        const ParagraphStyle indented = back.attributesAt(find(back, QStringLiteral("Second"))).paragraphStyle.value_or(ParagraphStyle());
        QVERIFY2(qAbs(indented.headIndent - 72) < 0.5, qPrintable(name + ": indent " + QString::number(indented.headIndent)));
    }
}

void TestWordFormatPeers::ourFilesOpenInPandocAndUnrtf_data()
{
    QTest::addColumn<DocumentFormat>("format");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments"); // the file's path is appended
    QTest::addColumn<QString>("linkShownAs");
    QTest::newRow("rtf in pandoc") << DocumentFormat::Rtf << "pandoc" << QStringList{"-f", "rtf", "-t", "plain", "--wrap=none"}
                                   << "Linked words";
    QTest::newRow("html in pandoc") << DocumentFormat::Html << "pandoc" << QStringList{"-f", "html", "-t", "plain", "--wrap=none"}
                                    << "Linked words";
    // unrtf's text output has no characters past Latin-1; its HTML has them
    // all, and shows every link as the word "hyperlink".
    QTest::newRow("rtf in unrtf") << DocumentFormat::Rtf << "unrtf" << QStringList{"--quiet", "--html"} << "hyperlink";
}

void TestWordFormatPeers::ourFilesOpenInPandocAndUnrtf()
{
    QFETCH(DocumentFormat, format);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, linkShownAs);
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP("the peer program is not installed");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ours.") + DocumentFormats::rawValue(format));
    QString error;
    QVERIFY2(WordDocumentFiles::write(ourSample(), path, format, &error), qPrintable(error));
    QByteArray output;
    QVERIFY(run(program, arguments << path, &output));
    QString shown = QString::fromUtf8(output);
    if (arguments.contains(QStringLiteral("--html"))) {
        QTextDocument page;
        page.setHtml(shown);
        shown = page.toPlainText();
    }
    QStringList lines = contentLines(shown);
    lines.removeIf([](const QString &line) { return line.startsWith(u'#') || line.startsWith(QLatin1String("-----")); });
    QCOMPARE(lines, contentLines(QString(ourSample().string()).replace(QStringLiteral("Linked words"), linkShownAs)));
}

// What pandoc and LibreOffice wrote, opened, saved in every rich format and
// reopened, keeps its characters, how they look, its paragraphs' margins and
// its pictures; a second save writes the first's file.
void TestWordFormatPeers::peerFilesSurviveSaveAndReopen()
{
    QStringList sources;
    if (!QStandardPaths::findExecutable(QStringLiteral("pandoc")).isEmpty()) {
        writeFile(m_folder.filePath("pandoc.md"), "# Heading\n\nSans text, *italic* and **bold** 日本語.\n\n"
                                                  "| 品名 | 数量 |\n|------|------|\n| りんご | 3 |\n\n"
                                                  "~~struck~~ and [a link](https://example.com/).\n\n"
                                                  "1. one\n    1. 細目\n2. two\n");
        for (const char *extension : {"rtf", "docx", "html"}) {
            const QString out = m_folder.filePath(QStringLiteral("pandoc.") + extension);
            QVERIFY(run(QStringLiteral("pandoc"), {"-s", "--metadata", "title=t", m_folder.filePath("pandoc.md"), "-o", out}));
            sources << out;
        }
    }
    if (m_libreOffice)
        sources << m_folder.filePath("sample.rtf") << m_folder.filePath("runs.rtf") << m_folder.filePath("links.rtf");
    if (sources.isEmpty())
        QSKIP("neither pandoc nor LibreOffice is installed");
    const QList<DocumentFormat> formats = {DocumentFormat::Rtf, DocumentFormat::Rtfd, DocumentFormat::Doc,
                                           DocumentFormat::Docx, DocumentFormat::Dotx, DocumentFormat::Html};
    for (const QString &source : sources) {
        StyledText original;
        QString error;
        QVERIFY2(WordDocumentFiles::read(source, &original, &error), qPrintable(error));
        for (const DocumentFormat format : formats) {
            const QString where = QFileInfo(source).fileName() + " as " + DocumentFormats::rawValue(format);
            const QString first = m_folder.filePath("first." + DocumentFormats::rawValue(format));
            const QString second = m_folder.filePath("second." + DocumentFormats::rawValue(format));
            StyledText reopened;
            QVERIFY2(WordDocumentFiles::write(original, first, format, &error), qPrintable(error));
            QVERIFY2(WordDocumentFiles::read(first, &reopened, &error), qPrintable(error));
            QVERIFY2(reopened.string() == original.string(), qPrintable(where + ": " + reopened.string()));
            compareLook(original, reopened, where);
            if (QTest::currentTestFailed())
                return;
            if (format == DocumentFormat::Docx || format == DocumentFormat::Dotx)
                continue; // packages carry the time they were made
            QVERIFY2(WordDocumentFiles::write(reopened, second, format, &error), qPrintable(error));
            const QString firstFile = format == DocumentFormat::Rtfd ? first + "/TXT.rtf" : first;
            const QString secondFile = format == DocumentFormat::Rtfd ? second + "/TXT.rtf" : second;
            QFile a(firstFile), b(secondFile);
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            QVERIFY2(a.readAll() == b.readAll(), qPrintable(where + ": the second save differs"));
        }
    }
}

// LibreOffice's files saved as .doc open in LibreOffice as they looked
// here: a .doc that only our reader reads right is no good.
void TestWordFormatPeers::ourDocFilesOpenInLibreOffice()
{
    if (!m_libreOffice)
        QSKIP("LibreOffice (soffice) is not installed");
    QVERIFY(m_libreOfficeConverted);
    const QStringList names = {QStringLiteral("sample"), QStringLiteral("runs"), QStringLiteral("links")};
    const QString folder = m_folder.filePath(QStringLiteral("doc"));
    QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("doc/back")));
    QList<StyledText> originals;
    QStringList saved;
    for (const QString &name : names) {
        StyledText original;
        QString error;
        QVERIFY2(WordDocumentFiles::read(m_folder.filePath(name + QStringLiteral(".rtf")), &original, &error), qPrintable(error));
        saved << folder + u'/' + name + QStringLiteral(".doc");
        QVERIFY2(WordDocumentFiles::write(original, saved.last(), DocumentFormat::Doc, &error), qPrintable(error));
        originals << original;
    }
    QVERIFY(convertWithLibreOffice({{saved, QStringLiteral("rtf"), folder + QStringLiteral("/back")}}));
    for (qsizetype i = 0; i < names.size(); ++i) {
        StyledText back;
        QString error;
        QVERIFY2(WordDocumentFiles::read(folder + QStringLiteral("/back/") + names[i] + QStringLiteral(".rtf"), &back, &error),
                 qPrintable(error));
        // A text ending in a line break is saved with one more, empty
        // paragraph, which LibreOffice shows as one more line.
        const QString extra = back.string().mid(originals[i].length());
        QVERIFY2(back.string().startsWith(originals[i].string()) && (extra.isEmpty() || extra == u"\n"),
                 qPrintable(back.string()));
        compareLook(originals[i], back, names[i] + QStringLiteral(".doc in LibreOffice"));
    }
}

QTEST_MAIN(TestWordFormatPeers)
#include "tst_wordformatpeers.moc"
