#include "platform/SafeSave.h"
#include "platform/ScratchRoot.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
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
    void folderSaveKeepsModesInside_data();
    void folderSaveKeepsModesInside();
    void failedBuildLeavesNothingBeside();
    void killedSaveIsCleanedByTheNext();
    void leftoversMatchTheNameLiterally_data();
    void leftoversMatchTheNameLiterally();
    void sharedFileKeepsItsOwner_data();
    void sharedFileKeepsItsOwner();
    void othersNeverReadTheDocument_data();
    void othersNeverReadTheDocument();
    void fileNameNeverLeavesDuringAReplace();
    void failuresNameTheFileAndTheCause_data();
    void failuresNameTheFileAndTheCause();
    void refusesNulInThePath_data();
    void refusesNulInThePath();
    void fileNameCheck_data();
    void fileNameCheck();

private:
    static QByteArray contents(const QString &path);
    static QStringList besides(const QString &folder);
    static bool othersCanRead(const QString &path, const QString &folder);
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

// True when a user other than the owner (group or others) can reach `path`
// from `folder`: every folder between them lets them through and the file
// (or folder) itself lets them read.
bool TestSafeSave::othersCanRead(const QString &path, const QString &folder)
{
    constexpr mode_t groupOrOthersRead = S_IRGRP | S_IROTH;
    constexpr mode_t groupOrOthersEnter = S_IXGRP | S_IXOTH;
    struct stat status;
    for (QString step = QFileInfo(path).absolutePath(); step != QFileInfo(folder).absoluteFilePath() && step.size() > 1;
         step = QFileInfo(step).absolutePath()) {
        if (::stat(QFile::encodeName(step).constData(), &status) != 0 || !(status.st_mode & groupOrOthersEnter))
            return false;
    }
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && (status.st_mode & groupOrOthersRead);
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

void TestSafeSave::folderSaveKeepsModesInside_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("oldMode"); // of the picture; -1: the picture is new
    QTest::addColumn<int>("expected");
    QTest::newRow("private file kept") << 0755 << 0600 << 0600;
    QTest::newRow("group file kept") << 0700 << 0640 << 0640;
    QTest::newRow("new file in a private folder") << 0700 << -1 << 0600;
    QTest::newRow("new file in a group folder") << 0750 << -1 << 0640;
    QTest::newRow("new file in an open folder") << 0755 << -1 << 0644;
}

// The files a folder save writes come back with the modes the old ones had
// (a private picture was saved readable by everyone); new ones keep no
// access the folder denies.
void TestSafeSave::folderSaveKeepsModesInside()
{
    QFETCH(int, folderMode);
    QFETCH(int, oldMode);
    QFETCH(int, expected);
    const mode_t oldMask = ::umask(022);
    QTemporaryDir folder;
    const QString bundle = folder.filePath(QStringLiteral("note.rtfd"));
    auto build = [](bool withPicture) {
        return [withPicture](const QString &scratch, QString *) {
            return QDir().mkdir(scratch) && SafeSave::writeFile(scratch + QStringLiteral("/TXT.rtf"), "text", nullptr)
                   && (!withPicture || SafeSave::writeFile(scratch + QStringLiteral("/pic.png"), "png", nullptr));
        };
    };
    QVERIFY(SafeSave::save(bundle, SafeSave::Kind::Folder, build(oldMode >= 0), nullptr));
    const QByteArray picture = QFile::encodeName(bundle + QStringLiteral("/pic.png"));
    if (oldMode >= 0)
        QCOMPARE(::chmod(picture.constData(), mode_t(oldMode)), 0);
    QCOMPARE(::chmod(QFile::encodeName(bundle).constData(), mode_t(folderMode)), 0);

    QString error;
    QVERIFY2(SafeSave::save(bundle, SafeSave::Kind::Folder, build(true), &error), qPrintable(error));
    struct stat status;
    QCOMPARE(::stat(picture.constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 0777), expected);
    QCOMPARE(::stat(QFile::encodeName(bundle).constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 0777), folderMode);
    ::umask(oldMask);
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
    QDirIterator left(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (left.hasNext()) {
        if (left.next() != path)
            QVERIFY2(!othersCanRead(left.filePath(), folder.path()), qPrintable(left.filePath()));
    }

    // A live process's scratch file (pid 1 always runs) is not touched.
    const QString live = folder.filePath(SafeSave::scratchPrefix(QStringLiteral("report.csv")) + QStringLiteral("1-0123456789abcdef"));
    QVERIFY(SafeSave::writeFile(live, "busy", nullptr));
    QVERIFY(SafeSave::writeFile(path, "new", nullptr));
    QCOMPARE(besides(folder.path()), QStringList({QFileInfo(live).fileName(), QStringLiteral("report.csv")}));
    QCOMPARE(contents(path), QByteArray("new"));
}

// Scratch folders beside a save are matched by the document's name as
// written: brackets, stars and question marks are no pattern, so a killed
// save's leftovers go and another document's scratch stays (with the old
// folder it set aside, also when a long name's start is all that the
// scratch name holds).
void TestSafeSave::leftoversMatchTheNameLiterally_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("scratchOf");
    QTest::addColumn<bool>("liveOwner"); // pid 1 always runs; the other pid never does
    QTest::addColumn<bool>("removed");
    QTest::newRow("own, brackets") << "Report [draft].docx" << "Report [draft].docx" << false << true;
    QTest::newRow("own, star and question mark") << "a*?.rtf" << "a*?.rtf" << false << true;
    QTest::newRow("other live save, bracket class") << "a[12345].rtf" << "a1.rtf" << true << false;
    QTest::newRow("other dead save, star") << "a*.rtf" << "ab.rtf" << false << false;
    QTest::newRow("other dead save, question mark") << "q?.csv" << "qx.csv" << false << false;
    const QString longStart(70, u'L');
    QTest::newRow("other dead save, long name") << longStart + "A.rtfd" << longStart + "B.rtfd" << false << false;
    QTest::newRow("own, long name") << longStart + "A.rtfd" << longStart + "A.rtfd" << false << true;
}

