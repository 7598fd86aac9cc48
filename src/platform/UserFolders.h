#pragma once

#include <QString>
#include <QStringList>

namespace UserFolders {

// The user's Desktop folder, or the home folder when there is no Desktop.
QString desktopOrHome();

struct Listing {
    QStringList names; // entry names, unsorted, hidden entries included, no "." or ".."
    QString error;     // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Lists the entries of `folder`; on failure names is empty and error holds
// a readable reason.
Listing list(const QString &folder);

} // namespace UserFolders
