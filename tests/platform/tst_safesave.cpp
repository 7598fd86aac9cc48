#include "platform/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestSafeSave : public QObject
{
    Q_OBJECT

private slots:
    void createsFoldersAndReplaces();
    void failureKeepsOldFileAndExplains_data();
    void failureKeepsOldFileAndExplains();
    void writesThroughLinkChains();
    void refusesLinkLoops();
    void folderSaveSwapsTheWholeFolder();
    void failedBuildLeavesNothingBeside();
    void killedSaveIsCleanedByTheNext();
    void fileNameCheck_data();
    void fileNameCheck();

private:
    static QByteArray contents(const QString &path);
    static QStringList besides(const QString &folder);
};

QByteArray TestSafeSave::contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList TestSafeSave::besides(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void TestSafeSave::createsFoldersAndReplaces()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("xl/worksheets/sheet1.xml"));
    QString error;
    QVERIFY2(SafeSave::writeFile(path, "first", &error), qPrintable(error));
    QCOMPARE(contents(path), QByteArray("first"));
    QVERIFY(SafeSave::writeFile(path, "second", &error));
    QCOMPARE(contents(path), QByteArray("second"));
    QCOMPARE(besides(folder.filePath(QStringLiteral("xl/worksheets"))), QStringList(QStringLiteral("sheet1.xml")));
}

void TestSafeSave::failureKeepsOldFileAndExplains_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("parent is a file") << "old.txt/child.txt";
}