void TestSafeSave::leftoversMatchTheNameLiterally()
{
    QFETCH(QString, saved);
    QFETCH(QString, scratchOf);
    QFETCH(bool, liveOwner);
    QFETCH(bool, removed);
    QTemporaryDir folder;
    const QString scratch = SafeSave::scratchPrefix(scratchOf) + (liveOwner ? "1-" : "2147483000-")
                            + QStringLiteral("0123456789abcdef");
    QVERIFY(QDir(folder.path()).mkdir(scratch));
    const QString setAside = scratch + u'/' + scratchOf + QStringLiteral(".old");
    QVERIFY(SafeSave::writeFile(folder.filePath(setAside), "old folder", nullptr));
    QVERIFY(SafeSave::writeFile(folder.filePath(saved), "new", nullptr));
    QCOMPARE(QFileInfo::exists(folder.filePath(scratch)), !removed);
}

namespace {

constexpr uid_t fileOwner = 47001;
constexpr uid_t groupMember = 47002;
constexpr gid_t sharedGroup = 47000;
constexpr gid_t memberOwnGroup = 47003;

// Runs `work` in a child process as `groupMember` (its own group first, the
// shared one too), which then removes its scratch root; returns the child's
// wait status.
int asGroupMember(const std::function<int()> &work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(1, &sharedGroup) != 0 || ::setgid(memberOwnGroup) != 0 || ::setuid(groupMember) != 0)
            ::_exit(3);
        const int code = work();
        QDir(ScratchRoot::rootPath()).removeRecursively();
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

} // namespace

// Another member of a file's group saves a group-writable file: it stays its
// owner's, in its group, with its mode, in a sticky folder as in an open one
// or in one where the member may add no file.
// A save of another's file writes it in place; the old content comes back
// when that write fails (here: over the file size limit, as on a full disk)
// or is killed (by the next save, which fails here to show it).
void TestSafeSave::sharedFileKeepsItsOwner_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("saverOwns"); // the member's own file, in the shared group
    QTest::addColumn<QString>("ending");
    QTest::newRow("sticky folder") << 01777 << false << "saved";
    QTest::newRow("open folder") << 0777 << false << "saved";
    QTest::newRow("own file in the shared group") << 0777 << true << "saved";
    QTest::newRow("sticky folder, disk full") << 01777 << false << "full";
    QTest::newRow("open folder, killed") << 0777 << false << "killed";
    QTest::newRow("closed folder") << 0755 << false << "saved";
    QTest::newRow("closed folder, killed") << 0755 << false << "killed";
}

