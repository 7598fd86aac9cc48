#include "word/document/FolderSave.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

namespace {

QString scratchPath(const QFileInfo &target, const char *kind)
{
    return target.absolutePath() + QLatin1String("/.") + target.fileName() + QLatin1String(".morvane-")
        + QLatin1String(kind) + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::Id128);
}

bool removeAny(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

} // namespace

namespace FolderSave {

bool save(const QString &path, const Builder &build, QString *error)
{
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath())) {
        *error = QStringLiteral("Could not create the folder %1.").arg(target.absolutePath());
        return false;
    }
    if (target.exists() && !target.isWritable()) {
        *error = QStringLiteral("%1 is read-only.").arg(path);
        return false;
    }
    const QString scratch = scratchPath(target, "save");
    if (!QDir().mkdir(scratch)) {
        *error = QStringLiteral("Could not create a folder beside %1.").arg(path);
        return false;
    }
    if (!build(scratch, error)) {
        QDir(scratch).removeRecursively();
        return false;
    }
    const bool hadTarget = target.exists() || target.isSymLink();
    const QString aside = scratchPath(target, "old");
    if (hadTarget && !QFile::rename(path, aside) && !QDir().rename(path, aside)) {
        QDir(scratch).removeRecursively();
        *error = QStringLiteral("Could not replace %1.").arg(path);
        return false;
    }
    if (!QDir().rename(scratch, path)) {
        if (hadTarget)
            QDir().rename(aside, path);
        QDir(scratch).removeRecursively();
        *error = QStringLiteral("Could not replace %1.").arg(path);
        return false;
    }
    if (hadTarget)
        removeAny(aside);
    return true;
}

} // namespace FolderSave
