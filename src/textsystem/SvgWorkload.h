#pragma once

#include <QByteArray>
#include <QSize>
#include <QtGlobal>

// What drawing an SVG picture costs, read before anything draws it. A
// <use> draws the element it names again, with everything inside it, so a
// few kilobytes of nested <use> can ask for millions of shapes: the count
// here is of elements as drawn, after every <use> is expanded.
namespace SvgWorkload {

// Far above real drawings (a detailed map or illustration draws tens of
// thousands of shapes); past it a picture is refused.
constexpr qint64 maximumDrawnElements = 100'000;
// Drawing time grows with the elements times the pixels each may cover:
// a drawing of many elements is drawn at fewer pixels (about a second at
// most for shapes that fill the picture).
constexpr qint64 maximumDrawnPixels = 20'000'000'000;

// The number of elements `svg` draws with each <use> expanded, counted
// until it passes `limit` (then limit + 1); also limit + 1 when the XML is
// malformed or a <use> names itself or one of its own ancestors.
qint64 drawnElements(const QByteArray &svg, qint64 limit = maximumDrawnElements);

// `wanted`, scaled down (keeping its shape) so that `drawn` elements at
// its pixels stay within maximumDrawnPixels.
QSize rasterSize(QSize wanted, qint64 drawn);

} // namespace SvgWorkload
