#pragma once

#include <QDebug>
#include <QHashFunctions>
#include <QString>
#include <optional>

// A rectangle of cells, zero-based, both ends inclusive.
struct ExcelRange {
    int startRow = 0;
    int startCol = 0;
    int endRow = 0;
    int endCol = 0;

    // "startRow_startCol_endRow_endCol", e.g. "0_2_1_3".
    QString id() const
    {
        return QStringLiteral("%1_%2_%3_%4").arg(startRow).arg(startCol).arg(endRow).arg(endCol);
    }
    bool contains(int row, int col) const
    {
        return startRow <= row && row <= endRow && startCol <= col && col <= endCol;
    }
    // The same rectangle with start not after end.
    ExcelRange normalized() const;
    friend bool operator==(const ExcelRange &, const ExcelRange &) = default;
};

inline size_t qHash(const ExcelRange &range, size_t seed = 0)
{
    return qHashMulti(seed, range.startRow, range.startCol, range.endRow, range.endCol);
}

// Debug text of the value, and the same for QTest's failure messages (found
// by argument-dependent lookup, so a failing QCOMPARE prints the values).
QDebug operator<<(QDebug debug, const ExcelRange &value);
char *toString(const ExcelRange &value);
char *toString(const std::optional<ExcelRange> &value);
