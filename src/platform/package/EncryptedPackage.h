#pragma once

#include <QByteArray>
#include <QString>

// A document package saved with a password is no ZIP archive: the package is
// stored encrypted in a compound file, in the streams "EncryptionInfo" and
// "EncryptedPackage". The readers of packages ask here before they call such
// a file damaged, and refuse it with one message.
namespace EncryptedPackage {

// Whether `bytes` are a compound file holding an encrypted package.
bool isEncrypted(const QByteArray &bytes);

// Whether the file at `path` is one; false for files that cannot be read and
// for anything but a regular file (which is not opened).
bool fileIsEncrypted(const QString &path);

// What the user is told when opening such a file.
QString refusal(const QString &path);

} // namespace EncryptedPackage
