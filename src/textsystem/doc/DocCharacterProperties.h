#pragma once

#include "textsystem/doc/DocSprm.h"

#include <QColor>

#include <optional>

// The character properties of Word 97 that the reader turns into text
// attributes, as the sprms leave them.
struct DocCharacterProperties
{
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool doubleStrike = false;
    bool special = false; // the character is a field mark, picture or other object
    bool ole2 = false;
    int underline = 0;    // kul
    int superSub = 0;     // iss: 1 superscript, 2 subscript
    int halfPoints = 20;
    int positionHalfPoints = 0;
    quint16 fontAscii = 0;
    quint16 fontEastAsian = 0;
    quint16 fontOther = 0;
    quint16 characterStyle = 10;
    std::optional<QColor> color;
    std::optional<QColor> background;
    std::optional<quint32> pictureLocation;
    // The glyph the run's placeholder characters show (sprmCSymbol): a font
    // index and the glyph's code in it; 0 for none.
    quint16 symbolFont = 0;
    quint16 symbolCode = 0;

    // Applies one sprm. Toggles (bold, italic, strike…) may say "as the
    // style" (0x80) or "the style's opposite" (0x81): `style` is what the
    // paragraph and character styles give.
    void apply(const DocSprm::Modifier &sprm, const DocCharacterProperties &style);
    // Applies every sprm of `grpprl`.
    void applyAll(DocByteView grpprl, const DocCharacterProperties &style);

    // The colour of a 16-colour index (ico); nothing for "auto" and unknown ones.
    static std::optional<QColor> colorOfIndex(int ico);
    // The index of a colour when it is one of the 16, else -1.
    static int indexOfColor(const QColor &color);
};
