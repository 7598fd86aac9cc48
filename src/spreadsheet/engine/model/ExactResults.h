#pragma once

#include <QList>
#include <optional>

// The unrounded numbers of formula results whose shown text rounds them
// (617.250005 shown as "617.25"), by cell, as of the last recalculation: what
// a file caches for those cells. Numbers by cell index (row × columns + col),
// so keeping one costs no text and no hashing; the file writer makes the
// text of each it writes. Implicitly shared: a sheet's copy costs nothing
// until one side writes.
class ExactResults
{
public:
    // Forgets every number; cells now lie in a grid of `rows` × `columns`.
    void reset(int rows, int columns);
    // The cell at `index` (row × columns + col, inside the grid) holds
    // `value`, a finite number with a fraction.
    void set(qint32 index, double value);
    // The cell at `index` holds no such number.
    void remove(qint32 index);
    // The number at (row, col), or nullopt (also outside the grid).
    std::optional<double> at(int row, int col) const;

    // The same numbers, bit for bit, at the same cells.
    friend bool operator==(const ExactResults &a, const ExactResults &b);

private:
    std::optional<double> atIndex(qsizetype index) const;

    int m_rows = 0;
    int m_columns = 0;
    qsizetype m_count = 0;
    // NaN where a cell holds none (a result that rounds is always finite);
    // empty until the first number arrives.
    QList<double> m_numbers;
};
