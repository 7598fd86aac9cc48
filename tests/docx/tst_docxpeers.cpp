// Packages we write, opened by the programs that read the format:
// python-docx, pandoc and LibreOffice: the writer's, and the built-in
// conversion path's with and without ruby. Each test skips when its tool is
// missing.
#include "DocXTestTexts.h"

#include "platform/TemporaryFolder.h"
#include "platform/ZipArchive.h"
#include "support/UnzipToFolder.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace DocXTestTexts;

namespace {

QString run(const QString &program, const QStringList &arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("<failed to run>");
    return QString::fromUtf8(process.readAllStandardOutput()) + QString::fromUtf8(process.readAllStandardError());
}

bool hasPythonDocx()
{
    return QFile::exists(QStringLiteral("/usr/bin/python3"))
           && QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import docx")}) == 0;
}

} // namespace

class TestDocXPeers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pythonDocx();
    void pandoc();
    void libreOffice();

private:
    TemporaryFolder m_folder;
    QString m_rich;
    QString m_pages;
    QString m_template;
    QString m_converted;     // the built-in converter's own package
    QString m_convertedRuby; // the same with the writer's main part for ruby
};

void TestDocXPeers::initTestCase()
{
    m_rich = m_folder.filePath(QStringLiteral("rich.docx"));
    m_pages = m_folder.filePath(QStringLiteral("pages.docx"));
    m_template = m_folder.filePath(QStringLiteral("blank.dotx"));
    DocXOptions options;
    options.title = QStringLiteral("Title & more");
    options.pageDefinition = PageDefinition{PageDefinition::PageSize::a4(), PageDefinition::PageMargins::defaultMargins()};
    QVERIFY(!DocXWriter::write({richText()}, m_rich, options).isError());
    QVERIFY(!DocXWriter::writePages({StyledText(QStringLiteral("Page one")), StyledText(QStringLiteral("Page two"))}, m_pages)
                 .isError());
    DocXOptions templateOptions;
    templateOptions.packageKind = DocXPackageKind::Template;
    QVERIFY(!DocXWriter::write({StyledText(QStringLiteral("Template text"))}, m_template, templateOptions).isError());

    m_converted = m_folder.filePath(QStringLiteral("converted.docx"));
    m_convertedRuby = m_folder.filePath(QStringLiteral("converted-ruby.docx"));
    StyledText converted(QStringLiteral("Converted heading\n"), with([](TextAttributes &a) {
                             a.font = FontDescriptor{QStringLiteral("DejaVu Sans"), QString(), 16.0, true, false};
                             a.foreground = QColor(200, 0, 0);
                         }));
    const TextAttachmentPointer image = picture();
    converted.append(QStringLiteral("Converted picture: "));
    converted.append(QString(QChar(0xFFFC)), with([&](TextAttributes &a) { a.attachment = image; }));
    converted.append(QStringLiteral("\nStruck text"), with([](TextAttributes &a) { a.strikethroughStyle = TextLineStyle::single; }));
    QVERIFY(!DocXWriter::writeDocXUsingBuiltIn(converted, m_converted).isError());
    QVERIFY(!DocXWriter::writeDocXUsingBuiltIn(richText(), m_convertedRuby).isError());
}

void TestDocXPeers::pythonDocx()
{
    if (!hasPythonDocx())
        QSKIP("python-docx is not installed");
    // python-docx refuses the template content type, so only .docx files.
    const QString script = QStringLiteral(
        "import sys, docx\n"
        "for path in sys.argv[1:]:\n"
        "    d = docx.Document(path)\n"
        "    print('\\n'.join(p.text for p in d.paragraphs))\n"
        "    print('shapes', len(d.inline_shapes))\n"
        "    print('title', d.core_properties.title)\n");
    const QString output = run(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, m_rich, m_pages});
    QVERIFY2(!output.contains(QStringLiteral("Traceback")), qPrintable(output));
    for (const QString &expected : {QStringLiteral("Heading text"), QStringLiteral("Tab\there, line\nbreak"),
                                    QStringLiteral("First item"), QStringLiteral("Picture: "), QStringLiteral("の読み"),
                                    QStringLiteral("shapes 1"), QStringLiteral("title Title & more"),
                                    QStringLiteral("Page one"), QStringLiteral("Page two")})
        QVERIFY2(output.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + output));

    const QString converted = run(QStringLiteral("/usr/bin/python3"),
                                  {QStringLiteral("-c"), script + QStringLiteral("    print('bold', d.paragraphs[0].runs[0].bold)\n"),
                                   m_converted, m_convertedRuby});
    QVERIFY2(!converted.contains(QStringLiteral("Traceback")), qPrintable(converted));
    for (const QString &expected : {QStringLiteral("Converted heading\nConverted picture: \nStruck text\nshapes 1\n"),
                                    QStringLiteral("Heading text\n"), QStringLiteral("の読み\nshapes 1\n")})
        QVERIFY2(converted.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + converted));
    QCOMPARE(converted.count(QStringLiteral("bold True")), 2);
}

