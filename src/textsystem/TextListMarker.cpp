#include "textsystem/TextListMarker.h"

TextListMarker TextListMarker::of(const QString &markerFormat)
{
    const qsizetype open = markerFormat.indexOf(u'{');
    const qsizetype close = markerFormat.indexOf(u'}', open + 1);
    if (open < 0 || close < 0)
        return {QString(), TextList::disc.toString(), QString()};
    return {markerFormat.left(open), markerFormat.mid(open, close - open + 1), markerFormat.mid(close + 1)};
}

bool TextListMarker::isNumbered() const
{
    return token == TextList::decimal || token == TextList::lowerLatin || token == TextList::upperLatin
        || token == TextList::lowerRoman || token == TextList::upperRoman;
}

QChar TextListMarker::bulletCharacter() const
{
    if (token == TextList::circle) return QChar(0x25E6);
    if (token == TextList::square) return QChar(0x25AA);
    if (token == TextList::hyphen) return QChar(0x2013);
    return QChar(0x2022);
}

int TextListMarker::wordNumberFormat() const
{
    if (token == TextList::decimal) return 0;
    if (token == TextList::upperRoman) return 1;
    if (token == TextList::lowerRoman) return 2;
    if (token == TextList::upperLatin) return 3;
    if (token == TextList::lowerLatin) return 4;
    if (token == TextList::none) return wordNone;
    return wordBullet;
}

QString TextListMarker::tokenOfWordNumberFormat(int code)
{
    switch (code) {
    case 1: return TextList::upperRoman.toString();
    case 2: return TextList::lowerRoman.toString();
    case 3: return TextList::upperLatin.toString();
    case 4: return TextList::lowerLatin.toString();
    case wordNone: return TextList::none.toString();
    default: return TextList::decimal.toString();
    }
}
