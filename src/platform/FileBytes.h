#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Whole files in memory. Reading goes by the file's size: nothing is reserved
// beyond what the file holds, so opening a small file costs a small buffer
// whatever the limit. Failures name the file and the system's reason.
namespace FileBytes {

// The bytes of the regular file at `path` (a link followed to one); nullopt
// with *error (naming the file and the cause) when it does not exist, is no
// regular file (a FIFO, a device, a folder), holds more than `maximumSize`
// bytes or cannot be read. Never waits for a FIFO's writer.
std::optional<QByteArray> read(const QString &path, qint64 maximumSize, QString *error);

// True when `path` names a regular file that can be opened for reading, for
// callers that hand the path to a library; false with *error as read() words it.
bool checkRegularFile(const QString &path, QString *error);

// Writes `bytes` as the whole content of the file at `path`, made or emptied
// first, in place (SafeSave is the way to replace a user's file). False with
// *error ("Cannot write '<path>': No space left on device") on failure.
bool write(const QString &path, const QByteArray &bytes, QString *error);

} // namespace FileBytes
