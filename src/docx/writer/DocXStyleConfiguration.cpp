#include "DocXStyleConfiguration.h"

#include "platform/XmlElementConversion.h"

#include <QFile>

DocXStyleConfiguration::DocXStyleConfiguration(std::optional<XmlElement> styles, FontFamily fontFamily)
    : m_styles(std::move(styles)), m_fontFamily(fontFamily)
{
}

std::optional<DocXStyleConfiguration> DocXStyleConfiguration::fromFile(const QString &path, FontFamily fontFamily,
                                                                       QString *error)
{
    if (path.isEmpty())
        return DocXStyleConfiguration(std::nullopt, fontFamily);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString reason;
    auto styles = XmlElementConversion::fromBytes(file.readAll(), &reason);
    if (!styles) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, reason);
        return std::nullopt;
    }
    return DocXStyleConfiguration(std::move(styles), fontFamily);
}

std::optional<DocXStyleConfiguration> DocXStyleConfiguration::fromText(const QString &xml, FontFamily fontFamily,
                                                                       QString *error)
{
    if (xml.isNull())
        return DocXStyleConfiguration(std::nullopt, fontFamily);
    auto styles = XmlElementConversion::fromBytes(xml.toUtf8(), error);
    if (!styles)
        return std::nullopt;
    return DocXStyleConfiguration(std::move(styles), fontFamily);
}

std::optional<QStringList> DocXStyleConfiguration::styleIds(const QString &type) const
{
    if (!m_styles)
        return std::nullopt;
    QStringList ids;
    for (const XmlElement &style : m_styles->children()) {
        if (style.name() != QLatin1String("w:style"))
            continue;
        const auto &attributes = style.attributes();
        const auto typeValue = attributes.find(QStringLiteral("w:type"));
        if (typeValue == attributes.end() || typeValue->second != type)
            continue;
        const auto id = attributes.find(QStringLiteral("w:styleId"));
        if (id != attributes.end())
            ids.append(id->second);
    }
    return ids;
}
