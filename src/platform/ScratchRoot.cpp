#include "ScratchRoot.h"

#include "platform/InPlaceWrite.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QUuid>

#include <memory>

#include <unistd.h>

namespace {

const QString lockName = QStringLiteral("owner.lock");
constexpr qint64 unlockedGraceSeconds = 60;

// The root is shared by every instance of the user; one made by someone
// else (or a link planted there) is not used.
bool makePrivateRoot(const QString &root)
{
    QDir().mkpath(root);
    const QFileInfo info(root);
    return info.isDir() && !info.isSymLink() && info.ownerId() == ::getuid()
           && QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

int removeStaleFoldersExcept(const QString &own);

// This process's folder and its lock; the folder goes at normal exit.
class ProcessFolder
{
public:
    ProcessFolder()
    {
        const QString root = ScratchRoot::rootPath();
        if (!makePrivateRoot(root))
            return;
        removeStaleFoldersExcept(QString());
        const QString path = root + u'/' + QString::number(::getpid()) + u'-'
                             + QUuid::createUuid().toString(QUuid::Id128).left(12);
        if (!QDir().mkdir(path))
            return;
        m_lock = std::make_unique<QLockFile>(path + u'/' + lockName);
        m_lock->setStaleLockTime(0); // never stale by age: only a dead owner makes it stale
        if (m_lock->tryLock(0))
            m_path = path;
        else
            QDir(path).removeRecursively();
    }

    ~ProcessFolder()
    {
        if (m_path.isEmpty())
            return;
        m_lock->unlock();
        // A file whose old content could not go back after a failed save
        // keeps the copy here for the next start to put back.
        if (InPlaceWrite::restoreNotedLeftovers(m_path))
            QDir(m_path).removeRecursively();
    }

    const QString &path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

bool isAbandoned(const QString &folder)
{
    const QString lockPath = folder + u'/' + lockName;
    if (!QFileInfo::exists(lockPath)) {
        const QDateTime made = QFileInfo(folder).lastModified();
        return made.secsTo(QDateTime::currentDateTime()) > unlockedGraceSeconds;
    }
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    // Taking the lock succeeds only when its owner has died (QLockFile checks
    // the process id and name recorded in it).
    if (!lock.tryLock(0))
        return false;
    lock.unlock();
    return true;
}

int removeStaleFoldersExcept(const QString &own)
{
    const QDir root(ScratchRoot::rootPath());
    int removed = 0;
    for (const QString &name : root.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (name == own)
            continue;
        const QString folder = root.filePath(name);
        // A save killed while writing a file in place left its old content
        // here: it goes back before the folder goes.
        if (isAbandoned(folder) && InPlaceWrite::restoreNotedLeftovers(folder) && QDir(folder).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace

namespace ScratchRoot {

QString rootPath()
{
    return QDir::tempPath() + QStringLiteral("/morvane-office-") + QString::number(::getuid());
}

QString processFolder()
{
    static const ProcessFolder folder;
    return folder.path();
}

int removeStaleFolders()
{
    return removeStaleFoldersExcept(QFileInfo(processFolder()).fileName());
}

} // namespace ScratchRoot