void TestSafeSave::sharedFileKeepsItsOwner()
{
    QFETCH(int, folderMode);
    QFETCH(bool, saverOwns);
    QFETCH(QString, ending);
    if (::geteuid() != 0)
        QSKIP("saving as another user needs root");
    QTemporaryDir folder;
    QCOMPARE(::chmod(QFile::encodeName(folder.path()).constData(), mode_t(folderMode)), 0);
    const QString path = folder.filePath(QStringLiteral("plan.rtf"));
    const QByteArray native = QFile::encodeName(path);
    const QByteArray old("old content");
    QVERIFY(SafeSave::writeFile(path, old, nullptr));
    QCOMPARE(::chown(native.constData(), saverOwns ? groupMember : fileOwner, sharedGroup), 0);
    QCOMPARE(::chmod(native.constData(), 0664), 0);

    const QByteArray fresh(64 * 1024, 'n');
    const int status = asGroupMember([&] {
        QString error;
        const bool saved = SafeSave::save(path, SafeSave::Kind::File, [&](const QString &scratch, QString *buildError) {
            if (!SafeSave::writeFile(scratch, fresh, buildError))
                return false;
            if (ending != QLatin1String("saved")) { // the target's write is the first to meet the limit
                const struct rlimit limit{4096, 4096}, noCore{0, 0};
                ::signal(SIGXFSZ, ending == QLatin1String("full") ? SIG_IGN : SIG_DFL);
                ::setrlimit(RLIMIT_CORE, &noCore);
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            return true;
        }, &error);
        return saved ? 0 : error.contains(QStringLiteral("File too large")) && error.contains(path) ? 1 : 2;
    });
    if (ending == QLatin1String("killed")) {
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(contents(path) != old);
        const int next = asGroupMember([&] {
            const auto failing = [](const QString &, QString *) { return false; };
            return SafeSave::save(path, SafeSave::Kind::File, failing, nullptr) ? 2 : 0;
        });
        QCOMPARE(WEXITSTATUS(next), 0);
    } else {
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), ending == QLatin1String("saved") ? 0 : 1);
    }
    QCOMPARE(contents(path), ending == QLatin1String("saved") ? fresh : old);
    struct stat after;
    QCOMPARE(::stat(native.constData(), &after), 0);
    QCOMPARE(after.st_uid, saverOwns ? groupMember : fileOwner);
    QCOMPARE(after.st_gid, sharedGroup);
    QCOMPARE(int(after.st_mode & 07777), 0664);
    QCOMPARE(besides(folder.path()), QStringList(QStringLiteral("plan.rtf")));
}

// While the new document is written, and after a failure, no other user
// can read it, whatever modes the builder gives its files; the old file's
// mode is kept.
void TestSafeSave::othersNeverReadTheDocument_data()
{
    QTest::addColumn<bool>("folderKind");
    QTest::addColumn<int>("oldMode"); // -1: no old file
    QTest::newRow("private file") << false << 0600;
    QTest::newRow("new file") << false << -1;
    QTest::newRow("private folder") << true << 0700;
}

void TestSafeSave::othersNeverReadTheDocument()
{
    QFETCH(bool, folderKind);
    QFETCH(int, oldMode);
    const mode_t oldMask = ::umask(022);
    QTemporaryDir folder;
    QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                      | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    const QString path = folder.filePath(QStringLiteral("diary.rtf"));
    const SafeSave::Kind kind = folderKind ? SafeSave::Kind::Folder : SafeSave::Kind::File;
    auto build = [&](bool succeed) {
        return [&, succeed](const QString &scratch, QString *buildError) {
            const QString file = folderKind ? scratch + QStringLiteral("/TXT.rtf") : scratch;
            if (folderKind && !QDir().mkdir(scratch))
                return false;
            QFile out(file);
            if (!out.open(QIODevice::WriteOnly) || out.write("secret") != 6 || !out.flush())
                return false;
            if (othersCanRead(file, folder.path())) {
                *buildError = QStringLiteral("others can read ") + file;
                return false;
            }
            *buildError = QStringLiteral("stopped");
            return succeed;
        };
    };
    QString error;
    if (oldMode >= 0) {
        QVERIFY2(SafeSave::save(path, kind, build(true), &error), qPrintable(error));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(oldMode)) == 0);
    }
    QVERIFY2(SafeSave::save(path, kind, build(true), &error), qPrintable(error));
    struct stat status;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &status) == 0);
    QCOMPARE(int(status.st_mode & 0777), oldMode >= 0 ? oldMode : folderKind ? 0755 : 0644);
    QVERIFY(!SafeSave::save(path, kind, build(false), &error));
    QCOMPARE(error, QStringLiteral("stopped"));
    ::umask(oldMask);
}

