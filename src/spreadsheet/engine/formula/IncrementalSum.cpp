#include "spreadsheet/engine/formula/IncrementalSum.h"

#include <bit>
#include <cmath>
#include <limits>

namespace {

// Numbers of one sign whose exact magnitudes add up below 2^1022 cannot
// overflow when added in doubles in any order: rounding grows a sum of n
// same-signed numbers by at most a factor (1 + 2^-53)^n, far below 2.
constexpr int noOverflowBit = 1022 + 1074;
// The first bit index at or above 2^1024, where doubles end.
constexpr int overflowBit = 1024 + 1074;

} // namespace

void IncrementalSum::add(double value)
{
    ++m_count;
    if (std::isnan(value))
        ++m_nanCount;
    else if (std::isinf(value))
        ++(value > 0 ? m_positiveInfinityCount : m_negativeInfinityCount);
    else if (value != 0)
        changeFinite(value, 1);
}

void IncrementalSum::remove(double value)
{
    --m_count;
    if (std::isnan(value))
        --m_nanCount;
    else if (std::isinf(value))
        --(value > 0 ? m_positiveInfinityCount : m_negativeInfinityCount);
    else if (value != 0)
        changeFinite(value, -1);
}

void IncrementalSum::changeFinite(double value, int direction)
{
    ExactMagnitudeSum &side = value > 0 ? m_positive : m_negative;
    if (direction > 0)
        side.add(std::fabs(value));
    else
        side.subtract(std::fabs(value));
    const int bit = ExactMagnitudeSum::lowestBit(value);
    qint64 &bucket = m_lowestBitCounts[bit];
    bucket += direction;
    const quint64 mask = quint64(1) << (bit % 64);
    if (bucket != 0)
        m_lowestBitsPresent[bit / 64] |= mask;
    else
        m_lowestBitsPresent[bit / 64] &= ~mask;
}

std::optional<double> IncrementalSum::total() const
{
    constexpr double infinity = std::numeric_limits<double>::infinity();
    if (m_nanCount > 0 || (m_positiveInfinityCount > 0 && m_negativeInfinityCount > 0))
        return std::numeric_limits<double>::quiet_NaN();
    // Once a partial sum is infinite, finite numbers leave it so; only an
    // overflow to the other infinity before it would make NaN instead.
    if (m_positiveInfinityCount > 0) {
        if (m_negative.highestBit() < noOverflowBit)
            return infinity;
        return std::nullopt;
    }
    if (m_negativeInfinityCount > 0) {
        if (m_positive.highestBit() < noOverflowBit)
            return -infinity;
        return std::nullopt;
    }
    return finiteTotal();
}

std::optional<double> IncrementalSum::finiteTotal() const
{
    const int quantumBit = lowestBitPresent();
    if (quantumBit < 0)
        return 0.0; // zeros only (the fold starts from +0, so never -0)
    // Every partial sum lies between -negative and +positive and is a
    // multiple of q; below 2^53·q and 2^1024 it is an exact double.
    const int limit = std::min(quantumBit + 53, overflowBit);
    if (m_positive.highestBit() >= limit || m_negative.highestBit() >= limit)
        return std::nullopt;
    const auto positive = qint64(m_positive.bits(quantumBit, 53));
    const auto negative = qint64(m_negative.bits(quantumBit, 53));
    return std::ldexp(double(positive - negative), quantumBit - 1074);
}

int IncrementalSum::lowestBitPresent() const
{
    for (int i = 0; i < int(m_lowestBitsPresent.size()); ++i) {
        if (m_lowestBitsPresent[i] != 0)
            return i * 64 + std::countr_zero(m_lowestBitsPresent[i]);
    }
    return -1;
}
