#include "textsystem/doc/DocCharacterProperties.h"

namespace {

constexpr QRgb indexColors[17] = {
    0,        0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0xFFFF00, 0xFFFFFF,
    0x000080, 0x008080, 0x008000, 0x800080, 0x800000, 0x808000, 0x808080, 0xC0C0C0,
};

bool toggle(quint8 operand, bool styleValue, bool current)
{
    switch (operand) {
    case 0:
        return false;
    case 1:
        return true;
    case 0x80:
        return styleValue;
    case 0x81:
        return !styleValue;
    default:
        return current;
    }
}

// A COLORREF: red, green, blue, then 0xFF for "automatic".
std::optional<QColor> colorRef(quint32 value)
{
    if ((value >> 24) == 0xFF)
        return std::nullopt;
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace

std::optional<QColor> DocCharacterProperties::colorOfIndex(int ico)
{
    if (ico <= 0 || ico > 16)
        return std::nullopt;
    return QColor::fromRgb(indexColors[ico]);
}

int DocCharacterProperties::indexOfColor(const QColor &color)
{
    for (int i = 1; i <= 16; ++i) {
        if ((color.rgb() & 0xFFFFFF) == indexColors[i])
            return i;
    }
    return -1;
}

void DocCharacterProperties::apply(const DocSprm::Modifier &sprm, const DocCharacterProperties &style)
{
    using namespace DocSprm;
    switch (sprm.code) {
    case cFBold:
        bold = toggle(sprm.byte(), style.bold, bold);
        break;
    case cFItalic:
        italic = toggle(sprm.byte(), style.italic, italic);
        break;
    case cFStrike:
        strike = toggle(sprm.byte(), style.strike, strike);
        break;
    case cFDStrike:
        doubleStrike = toggle(sprm.byte(), style.doubleStrike, doubleStrike);
        break;
    case cFSpec:
        special = sprm.byte() != 0;
        break;
    case cFOle2:
        ole2 = sprm.byte() != 0;
        break;
    case cKul:
        underline = sprm.byte();
        break;
    case cIss:
        superSub = sprm.byte();
        break;
    case cHps:
        if (sprm.word() >= 2)
            halfPoints = sprm.word();
        break;
    case cHpsPos:
        positionHalfPoints = sprm.signedWord();
        break;
    case cRgFtc0:
        fontAscii = sprm.word();
        break;
    case cRgFtc1:
        fontEastAsian = sprm.word();
        break;
    case cRgFtc2:
        fontOther = sprm.word();
        break;
    case cIco:
        color = colorOfIndex(sprm.byte());
        break;
    case cCv:
        color = colorRef(sprm.dword());
        break;
    case cHighlight:
        background = colorOfIndex(sprm.byte());
        break;
    case cShd:
        // SHD: foreground, background (COLORREFs), pattern; a clear pattern
        // shows the background.
        if (sprm.operand.size() >= 10)
            background = colorRef(sprm.operand.u32(4));
        break;
    case cShd80:
        background = colorOfIndex((sprm.word() >> 5) & 0x1F);
        break;
    case cPicLocation:
        pictureLocation = sprm.dword();
        break;
    case cSymbol:
        symbolFont = sprm.operand.u16(0);
        symbolCode = sprm.operand.u16(2);
        break;
    default:
        break;
    }
}

void DocCharacterProperties::applyAll(DocByteView grpprl, const DocCharacterProperties &style)
{
    DocSprm::forEach(grpprl, [&](const DocSprm::Modifier &sprm) { apply(sprm, style); });
}
