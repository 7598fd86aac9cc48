#include "ExcelRange.h"

#include <algorithm>

ExcelRange ExcelRange::normalized() const
{
    return {std::min(startRow, endRow), std::min(startCol, endCol),
            std::max(startRow, endRow), std::max(startCol, endCol)};
}
