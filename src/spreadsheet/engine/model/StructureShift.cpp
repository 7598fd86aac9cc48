#include "spreadsheet/engine/model/StructureShift.h"

#include "spreadsheet/engine/model/CellReference.h"

#include <algorithm>

int StructureShift::movedLine(int position) const
{
    if (position < index)
        return position;
    if (edit == GridEdit::Insert)
        return position + 1;
    return position == index ? -1 : position - 1;
}

CellStyleMap StructureShift::moveStyleKeys(const CellStyleMap &styles, int rows, int columns) const
{
    CellStyleMap moved;
    for (auto it = styles.cbegin(); it != styles.cend(); ++it) {
        const auto address = CellReference::parseWithin(it.key(), rows, columns);
        if (!address) {
            moved.insert(it.key(), it.value());
            continue;
        }
        int row = address->row;
        int col = address->col;
        int &line = axis == GridAxis::Rows ? row : col;
        if (line < index) {
            moved.insert(it.key(), it.value());
            continue;
        }
        line = movedLine(line);
        if (line >= 0)
            moved.insert(CellReference::text(row, col), it.value());
    }
    return moved;
}

QList<ExcelRange> StructureShift::moveMergedRanges(const QList<ExcelRange> &ranges, int rows,
                                                   int columns) const
{
    QList<ExcelRange> moved;
    moved.reserve(ranges.size());
    for (const ExcelRange &original : ranges) {
        ExcelRange range = original.normalized();
        int &first = axis == GridAxis::Rows ? range.startRow : range.startCol;
        int &last = axis == GridAxis::Rows ? range.endRow : range.endCol;
        if (edit == GridEdit::Insert) {
            if (first >= index)
                ++first;
            if (last >= index)
                ++last;
        } else if (last >= index) {
            if (first == index && last == index)
                continue; // every line of the merge is deleted
            if (first > index)
                --first;
            --last;
        }
        if (const auto clipped = clipToGrid(range, rows, columns))
            moved.append(*clipped);
    }
    return moved;
}

std::optional<ExcelRange> clipToGrid(const ExcelRange &range, int rows, int columns)
{
    const ExcelRange clipped{std::max(range.startRow, 0), std::max(range.startCol, 0),
                             std::min(range.endRow, rows - 1), std::min(range.endCol, columns - 1)};
    if (clipped.startRow > clipped.endRow || clipped.startCol > clipped.endCol)
        return std::nullopt;
    return clipped;
}
