#include "platform/FileMessage.h"

namespace {

QString naming(const QString &action, const QString &path, const QString &cause)
{
    if (!path.isEmpty() && cause.contains(path))
        return cause;
    return QStringLiteral("%1 '%2': %3").arg(action, path, cause);
}

} // namespace

namespace FileMessage {

QString cannotOpen(const QString &path, const QString &cause)
{
    return naming(QStringLiteral("Cannot open"), path, cause);
}

QString cannotSave(const QString &path, const QString &cause)
{
    return naming(QStringLiteral("Cannot save"), path, cause);
}

} // namespace FileMessage
