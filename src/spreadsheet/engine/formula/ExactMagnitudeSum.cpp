#include "spreadsheet/engine/formula/ExactMagnitudeSum.h"

#include <bit>
#include <cmath>

namespace {

// A finite double's magnitude as significand × 2^(shift - 1074).
struct Significand {
    quint64 significand = 0;
    int shift = 0;
};

Significand decompose(double value)
{
    const auto bits = std::bit_cast<quint64>(value);
    const int exponent = int((bits >> 52) & 0x7ff);
    const quint64 fraction = bits & ((quint64(1) << 52) - 1);
    if (exponent == 0)
        return {fraction, 0}; // subnormal: fraction × 2^-1074
    return {fraction | (quint64(1) << 52), exponent - 1};
}

} // namespace

void ExactMagnitudeSum::add(double magnitude)
{
    const Significand s = decompose(magnitude);
    const int word = s.shift / 64;
    const int offset = s.shift % 64;
    addAt(word, s.significand << offset);
    if (offset != 0)
        addAt(word + 1, s.significand >> (64 - offset));
}

void ExactMagnitudeSum::subtract(double magnitude)
{
    const Significand s = decompose(magnitude);
    const int word = s.shift / 64;
    const int offset = s.shift % 64;
    subtractAt(word, s.significand << offset);
    if (offset != 0)
        subtractAt(word + 1, s.significand >> (64 - offset));
}

void ExactMagnitudeSum::addAt(int word, quint64 value)
{
    for (int i = word; i < wordCount && value != 0; ++i) {
        const quint64 before = m_words[i];
        m_words[i] += value;
        value = m_words[i] < before ? 1 : 0;
    }
}

void ExactMagnitudeSum::subtractAt(int word, quint64 value)
{
    for (int i = word; i < wordCount && value != 0; ++i) {
        const quint64 before = m_words[i];
        m_words[i] -= value;
        value = m_words[i] > before ? 1 : 0;
    }
}

bool ExactMagnitudeSum::isZero() const
{
    for (const quint64 word : m_words) {
        if (word != 0)
            return false;
    }
    return true;
}

int ExactMagnitudeSum::highestBit() const
{
    for (int i = wordCount - 1; i >= 0; --i) {
        if (m_words[i] != 0)
            return i * 64 + 63 - std::countl_zero(m_words[i]);
    }
    return -1;
}

quint64 ExactMagnitudeSum::bits(int from, int count) const
{
    const int word = from / 64;
    const int offset = from % 64;
    if (word >= wordCount)
        return 0;
    quint64 value = m_words[word] >> offset;
    if (offset != 0 && word + 1 < wordCount)
        value |= m_words[word + 1] << (64 - offset);
    return count >= 64 ? value : value & ((quint64(1) << count) - 1);
}

int ExactMagnitudeSum::lowestBit(double value)
{
    const Significand s = decompose(std::fabs(value));
    return s.shift + std::countr_zero(s.significand);
}
