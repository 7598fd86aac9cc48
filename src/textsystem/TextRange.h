#pragma once

#include <QDebug>
#include <QtGlobal>

#include <limits>

// A range of a text in UTF-16 code units: `location` is 0-based, `length`
// counts units. A range may split a surrogate pair or a CRLF. Operations that
// take a range clamp it to the text first (see clamped()).
struct TextRange
{
    qsizetype location = 0;
    qsizetype length = 0;

    // A limit that stands for "the whole text", whatever its length.
    static constexpr TextRange everything() { return {0, std::numeric_limits<qsizetype>::max()}; }

    constexpr qsizetype end() const { return location + length; }
    constexpr bool isEmpty() const { return length <= 0; }
    constexpr bool contains(qsizetype index) const { return index >= location && index - location < length; }

    // The part of this range inside [0, textLength]: a negative location
    // becomes 0 (the length shrinks by the same amount), a location past the
    // end becomes textLength, a negative length 0. Never overflows.
    constexpr TextRange clamped(qsizetype textLength) const
    {
        qsizetype start = location;
        qsizetype count = length < 0 ? 0 : length;
        if (start < 0) {
            count = count > -start ? count + start : 0; // -start cannot overflow: start > min
            start = 0;
        }
        if (start > textLength)
            start = textLength;
        if (count > textLength - start)
            count = textLength - start;
        return {start, count};
    }

    // The common part of two ranges; an empty range at `location` clamped into
    // `other` when they do not meet.
    constexpr TextRange intersected(TextRange other) const
    {
        const qsizetype start = qMax(location, other.location);
        const qsizetype stop = qMin(saturatedEnd(), other.saturatedEnd());
        if (stop <= start)
            return {qBound(other.location, location, other.saturatedEnd()), 0};
        return {start, stop - start};
    }

    friend constexpr bool operator==(TextRange, TextRange) = default;

private:
    constexpr qsizetype saturatedEnd() const
    {
        const qsizetype count = length < 0 ? 0 : length;
        return location > std::numeric_limits<qsizetype>::max() - count ? std::numeric_limits<qsizetype>::max()
                                                                         : location + count;
    }
};

inline QDebug operator<<(QDebug debug, TextRange range)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TextRange(" << range.location << ", " << range.length << ')';
    return debug;
}
