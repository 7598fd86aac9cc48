#include "UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <dirent.h>

namespace {

// Closes the directory stream on every way out.
struct DirectoryStream {
    explicit DirectoryStream(const QString &folder)
        : dir(opendir(QFile::encodeName(folder).constData())), openError(dir ? 0 : errno)
    {
    }
    ~DirectoryStream()
    {
        if (dir)
            closedir(dir);
    }
    DIR *dir;
    int openError;
};

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

namespace UserFolders {

QString desktopOrHome()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return desktop;
    return QDir::homePath();
}

Listing list(const QString &folder)
{
    Listing listing;
    DirectoryStream stream(folder);
    if (!stream.dir) {
        listing.error = QStringLiteral("Cannot list the folder '%1': %2").arg(folder, errnoText(stream.openError));
        return listing;
    }
    errno = 0;
    while (const dirent *entry = readdir(stream.dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
            listing.names.append(QFile::decodeName(name));
        errno = 0;
    }
    if (errno != 0) {
        listing.names.clear();
        listing.error = QStringLiteral("Cannot list the folder '%1': %2").arg(folder, errnoText(errno));
    }
    return listing;
}

} // namespace UserFolders