void TestSafeSave::failureKeepsOldFileAndExplains()
{
    QFETCH(QString, target);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder")));
    const QString old = folder.filePath(QStringLiteral("old.txt"));
    QVERIFY(SafeSave::writeFile(old, "old", nullptr));

    QString error;
    QVERIFY(!SafeSave::writeFile(folder.filePath(target), "new", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(contents(old), QByteArray("old"));
    QCOMPARE(besides(folder.path()), QStringList({QStringLiteral("folder"), QStringLiteral("old.txt")}));
}

void TestSafeSave::writesThroughLinkChains()
{
    QTemporaryDir folder;
    const QString real = folder.filePath(QStringLiteral("real.txt"));
    const QString middle = folder.filePath(QStringLiteral("middle.txt"));
    const QString link = folder.filePath(QStringLiteral("link.txt"));
    QVERIFY(QFile::link(QStringLiteral("real.txt"), middle)); // relative, as users make them
    QVERIFY(QFile::link(middle, link));

    // A dangling link gets its file made; then the file is replaced, links kept.
    QVERIFY(SafeSave::writeFile(link, "one", nullptr));
    QCOMPARE(contents(real), QByteArray("one"));
    QVERIFY(SafeSave::writeFile(link, "two", nullptr));
    QCOMPARE(contents(real), QByteArray("two"));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo(middle).isSymLink());
}

void TestSafeSave::refusesLinkLoops()
{
    QTemporaryDir folder;
    const QString a = folder.filePath(QStringLiteral("a"));
    const QString b = folder.filePath(QStringLiteral("b"));
    QVERIFY(QFile::link(b, a));
    QVERIFY(QFile::link(a, b));
    QString error;
    QVERIFY(!SafeSave::writeFile(a, "x", &error));
    QVERIFY2(error.contains(QStringLiteral("symbolic links")), qPrintable(error));
    QVERIFY(QFileInfo(a).isSymLink() && QFileInfo(b).isSymLink());
}

void TestSafeSave::folderSaveSwapsTheWholeFolder()
{
    QTemporaryDir folder;
    const QString bundle = folder.filePath(QStringLiteral("note.rtfd"));
    auto buildWith = [](const QByteArray &text) {
        return [text](const QString &scratch, QString *) {
            return QDir().mkdir(scratch) && SafeSave::writeFile(scratch + QStringLiteral("/TXT.rtf"), text, nullptr);
        };
    };
    QVERIFY(SafeSave::save(bundle, SafeSave::Kind::Folder, buildWith("old"), nullptr));
    QVERIFY(SafeSave::writeFile(bundle + QStringLiteral("/stale.png"), "x", nullptr));
    QVERIFY(QFile::setPermissions(bundle, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QString error;
    QVERIFY2(SafeSave::save(bundle, SafeSave::Kind::Folder, buildWith("new"), &error), qPrintable(error));
    QCOMPARE(besides(bundle), QStringList(QStringLiteral("TXT.rtf")));
    QCOMPARE(contents(bundle + QStringLiteral("/TXT.rtf")), QByteArray("new"));
    QCOMPARE(QFileInfo(bundle).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(besides(folder.path()), QStringList(QStringLiteral("note.rtfd")));

    // Neither kind silently replaces the other.
    const QString flat = folder.filePath(QStringLiteral("flat.txt"));
    QVERIFY(SafeSave::writeFile(flat, "flat", nullptr));
    QVERIFY(!SafeSave::writeFile(bundle, "flat", &error));
    QVERIFY(!SafeSave::save(flat, SafeSave::Kind::Folder, buildWith("x"), &error));
    QCOMPARE(contents(flat), QByteArray("flat"));
}

void TestSafeSave::failedBuildLeavesNothingBeside()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("book.xlsx"));
    QVERIFY(SafeSave::writeFile(path, "old", nullptr));
    QString error;
    const bool saved = SafeSave::save(path, SafeSave::Kind::File, [](const QString &scratch, QString *buildError) {
        QFile file(scratch);
        file.open(QIODevice::WriteOnly);
        file.write("half");
        *buildError = QStringLiteral("ran out of cells");
        return false;
    }, &error);
    QVERIFY(!saved);
    QCOMPARE(error, QStringLiteral("ran out of cells"));
    QCOMPARE(contents(path), QByteArray("old"));
    QCOMPARE(besides(folder.path()), QStringList(QStringLiteral("book.xlsx")));
}

// A child process dies in the middle of writing; the partial file it left
// beside the target goes with the next save there, and the old file is whole.
void TestSafeSave::killedSaveIsCleanedByTheNext()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("report.csv"));
    QVERIFY(SafeSave::writeFile(path, "old", nullptr));
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        SafeSave::save(path, SafeSave::Kind::File, [](const QString &scratch, QString *) {
            QFile file(scratch);
            file.open(QIODevice::WriteOnly);
            file.write("partial");
            file.flush();
            ::kill(::getpid(), SIGKILL);
            return true;
        }, nullptr);
        ::_exit(1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(besides(folder.path()).size(), 2);
    QCOMPARE(contents(path), QByteArray("old"));

    // A live process's scratch file (pid 1 always runs) is not touched.
    const QString live = folder.filePath(SafeSave::scratchPrefix(QStringLiteral("report.csv")) + QStringLiteral("1-abc"));
    QVERIFY(SafeSave::writeFile(live, "busy", nullptr));
    QVERIFY(SafeSave::writeFile(path, "new", nullptr));
    QCOMPARE(besides(folder.path()), QStringList({QFileInfo(live).fileName(), QStringLiteral("report.csv")}));
    QCOMPARE(contents(path), QByteArray("new"));
}

void TestSafeSave::fileNameCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("plain") << "report" << true;
    QTest::newRow("japanese and blanks") << "売上 2024 (final)" << true;
    QTest::newRow("leading dot") << ".hidden" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("slash alone") << "/" << false;
    QTest::newRow("NUL") << QString(QStringLiteral("report") + QChar(0) + QStringLiteral("anything")) << false;
    QTest::newRow("line feed") << "two\nlines" << false;
    QTest::newRow("tab") << "a\tb" << false;
    QTest::newRow("DEL") << "a\x7f" << false;
    QTest::newRow("C1 control") << QString(QStringLiteral("a") + QChar(0x85)) << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
}

void TestSafeSave::fileNameCheck()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QString error;
    QCOMPARE(SafeSave::checkFileName(name, &error), accepted);
    QCOMPARE(error.isEmpty(), accepted);
}

QTEST_GUILESS_MAIN(TestSafeSave)
#include "tst_safesave.moc"
