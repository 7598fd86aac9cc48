#include "VerticalOrientation.h"

namespace {

bool isTurnedPunctuation(char32_t c)
{
    switch (c) {
    case 0x30FC: // ー
    case 0x301C: // 〜
    case 0xFF5E: // ～
    case 0x2026: // …
    case 0x2025: // ‥
    case 0xFF08: case 0xFF09: // （）
    case 0xFF3B: case 0xFF3D: // ［］
    case 0xFF5B: case 0xFF5D: // ｛｝
    case 0xFF5F: case 0xFF60: // ｟｠
    case 0xFF1C: case 0xFF1E: // ＜＞
    case 0xFF1D: // ＝
    case 0xFF0D: // －
    case 0x2015: case 0x2014: // ―—
        return true;
    default:
        break;
    }
    // Brackets of the CJK symbols block: 〈〉《》「」『』【】〔〕〖〗〘〙〚〛
    return c >= 0x3008 && c <= 0x301B && c != 0x3012 && c != 0x3013;
}

bool isUprightRange(char32_t c)
{
    return (c >= 0x1100 && c <= 0x11FF)     // Hangul jamo
        || (c >= 0x2E80 && c <= 0x2FDF)     // CJK radicals
        || (c >= 0x3000 && c <= 0x30FF)     // CJK symbols, hiragana, katakana
        || (c >= 0x3100 && c <= 0x9FFF)     // bopomofo ... CJK ideographs
        || (c >= 0xA960 && c <= 0xA97F)
        || (c >= 0xAC00 && c <= 0xD7FF)     // Hangul syllables
        || (c >= 0xF900 && c <= 0xFAFF)     // CJK compatibility ideographs
        || (c >= 0xFE30 && c <= 0xFE4F)     // CJK compatibility forms
        || (c >= 0xFF01 && c <= 0xFF60)     // full-width forms
        || (c >= 0xFFE0 && c <= 0xFFE6)
        || (c >= 0x1F000 && c <= 0x1FAFF)   // emoji and pictographs
        || (c >= 0x20000 && c <= 0x3FFFD);  // CJK extension planes
}

} // namespace

VerticalOrientation verticalOrientation(char32_t c)
{
    if (c < 0x1100) // Latin, Greek, Cyrillic and the other alphabets below Hangul jamo
        return VerticalOrientation::Turned;
    if (c == 0x3001 || c == 0x3002 || c == 0xFF0C || c == 0xFF0E)
        return VerticalOrientation::UprightUpperRight;
    if (isTurnedPunctuation(c))
        return VerticalOrientation::Turned;
    return isUprightRange(c) ? VerticalOrientation::Upright : VerticalOrientation::Turned;
}
