#pragma once

#include <QString>

// Qt's HTML import takes time that grows with the square of the nesting
// depth: 20,000 nested elements take a quarter of a minute. This pass runs
// before a page reaches Qt and flattens what lies deeper than a bound.
namespace HtmlNesting {

constexpr int maximumDepth = 512;

// `html` without the start and end tags of elements nested deeper than
// `depth`: their content stays, inside the deepest element kept. Elements
// that Qt closes by itself (p, li, td and the like) and void elements (br,
// img, ...) do not count, nor do elements closed with "/>"; comments,
// declarations and the text of script and style pass unread. A page nested
// no deeper comes back unchanged.
QString flattened(const QString &html, int depth = maximumDepth);

} // namespace HtmlNesting
