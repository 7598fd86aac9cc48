#pragma once

#include "textsystem/TextList.h"

#include <QByteArray>
#include <QList>

// The lists of a Word document being written: one list definition (LSTF
// with nine levels, LVL) and one override (LFO) per list of the text. A
// list is known by its outermost level; its deeper levels come from the
// paragraphs that reach them.
class DocListWriter
{
public:
    // Registers the lists of a paragraph (outermost first) and returns its
    // override index (1-based, for sprmPIlfo) and level (for sprmPIlvl);
    // {0, 0} for no list.
    std::pair<quint16, quint8> add(const QList<TextList> &lists);

    bool isEmpty() const { return m_lists.isEmpty(); }
    // The list definitions followed by their levels, and the size of the
    // definitions alone (what the FIB records; the levels follow it).
    QByteArray definitions(quint32 *definitionsSize) const;
    QByteArray overrides() const;

private:
    static constexpr int levelCount = 9;
    QList<QList<TextList>> m_lists; // each list's levels as far as seen
};
