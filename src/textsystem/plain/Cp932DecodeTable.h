#pragma once

#include <QtGlobal>

// CP932 decoding by table: the UTF-16 unit of every byte and byte pair, read
// once from iconv's CP932 table, so that scans decode many short runs without
// opening a converter for each and without branching on each byte.
// Thread-safe; built on first use.
class Cp932DecodeTable
{
public:
    // The pair has no character: the converter rejects it.
    static constexpr char16_t invalid = 0xFFFF;
    // The byte or pair does not decode to exactly one unit by itself (0x80,
    // 0xA0, 0xFD to 0xFF, a pair beyond the BMP): decode its run with the
    // converter instead.
    static constexpr char16_t notSingleUnit = 0xFFFE;

    static const Cp932DecodeTable &instance();

    static bool isLead(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

    // The unit of the character that starts with `b`: the pair `b` `next`
    // when `b` is a lead byte, else `b` alone (`next` is then not looked at).
    // Either marker above when there is none.
    char16_t unit(uchar b, uchar next) const { return m_units[b << 8 | next]; }

private:
    Cp932DecodeTable();

    char16_t m_units[256 * 256];
};
