#pragma once

#include <QString>
#include <QStringList>

// Qt's HTML import spends time or memory that grows faster than the page
// in a few places: every element is matched against every style rule that
// its tag name does not rule out (each of its classes and ancestors too,
// and a rule like "div p" walks the ancestors of every element again), a
// table takes memory and time for every row times every column its spans
// reach, and each picture in a
// paragraph lays the whole paragraph out again. This pass runs
// before a page reaches Qt and bounds each, with limits far above real
// pages; what it cuts is counted, so the screen can say so.
namespace HtmlBounds {

// Pictures kept in one page; later <img> elements are left out.
constexpr int maximumPictures = 2'000;
// Classes kept in one element's class attribute.
constexpr int maximumClasses = 64;
// Style rules kept in the page's <style> elements, in order: at most
// maximumStyleRules, and only while matching them against the page's
// elements stays within maximumStyleWork (units of about 15 ns: each
// element costs each rule its classes times its depth, and a rule with a
// combinator its depth again for each element it may match).
constexpr int maximumStyleRules = 20'000;
constexpr qint64 maximumStyleWork = 150'000'000;
// Column and row spans of a table cell (HTML's own limit for columns).
constexpr int maximumSpan = 1'000;
// Rows times columns of all the page's tables together, past the cells the
// page gives them (Qt fills every row to the table's width).
constexpr qint64 maximumTableCells = 250'000;

struct Result
{
    QString html;
    int picturesLeftOut = 0;
    int rulesLeftOut = 0;
    int elementsWithClassesLeftOut = 0;
    int spansNarrowed = 0; // table cells whose column or row span was narrowed
    int tablesAsParagraphs = 0;

    // One phrase for each bound that cut something ("" for none).
    QStringList cuts() const;
};

// `html` within the bounds above, read as Qt's import reads it (tags inside
// scripts and styles too; comments pass unread). A table is as wide as its
// rows' spans add up; a span is narrowed to maximumSpan, a row span to the
// rows left in its table (a span past the last row means no more than
// that), and column spans to what maximumTableCells leaves; a table whose
// rows alone pass it (one wide row over many short ones) is opened as
// paragraphs, one for each cell. A
// cell's spans go on as Qt would read them, or are written again in plain
// digits (and the cell's other attributes in double quotes) when anything
// else might read them otherwise. A page within the bounds comes back
// unchanged. `tableCells` lowers maximumTableCells (for tests).
Result bounded(const QString &html, qint64 tableCells = maximumTableCells);

} // namespace HtmlBounds
