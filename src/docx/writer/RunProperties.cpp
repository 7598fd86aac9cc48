#include "RunProperties.h"

#include "docx/writer/DocXColor.h"
#include "docx/writer/DocXUnits.h"

#include <array>
#include <cmath>

namespace RunProperties {

namespace {

// Slots of w:rPr in schema order; the first source to fill a slot keeps it.
enum Slot { RStyle, RFonts, Bold, Italic, Strike, DStrike, Color, Size, Underline, Shading, VertAlign, Outline, SlotCount };

class PropertySlots
{
public:
    void set(Slot slot, XmlElement element)
    {
        if (!m_slots[slot])
            m_slots[slot] = std::move(element);
    }
    void replace(Slot slot, XmlElement element) { m_slots[slot] = std::move(element); }
    void clear(Slot slot) { m_slots[slot].reset(); }
    XmlElement element() const
    {
        XmlElement rPr(QStringLiteral("w:rPr"));
        for (const auto &slot : m_slots)
            if (slot)
                rPr.addChild(*slot);
        return rPr;
    }

private:
    std::array<std::optional<XmlElement>, SlotCount> m_slots;
};

XmlElement valElement(const QString &name, const QString &value)
{
    return XmlElement(name, std::nullopt, {{QStringLiteral("w:val"), value}});
}

constexpr qint64 maxOutlineWidth = 20116800; // ST_LineWidth

QColor colorOr(const std::optional<QColor> &color, const QColor &fallback)
{
    return color && color->isValid() ? *color : fallback;
}

void addFont(PropertySlots &props, const TextAttributes &attributes)
{
    if (!attributes.font)
        return;
    for (XmlElement &element : fontElements(*attributes.font)) {
        const QString &name = element.name();
        const Slot slot = name == QLatin1String("w:rFonts") ? RFonts
                          : name == QLatin1String("w:sz")   ? Size
                          : name == QLatin1String("w:b")    ? Bold
                                                            : Italic;
        props.set(slot, std::move(element));
    }
}

bool isStroked(const TextAttributes &attributes)
{
    return attributes.font && attributes.strokeWidth && std::isfinite(*attributes.strokeWidth)
           && *attributes.strokeWidth != 0.0;
}

void addColorAndStroke(PropertySlots &props, const TextAttributes &attributes)
{
    if (isStroked(attributes)) {
        const auto elements = textOutlineElements(*attributes.strokeWidth, *attributes.font, attributes);
        for (const XmlElement &element : elements)
            props.set(element.name() == QLatin1String("w:color") ? Color : Outline, element);
        if (!elements.empty())
            return;
    }
    if (attributes.foreground)
        if (const auto hex = DocXColor::visibleHexText(*attributes.foreground))
            props.set(Color, valElement(QStringLiteral("w:color"), *hex));
}

void addUnderline(PropertySlots &props, const TextAttributes &attributes)
{
    if (!attributes.underlineStyle)
        return;
    XmlElement underline = valElement(QStringLiteral("w:u"), underlineValue(*attributes.underlineStyle));
    if (attributes.underlineColor)
        if (const auto hex = DocXColor::visibleHexText(*attributes.underlineColor))
            underline.setAttribute(QStringLiteral("w:color"), *hex);
    props.set(Underline, underline);
}

void addBackground(PropertySlots &props, const TextAttributes &attributes)
{
    if (!attributes.background)
        return;
    if (const auto hex = DocXColor::visibleHexText(*attributes.background))
        props.set(Shading, XmlElement(QStringLiteral("w:shd"), std::nullopt,
                                      {{QStringLiteral("w:fill"), *hex},
                                       {QStringLiteral("w:val"), QStringLiteral("clear")},
                                       {QStringLiteral("w:color"), *hex}}));
}

void addStrikethrough(PropertySlots &props, const TextAttributes &attributes)
{
    const int style = attributes.strikethroughStyle.value_or(0);
    if (style == 0)
        return;
    const bool isDouble = TextLineStyle::isDouble(style);
    props.set(isDouble ? DStrike : Strike,
              valElement(isDouble ? QStringLiteral("w:dstrike") : QStringLiteral("w:strike"), QStringLiteral("true")));
}

void addIntent(PropertySlots &props, const TextAttributes &attributes)
{
    switch (attributes.inlinePresentationIntent.value_or(0)) {
    case InlinePresentationIntent::emphasized:
        props.set(Italic, valElement(QStringLiteral("w:i"), QStringLiteral("true")));
        break;
    case InlinePresentationIntent::stronglyEmphasized:
        props.set(Bold, valElement(QStringLiteral("w:b"), QStringLiteral("true")));
        break;
    case InlinePresentationIntent::strikethrough:
        props.set(Strike, valElement(QStringLiteral("w:strike"), QStringLiteral("true")));
        break;
    default:
        break;
    }
}

void addBaseline(PropertySlots &props, const TextAttributes &attributes)
{
    const double offset = attributes.baselineOffset.value_or(0.0);
    if (!std::isfinite(offset) || offset == 0.0)
        return;
    props.set(VertAlign, valElement(QStringLiteral("w:vertAlign"),
                                    offset > 0 ? QStringLiteral("superscript") : QStringLiteral("subscript")));
}

PropertySlots propertySlots(const TextAttributes &attributes, FontFamily fontFamily)
{
    PropertySlots props;
    addFont(props, attributes);
    addColorAndStroke(props, attributes);
    addUnderline(props, attributes);
    addBackground(props, attributes);
    addStrikethrough(props, attributes);
    addIntent(props, attributes);
    addBaseline(props, attributes);
    if (attributes.characterStyleId)
        props.set(RStyle, valElement(QStringLiteral("w:rStyle"), *attributes.characterStyleId));
    if (fontFamily == FontFamily::Omitted)
        props.clear(RFonts);
    return props;
}

} // namespace

std::vector<XmlElement> fontElements(const FontDescriptor &font)
{
    std::vector<XmlElement> elements;
    const QString family = font.family.isEmpty() ? font.faceName : font.family;
    if (!family.isEmpty())
        elements.emplace_back(QStringLiteral("w:rFonts"), std::nullopt,
                              XmlElement::Attributes{{QStringLiteral("w:ascii"), family},
                                                     {QStringLiteral("w:eastAsia"), family},
                                                     {QStringLiteral("w:hAnsi"), family},
                                                     {QStringLiteral("w:cs"), family}});
    if (const auto size = DocXUnits::halfPoints(font.pointSize))
        elements.push_back(valElement(QStringLiteral("w:sz"), DocXUnits::text(*size)));
    if (font.bold)
        elements.emplace_back(QStringLiteral("w:b"));
    if (font.italic)
        elements.emplace_back(QStringLiteral("w:i"));
    return elements;
}

XmlElement element(const TextAttributes &attributes, FontFamily fontFamily)
{
    return propertySlots(attributes, fontFamily).element();
}

XmlElement elementWithSize(const TextAttributes &attributes, qint64 halfPoints)
{
    PropertySlots props = propertySlots(attributes, FontFamily::Written);
    props.replace(Size, valElement(QStringLiteral("w:sz"), DocXUnits::text(halfPoints)));
    return props.element();
}

QString underlineValue(int style)
{
    using namespace TextLineStyle;
    if (style & byWord)
        return QStringLiteral("words");
    const bool heavy = style & thick;
    switch (style & 0x700) {
    case patternDot: return heavy ? QStringLiteral("dottedHeavy") : QStringLiteral("dotted");
    case patternDash: return heavy ? QStringLiteral("dashedHeavy") : QStringLiteral("dash");
    case patternDashDot: return heavy ? QStringLiteral("dashDotHeavy") : QStringLiteral("dotDash");
    case patternDashDotDot: return heavy ? QStringLiteral("dashDotDotHeavy") : QStringLiteral("dotDotDash");
    default: break;
    }
    if (isDouble(style))
        return QStringLiteral("double");
    if (heavy)
        return QStringLiteral("thick");
    if (style & single)
        return QStringLiteral("single");
    return QStringLiteral("none");
}

std::vector<XmlElement> textOutlineElements(double strokeWidth, const FontDescriptor &font,
                                            const TextAttributes &attributes)
{
    const double width = std::abs(strokeWidth * font.pointSize / 100.0) * 12700.0;
    if (!std::isfinite(width))
        return {};
    const qint64 lineWidth = qMin<qint64>(qint64(std::trunc(qMin(width, double(maxOutlineWidth)))), maxOutlineWidth);
    const QColor outline = colorOr(attributes.strokeColor, colorOr(attributes.foreground, Qt::black));
    const QColor fill = strokeWidth < 0 ? colorOr(attributes.foreground, Qt::black)
                                        : colorOr(attributes.background, Qt::white);

    std::vector<XmlElement> elements;
    if (const auto fillHex = DocXColor::visibleHexText(fill))
        elements.push_back(valElement(QStringLiteral("w:color"), *fillHex));
    XmlElement textOutline(QStringLiteral("w14:textOutline"), std::nullopt,
                           {{QStringLiteral("w14:w"), DocXUnits::text(lineWidth)},
                            {QStringLiteral("w14:cap"), QStringLiteral("flat")},
                            {QStringLiteral("w14:cmpd"), QStringLiteral("sng")},
                            {QStringLiteral("w14:algn"), QStringLiteral("ctr")}});
    textOutline.addChild(QStringLiteral("w14:solidFill"))
        .addChild(QStringLiteral("w14:srgbClr"), std::nullopt,
                  {{QStringLiteral("w14:val"), DocXColor::hexText(outline)}});
    textOutline.addChild(QStringLiteral("w14:prstDash"), std::nullopt,
                         {{QStringLiteral("w14:val"), QStringLiteral("solid")}});
    textOutline.addChild(QStringLiteral("w14:round"));
    elements.push_back(std::move(textOutline));
    return elements;
}

} // namespace RunProperties
