#pragma once

// How a character stands in vertical writing, where lines run top to bottom
// and follow one another right to left. The text is laid out in lines along
// the column and turned a quarter clockwise, so a character that is not
// upright lies on its side (Latin letters, digits, brackets, the long vowel
// mark), as vertical Japanese typesetting sets them.
enum class VerticalOrientation {
    Turned,          // drawn along the line, a quarter turn clockwise
    Upright,         // kanji, kana, full-width forms
    UprightUpperRight // "、" and "。" and their full-width forms: upright, in the upper right of their cell
};

VerticalOrientation verticalOrientation(char32_t character);
