#pragma once

#include "textsystem/TextAttributes.h"
#include "textsystem/TextParagraph.h"
#include "textsystem/TextRange.h"

#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>

// A text with attributes: a QString plus attribute runs. A plain value type;
// a copy is independent (a "mutable copy"), sharing only the immutable
// attachments, ruby annotations and attribute sets.
//
// Indices and ranges are 0-based UTF-16 code units. Ranges past the end are
// clamped, empty ranges change nothing, and a range may split a surrogate pair
// or a CRLF. No operation has undefined behaviour on any input.
//
// The runs are coalesced: every character belongs to exactly one run, and two
// neighbouring runs never hold equal attributes, so a run is the longest range
// of equal attributes. n below is the number of runs, k the number of runs an
// operation touches.
class StyledText
{
public:
    StyledText() = default;
    // The text with the same attributes on every character. O(1) runs.
    explicit StyledText(const QString &text, const TextAttributes &attributes = {});

    const QString &string() const { return m_text; }
    qsizetype length() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }
    // The number of runs. O(1).
    qsizetype runCount() const { return qsizetype(m_runs.size()); }

    // The attributes of the character at `index`, and in `longestRange` the
    // run holding it clipped to `limit`. An index outside the text gives empty
    // attributes and an empty range at the index clamped into the text; an
    // index outside `limit` an empty range at it. O(log n).
    TextAttributes attributesAt(qsizetype index, TextRange *longestRange = nullptr,
                                TextRange limit = TextRange::everything()) const;

    // One attribute at `index`, e.g. valueAt(&TextAttributes::paragraphStyleId, i)
    // (an optional, or a pointer for attachment and ruby). `longestRange` gets
    // the longest range around the index, within `limit`, over which that
    // attribute is equal (absent counts as a value). Bad indices as
    // attributesAt(). O(log n + runs inside the range found).
    template <typename Field>
    Field valueAt(Field TextAttributes::*field, qsizetype index, TextRange *longestRange = nullptr,
                  TextRange limit = TextRange::everything()) const;

    // Calls fn(const TextAttributes &, TextRange) for each run meeting `range`,
    // clipped to it, in text order. When fn returns bool, false stops.
    // O(log n + k).
    template <typename Fn>
    void forEachRun(TextRange range, Fn fn) const;

    // Calls fn(value, TextRange) for each longest range inside `range` over
    // which one attribute is equal, absent values included (value is then an
    // empty optional or a null pointer). When fn returns bool, false stops.
    // O(log n + k).
    template <typename Field, typename Fn>
    void forEachValue(TextRange range, Field TextAttributes::*field, Fn fn) const;

    // The paragraphs in text order. Terminators: LF, CR, CRLF (one terminator)
    // and U+2029. "" gives none, "a\n" one, "\n" one empty paragraph, "a\nb"
    // two. Runs play no part. O(length).
    QList<TextParagraph> paragraphs() const;
    static bool isParagraphTerminator(QChar c);

    // The characters of `range` with their attributes. O(log n + k).
    StyledText mid(TextRange range) const;

    // Amortised O(runs appended).
    void append(const StyledText &other);
    void append(const QString &text, const TextAttributes &attributes = {});

    // Replaces every attribute of the characters in `range`. O(log n + k).
    void setAttributes(TextRange range, const TextAttributes &attributes);
    // Calls fn(TextAttributes &) once per run inside `range` (runs split at its
    // edges) and stores what fn leaves. O((log n) × k).
    void modifyAttributes(TextRange range, const std::function<void(TextAttributes &)> &fn);

    friend bool operator==(const StyledText &a, const StyledText &b);

private:
    using AttributesPointer = std::shared_ptr<const TextAttributes>;
    // Run start -> attributes of [start, next start or length).
    using RunMap = std::map<qsizetype, AttributesPointer>;

    const TextAttributes &storedAttributesAt(qsizetype index, TextRange *longestRange, TextRange limit) const;
    RunMap::const_iterator runContaining(qsizetype index) const;
    qsizetype runEnd(RunMap::const_iterator run) const;
    // Makes a run start at `index` (0 < index < length) and returns it.
    RunMap::iterator splitAt(qsizetype index);
    // Merges the runs from `first` up to (and with) the run starting at `stop`
    // or after, where neighbours are equal.
    void coalesce(qsizetype from, qsizetype to);
    void appendRun(qsizetype start, const AttributesPointer &attributes);
    static AttributesPointer share(const TextAttributes &attributes);
    AttributesPointer sharedLike(const TextAttributes &attributes) const;

    template <typename Getter>
    TextRange equalValueRange(qsizetype index, TextRange limit, Getter get) const;

    QString m_text;
    RunMap m_runs;
};

QDebug operator<<(QDebug debug, const StyledText &text);

// ---- template implementations ----

template <typename Fn>
void StyledText::forEachRun(TextRange range, Fn fn) const
{
    range = range.clamped(length());
    if (range.isEmpty())
        return;
    for (auto run = runContaining(range.location); run != m_runs.end() && run->first < range.end(); ++run) {
        const qsizetype start = qMax(run->first, range.location);
        const qsizetype stop = qMin(runEnd(run), range.end());
        if constexpr (std::is_same_v<std::invoke_result_t<Fn, const TextAttributes &, TextRange>, bool>) {
            if (!fn(*run->second, TextRange{start, stop - start}))
                return;
        } else {
            fn(*run->second, TextRange{start, stop - start});
        }
    }
}

template <typename Field, typename Fn>
void StyledText::forEachValue(TextRange range, Field TextAttributes::*field, Fn fn) const
{
    range = range.clamped(length());
    if (range.isEmpty())
        return;
    auto run = runContaining(range.location);
    while (run != m_runs.end() && run->first < range.end()) {
        const Field &value = (*run->second).*field;
        const qsizetype start = qMax(run->first, range.location);
        auto next = std::next(run);
        while (next != m_runs.end() && next->first < range.end() && (*next->second).*field == value)
            ++next;
        const qsizetype stop = next == m_runs.end() ? qMin(length(), range.end()) : qMin(next->first, range.end());
        if constexpr (std::is_same_v<std::invoke_result_t<Fn, const Field &, TextRange>, bool>) {
            if (!fn(value, TextRange{start, stop - start}))
                return;
        } else {
            fn(value, TextRange{start, stop - start});
        }
        run = next;
    }
}

template <typename Getter>
TextRange StyledText::equalValueRange(qsizetype index, TextRange limit, Getter get) const
{
    auto run = runContaining(index);
    const auto &value = get(*run->second);
    const qsizetype low = qMax<qsizetype>(limit.location, 0);
    const qsizetype high = TextRange{low, limit.location + limit.length - low}.clamped(length()).end();
    auto first = run;
    while (first != m_runs.begin() && first->first > low && get(*std::prev(first)->second) == value)
        --first;
    auto last = run;
    while (runEnd(last) < high && get(*std::next(last)->second) == value)
        ++last;
    const qsizetype start = qMax(first->first, low);
    const qsizetype stop = qMin(runEnd(last), high);
    return {start, stop - start};
}

template <typename Field>
Field StyledText::valueAt(Field TextAttributes::*field, qsizetype index, TextRange *longestRange,
                          TextRange limit) const
{
    TextRange run;
    const TextAttributes &attributes = storedAttributesAt(index, &run, limit);
    if (longestRange) {
        *longestRange = run.isEmpty() ? run : equalValueRange(index, limit, [field](const TextAttributes &a) -> const Field & {
            return a.*field;
        });
    }
    return attributes.*field;
}
