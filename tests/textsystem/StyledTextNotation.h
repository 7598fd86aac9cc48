#pragma once

#include "textsystem/StyledText.h"

#include <QColor>
#include <QString>

// A compact notation for styled texts in test tables: "[r]ab[g]cd[]ef" is
// "ab" in red, "cd" in green and "ef" without attributes. Tags are one letter,
// the foreground colour r, g or b; "[]" clears. The text starts untagged.
namespace StyledTextNotation {

inline QColor colourOf(QChar tag)
{
    switch (tag.unicode()) {
    case u'r': return Qt::red;
    case u'g': return Qt::green;
    case u'b': return Qt::blue;
    default: return Qt::black;
    }
}

inline TextAttributes attributesOf(QStringView tag)
{
    TextAttributes attributes;
    if (!tag.isEmpty())
        attributes.foreground = colourOf(tag.at(0));
    return attributes;
}

inline QString tagOf(const TextAttributes &attributes)
{
    if (attributes.isEmpty())
        return {};
    if (!attributes.foreground)
        return QStringLiteral("?");
    for (QChar tag : {u'r', u'g', u'b'}) {
        if (*attributes.foreground == colourOf(tag))
            return tag;
    }
    return QStringLiteral("?");
}

inline StyledText parse(QStringView notation)
{
    StyledText text;
    QString tag;
    QString pending;
    for (qsizetype i = 0; i < notation.size(); ++i) {
        if (notation[i] == u'[') {
            const qsizetype close = notation.indexOf(u']', i);
            text.append(pending, attributesOf(tag));
            pending.clear();
            tag = notation.mid(i + 1, close - i - 1).toString();
            i = close;
        } else {
            pending += notation[i];
        }
    }
    text.append(pending, attributesOf(tag));
    return text;
}

// Every run with its tag, "[]" included, so run boundaries are visible.
inline QString describe(const StyledText &text)
{
    QString result;
    text.forEachRun(TextRange::everything(), [&](const TextAttributes &attributes, TextRange range) {
        result += u'[' + tagOf(attributes) + u']' + text.string().mid(range.location, range.length);
    });
    return result;
}

} // namespace StyledTextNotation
