#include "NumberingDocument.h"

#include "docx/writer/DocXNamespaces.h"

#include <cmath>
#include <limits>

DocXListStyle NumberingDefinition::style(qint64 level) const
{
    for (qint64 l = level; l >= 0; --l) {
        const auto found = stylesByLevel.find(l);
        if (found != stylesByLevel.end())
            return found->second;
    }
    return DocXListStyle::Bullet;
}

qint64 NumberingDefinition::start(qint64 level) const
{
    const auto found = startsByLevel.find(level);
    if (found == startsByLevel.end() || found->second < 0)
        return 1;
    return qMin<qint64>(found->second, std::numeric_limits<qint32>::max());
}

namespace NumberingDocument {

namespace {

struct BulletGlyph
{
    QString text;
    QString font;
};

BulletGlyph bulletGlyph(qint64 level)
{
    switch (level % 3) {
    case 0: return {QString(QChar(0xF0B7)), QStringLiteral("Symbol")};
    case 1: return {QStringLiteral("o"), QStringLiteral("Courier New")};
    default: return {QString(QChar(0xF0A7)), QStringLiteral("Wingdings")};
    }
}

QString val(qint64 number) { return QString::number(number); }

XmlElement valElement(const QString &name, const QString &value)
{
    return XmlElement(name, std::nullopt, {{QStringLiteral("w:val"), value}});
}

XmlElement::Attributes rootAttributes()
{
    return {
        {QStringLiteral("xmlns:wpc"), DocXNamespace::wordprocessingCanvas},
        {QStringLiteral("xmlns:mc"), DocXNamespace::markupCompatibility},
        {QStringLiteral("xmlns:o"), DocXNamespace::office},
        {QStringLiteral("xmlns:r"), PackageNames::relationshipsNamespace},
        {QStringLiteral("xmlns:m"), DocXNamespace::officeMath},
        {QStringLiteral("xmlns:v"), DocXNamespace::vml},
        {QStringLiteral("xmlns:wp"), DocXNamespace::wordprocessingDrawing},
        {QStringLiteral("xmlns:w10"), DocXNamespace::officeWord},
        {QStringLiteral("xmlns:w"), DocXNamespace::wordMain},
        {QStringLiteral("xmlns:wne"), DocXNamespace::word2006},
        {QStringLiteral("mc:Ignorable"), QString()},
    };
}

} // namespace

XmlElement levelElement(DocXListStyle style, qint64 level, const NumberingLayout &layout, qint64 start)
{
    const double hanging = std::floor(layout.baseIndent * layout.hangingRatio);
    const qint64 left = qint64(std::round((layout.baseIndent + layout.indentPerLevel * double(level) + hanging) * 20.0));
    const qint64 hangingTwips = qint64(std::round(hanging * 20.0));
    const bool bullet = style == DocXListStyle::Bullet;
    const BulletGlyph glyph = bulletGlyph(level);

    XmlElement element(QStringLiteral("w:lvl"), std::nullopt, {{QStringLiteral("w:ilvl"), val(level)}});
    element.addChild(valElement(QStringLiteral("w:start"), val(start)));
    element.addChild(valElement(QStringLiteral("w:numFmt"), DocXListStyles::numberFormat(style)));
    const QString levelText = bullet                           ? glyph.text
                              : style == DocXListStyle::None ? QString()
                                                             : QStringLiteral("%") + val(level + 1) + u'.';
    element.addChild(valElement(QStringLiteral("w:lvlText"), levelText));
    element.addChild(valElement(QStringLiteral("w:lvlJc"), QStringLiteral("left")));
    element.addChild(QStringLiteral("w:pPr"))
        .addChild(QStringLiteral("w:ind"), std::nullopt,
                  {{QStringLiteral("w:left"), val(left)}, {QStringLiteral("w:hanging"), val(hangingTwips)}});
    if (bullet)
        element.addChild(QStringLiteral("w:rPr"))
            .addChild(QStringLiteral("w:rFonts"), std::nullopt,
                      {{QStringLiteral("w:ascii"), glyph.font},
                       {QStringLiteral("w:hAnsi"), glyph.font},
                       {QStringLiteral("w:hint"), QStringLiteral("default")}});
    return element;
}

XmlElement element(const NumberingDefinitions &definitions, const NumberingLayout &layout)
{
    XmlElement root(QStringLiteral("w:numbering"), std::nullopt, rootAttributes());
    for (const auto &[id, definition] : definitions) {
        XmlElement &abstract = root.addChild(QStringLiteral("w:abstractNum"), std::nullopt,
                                             {{QStringLiteral("w:abstractNumId"), val(id)}});
        abstract.addChild(valElement(QStringLiteral("w:multiLevelType"), QStringLiteral("hybridMultilevel")));
        for (qint64 level = 0; level <= layout.lastLevel; ++level)
            abstract.addChild(levelElement(definition.style(level), level, layout, definition.start(level)));
    }
    for (const auto &[id, definition] : definitions)
        root.addChild(QStringLiteral("w:num"), std::nullopt, {{QStringLiteral("w:numId"), val(id)}})
            .addChild(valElement(QStringLiteral("w:abstractNumId"), val(id)));
    return root;
}

} // namespace NumberingDocument
