#pragma once

#include <QString>
#include <QtGlobal>

// The memory that opening one file may take: the larger of 768 MiB and three
// times the file's size (what the reader holds besides, and the program
// itself, keep a small file's whole need under 1 GB). A reader takes from it
// what it keeps (parsed XML trees, text, objects) and gives back what it
// drops; when a take does not fit, the file is refused, so a small file
// cannot unpack into gigabytes.
class ReadBudget
{
public:
    static constexpr qint64 minimumLimit = qint64(768) << 20;

    // The larger of `minimum` and three times `fileSize`.
    explicit ReadBudget(qint64 fileSize, qint64 minimum = minimumLimit);

    bool fits(qint64 bytes) const { return bytes >= 0 && bytes <= m_limit - m_used; }
    // Takes `bytes` when they fit; false (taking nothing, and remembering
    // that the budget ran out) when they do not.
    bool take(qint64 bytes);
    void giveBack(qint64 bytes);

    qint64 limit() const { return m_limit; }
    qint64 used() const { return m_used; }
    bool ranOut() const { return m_ranOut; }
    // For the reader's error: "opening it would need more than 768 MB of memory".
    QString ranOutMessage() const;

private:
    qint64 m_limit;
    qint64 m_used = 0;
    bool m_ranOut = false;
};
