#pragma once

#include "textsystem/doc/DocByteView.h"

#include <QByteArray>

// Property modifiers (sprms) of Word 97 files: a 16-bit code whose top bits
// give the operand's size, then the operand.
namespace DocSprm {

// Character properties.
inline constexpr quint16 cFData = 0x0806;
inline constexpr quint16 cFOle2 = 0x080A;
inline constexpr quint16 cHighlight = 0x2A0C;
inline constexpr quint16 cPicLocation = 0x6A03;
inline constexpr quint16 cSymbol = 0x6A09;
inline constexpr quint16 cIstd = 0x4A30;
inline constexpr quint16 cFBold = 0x0835;
inline constexpr quint16 cFItalic = 0x0836;
inline constexpr quint16 cFStrike = 0x0837;
inline constexpr quint16 cFVanish = 0x083C;
inline constexpr quint16 cKul = 0x2A3E;
inline constexpr quint16 cIco = 0x2A42;
inline constexpr quint16 cHps = 0x4A43;
inline constexpr quint16 cHpsPos = 0x4845;
inline constexpr quint16 cIss = 0x2A48;
inline constexpr quint16 cRgFtc0 = 0x4A4F;
inline constexpr quint16 cRgFtc1 = 0x4A50;
inline constexpr quint16 cRgFtc2 = 0x4A51;
inline constexpr quint16 cFDStrike = 0x2A53;
inline constexpr quint16 cFSpec = 0x0855;
inline constexpr quint16 cCv = 0x6870;
inline constexpr quint16 cShd80 = 0x4866;
inline constexpr quint16 cShd = 0xCA71;

// Paragraph properties.
inline constexpr quint16 pIstd = 0x4600;
inline constexpr quint16 pJc80 = 0x2403;
inline constexpr quint16 pJc = 0x2461;
inline constexpr quint16 pIlvl = 0x260A;
inline constexpr quint16 pIlfo = 0x460B;
inline constexpr quint16 pDxaRight80 = 0x840E;
inline constexpr quint16 pDxaLeft80 = 0x840F;
inline constexpr quint16 pDxaLeft180 = 0x8411;
inline constexpr quint16 pDxaRight = 0x845D;
inline constexpr quint16 pDxaLeft = 0x845E;
inline constexpr quint16 pDxaLeft1 = 0x8460;
inline constexpr quint16 pDyaLine = 0x6412;
inline constexpr quint16 pDyaBefore = 0xA413;
inline constexpr quint16 pDyaAfter = 0xA414;
inline constexpr quint16 pFInTable = 0x2416;
inline constexpr quint16 pFTtp = 0x2417;
inline constexpr quint16 pFInnerTableCell = 0x244B;
inline constexpr quint16 pFInnerTtp = 0x244C;
inline constexpr quint16 pItap = 0x6649;

// Section properties.
inline constexpr quint16 sBkc = 0x3009;
inline constexpr quint16 sXaPage = 0xB01F;
inline constexpr quint16 sYaPage = 0xB020;
inline constexpr quint16 sDxaLeft = 0xB021;
inline constexpr quint16 sDxaRight = 0xB022;
inline constexpr quint16 sDyaTop = 0x9023;
inline constexpr quint16 sDyaBottom = 0x9024;

// Table properties whose operands carry a 16-bit length.
inline constexpr quint16 tDefTable = 0xD608;
inline constexpr quint16 pChgTabs = 0xC615;

// One sprm and its operand.
struct Modifier {
    quint16 code = 0;
    DocByteView operand;

    quint8 byte() const { return operand.u8(0); }
    quint16 word() const { return operand.u16(0); }
    qint16 signedWord() const { return operand.i16(0); }
    quint32 dword() const { return operand.u32(0); }
};

// The operand size of the sprm `code` whose operand starts at `rest`
// (variable sizes read their length from it), or -1 when it is unknown.
qsizetype operandSize(quint16 code, DocByteView rest);

// Calls fn(Modifier) for each sprm in `grpprl`, in order; stops at the first
// one whose operand leaves the bytes.
template <typename Fn>
void forEach(DocByteView grpprl, Fn fn)
{
    qsizetype at = 0;
    while (at + 2 <= grpprl.size()) {
        const quint16 code = grpprl.u16(at);
        const DocByteView rest = grpprl.mid(at + 2, grpprl.size() - at - 2);
        const qsizetype size = operandSize(code, rest);
        if (size < 0 || size > rest.size())
            return;
        const qsizetype lengthPrefix = (code >> 13) == 6 ? (code == tDefTable || code == pChgTabs ? 0 : 1) : 0;
        fn(Modifier{code, rest.mid(lengthPrefix, size - lengthPrefix)});
        at += 2 + size;
    }
}

// The length of the longest start of `grpprl` made of whole sprms.
qsizetype wholeLength(DocByteView grpprl);

// Appends one sprm with its operand (little-endian) to `out`.
void append(QByteArray &out, quint16 code, quint32 operand);
// Appends a sprm of variable size: the length byte, then `operand`.
void appendVariable(QByteArray &out, quint16 code, const QByteArray &operand);

} // namespace DocSprm