// A file is replaced by one rename over it: its name never goes away, so a
// save killed at any moment leaves the old or the new document there.
void TestSafeSave::fileNameNeverLeavesDuringAReplace()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("letter.doc"));
    QVERIFY(SafeSave::writeFile(path, "old", nullptr));
    const int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watcher >= 0);
    QVERIFY(::inotify_add_watch(watcher, QFile::encodeName(folder.path()).constData(), IN_MOVED_FROM | IN_DELETE) >= 0);
    QString error;
    QVERIFY2(SafeSave::writeFile(path, "new", &error), qPrintable(error));
    QCOMPARE(contents(path), QByteArray("new"));
    alignas(inotify_event) char events[16384];
    const ssize_t size = ::read(watcher, events, sizeof events);
    ::close(watcher);
    for (ssize_t at = 0; at < size;) {
        const auto *event = reinterpret_cast<const inotify_event *>(events + at);
        QVERIFY2(!event->len || QString::fromUtf8(event->name) != QStringLiteral("letter.doc"),
                 "the old file left its name before the new one took it");
        at += ssize_t(sizeof(inotify_event)) + event->len;
    }
}

// A write that fails (here: over the file size limit, as a full disk would)
// names the user's file, never the scratch one, and the system's reason.
void TestSafeSave::failuresNameTheFileAndTheCause_data()
{
    QTest::addColumn<bool>("folderKind");
    QTest::newRow("file") << false;
    QTest::newRow("folder") << true;
}

void TestSafeSave::failuresNameTheFileAndTheCause()
{
    QFETCH(bool, folderKind);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("report.rtfd"));
    QVERIFY(SafeSave::save(path, folderKind ? SafeSave::Kind::Folder : SafeSave::Kind::File,
                           [&](const QString &scratch, QString *) {
        return folderKind ? QDir().mkdir(scratch) : SafeSave::writeFile(scratch, "old", nullptr);
    }, nullptr));

    const QByteArray big(64 * 1024, 'x');
    struct rlimit oldLimit;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &oldLimit) == 0);
    struct rlimit limit = oldLimit;
    limit.rlim_cur = 4096;
    const sighandler_t oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
    QString error;
    const bool saved = folderKind ? SafeSave::save(path, SafeSave::Kind::Folder, [&](const QString &scratch, QString *buildError) {
        return QDir().mkdir(scratch) && SafeSave::writeFile(scratch + QStringLiteral("/TXT.rtf"), big, buildError);
    }, &error)
                                  : SafeSave::writeFile(path, big, &error);
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    ::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved);
    QVERIFY2(error.contains(QLatin1Char('\'') + path), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("File too large")), qPrintable(error));
    QVERIFY2(!error.contains(QStringLiteral("morvane-save")), qPrintable(error));
    QCOMPARE(besides(folder.path()), QStringList(QStringLiteral("report.rtfd")));
}

// NUL ends a name for the system, so a path holding one would write another
// file; it is refused, wherever it stands.
void TestSafeSave::refusesNulInThePath_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("in the name") << QString(QStringLiteral("a.rtf") + QChar(0) + QStringLiteral(".txt"));
    QTest::newRow("in a folder") << QString(QStringLiteral("sub") + QChar(0) + QStringLiteral("x/a.rtf"));
}

void TestSafeSave::refusesNulInThePath()
{
    QFETCH(QString, relative);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));
    QString error;
    QVERIFY(!SafeSave::writeFile(folder.filePath(relative), "text", &error));
    QVERIFY2(error.contains(QStringLiteral("NUL")), qPrintable(error));
    QVERIFY(!SafeSave::save(folder.filePath(relative), SafeSave::Kind::Folder, [](const QString &scratch, QString *) {
        return QDir().mkdir(scratch);
    }, &error));
    QCOMPARE(besides(folder.path()), QStringList(QStringLiteral("sub")));
    QCOMPARE(besides(folder.filePath(QStringLiteral("sub"))), QStringList());
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
