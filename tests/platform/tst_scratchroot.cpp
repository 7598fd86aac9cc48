#include "platform/ScratchRoot.h"
#include "platform/TemporaryFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

class TestScratchRoot : public QObject
{
    Q_OBJECT

private slots:
    void processFolderIsLockedUnderTheRoot();
    void killedInstanceFolderIsRemoved();
    void liveInstanceFolderIsKept();
    void unlockedFolderWaitsForItsGrace();

private:
    // Forks a child that makes `name` under the root and locks it as an
    // instance does; it then dies at once (`stayAlive` false) or waits to be
    // killed. Returns the child's pid.
    static pid_t startInstance(const QString &name, bool stayAlive);
};

pid_t TestScratchRoot::startInstance(const QString &name, bool stayAlive)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const QString folder = ScratchRoot::rootPath() + u'/' + name;
        QDir().mkpath(folder);
        QLockFile lock(folder + QStringLiteral("/owner.lock"));
        lock.tryLock(0);
        ::write(ready[1], "x", 1);
        if (stayAlive)
            ::pause();
        ::kill(::getpid(), SIGKILL);
    }
    char byte = 0;
    ::read(ready[0], &byte, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    return child;
}

void TestScratchRoot::processFolderIsLockedUnderTheRoot()
{
    const QString own = ScratchRoot::processFolder();
    QVERIFY(!own.isEmpty());
    QCOMPARE(QFileInfo(own).absolutePath(), ScratchRoot::rootPath());
    QVERIFY(QFileInfo::exists(own + QStringLiteral("/owner.lock")));
    QCOMPARE(QFileInfo(ScratchRoot::rootPath()).permissions() & 0x0077, QFile::Permissions());

    TemporaryFolder first;
    TemporaryFolder second;
    QVERIFY(first.isValid() && second.isValid() && first.path() != second.path());
    QCOMPARE(QFileInfo(first.path()).absolutePath(), own);

    ScratchRoot::removeStaleFolders(); // never our own
    QVERIFY(QFileInfo(first.path()).isDir());
}

void TestScratchRoot::killedInstanceFolderIsRemoved()
{
    const pid_t child = startInstance(QStringLiteral("killed-instance"), false);
    QVERIFY(child > 0);
    QVERIFY(::waitpid(child, nullptr, 0) == child);
    const QString folder = ScratchRoot::rootPath() + QStringLiteral("/killed-instance");
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/owner.lock")));
    QVERIFY(ScratchRoot::removeStaleFolders() >= 1);
    QVERIFY(!QFileInfo::exists(folder));
}

void TestScratchRoot::liveInstanceFolderIsKept()
{
    const pid_t child = startInstance(QStringLiteral("live-instance"), true);
    QVERIFY(child > 0);
    const QString folder = ScratchRoot::rootPath() + QStringLiteral("/live-instance");
    ScratchRoot::removeStaleFolders();
    const bool keptWhileAlive = QFileInfo(folder).isDir();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    QVERIFY(keptWhileAlive);
    ScratchRoot::removeStaleFolders();
    QVERIFY(!QFileInfo::exists(folder));
}

void TestScratchRoot::unlockedFolderWaitsForItsGrace()
{
    const QString folder = ScratchRoot::rootPath() + QStringLiteral("/not-yet-locked");
    QVERIFY(QDir().mkpath(folder));
    ScratchRoot::removeStaleFolders();
    QVERIFY(QFileInfo(folder).isDir()); // it may be an instance starting right now

    const struct utimbuf old = {::time(nullptr) - 3600, ::time(nullptr) - 3600};
    QCOMPARE(::utime(QFile::encodeName(folder).constData(), &old), 0);
    ScratchRoot::removeStaleFolders();
    QVERIFY(!QFileInfo::exists(folder));
}

// Every test process that saves cleans the shared scratch root at start; a
// private temporary folder keeps those running beside this test from taking a
// dead instance's lock between this test's steps.
int main(int argc, char **argv)
{
    // Static, so it is removed after this process's own scratch folder.
    static QTemporaryDir privateTemp;
    if (privateTemp.isValid())
        qputenv("TMPDIR", QFile::encodeName(privateTemp.path()));
    QCoreApplication app(argc, argv);
    TestScratchRoot test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_scratchroot.moc"
