#pragma once

#include "textsystem/TextList.h"

#include <QChar>
#include <QString>

// A list level's marker format taken apart: its token and the literal text
// around it ("({decimal})" gives "(", "{decimal}", ")"). A format without a
// token reads as a disc.
struct TextListMarker
{
    QString prefix;
    QString token;
    QString suffix;

    static TextListMarker of(const QString &markerFormat);

    // Numbered styles: decimal, letters, roman numerals (not "none").
    bool isNumbered() const;
    // The character a bullet token draws (a disc for any other token).
    QChar bulletCharacter() const;

    // The number format codes Word's lists use in RTF and Word 97 files:
    // 0 decimal, 1/2 upper/lower roman, 3/4 upper/lower letter, 23 bullet,
    // 255 no marker.
    static constexpr int wordBullet = 23;
    static constexpr int wordNone = 255;
    int wordNumberFormat() const;
    // The token of a numbered or "none" code; decimal for codes we do not draw.
    static QString tokenOfWordNumberFormat(int code);
};
