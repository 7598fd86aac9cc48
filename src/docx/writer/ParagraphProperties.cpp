#include "ParagraphProperties.h"

#include "docx/writer/DocXUnits.h"

namespace ParagraphProperties {

namespace {

using DocXUnits::Sign;

void setIfValid(XmlElement &element, const QString &name, std::optional<qint64> value)
{
    if (value)
        element.setAttribute(name, DocXUnits::text(*value));
}

std::optional<XmlElement> ifHasAttributes(XmlElement element)
{
    if (element.attributes().empty())
        return std::nullopt;
    return element;
}

} // namespace

XmlElement alignmentElement(TextAlignment alignment)
{
    QString value = QStringLiteral("start");
    switch (alignment) {
    case TextAlignment::Center: value = QStringLiteral("center"); break;
    case TextAlignment::Right: value = QStringLiteral("end"); break;
    case TextAlignment::Justified: value = QStringLiteral("both"); break;
    default: break;
    }
    return XmlElement(QStringLiteral("w:jc"), std::nullopt, {{QStringLiteral("w:val"), value}});
}

std::optional<XmlElement> spacingElement(const ParagraphStyle &style)
{
    XmlElement spacing(QStringLiteral("w:spacing"));
    if (style.spacingBefore > 0)
        setIfValid(spacing, QStringLiteral("w:before"), DocXUnits::twips(style.spacingBefore, Sign::Unsigned));
    if (style.spacingAfter > 0)
        setIfValid(spacing, QStringLiteral("w:after"), DocXUnits::twips(style.spacingAfter, Sign::Unsigned));
    std::optional<qint64> line;
    QString rule;
    if (style.lineHeightMultiple > 0) {
        line = DocXUnits::lineShares(style.lineHeightMultiple);
        rule = QStringLiteral("auto");
    }
    if (style.lineSpacing > 0) {
        line = DocXUnits::twips(style.lineSpacing, Sign::Signed);
        rule = QStringLiteral("exact");
    }
    if (line) {
        spacing.setAttribute(QStringLiteral("w:line"), DocXUnits::text(*line));
        spacing.setAttribute(QStringLiteral("w:lineRule"), rule);
    }
    return ifHasAttributes(std::move(spacing));
}

std::optional<XmlElement> indentationElement(const ParagraphStyle &style)
{
    XmlElement indentation(QStringLiteral("w:ind"));
    const double head = style.headIndent, first = style.firstLineHeadIndent;
    if (head > 0 || first > 0) {
        // 0.01 stands for "no indent" in the text system's paragraph styles.
        const double h = head == 0.01 ? 0.0 : head;
        const double f = first == 0.01 ? 0.0 : first;
        const double difference = h - f;
        setIfValid(indentation, QStringLiteral("w:start"), DocXUnits::twips(h, Sign::Signed));
        if (difference > 0)
            setIfValid(indentation, QStringLiteral("w:hanging"), DocXUnits::twips(difference, Sign::Unsigned));
        else
            setIfValid(indentation, QStringLiteral("w:firstLine"), DocXUnits::twips(-difference, Sign::Unsigned));
    }
    if (style.tailIndent < 0)
        setIfValid(indentation, QStringLiteral("w:end"), DocXUnits::twips(-style.tailIndent, Sign::Signed));
    return ifHasAttributes(std::move(indentation));
}

std::vector<XmlElement> elements(const ParagraphStyle &style)
{
    std::vector<XmlElement> result;
    if (auto spacing = spacingElement(style))
        result.push_back(std::move(*spacing));
    if (auto indentation = indentationElement(style))
        result.push_back(std::move(*indentation));
    result.push_back(alignmentElement(style.alignment));
    return result;
}

} // namespace ParagraphProperties
