#include "docx/reader/DocXParagraphFormat.h"

#include "docx/reader/DocXValues.h"

#include "platform/XmlRead.h"

namespace {

template <typename T>
void take(std::optional<T> &target, const std::optional<T> &source)
{
    if (source)
        target = source;
}

std::optional<double> points(pugi::xml_node element, const char *attribute)
{
    if (const auto twips = DocXValues::twips(element, attribute))
        return *twips / 20.0;
    return std::nullopt;
}

// "start" and "end" are the names of newer files for "left" and "right".
std::optional<double> edgeIndent(pugi::xml_node ind, const char *edge, const char *logical)
{
    const auto value = points(ind, logical);
    return value ? value : points(ind, edge);
}

std::optional<TextAlignment> alignmentNamed(const QString &value)
{
    if (value == QLatin1String("left") || value == QLatin1String("start"))
        return TextAlignment::Left;
    if (value == QLatin1String("right") || value == QLatin1String("end"))
        return TextAlignment::Right;
    if (value == QLatin1String("center"))
        return TextAlignment::Center;
    if (value == QLatin1String("both") || value == QLatin1String("distribute") || value.endsWith(QLatin1String("Kashida"))
        || value == QLatin1String("thaiDistribute"))
        return TextAlignment::Justified;
    return std::nullopt;
}

void readSpacing(DocXParagraphFormat &format, pugi::xml_node spacing)
{
    if (!spacing)
        return;
    format.spacingBefore = points(spacing, "w:before");
    format.spacingAfter = points(spacing, "w:after");
    const auto line = DocXValues::twips(spacing, "w:line");
    if (!line || *line <= 0)
        return;
    const QString rule = XmlRead::attribute(spacing, "w:lineRule");
    if (rule.isEmpty() || rule == QLatin1String("auto")) {
        format.lineMultiple = *line / 240.0;
        format.lineExact.reset();
    } else {
        format.lineExact = *line / 20.0;
        format.lineMultiple.reset();
    }
}

} // namespace

DocXParagraphFormat DocXParagraphFormat::fromXml(pugi::xml_node pPr)
{
    DocXParagraphFormat format;
    if (!pPr)
        return format;
    if (const pugi::xml_node jc = XmlRead::firstChild(pPr, "w:jc"))
        format.alignment = alignmentNamed(XmlRead::attribute(jc, "w:val"));
    if (const pugi::xml_node ind = XmlRead::firstChild(pPr, "w:ind")) {
        format.leftIndent = edgeIndent(ind, "w:left", "w:start");
        format.rightIndent = edgeIndent(ind, "w:right", "w:end");
        if (const auto hanging = points(ind, "w:hanging"))
            format.firstLineIndent = -*hanging;
        else
            format.firstLineIndent = points(ind, "w:firstLine");
    }
    readSpacing(format, XmlRead::firstChild(pPr, "w:spacing"));
    format.pageBreakBefore = DocXValues::onOff(XmlRead::firstChild(pPr, "w:pageBreakBefore"));
    if (const pugi::xml_node numPr = XmlRead::firstChild(pPr, "w:numPr")) {
        format.numberingId = DocXValues::integer(XmlRead::firstChild(numPr, "w:numId"), "w:val");
        format.numberingLevel = DocXValues::integer(XmlRead::firstChild(numPr, "w:ilvl"), "w:val");
    }
    return format;
}

void DocXParagraphFormat::overlay(const DocXParagraphFormat &top)
{
    take(alignment, top.alignment);
    take(leftIndent, top.leftIndent);
    take(rightIndent, top.rightIndent);
    take(firstLineIndent, top.firstLineIndent);
    take(spacingBefore, top.spacingBefore);
    take(spacingAfter, top.spacingAfter);
    if (top.lineMultiple || top.lineExact) {
        lineMultiple = top.lineMultiple;
        lineExact = top.lineExact;
    }
    take(pageBreakBefore, top.pageBreakBefore);
    take(numberingId, top.numberingId);
    take(numberingLevel, top.numberingLevel);
}

ParagraphStyle DocXParagraphFormat::paragraphStyle() const
{
    ParagraphStyle style;
    style.alignment = alignment.value_or(TextAlignment::Natural);
    style.spacingBefore = qMax(0.0, spacingBefore.value_or(0.0));
    style.spacingAfter = qMax(0.0, spacingAfter.value_or(0.0));
    style.lineHeightMultiple = lineMultiple.value_or(0.0);
    style.lineSpacing = lineExact.value_or(0.0);
    const double left = leftIndent.value_or(0.0);
    style.headIndent = left;
    style.firstLineHeadIndent = left + firstLineIndent.value_or(0.0);
    const double right = rightIndent.value_or(0.0);
    style.tailIndent = right > 0 ? -right : 0.0;
    return style;
}
