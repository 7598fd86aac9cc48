#include "spreadsheet/engine/model/ExactResults.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();

} // namespace

void ExactResults::reset(int rows, int columns)
{
    m_rows = std::max(rows, 0);
    m_columns = std::max(columns, 0);
    // Keeps the storage when it fits and is this object's own.
    if (m_numbers.size() != qsizetype(m_rows) * m_columns || (m_count > 0 && !m_numbers.isDetached()))
        m_numbers.clear();
    else if (m_count > 0)
        m_numbers.fill(none);
    m_count = 0;
}

void ExactResults::set(qint32 index, double value)
{
    if (index < 0 || index >= qsizetype(m_rows) * m_columns)
        return;
    if (m_numbers.isEmpty())
        m_numbers.fill(none, qsizetype(m_rows) * m_columns);
    // Read first: an unchanged number leaves storage shared with a copy alone.
    const double present = std::as_const(m_numbers).at(index);
    if (std::bit_cast<quint64>(present) == std::bit_cast<quint64>(value))
        return;
    if (std::isnan(present))
        ++m_count;
    m_numbers[index] = value;
}

void ExactResults::remove(qint32 index)
{
    if (m_count == 0 || !atIndex(index))
        return;
    m_numbers[index] = none;
    --m_count;
}

std::optional<double> ExactResults::at(int row, int col) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_columns)
        return std::nullopt;
    return atIndex(qsizetype(row) * m_columns + col);
}

std::optional<double> ExactResults::atIndex(qsizetype index) const
{
    if (index < 0 || index >= m_numbers.size() || std::isnan(m_numbers.at(index)))
        return std::nullopt;
    return m_numbers.at(index);
}

bool operator==(const ExactResults &a, const ExactResults &b)
{
    if (a.m_count != b.m_count)
        return false;
    // As many on both sides: equal when each of a's is in b.
    for (qsizetype index = 0; index < a.m_numbers.size(); ++index) {
        const auto number = a.atIndex(index);
        if (!number)
            continue;
        const auto other = b.at(int(index / a.m_columns), int(index % a.m_columns));
        if (!other || std::bit_cast<quint64>(*other) != std::bit_cast<quint64>(*number))
            return false;
    }
    return true;
}
