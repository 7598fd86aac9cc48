#include "PackageContentTypes.h"

#include "FixedPartText.h"

namespace {

const QString defaultTag = QStringLiteral("Default");
const QString overrideTag = QStringLiteral("Override");
const QString extensionName = QStringLiteral("Extension");
const QString partNameName = QStringLiteral("PartName");
const QString contentTypeName = QStringLiteral("ContentType");

} // namespace

void PackageContentTypes::addDefault(const QString &extension, const QString &contentType)
{
    m_entries.append({true, extension, contentType});
}

void PackageContentTypes::addOverride(const QString &partName, const QString &contentType)
{
    m_entries.append({false, u'/' + partName, contentType});
}

QString PackageContentTypes::toFixedText() const
{
    FixedPartText part(QStringLiteral("Types"), xmlns);
    for (const Entry &entry : m_entries) {
        part.emptyElement(4, entry.isDefault ? defaultTag : overrideTag,
                          {{entry.isDefault ? extensionName : partNameName, entry.key},
                           {contentTypeName, entry.contentType}});
    }
    return part.finish();
}

XmlElement PackageContentTypes::toElement() const
{
    XmlElement root(QStringLiteral("Types"), std::nullopt, {{QStringLiteral("xmlns"), xmlns}});
    for (const Entry &entry : m_entries) {
        root.addChild(entry.isDefault ? defaultTag : overrideTag, std::nullopt,
                      {{entry.isDefault ? extensionName : partNameName, entry.key},
                       {contentTypeName, entry.contentType}});
    }
    return root;
}
