// Packages we write, opened by the programs that read the format:
// python-docx, pandoc and LibreOffice. Each test skips when its tool is missing.
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
}

void TestDocXPeers::pandoc()
{
    const QString pandoc = QStandardPaths::findExecutable(QStringLiteral("pandoc"));
    if (pandoc.isEmpty())
        QSKIP("pandoc is not installed");
    const QString output = run(pandoc, {QStringLiteral("-f"), QStringLiteral("docx"), QStringLiteral("-t"),
                                        QStringLiteral("markdown"), m_rich});
    // pandoc drops w:ruby whole; everything else must be there.
    for (const QString &expected : {QStringLiteral("Heading text"), QStringLiteral("1.  First item"),
                                    QStringLiteral("2.  Second item"), QStringLiteral("Footnote body text"),
                                    QStringLiteral("Endnote body text"), QStringLiteral("[the site](https://example.com/page?a=1&b=2)"),
                                    QStringLiteral("media/rId"), QStringLiteral("の読み")})
        QVERIFY2(output.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + output));
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
                  m_rich, m_pages, m_template},
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
}

QTEST_GUILESS_MAIN(TestDocXPeers)
#include "tst_docxpeers.moc"
