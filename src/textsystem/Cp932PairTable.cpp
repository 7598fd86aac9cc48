#include "Cp932PairTable.h"

#include <iconv.h>

#include <algorithm>

namespace {

bool isLead(uint b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The same names the platform's strict CP932 decoding uses.
constexpr const char *nativeUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

} // namespace

Cp932PairTable::Cp932PairTable()
{
    std::fill(std::begin(m_units), std::end(m_units), invalid);
    iconv_t cd = iconv_open(nativeUtf16, "CP932");
    if (cd == iconv_t(-1))
        return; // every pair invalid: runs with double-byte characters are dropped, as the converter would
    for (uint lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLead(lead))
            continue;
        for (uint trail = 0x40; trail <= 0xFC; ++trail) {
            char pair[2] = {char(lead), char(trail)};
            char16_t out[4];
            char *in = pair;
            size_t inLeft = 2;
            char *outPointer = reinterpret_cast<char *>(out);
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const bool converted = iconv(cd, &in, &inLeft, &outPointer, &outLeft) != size_t(-1) && inLeft == 0;
            const size_t units = (sizeof out - outLeft) / 2;
            if (converted)
                m_units[lead << 8 | trail] = units == 1 && out[0] < notSingleUnit ? out[0] : notSingleUnit;
        }
    }
    iconv_close(cd);
}

const Cp932PairTable &Cp932PairTable::instance()
{
    static const Cp932PairTable table;
    return table;
}
