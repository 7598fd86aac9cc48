#include "textsystem/StyledText.h"

#include <QDebug>

namespace {

bool sameAttributes(const std::shared_ptr<const TextAttributes> &a, const std::shared_ptr<const TextAttributes> &b)
{
    return a == b || *a == *b;
}

const TextAttributes &noAttributes()
{
    static const TextAttributes empty;
    return empty;
}

} // namespace

StyledText::StyledText(const QString &text, const TextAttributes &attributes)
{
    append(text, attributes);
}

StyledText::AttributesPointer StyledText::share(const TextAttributes &attributes)
{
    // Plain text is common; one shared empty set saves an allocation per run.
    static const AttributesPointer empty = std::make_shared<const TextAttributes>();
    return attributes.isEmpty() ? empty : std::make_shared<const TextAttributes>(attributes);
}

StyledText::RunMap::const_iterator StyledText::runContaining(qsizetype index) const
{
    auto run = m_runs.upper_bound(index);
    return run == m_runs.begin() ? run : std::prev(run);
}

qsizetype StyledText::runEnd(RunMap::const_iterator run) const
{
    const auto next = std::next(run);
    return next == m_runs.end() ? length() : next->first;
}

const TextAttributes &StyledText::storedAttributesAt(qsizetype index, TextRange *longestRange, TextRange limit) const
{
    if (index < 0 || index >= length()) {
        if (longestRange)
            *longestRange = {qBound<qsizetype>(0, index, length()), 0};
        return noAttributes();
    }
    const auto run = runContaining(index);
    if (longestRange) {
        const TextRange found{run->first, runEnd(run) - run->first};
        *longestRange = limit.contains(index) ? found.intersected(limit) : TextRange{index, 0};
    }
    return *run->second;
}

TextAttributes StyledText::attributesAt(qsizetype index, TextRange *longestRange, TextRange limit) const
{
    return storedAttributesAt(index, longestRange, limit);
}

QList<TextParagraph> StyledText::paragraphs() const
{
    QList<TextParagraph> result;
    const qsizetype n = length();
    const QChar *text = m_text.constData();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        if (!isParagraphTerminator(text[i])) {
            ++i;
            continue;
        }
        const qsizetype terminatorLength = text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n' ? 2 : 1;
        result.append(TextParagraph{{start, i - start}, {start, i + terminatorLength - start}});
        i += terminatorLength;
        start = i;
    }
    if (start < n)
        result.append(TextParagraph{{start, n - start}, {start, n - start}});
    return result;
}

bool StyledText::isParagraphTerminator(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator;
}

StyledText StyledText::mid(TextRange range) const
{
    range = range.clamped(length());
    StyledText result;
    if (range.isEmpty())
        return result;
    result.m_text = m_text.mid(range.location, range.length);
    for (auto run = runContaining(range.location); run != m_runs.end() && run->first < range.end(); ++run)
        result.m_runs.emplace_hint(result.m_runs.end(), qMax<qsizetype>(run->first - range.location, 0), run->second);
    return result;
}

void StyledText::appendRun(qsizetype start, const AttributesPointer &attributes)
{
    if (!m_runs.empty() && sameAttributes(std::prev(m_runs.end())->second, attributes))
        return;
    m_runs.emplace_hint(m_runs.end(), start, attributes);
}

void StyledText::append(const StyledText &other)
{
    if (&other == this) {
        const StyledText copy = other;
        append(copy);
        return;
    }
    if (other.isEmpty())
        return;
    const qsizetype offset = length();
    m_text += other.m_text;
    for (const auto &[start, attributes] : other.m_runs)
        appendRun(offset + start, attributes);
}

void StyledText::append(const QString &text, const TextAttributes &attributes)
{
    if (text.isEmpty())
        return;
    const qsizetype offset = length();
    m_text += text;
    appendRun(offset, sharedLike(attributes));
}

StyledText::AttributesPointer StyledText::sharedLike(const TextAttributes &attributes) const
{
    // Texts built run by run repeat a few attribute sets; sharing the set of
    // a recent run keeps one copy of each in memory instead of one per run.
    constexpr int lookBack = 4;
    auto run = m_runs.end();
    for (int i = 0; i < lookBack && run != m_runs.begin(); ++i) {
        --run;
        if (*run->second == attributes)
            return run->second;
    }
    return share(attributes);
}

StyledText::RunMap::iterator StyledText::splitAt(qsizetype index)
{
    if (index <= 0 || index >= length())
        return m_runs.lower_bound(index);
    auto next = m_runs.upper_bound(index);
    auto run = std::prev(next);
    if (run->first == index)
        return run;
    return m_runs.emplace_hint(next, index, run->second);
}

void StyledText::coalesce(qsizetype from, qsizetype to)
{
    auto run = m_runs.lower_bound(qMax<qsizetype>(from, 1));
    while (run != m_runs.end() && run->first <= to) {
        if (sameAttributes(std::prev(run)->second, run->second))
            run = m_runs.erase(run);
        else
            ++run;
    }
}

void StyledText::setAttributes(TextRange range, const TextAttributes &attributes)
{
    range = range.clamped(length());
    if (range.isEmpty())
        return;
    const auto first = splitAt(range.location);
    const auto stop = splitAt(range.end());
    m_runs.erase(first, stop);
    m_runs.emplace_hint(stop, range.location, share(attributes));
    coalesce(range.location, range.end());
}

void StyledText::modifyAttributes(TextRange range, const std::function<void(TextAttributes &)> &fn)
{
    range = range.clamped(length());
    if (range.isEmpty())
        return;
    auto run = splitAt(range.location);
    const auto stop = splitAt(range.end());
    for (; run != stop; ++run) {
        TextAttributes attributes = *run->second;
        fn(attributes);
        if (!(attributes == *run->second))
            run->second = share(attributes);
    }
    coalesce(range.location, range.end());
}

bool operator==(const StyledText &a, const StyledText &b)
{
    if (a.m_text != b.m_text || a.m_runs.size() != b.m_runs.size())
        return false;
    return std::equal(a.m_runs.begin(), a.m_runs.end(), b.m_runs.begin(), [](const auto &x, const auto &y) {
        return x.first == y.first && sameAttributes(x.second, y.second);
    });
}

QDebug operator<<(QDebug debug, const StyledText &text)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "StyledText(" << text.string();
    text.forEachRun(TextRange::everything(), [&debug](const TextAttributes &attributes, TextRange range) {
        debug << "\n  " << range << ' ' << attributes;
    });
    debug << ')';
    return debug;
}
