#include "textsystem/BreakType.h"

QString breakTypeText(BreakType type)
{
    switch (type) {
    case BreakType::Wrap: return QStringLiteral("wrap");
    case BreakType::Page: return QStringLiteral("page");
    case BreakType::Column: return QStringLiteral("column");
    }
    return QStringLiteral("wrap");
}

std::optional<BreakType> breakTypeFromText(QStringView text)
{
    for (const BreakType type : {BreakType::Wrap, BreakType::Page, BreakType::Column}) {
        if (text == breakTypeText(type))
            return type;
    }
    return std::nullopt;
}
