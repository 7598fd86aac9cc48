#pragma once

#include <QByteArray>
#include <QList>

// Packs property runs into 512-byte formatted disk pages (FKPs) for
// character (CHPX) or paragraph (PAPX) properties, and gives the bin table
// that lists the pages.
class DocFkpWriter
{
public:
    enum class Kind { Character, Paragraph };

    explicit DocFkpWriter(Kind kind) : m_kind(kind) {}

    // Adds the run [fcStart, fcEnd) with its properties: a CHPX grpprl (at
    // most 255 bytes), or for paragraphs the style index followed by the
    // grpprl. Runs must be added in order and without gaps.
    void addRun(quint32 fcStart, quint32 fcEnd, const QByteArray &properties);

    // The pages, to be stored in the WordDocument stream from byte
    // `firstPage` × 512 on; and the bin table for them.
    QByteArray pages();
    QByteArray binTable(quint32 firstPage);
    int pageCount() const { return int(m_pages.size()) + (m_runs.isEmpty() ? 0 : 1); }

private:
    struct Run {
        quint32 fcStart;
        quint32 fcEnd;
        QByteArray properties;
    };

    int entrySize() const { return m_kind == Kind::Character ? 1 : 13; }
    int storedSize(const QByteArray &properties) const;
    bool fits(const Run &run) const;
    void closePage();

    Kind m_kind;
    QList<Run> m_runs; // of the open page
    QList<QByteArray> m_storedInPage;
    int m_storedBytes = 0;
    QList<QByteArray> m_pages;
    QList<quint32> m_pageFirstFcs;
    quint32 m_lastFc = 0;
};
