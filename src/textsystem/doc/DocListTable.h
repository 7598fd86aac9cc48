#pragma once

#include "textsystem/doc/DocByteView.h"
#include "textsystem/TextList.h"

#include <QHash>
#include <QList>

// The list definitions (PlfLst with its levels) and list overrides (PlfLfo)
// of a Word document, turned into text lists. Damaged entries are skipped.
class DocListTable
{
public:
    // `tableStream` holds both structures; the levels follow the PlfLst.
    static DocListTable parse(DocByteView tableStream, quint32 lstAt, quint32 lstSize, quint32 lfoAt,
                              quint32 lfoSize);

    // The lists of a paragraph in override `ilfo` (1-based) at level `ilvl`,
    // outermost first: one per level from 0 to ilvl. Empty when unknown.
    QList<TextList> textLists(int ilfo, int ilvl) const;

private:
    struct Level {
        qint64 start = 1;
        QString markerFormat;
    };

    QHash<qint32, QList<Level>> m_levelsByList; // by lsid
    QList<qint32> m_overrideLists;              // lsid of each override
};