void TestDocXPeers::pandoc()
{
    const QString pandoc = QStandardPaths::findExecutable(QStringLiteral("pandoc"));
    if (pandoc.isEmpty())
        QSKIP("pandoc is not installed");
    const auto markdown = [&](const QString &path) {
        return run(pandoc, {QStringLiteral("-f"), QStringLiteral("docx"), QStringLiteral("-t"), QStringLiteral("markdown"), path});
    };
    const QString output = markdown(m_rich);
    // pandoc drops w:ruby whole; everything else must be there.
    for (const QString &expected : {QStringLiteral("Heading text"), QStringLiteral("1.  First item"),
                                    QStringLiteral("2.  Second item"), QStringLiteral("Footnote body text"),
                                    QStringLiteral("Endnote body text"), QStringLiteral("[the site](https://example.com/page?a=1&b=2)"),
                                    QStringLiteral("media/rId"), QStringLiteral("の読み")})
        QVERIFY2(output.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + output));

    const QString converted = markdown(m_converted);
    for (const QString &expected : {QStringLiteral("**Converted heading**"), QStringLiteral("Converted picture: ![](media/image1.png)"),
                                    QStringLiteral("~~Struck text~~")})
        QVERIFY2(converted.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + converted));
    const QString convertedRuby = markdown(m_convertedRuby);
    for (const QString &expected : {QStringLiteral("**Heading text**"), QStringLiteral("Picture: ![](media/rId"),
                                    QStringLiteral("[the site](https://example.com/page?a=1&b=2)"), QStringLiteral("の読み")})
        QVERIFY2(convertedRuby.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + convertedRuby));
}

void TestDocXPeers::libreOffice()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice is not installed");
    TemporaryFolder profile;
    TemporaryFolder output;
    // One start for all files, with a private profile.
    run(soffice, {QStringLiteral("-env:UserInstallation=file://") + profile.path(), QStringLiteral("--headless"),
                  QStringLiteral("--convert-to"), QStringLiteral("odt"), QStringLiteral("--outdir"), output.path(),
                  m_rich, m_pages, m_template, m_converted, m_convertedRuby},
        300000);
    const auto content = [&](const QString &name) {
        TemporaryFolder unpacked;
        QString error;
        if (!TestZip::unzipToFolder(output.filePath(name), unpacked.path(), &error))
            return QString();
        QFile file(unpacked.filePath(QStringLiteral("content.xml")));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    };
    const QString rich = content(QStringLiteral("rich.odt"));
    QVERIFY2(!rich.isEmpty(), "LibreOffice did not convert rich.docx");
    for (const QString &expected : {QStringLiteral("Heading text"), QStringLiteral("<text:tab/>"),
                                    QStringLiteral("<text:line-break/>"), QStringLiteral("<text:list "),
                                    QStringLiteral("First item"), QStringLiteral("Footnote body text"),
                                    QStringLiteral("text:note-class=\"endnote\""), QStringLiteral("Endnote body text"),
                                    QStringLiteral("<draw:image"), QStringLiteral("xlink:href=\"https://example.com/page?a=1&amp;b=2\""),
                                    QStringLiteral("<text:ruby"), QStringLiteral("かんじ")})
        QVERIFY2(rich.contains(expected), qPrintable(expected));
    QVERIFY(content(QStringLiteral("pages.odt")).contains(QStringLiteral("Page two")));
    QVERIFY(content(QStringLiteral("blank.odt")).contains(QStringLiteral("Template text")));
    const QString converted = content(QStringLiteral("converted.odt"));
    for (const QString &expected : {QStringLiteral("Converted heading"), QStringLiteral("<draw:image"), QStringLiteral("Struck text")})
        QVERIFY2(converted.contains(expected), qPrintable(expected));
    const QString convertedRuby = content(QStringLiteral("converted-ruby.odt"));
    for (const QString &expected : {QStringLiteral("Heading text"), QStringLiteral("<draw:image"), QStringLiteral("<text:ruby"),
                                    QStringLiteral("かんじ"), QStringLiteral("xlink:href=\"https://example.com/page?a=1&amp;b=2\"")})
        QVERIFY2(convertedRuby.contains(expected), qPrintable(expected));
}

QTEST_GUILESS_MAIN(TestDocXPeers)
#include "tst_docxpeers.moc"
