#pragma once

#include "spreadsheet/engine/formula/ExactMagnitudeSum.h"

#include <QtGlobal>
#include <array>
#include <optional>

// A multiset of doubles that tells, without knowing their order, what adding
// them one by one from 0 in doubles gives, whenever that result provably
// does not depend on the order. Adding or removing a number costs O(1), so a
// sum over a range can follow single cell changes instead of re-reading it.
//
// The result is certain when
// - a NaN is present, or both infinities: NaN;
// - one infinity is present and the finite numbers of the other sign cannot
//   overflow on their own: that infinity;
// - every finite number is an integer multiple of a common power of two q and
//   the positive and the negative numbers each add up to less than 2^53·q and
//   less than 2^1024: every partial sum is then exactly representable, so
//   each addition is exact and the result is the exact total.
// Otherwise (non-dyadic decimals such as 0.1, magnitudes far apart, overflow)
// the caller adds the numbers in order itself.
class IncrementalSum
{
public:
    void add(double value);
    // `value` must have been added before and not removed since.
    void remove(double value);

    // Numbers held, infinities and NaN included.
    qint64 count() const { return m_count; }
    // The left-fold sum, when certain; nullopt otherwise.
    std::optional<double> total() const;

private:
    void changeFinite(double value, int direction);
    std::optional<double> finiteTotal() const;
    int lowestBitPresent() const;

    static constexpr int bitPositions = ExactMagnitudeSum::highestDoubleBit + 1;

    qint64 m_count = 0;
    qint64 m_nanCount = 0;
    qint64 m_positiveInfinityCount = 0;
    qint64 m_negativeInfinityCount = 0;
    ExactMagnitudeSum m_positive;
    ExactMagnitudeSum m_negative; // magnitudes of the negative numbers
    // Nonzero finite numbers by the lowest set bit of their magnitude, and
    // which of those counts are nonzero, to find the common quantum q fast.
    std::array<qint64, bitPositions> m_lowestBitCounts{};
    std::array<quint64, (bitPositions + 63) / 64> m_lowestBitsPresent{};
};
