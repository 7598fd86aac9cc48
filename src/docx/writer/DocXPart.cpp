#include "DocXPart.h"

#include "platform/XmlElementConversion.h"

#include <QFile>

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

bool write(PackageFolder &package, const QString &partName, const XmlElement &root, QString *error, Encoding encoding)
{
    return package.writePart(partName, serialize(root, encoding), error);
}

std::optional<XmlElement> read(const PackageFolder &package, const QString &partName, QString *error)
{
    const QString path = package.path() + u'/' + partName;
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
