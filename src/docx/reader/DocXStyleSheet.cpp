#include "docx/reader/DocXStyleSheet.h"

#include "platform/XmlRead.h"

#include <QList>

namespace {

// Longer basedOn chains are cut here; real documents stay far below.
constexpr int maximumChain = 64;

} // namespace

DocXStyleSheet::DocXStyleSheet(pugi::xml_node styles, const DocXThemeFonts &theme)
{
    const pugi::xml_node defaults = XmlRead::firstChild(styles, "w:docDefaults");
    m_defaultRun = DocXRunFormat::fromXml(
        XmlRead::firstChild(XmlRead::firstChild(defaults, "w:rPrDefault"), "w:rPr"), theme);
    m_defaultParagraph = DocXParagraphFormat::fromXml(
        XmlRead::firstChild(XmlRead::firstChild(defaults, "w:pPrDefault"), "w:pPr"));
    for (pugi::xml_node node : XmlRead::children(styles, "w:style")) {
        const QString id = XmlRead::attribute(node, "w:styleId");
        if (id.isEmpty() || m_styles.contains(id))
            continue;
        Style style;
        style.basedOn = XmlRead::attribute(XmlRead::firstChild(node, "w:basedOn"), "w:val");
        style.run = DocXRunFormat::fromXml(XmlRead::firstChild(node, "w:rPr"), theme);
        style.paragraph = DocXParagraphFormat::fromXml(XmlRead::firstChild(node, "w:pPr"));
        m_styles.insert(id, style);
        const QString isDefault = XmlRead::attribute(node, "w:default");
        if (m_defaultParagraphStyle.isEmpty() && XmlRead::attribute(node, "w:type") == QLatin1String("paragraph")
            && (isDefault == QLatin1String("1") || isDefault == QLatin1String("true") || isDefault == QLatin1String("on")))
            m_defaultParagraphStyle = id;
    }
}

QString DocXStyleSheet::paragraphStyle(const QString &styleId) const
{
    return m_styles.contains(styleId) ? styleId : m_defaultParagraphStyle;
}

DocXRunFormat DocXStyleSheet::runFormat(const QString &styleId) const
{
    return resolved(styleId, &Style::run, m_runCache);
}

DocXParagraphFormat DocXStyleSheet::paragraphFormat(const QString &styleId) const
{
    return resolved(styleId, &Style::paragraph, m_paragraphCache);
}

template <typename Format>
Format DocXStyleSheet::resolved(const QString &styleId, Format Style::*field, QHash<QString, Format> &cache) const
{
    if (const auto cached = cache.constFind(styleId); cached != cache.cend())
        return *cached;
    // The chain from the style to its last base, stopping where it loops.
    QList<const Style *> chain;
    QSet<QString> seen;
    for (QString id = styleId; !id.isEmpty() && !seen.contains(id) && chain.size() < maximumChain;) {
        const auto style = m_styles.constFind(id);
        if (style == m_styles.cend())
            break;
        seen.insert(id);
        chain.append(&*style);
        id = style->basedOn;
    }
    Format format;
    for (auto it = chain.crbegin(); it != chain.crend(); ++it)
        format.overlay((*it)->*field);
    cache.insert(styleId, format);
    return format;
}
