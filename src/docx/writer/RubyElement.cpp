#include "RubyElement.h"

#include "docx/writer/DocXUnits.h"
#include "docx/writer/RunProperties.h"
#include "docx/writer/RunText.h"

namespace RubyElement {

namespace {

XmlElement valElement(const QString &name, const QString &value)
{
    return XmlElement(name, std::nullopt, {{QStringLiteral("w:val"), value}});
}

struct RubySizes
{
    qint64 ruby;
    qint64 base;
};

RubySizes sizes(const RubyAnnotation &annotation, const TextAttributes &attributes)
{
    const double points = attributes.font ? attributes.font->pointSize : defaultFontPoints;
    const auto base = DocXUnits::halfPoints(points);
    const double usablePoints = base && *base >= 2 ? points : defaultFontPoints;
    const qint64 baseHalfPoints = base && *base >= 2 ? *base : *DocXUnits::halfPoints(defaultFontPoints);
    auto ruby = DocXUnits::halfPoints(annotation.sizeFactor * usablePoints);
    if (!ruby || *ruby < 1 || annotation.sizeFactor <= 0)
        ruby = DocXUnits::halfPoints(0.5 * usablePoints);
    return {qMax<qint64>(*ruby, 1), baseHalfPoints};
}

} // namespace

std::optional<QString> rubyText(const RubyAnnotation &annotation)
{
    for (const auto &text : {annotation.before, annotation.after, annotation.inlineText, annotation.interCharacter})
        if (text && !text->isEmpty())
            return text;
    return std::nullopt;
}

QString alignmentValue(RubyAlignment alignment)
{
    switch (alignment) {
    case RubyAlignment::Start: return QStringLiteral("left");
    case RubyAlignment::Center: return QStringLiteral("center");
    case RubyAlignment::End: return QStringLiteral("right");
    case RubyAlignment::DistributeLetter: return QStringLiteral("distributeLetter");
    default: return QStringLiteral("distributeSpace");
    }
}

std::optional<XmlElement> element(const RubyAnnotation &annotation, const QString &baseText,
                                  const TextAttributes &attributes)
{
    const auto text = rubyText(annotation);
    if (!text || RunText::isBlank(baseText))
        return std::nullopt;
    const RubySizes size = sizes(annotation, attributes);

    XmlElement ruby(QStringLiteral("w:ruby"));
    XmlElement &properties = ruby.addChild(QStringLiteral("w:rubyPr"));
    properties.addChild(valElement(QStringLiteral("w:rubyAlign"), alignmentValue(annotation.alignment)));
    properties.addChild(valElement(QStringLiteral("w:hps"), DocXUnits::text(size.ruby)));
    properties.addChild(valElement(QStringLiteral("w:hpsRaise"), DocXUnits::text(size.base - 2)));
    properties.addChild(valElement(QStringLiteral("w:hpsBaseText"), DocXUnits::text(size.base)));
    properties.addChild(valElement(QStringLiteral("w:lid"), QStringLiteral("ja-JP")));

    XmlElement &rubyRun = ruby.addChild(QStringLiteral("w:rt")).addChild(QStringLiteral("w:r"));
    rubyRun.addChild(RunProperties::elementWithSize(attributes, size.ruby));
    RunText::append(rubyRun, *text);

    XmlElement &baseRun = ruby.addChild(QStringLiteral("w:rubyBase")).addChild(QStringLiteral("w:r"));
    baseRun.addChild(RunProperties::element(attributes));
    RunText::append(baseRun, baseText);
    return ruby;
}

} // namespace RubyElement
