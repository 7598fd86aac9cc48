#include "spreadsheet/engine/model/CellGridValue.h"

const QString &cellGridValue(const CellGrid &cells, const CellGrid &values, int row, int col)
{
    static const QString empty;
    if (row >= cells.size() || col >= cells.at(row).size())
        return empty;
    const QString &raw = cells.at(row).at(col);
    if (!isFormulaText(raw))
        return raw;
    if (row >= values.size() || col >= values.at(row).size())
        return empty;
    return values.at(row).at(col);
}
