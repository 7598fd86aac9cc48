#pragma once

#include <QString>
#include <QStringList>

// Qt's HTML import spends time or memory that grows faster than the page
// in a few places: every element is matched against every style rule that
// its tag name does not rule out (each of its classes and ancestors too,
// and a rule like "div p" walks the ancestors of every element again), a
// table is as wide as its widest column span, and each picture in a
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

struct Result
{
    QString html;
    int picturesLeftOut = 0;
    int rulesLeftOut = 0;
    int elementsWithClassesLeftOut = 0;
    int spansNarrowed = 0; // column spans past the widest row of their table

    // One phrase for each bound that cut something ("" for none).
    QStringList cuts() const;
};

// `html` within the bounds above. A table's column span is narrowed to
// the most cells any row of the table has, and a row span to the rows left
// in the table (a span past the last row means no more than that). Comments
// and the text of scripts pass unread. A page within the bounds comes back
// unchanged.
Result bounded(const QString &html);

} // namespace HtmlBounds
