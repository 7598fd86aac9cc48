#pragma once

#include "docx/reader/DocXParagraphFormat.h"
#include "textsystem/TextList.h"

#include <QHash>
#include <QList>
#include <QString>
#include <pugixml.hpp>

class DocXStyleSheet;

// The numbering part of a document: which list, with which marker and start,
// each numbering instance and level stands for. Levels may come from the
// abstract definition, a numbering style it links to, or an override of the
// instance; links that dangle or loop give no list.
class DocXNumbering
{
public:
    DocXNumbering() = default;
    // Reads the <w:numbering> root; `styles` resolves numbering style links.
    DocXNumbering(pugi::xml_node numbering, const DocXStyleSheet &styles);

    // The lists of a paragraph in instance `numberingId` at `level`,
    // outermost first; empty when the instance is unknown or 0.
    QList<TextList> textLists(int numberingId, int level) const;
    // The paragraph properties (indents) of that level.
    DocXParagraphFormat levelFormat(int numberingId, int level) const;

private:
    struct Level {
        QString numberFormat = QStringLiteral("decimal");
        QString text;
        qint64 start = 1;
        DocXParagraphFormat paragraph;
    };
    using Levels = QList<Level>; // by level index; at most nine

    static Levels readLevels(pugi::xml_node parent, Levels levels);
    static QString markerFormat(const Level &level, int levelIndex);
    const Levels *levels(int numberingId) const;

    QHash<int, Levels> m_instances;
};
