#pragma once

#include "spreadsheet/engine/model/ExcelRange.h"

#include <QDebug>
#include <QList>
#include <QString>
#include <optional>

// Zero-based cell address.
struct CellAddress {
    int row = 0;
    int col = 0;
    friend bool operator==(const CellAddress &, const CellAddress &) = default;
};

// Debug text of the value, and the same for QTest's failure messages (found
// by argument-dependent lookup, so a failing QCOMPARE prints the values).
QDebug operator<<(QDebug debug, const CellAddress &value);
char *toString(const CellAddress &value);
char *toString(const std::optional<CellAddress> &value);

// Cell reference text ("B3"): column letters (bijective base 26) and the
// 1-based row. Input is case-insensitive and may carry leading zeros.
namespace CellReference {

// Column letters: 0 → "A", 25 → "Z", 26 → "AA", 702 → "AAA". Negative → "".
QString columnName(int column);
// Canonical reference text of a zero-based address: (2, 1) → "B3".
QString text(int row, int column);
// Parses reference text without checking any grid; nullopt when malformed or
// beyond the int range ("$A$1", "A0", "Sheet1!A1" are malformed).
std::optional<CellAddress> parse(QStringView text);
// Reference text naming a cell of a grid of `rows` × `columns`; nullopt when
// malformed or outside.
std::optional<CellAddress> parseWithin(QStringView text, int rows, int columns);
// Range text ("A1:C4", corners in any order, one ":") whose corners both lie
// in a grid of `rows` × `columns`, normalised; nullopt otherwise.
std::optional<ExcelRange> parseRangeWithin(QStringView text, int rows, int columns);
// `text` in canonical form ("b03" → "B3"), or nullopt when malformed.
std::optional<QString> canonical(const QString &text);

} // namespace CellReference
