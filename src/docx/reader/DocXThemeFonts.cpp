#include "docx/reader/DocXThemeFonts.h"

#include "platform/XmlRead.h"

namespace {

// An empty East Asian typeface defers to the font the theme gives Japanese text.
QString eastAsianTypeface(pugi::xml_node fontGroup)
{
    const QString direct = XmlRead::attribute(XmlRead::firstChild(fontGroup, "a:ea"), "typeface");
    if (!direct.isEmpty())
        return direct;
    for (pugi::xml_node font : XmlRead::children(fontGroup, "a:font")) {
        if (XmlRead::attribute(font, "script") == QLatin1String("Jpan"))
            return XmlRead::attribute(font, "typeface");
    }
    return {};
}

} // namespace

DocXThemeFonts::DocXThemeFonts(pugi::xml_node theme)
{
    const pugi::xml_node scheme =
        XmlRead::firstChild(XmlRead::firstChild(theme, "a:themeElements"), "a:fontScheme");
    const struct {
        const char *prefix;
        const char *element;
    } groups[] = {{"major", "a:majorFont"}, {"minor", "a:minorFont"}};
    for (const auto &kind : groups) {
        const pugi::xml_node group = XmlRead::firstChild(scheme, kind.element);
        const QString prefix = QString::fromLatin1(kind.prefix);
        const QString latin = XmlRead::attribute(XmlRead::firstChild(group, "a:latin"), "typeface");
        m_fonts.insert(prefix + QLatin1String("Ascii"), latin);
        m_fonts.insert(prefix + QLatin1String("HAnsi"), latin);
        m_fonts.insert(prefix + QLatin1String("EastAsia"), eastAsianTypeface(group));
        m_fonts.insert(prefix + QLatin1String("Bidi"), XmlRead::attribute(XmlRead::firstChild(group, "a:cs"), "typeface"));
    }
}

QString DocXThemeFonts::font(const QString &themeName) const
{
    return m_fonts.value(themeName);
}
