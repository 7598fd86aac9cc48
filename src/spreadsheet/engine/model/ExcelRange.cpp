#include "spreadsheet/engine/model/ExcelRange.h"

#include "spreadsheet/engine/model/DebugText.h"

#include <algorithm>

ExcelRange ExcelRange::normalized() const
{
    return {std::min(startRow, endRow), std::min(startCol, endCol),
            std::max(startRow, endRow), std::max(startCol, endCol)};
}

QDebug operator<<(QDebug debug, const ExcelRange &value)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "ExcelRange(" << value.startRow << ", " << value.startCol << " .. "
                    << value.endRow << ", " << value.endCol << ")";
    return debug;
}

char *toString(const ExcelRange &value)
{
    return debugText(value);
}

char *toString(const std::optional<ExcelRange> &value)
{
    return debugText(value);
}
