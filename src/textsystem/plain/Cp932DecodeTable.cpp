#include "textsystem/plain/Cp932DecodeTable.h"

#include <iconv.h>

#include <algorithm>

namespace {

// The same names the platform's strict CP932 decoding uses.
constexpr const char *nativeUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

// The unit iconv makes of the pair `lead` `trail`, or one of the table's markers.
char16_t convert(iconv_t cd, uint lead, uint trail)
{
    char input[2] = {char(lead), char(trail)};
    char16_t out[4];
    char *in = input;
    size_t inLeft = 2;
    char *outPointer = reinterpret_cast<char *>(out);
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &outPointer, &outLeft) == size_t(-1) || inLeft != 0)
        return Cp932DecodeTable::invalid;
    const size_t units = (sizeof out - outLeft) / 2;
    return units == 1 && out[0] < Cp932DecodeTable::notSingleUnit ? out[0] : Cp932DecodeTable::notSingleUnit;
}

} // namespace

Cp932DecodeTable::Cp932DecodeTable()
{
    std::fill(std::begin(m_units), std::end(m_units), notSingleUnit);
    // ASCII and half-width katakana as the converter has them, whatever follows.
    for (uint b = 0; b < 0x80; ++b)
        std::fill_n(m_units + (b << 8), 256, char16_t(b));
    for (uint b = 0xA1; b <= 0xDF; ++b)
        std::fill_n(m_units + (b << 8), 256, char16_t(0xFF61 + (b - 0xA1)));
    iconv_t cd = iconv_open(nativeUtf16, "CP932");
    for (uint lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLead(uchar(lead)))
            continue;
        // Without a converter no double-byte character decodes, as with the platform's.
        for (uint trail = 0; trail <= 0xFF; ++trail)
            m_units[lead << 8 | trail] = cd == iconv_t(-1) ? invalid : convert(cd, lead, trail);
    }
    if (cd != iconv_t(-1))
        iconv_close(cd);
}

const Cp932DecodeTable &Cp932DecodeTable::instance()
{
    static const Cp932DecodeTable table;
    return table;
}
