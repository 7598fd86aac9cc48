#include "EncryptedPackage.h"

#include "platform/CompoundFileReader.h"
#include "platform/FileBytes.h"

#include <QFile>
#include <QFileInfo>

namespace EncryptedPackage {

namespace {

// Larger containers are not looked into.
constexpr qint64 maximumContainerSize = qint64(512) * 1024 * 1024;

} // namespace

bool isEncrypted(const QByteArray &bytes)
{
    if (!CompoundFileReader::hasSignature(bytes))
        return false;
    const auto container = CompoundFileReader::open(bytes, nullptr);
    return container && container->hasStream(QStringLiteral("EncryptionInfo"))
           && container->hasStream(QStringLiteral("EncryptedPackage"));
}

bool fileIsEncrypted(const QString &path)
{
    // Opening a FIFO would wait for a writer, a device could be read without end.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    // Only a compound file is read whole.
    if (!file.open(QIODevice::ReadOnly) || !CompoundFileReader::hasSignature(file.read(8)))
        return false;
    file.close();
    const auto bytes = FileBytes::read(path, maximumContainerSize, nullptr);
    return bytes && isEncrypted(*bytes);
}

QString refusal(const QString &path)
{
    return QStringLiteral("The file '%1' is password-protected; this program does not open password-protected documents.")
        .arg(path);
}

} // namespace EncryptedPackage
