#pragma once

#include <QStringView>

// Character and word counts of a plain text as the status bar shows them:
// characters are grapheme clusters (a flag or a family emoji is one), words
// are the non-empty pieces between white space and line breaks (U+3000
// included), so Japanese text without spaces is one word per run.
struct TextCounts
{
    int characters = 0;
    int words = 0;

    static TextCounts of(QStringView text);

    TextCounts &operator+=(const TextCounts &other)
    {
        characters += other.characters;
        words += other.words;
        return *this;
    }
    TextCounts &operator-=(const TextCounts &other)
    {
        characters -= other.characters;
        words -= other.words;
        return *this;
    }
    friend bool operator==(const TextCounts &, const TextCounts &) = default;
};
