#pragma once

#include "platform/XmlElement.h"

#include <QMarginsF>
#include <QString>
#include <QtGlobal>

// A physical length: a value in a unit with a linear factor to metres.
struct Length
{
    enum class Unit { Points, Twips, Inches, Centimetres, Millimetres };

    double value = 0.0;
    Unit unit = Unit::Points;

    static Length points(double value) { return {value, Unit::Points}; }
    static double metresPerUnit(Unit unit);
    // The value in `target` units: value × its factor ÷ the target's factor,
    // in double precision and not rounded (842 points are 16839.99… twips).
    double converted(Unit target) const;
    double inPoints() const { return converted(Unit::Points); }

    friend bool operator==(const Length &, const Length &) = default;
};

// Page size and margins of a document; written as the section's w:pgSz and
// w:pgMar and used to fit pictures into the text width.
struct PageDefinition
{
    struct PageSize
    {
        Length width;
        Length height;

        PageSize() = default;
        PageSize(Length width, Length height) : width(width), height(height) {}
        // Both in points.
        PageSize(double width, double height) : width(Length::points(width)), height(Length::points(height)) {}

        static PageSize a4() { return {595.0, 842.0}; }
        static PageSize letter() { return {612.0, 792.0}; }

        // w:pgSz with w:w, w:h in twips (truncated); w:orient "landscape" only
        // for a page wider than tall. A length that is not a positive whole
        // number of twips within range is written as A4's.
        XmlElement pageSizeElement() const;
        QString description() const;

        friend bool operator==(const PageSize &, const PageSize &) = default;
    };

    struct PageMargins
    {
        Length top, bottom, left, right, footer, header;

        PageMargins() = default;
        // All six in points, in field order.
        PageMargins(double top, double bottom, double left, double right, double footer, double header);
        // In points, in the order top, left, bottom, right; footer and header 0.
        static PageMargins fromEdges(double top, double left, double bottom, double right);
        static PageMargins defaultMargins() { return {72.0, 72.0, 72.0, 72.0, 35.4, 35.4}; }

        // Top, left, bottom, right in points; top and bottom are the larger of
        // the margin and the header or footer distance unless the margin is
        // negative (then the margin unchanged).
        QMarginsF edgeInsets() const;
        // w:pgMar in twips with w:gutter "0"; a length out of range (NaN,
        // infinite, negative for left, right, header and footer) is written
        // as defaultMargins()' value.
        XmlElement pageMarginElement() const;
        QString description() const;

        friend bool operator==(const PageMargins &, const PageMargins &) = default;
    };

    PageSize pageSize;
    PageMargins pageMargins;

    // Page width minus the left and right insets, in points.
    double textWidth() const;
    // Page height minus the top and bottom insets, in points.
    double textHeight() const;
    QString description() const;

    friend bool operator==(const PageDefinition &, const PageDefinition &) = default;
};

size_t qHash(const Length &length, size_t seed = 0);
size_t qHash(const PageDefinition::PageSize &size, size_t seed = 0);
size_t qHash(const PageDefinition::PageMargins &margins, size_t seed = 0);
size_t qHash(const PageDefinition &definition, size_t seed = 0);
