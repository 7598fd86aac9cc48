#include "DocXPart.h"

#include "platform/XmlElementConversion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace DocXPart {

QByteArray serialize(const XmlElement &root, Encoding encoding)
{
    QString text = XmlText::declaration(encoding == Encoding::LowerCase ? QStringLiteral("utf-8")
                                                                        : QStringLiteral("UTF-8"),
                                        QStringLiteral("yes"));
    text += root.toCompactString();
    text.remove(u'\t');
    return text.toUtf8();
}

bool writeBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
}

bool write(const QString &path, const XmlElement &root, QString *error, Encoding encoding)
{
    return writeBytes(path, serialize(root, encoding), error);
}

std::optional<XmlElement> read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString reason;
    auto root = XmlElementConversion::fromBytes(file.readAll(), &reason);
    if (!root && error)
        *error = QStringLiteral("%1: %2").arg(path, reason);
    return root;
}

} // namespace DocXPart
