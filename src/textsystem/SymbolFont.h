#pragma once

#include <QString>

#include <optional>

// The Symbol font draws Greek letters and mathematical signs at the codes
// where other fonts have Latin ones; documents name its glyphs by those codes
// (0x20-0xFF, or the same in the private use area at U+F020-U+F0FF). These
// are the Unicode characters the glyphs stand for.
namespace SymbolFont {

// Whether `family` is the Symbol font itself (not Wingdings or another
// picture font, whose glyphs have no Unicode characters of their own).
bool isSymbolFamily(const QString &family);

// The Unicode character of the Symbol glyph at `code` (0x20-0xFF, or
// 0xF020-0xF0FF); nothing for the codes where the font has no glyph, and for
// the radical's extending bar (0x60), which Unicode has no character for.
std::optional<char16_t> unicodeFor(uint code);

} // namespace SymbolFont
