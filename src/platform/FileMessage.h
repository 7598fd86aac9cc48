#pragma once

#include <QString>

// How a failure to open or save a file is worded on every screen: the user's
// file and the cause, "Cannot open '<path>': <cause>". A cause that already
// names the file is kept as it is, so the file is never named twice.
namespace FileMessage {

QString cannotOpen(const QString &path, const QString &cause);
QString cannotSave(const QString &path, const QString &cause);

} // namespace FileMessage
