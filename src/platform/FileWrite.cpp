#include "FileWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace FileWrite {

bool atomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Cannot create the folder '%1'").arg(folder);
        return false;
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString());
    file.cancelWriting();
    return false;
}

} // namespace FileWrite
