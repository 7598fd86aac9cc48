#pragma once

#include "platform/ReadBudget.h"

#include <QString>
#include <QtGlobal>

// The limits of an XlsxReadBudget: memory at least `minimumMemory` (more for
// a large file), and text a save counts in UTF-16 code units.
struct XlsxReadLimits {
    static constexpr qint64 defaultMaxTextLength = qint64(256) << 20;

    qint64 minimumMemory = ReadBudget::minimumLimit;
    qint64 maxTextLength = defaultMaxTextLength;
};

// What reading one workbook may cost, taken before the cost is spent, so a
// small package that would grow into gigabytes is refused early:
//  - memory: the parts held while they are read and what the sheets keep
//    (grid rows, texts, styles), within a ReadBudget for the file's size;
//  - text as a save writes it: every cell's text counted once per cell, even
//    where many cells share one text in memory.
// The first take that does not fit ends the read.
class XlsxReadBudget
{
public:
    // What a sheet keeps, about, beyond its texts.
    static constexpr qint64 cellBytes = 24;        // a QString in a grid row
    static constexpr qint64 styleEntryBytes = 192; // a style map's node, key text and style

    explicit XlsxReadBudget(qint64 fileSize, const XlsxReadLimits &limits = {});

    bool takeMemory(qint64 bytes);
    void giveBackMemory(qint64 bytes) { m_memory.giveBack(bytes); }
    bool takeText(qint64 units);
    void giveBackText(qint64 units) { m_textUsed -= qBound<qint64>(0, units, m_textUsed); }

    // The bytes a text newly made for a cell takes; nothing for one that
    // shares its data with a text already held (a shared string, a pooled
    // number), which costs no more memory.
    static qint64 newTextBytes(const QString &text);

    // What has been taken so far, to go back to when a reading that took
    // some is dropped for another way of reading the same part.
    struct Usage {
        qint64 memory = 0;
        qint64 text = 0;
    };
    Usage usage() const { return {m_memory.used(), m_textUsed}; }
    void returnTo(const Usage &usage);

    ReadBudget &memory() { return m_memory; }
    bool ranOut() const { return m_memory.ranOut() || m_textRanOut; }
    // "it holds more text than 256 MiB" or "opening it would need more than
    // 768 MB of memory".
    QString ranOutMessage() const;

private:
    ReadBudget m_memory;
    qint64 m_maxText;
    qint64 m_textUsed = 0;
    bool m_textRanOut = false;
};
