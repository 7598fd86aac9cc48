// The rules every save follows, for each way this system writes a file: the
// CSV and XLSX saves of a workbook and a package zipped by the package module.
#include "platform/SafeSave.h"
#include "platform/package/PackageFolder.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/document/WorkbookFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum class Writer { Csv, Xlsx, Package };

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// A process id that ran and is gone.
pid_t deadProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace

class TestSaveRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void throughSymbolicLink_data() { writers(); }
    void throughSymbolicLink();
    void readOnlyTargetRefused_data() { writers(); }
    void readOnlyTargetRefused();
    void permissionsKept_data() { writers(); }
    void permissionsKept();
    void killedSaveLeftoverRemoved_data() { writers(); }
    void killedSaveLeftoverRemoved();
    void saveNameRefused_data();
    void saveNameRefused();

private:
    static void writers();
    bool save(const QString &path, QString *error = nullptr);

    ExcelDocument m_document;
};

void TestSaveRules::initTestCase()
{
    m_document.setCell(0, 0, QStringLiteral("saved"));
}

void TestSaveRules::writers()
{
    QTest::addColumn<Writer>("writer");
    QTest::newRow("csv") << Writer::Csv;
    QTest::newRow("xlsx") << Writer::Xlsx;
    QTest::newRow("package") << Writer::Package;
}

bool TestSaveRules::save(const QString &path, QString *error)
{
    QFETCH(Writer, writer);
    QString ignored;
    error = error ? error : &ignored;
    switch (writer) {
    case Writer::Csv:
        return WorkbookFiles::save(m_document, path, ExcelFileFormat::Csv, error);
    case Writer::Xlsx:
        return WorkbookFiles::save(m_document, path, ExcelFileFormat::Xlsx, error);
    case Writer::Package: {
        PackageFolder package;
        return package.writePart(QStringLiteral("[Content_Types].xml"), QStringLiteral("<Types/>"), error)
               && package.zipTo(path, ZipArchive::Compression::Stored, error);
    }
    }
    return false;
}

void TestSaveRules::throughSymbolicLink()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.file"));
    const QString link = dir.filePath(QStringLiteral("link.file"));
    QVERIFY(SafeSave::writeFile(real, "old", nullptr));
    QVERIFY(QFile::link(real, link));
    QString error;
    QVERIFY2(save(link, &error), qPrintable(error));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), real);
    QVERIFY(contents(real) != "old");
    QVERIFY(!contents(real).isEmpty());
}

void TestSaveRules::readOnlyTargetRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("locked.file"));
    QVERIFY(SafeSave::writeFile(path, "old", nullptr));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    QString error;
    QVERIFY(!save(path, &error));
    QVERIFY2(error.contains(QStringLiteral("read-only")), qPrintable(error));
    QCOMPARE(contents(path), QByteArray("old"));
    QCOMPARE(modeOf(path), mode_t(0444));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("locked.file")));
}

void TestSaveRules::permissionsKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("private.file"));
    QVERIFY(SafeSave::writeFile(path, "old", nullptr));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    QVERIFY(save(path));
    QCOMPARE(modeOf(path), mode_t(0600));
    QVERIFY(contents(path) != "old");
}

void TestSaveRules::killedSaveLeftoverRemoved()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.file"));
    const QString leftover = dir.filePath(SafeSave::scratchPrefix(QStringLiteral("book.file"))
                                          + QString::number(deadProcessId()) + QStringLiteral("-0123abcd"));
    QVERIFY(SafeSave::writeFile(leftover, QByteArray(4096, 'x'), nullptr));
    QVERIFY(save(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("book.file")));
}

void TestSaveRules::saveNameRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("NUL") << QString(QStringLiteral("report") + QChar(0) + QStringLiteral("anything"));
    QTest::newRow("slash") << "/";
    QTest::newRow("empty") << "";
    QTest::newRow("line feed") << "report\n";
}

// "report\0anything" once named the file "report", overwriting it.
void TestSaveRules::saveNameRefused()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("report.csv"));
    QVERIFY(SafeSave::writeFile(existing, "kept", nullptr));
    for (ExcelFileFormat format : allExcelFileFormats) {
        QString error;
        QVERIFY(WorkbookFiles::saveTarget(dir.path(), name, format, &error).isEmpty());
        QVERIFY(!error.isEmpty());
    }
    QCOMPARE(contents(existing), QByteArray("kept"));
}

QTEST_GUILESS_MAIN(TestSaveRules)
#include "tst_saverules.moc"
