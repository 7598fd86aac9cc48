#pragma once

#include "platform/NumberText.h"

#include <QString>
#include <optional>

// NumberText::toDouble for cell values, with a quick rejection of texts whose
// first character no number text can start with (most text cells).
inline std::optional<double> cellNumber(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const char16_t first = text.front().unicode();
    const bool canStartNumber = (first >= u'0' && first <= u'9') || first == u'+' || first == u'-'
                             || first == u'.' || first == u'i' || first == u'I' || first == u'n'
                             || first == u'N';
    if (!canStartNumber)
        return std::nullopt;
    return NumberText::toDouble(text);
}
