#include "DocXListStyle.h"

#include "textsystem/TextList.h"

namespace DocXListStyles {

std::optional<DocXListStyle> fromValue(int value)
{
    if (value < 0 || value > 6)
        return std::nullopt;
    return DocXListStyle(value);
}

DocXListStyle fromMarkerFormat(QStringView markerFormat)
{
    const std::pair<QStringView, DocXListStyle> tokens[] = {
        {TextList::none, DocXListStyle::None},             {TextList::decimal, DocXListStyle::Decimal},       {TextList::lowerLatin, DocXListStyle::LowerLetter},
        {TextList::lowerRoman, DocXListStyle::LowerRoman}, {TextList::upperLatin, DocXListStyle::UpperLetter},
        {TextList::upperRoman, DocXListStyle::UpperRoman},
    };
    for (const auto &[token, style] : tokens)
        if (markerFormat.contains(token))
            return style;
    return DocXListStyle::Bullet;
}

QString numberFormat(DocXListStyle style)
{
    switch (style) {
    case DocXListStyle::Bullet: return QStringLiteral("bullet");
    case DocXListStyle::Decimal: return QStringLiteral("decimal");
    case DocXListStyle::LowerLetter: return QStringLiteral("lowerLetter");
    case DocXListStyle::UpperLetter: return QStringLiteral("upperLetter");
    case DocXListStyle::LowerRoman: return QStringLiteral("lowerRoman");
    case DocXListStyle::UpperRoman: return QStringLiteral("upperRoman");
    case DocXListStyle::None: return QStringLiteral("none");
    }
    return QStringLiteral("bullet");
}

} // namespace DocXListStyles
