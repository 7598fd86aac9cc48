#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>

// The part of a text that a box of a given size can show, so that drawing a
// long text costs what shows rather than its whole length. Drawing the
// fitted text wrapped at word boundaries and clipped to the box (aligned to
// the top) gives the same picture as drawing the whole text: it keeps every
// line that starts inside the box, and of a word wider than all those lines
// together only a head that is wider still.
namespace BoxTextFitting {

// Texts up to this length are drawn whole: their layout is cheap, and a
// centred text that overflows its box keeps showing its middle lines.
inline constexpr qsizetype shortTextLength = 4096;

struct Fitted {
    QString text;
    bool cutBelow = false; // lines below the box were left out
};

// `text` as `box` shows it in `font`, wrapped at word boundaries.
Fitted fit(const QString &text, const QFont &font, QSizeF box);

// Characters that fit() laid out or measured, and that it returned to be
// laid out, since the start: for tests that bound the work of a drawing.
qint64 charactersLaidOut();

} // namespace BoxTextFitting
