#pragma once

#include <QString>
#include <QStringView>

// One level of a list. The marker is not part of the text: readers strip
// marker text they find, writers draw none into the string.
//
// `markerFormat` is one of the tokens below with optional literal text around
// it, e.g. "({decimal})". Each numbering style has exactly one token.
struct TextList
{
    static constexpr QStringView disc = u"{disc}";
    static constexpr QStringView circle = u"{circle}";
    static constexpr QStringView square = u"{square}";
    static constexpr QStringView hyphen = u"{hyphen}";
    static constexpr QStringView decimal = u"{decimal}";
    static constexpr QStringView lowerLatin = u"{lower-latin}";
    static constexpr QStringView upperLatin = u"{upper-latin}";
    static constexpr QStringView lowerRoman = u"{lower-roman}";
    static constexpr QStringView upperRoman = u"{upper-roman}";
    // A numbered level that shows no marker (its items still count).
    static constexpr QStringView none = u"{none}";

    QString markerFormat = disc.toString();
    // The number of the first item; stored as given.
    qint64 startingItemNumber = 1;

    friend bool operator==(const TextList &, const TextList &) = default;
};
