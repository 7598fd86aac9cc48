#include "docx/reader/DocXRunFormat.h"

#include "docx/reader/DocXThemeFonts.h"
#include "docx/reader/DocXValues.h"

#include "platform/XmlRead.h"

#include <QHash>

#include <cmath>

namespace {

template <typename T>
void take(std::optional<T> &target, const std::optional<T> &source)
{
    if (source)
        target = source;
}

int underlineStyle(const QString &value)
{
    using namespace TextLineStyle;
    static const QHash<QString, int> styles = {
        {QStringLiteral("single"), single},
        {QStringLiteral("words"), single | byWord},
        {QStringLiteral("double"), doubleLine},
        {QStringLiteral("thick"), thick},
        {QStringLiteral("dotted"), single | patternDot},
        {QStringLiteral("dottedHeavy"), thick | patternDot},
        {QStringLiteral("dash"), single | patternDash},
        {QStringLiteral("dashedHeavy"), thick | patternDash},
        {QStringLiteral("dashLong"), single | patternDash},
        {QStringLiteral("dashLongHeavy"), thick | patternDash},
        {QStringLiteral("dotDash"), single | patternDashDot},
        {QStringLiteral("dashDotHeavy"), thick | patternDashDot},
        {QStringLiteral("dotDotDash"), single | patternDashDotDot},
        {QStringLiteral("dashDotDotHeavy"), thick | patternDashDotDot},
        {QStringLiteral("wave"), single},
        {QStringLiteral("wavyHeavy"), thick},
        {QStringLiteral("wavyDouble"), doubleLine},
    };
    return styles.value(value, none);
}

// A colour attribute: "auto" gives an invalid colour (no colour), a
// malformed value nothing at all.
std::optional<QColor> colorValue(pugi::xml_node element, const char *attribute)
{
    if (!element || !XmlRead::hasAttribute(element, attribute))
        return std::nullopt;
    const QString value = XmlRead::attribute(element, attribute).trimmed();
    if (value.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return QColor();
    return DocXValues::hexColor(value);
}

std::optional<QString> fontName(pugi::xml_node fonts, const char *themeAttribute, const char *nameAttribute,
                                const DocXThemeFonts &theme)
{
    if (XmlRead::hasAttribute(fonts, themeAttribute)) {
        const QString themed = theme.font(XmlRead::attribute(fonts, themeAttribute));
        if (!themed.isEmpty())
            return themed;
    }
    if (XmlRead::hasAttribute(fonts, nameAttribute))
        return XmlRead::attribute(fonts, nameAttribute);
    return std::nullopt;
}

void readFonts(DocXRunFormat &format, pugi::xml_node fonts, const DocXThemeFonts &theme)
{
    if (!fonts)
        return;
    format.latinFont = fontName(fonts, "w:asciiTheme", "w:ascii", theme);
    if (!format.latinFont)
        format.latinFont = fontName(fonts, "w:hAnsiTheme", "w:hAnsi", theme);
    format.eastAsianFont = fontName(fonts, "w:eastAsiaTheme", "w:eastAsia", theme);
}

// <w14:textOutline w14:w="EMU"> with a solid colour; the glyphs stay filled
// unless <w14:textFill> says <w14:noFill/>.
void readTextEffects(DocXRunFormat &format, pugi::xml_node rPr)
{
    const pugi::xml_node outline = XmlRead::firstChild(rPr, "w14:textOutline");
    if (outline) {
        const auto width = DocXValues::integer(outline, "w14:w");
        const bool noLine = XmlRead::firstChild(outline, "w14:noFill");
        format.outlineWidth = noLine || !width ? 0.0 : qMax(0, *width) / 12700.0;
        const pugi::xml_node rgb =
            XmlRead::firstChild(XmlRead::firstChild(outline, "w14:solidFill"), "w14:srgbClr");
        format.outlineColor = colorValue(rgb, "w14:val");
    }
    const pugi::xml_node fill = XmlRead::firstChild(rPr, "w14:textFill");
    if (fill)
        format.outlineOnly = bool(XmlRead::firstChild(fill, "w14:noFill"));
}

} // namespace

DocXRunFormat DocXRunFormat::fromXml(pugi::xml_node rPr, const DocXThemeFonts &theme)
{
    DocXRunFormat format;
    if (!rPr)
        return format;
    readFonts(format, XmlRead::firstChild(rPr, "w:rFonts"), theme);
    if (const auto halfPoints = DocXValues::integer(XmlRead::firstChild(rPr, "w:sz"), "w:val"); halfPoints && *halfPoints > 0)
        format.pointSize = qMin(*halfPoints, 3276) / 2.0;
    format.bold = DocXValues::onOff(XmlRead::firstChild(rPr, "w:b"));
    format.italic = DocXValues::onOff(XmlRead::firstChild(rPr, "w:i"));
    if (const pugi::xml_node u = XmlRead::firstChild(rPr, "w:u")) {
        format.underline = underlineStyle(XmlRead::attribute(u, "w:val"));
        format.underlineColor = colorValue(u, "w:color");
    }
    if (const auto strike = DocXValues::onOff(XmlRead::firstChild(rPr, "w:strike")))
        format.strikethrough = *strike ? TextLineStyle::single : TextLineStyle::none;
    if (const auto doubleStrike = DocXValues::onOff(XmlRead::firstChild(rPr, "w:dstrike")); doubleStrike && *doubleStrike)
        format.strikethrough = TextLineStyle::doubleLine;
    format.color = colorValue(XmlRead::firstChild(rPr, "w:color"), "w:val");
    if (const pugi::xml_node highlight = XmlRead::firstChild(rPr, "w:highlight"))
        format.highlight = DocXValues::highlightColor(XmlRead::attribute(highlight, "w:val")).value_or(QColor());
    format.shading = colorValue(XmlRead::firstChild(rPr, "w:shd"), "w:fill");
    if (const pugi::xml_node align = XmlRead::firstChild(rPr, "w:vertAlign")) {
        const QString value = XmlRead::attribute(align, "w:val");
        format.verticalAlign = value == QLatin1String("superscript") ? 1 : value == QLatin1String("subscript") ? -1 : 0;
    }
    if (const auto position = DocXValues::integer(XmlRead::firstChild(rPr, "w:position"), "w:val"))
        format.position = qBound(-3168, *position, 3168) / 2.0;
    if (const auto outline = DocXValues::onOff(XmlRead::firstChild(rPr, "w:outline"))) {
        format.outlineWidth = *outline ? 0.75 : 0.0;
        format.outlineOnly = *outline;
    }
    readTextEffects(format, rPr);
    return format;
}

void DocXRunFormat::overlay(const DocXRunFormat &top)
{
    take(latinFont, top.latinFont);
    take(eastAsianFont, top.eastAsianFont);
    take(pointSize, top.pointSize);
    take(bold, top.bold);
    take(italic, top.italic);
    take(underline, top.underline);
    take(underlineColor, top.underlineColor);
    take(strikethrough, top.strikethrough);
    take(color, top.color);
    take(highlight, top.highlight);
    take(shading, top.shading);
    take(verticalAlign, top.verticalAlign);
    take(position, top.position);
    take(outlineWidth, top.outlineWidth);
    take(outlineColor, top.outlineColor);
    take(outlineOnly, top.outlineOnly);
}

TextAttributes DocXRunFormat::attributes(bool eastAsian) const
{
    TextAttributes a;
    FontDescriptor font;
    const std::optional<QString> family = eastAsian && eastAsianFont && !eastAsianFont->isEmpty() ? eastAsianFont : latinFont;
    font.family = family && !family->isEmpty() ? *family : QStringLiteral("Times New Roman");
    font.pointSize = pointSize.value_or(10.0);
    font.bold = bold.value_or(false);
    font.italic = italic.value_or(false);
    a.font = font;
    if (color && color->isValid())
        a.foreground = *color;
    const std::optional<QColor> background = highlight && highlight->isValid() ? highlight : shading;
    if (background && background->isValid())
        a.background = *background;
    if (underline.value_or(0) != 0) {
        a.underlineStyle = *underline;
        if (underlineColor && underlineColor->isValid())
            a.underlineColor = *underlineColor;
    }
    if (strikethrough.value_or(0) != 0)
        a.strikethroughStyle = *strikethrough;
    if (position && *position != 0.0)
        a.baselineOffset = *position;
    else if (verticalAlign.value_or(0) != 0)
        a.baselineOffset = *verticalAlign * font.pointSize / 3.0;
    if (outlineWidth.value_or(0.0) > 0.0 && font.pointSize > 0.0) {
        // Stroke widths are percents of the size: positive strokes only, negative fills too.
        const double percent = *outlineWidth / font.pointSize * 100.0;
        a.strokeWidth = outlineOnly.value_or(false) ? percent : -percent;
        if (outlineColor && outlineColor->isValid())
            a.strokeColor = *outlineColor;
    }
    return a;
}
