#pragma once

#include <QByteArray>
#include <QString>

namespace FileWrite {

// Writes `bytes` to `path` through a scratch file renamed over the target, so
// the old file survives any failure. Creates missing parent folders. Returns
// false and sets *error on failure.
bool atomically(const QString &path, const QByteArray &bytes, QString *error);

} // namespace FileWrite
