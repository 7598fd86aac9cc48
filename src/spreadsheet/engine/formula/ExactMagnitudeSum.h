#pragma once

#include <QtGlobal>
#include <array>

// The exact sum of positive finite doubles as one wide fixed-point integer in
// units of 2^-1074 (the smallest subnormal), so adding and later subtracting
// the same numbers leaves no rounding behind. Room for 2^40 numbers of any
// size. Bit indices below count in those units: bit 1074 is 1.0.
class ExactMagnitudeSum
{
public:
    // Highest bit a finite double sets (DBL_MAX's top bit is 2097).
    static constexpr int highestDoubleBit = 2097;

    // `magnitude` must be finite and positive.
    void add(double magnitude);
    // `magnitude` must be one added before and not subtracted since.
    void subtract(double magnitude);

    bool isZero() const;
    // Index of the highest set bit, or -1 for zero.
    int highestBit() const;
    // The `count` bits (at most 64) from bit `from` up, as an integer.
    quint64 bits(int from, int count) const;

    // Lowest set bit of a finite nonzero double's magnitude: the number is an
    // integer multiple of 2^(lowestBit - 1074).
    static int lowestBit(double value);

private:
    static constexpr int wordCount = 34; // 2176 bits: 2098 for a double, the rest carries
    void addAt(int word, quint64 value);
    void subtractAt(int word, quint64 value);

    std::array<quint64, wordCount> m_words{};
};
