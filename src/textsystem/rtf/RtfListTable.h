#pragma once

#include "textsystem/TextList.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

// The lists of an RTF file: \listtable definitions and the \listoverridetable
// entries that paragraphs name with \lsN. Fed by the reader while it is
// inside those destinations.
class RtfListTable
{
public:
    enum class Table { Lists, Overrides };
    // A control word inside \listtable or \listoverridetable.
    void controlWord(Table table, QByteArrayView name, int parameter);
    // The decoded text of a \leveltext destination (its length byte included).
    void levelText(const QString &text);
    // A group of \list, \listlevel or \listoverride ended.
    void listLevelEnded();
    void listEnded();
    void overrideEnded();

    // The lists of a paragraph with \lsN\ilvlN, outermost first; empty when
    // \lsN names no list.
    QList<TextList> textLists(int overrideIndex, int level) const;

private:
    struct Level {
        int numberFormat = 0; // \levelnfcN
        qint64 startAt = 1;
        QString text;         // \leveltext without its length character
    };
    struct List {
        QList<Level> levels;
    };

    static QString markerFormat(const Level &level, int levelIndex);

    Level m_level;
    List m_list;
    int m_listId = 0;
    QHash<int, List> m_lists;         // by \listidN
    int m_overrideListId = 0;
    int m_overrideIndex = 0;
    QHash<int, int> m_overrides;      // \lsN -> \listidN
};
