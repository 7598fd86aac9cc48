#pragma once

#include <QtGlobal>

// The UTF-16 unit of every CP932 double-byte character, read once from
// iconv's CP932 table so that scans decode many short runs without opening a
// converter for each. Thread-safe; built on first use.
class Cp932PairTable
{
public:
    // No character: the converter rejects the pair.
    static constexpr char16_t invalid = 0xFFFF;
    // The pair does not decode to exactly one unit; decode its run with the
    // converter instead.
    static constexpr char16_t notSingleUnit = 0xFFFE;

    // The unit of the pair `lead` `trail`, or one of the two markers above.
    static char16_t unit(uchar lead, uchar trail) { return instance().m_units[lead << 8 | trail]; }

private:
    Cp932PairTable();
    static const Cp932PairTable &instance();

    char16_t m_units[256 * 256];
};
