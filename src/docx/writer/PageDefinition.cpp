#include "PageDefinition.h"

#include "docx/writer/DocXUnits.h"

#include <QHash>

namespace {

enum class Extent { Page, Margin };

// Twips of a length; a page side must be at least one twip.
std::optional<qint64> twipsOf(const Length &length, DocXUnits::Sign sign, Extent extent = Extent::Margin)
{
    const auto twips = DocXUnits::truncated(length.converted(Length::Unit::Twips), sign);
    if (extent == Extent::Page && twips && *twips <= 0)
        return std::nullopt;
    return twips;
}

// A length that cannot be written (NaN, infinite, out of range, negative where
// the attribute is unsigned) is written as its default, so the element never
// lacks an attribute that readers would fill with their own default.
qint64 twipsOr(const Length &length, const Length &fallback, DocXUnits::Sign sign, Extent extent = Extent::Margin)
{
    return twipsOf(length, sign, extent).value_or(*twipsOf(fallback, sign, extent));
}

QString describe(const QString &name, const Length &length)
{
    const double points = length.inPoints();
    return QStringLiteral("%1: %2 pt (%3 cm)")
        .arg(name, QString::number(points, 'g', 10),
             QString::number(length.converted(Length::Unit::Centimetres), 'f', 2));
}

double insetWithDistance(const Length &margin, const Length &distance)
{
    const double points = margin.inPoints();
    if (points < 0)
        return points;
    return qMax(points, distance.inPoints());
}

} // namespace

double Length::metresPerUnit(Unit unit)
{
    switch (unit) {
    case Unit::Points: return 0.00035277777777777776;
    case Unit::Twips: return 1.763888888888889e-05;
    case Unit::Inches: return 0.0254;
    case Unit::Centimetres: return 0.01;
    case Unit::Millimetres: return 0.001;
    }
    return 1.0;
}

double Length::converted(Unit target) const
{
    if (target == unit)
        return value;
    const double metres = value * metresPerUnit(unit);
    return metres / metresPerUnit(target);
}

XmlElement PageDefinition::PageSize::pageSizeElement() const
{
    using DocXUnits::Sign;
    const PageSize fallback = a4();
    const qint64 w = twipsOr(width, fallback.width, Sign::Unsigned, Extent::Page);
    const qint64 h = twipsOr(height, fallback.height, Sign::Unsigned, Extent::Page);
    XmlElement element(QStringLiteral("w:pgSz"));
    element.setAttribute(QStringLiteral("w:w"), DocXUnits::text(w));
    element.setAttribute(QStringLiteral("w:h"), DocXUnits::text(h));
    if (w > h)
        element.setAttribute(QStringLiteral("w:orient"), QStringLiteral("landscape"));
    return element;
}

QString PageDefinition::PageSize::description() const
{
    return describe(QStringLiteral("Width"), width) + QStringLiteral(", ") + describe(QStringLiteral("Height"), height);
}

PageDefinition::PageMargins::PageMargins(double top, double bottom, double left, double right, double footer,
                                         double header)
    : top(Length::points(top)), bottom(Length::points(bottom)), left(Length::points(left)),
      right(Length::points(right)), footer(Length::points(footer)), header(Length::points(header))
{
}

PageDefinition::PageMargins PageDefinition::PageMargins::fromEdges(double top, double left, double bottom, double right)
{
    return PageMargins(top, bottom, left, right, 0.0, 0.0);
}

QMarginsF PageDefinition::PageMargins::edgeInsets() const
{
    // QMarginsF is (left, top, right, bottom).
    return QMarginsF(left.inPoints(), insetWithDistance(top, header), right.inPoints(),
                     insetWithDistance(bottom, footer));
}

XmlElement PageDefinition::PageMargins::pageMarginElement() const
{
    using DocXUnits::Sign;
    const PageMargins fallback = defaultMargins();
    XmlElement element(QStringLiteral("w:pgMar"));
    const auto set = [&element](const QString &name, const Length &length, const Length &standard, Sign sign) {
        element.setAttribute(name, DocXUnits::text(twipsOr(length, standard, sign)));
    };
    set(QStringLiteral("w:top"), top, fallback.top, Sign::Signed);
    set(QStringLiteral("w:right"), right, fallback.right, Sign::Unsigned);
    set(QStringLiteral("w:bottom"), bottom, fallback.bottom, Sign::Signed);
    set(QStringLiteral("w:left"), left, fallback.left, Sign::Unsigned);
    set(QStringLiteral("w:header"), header, fallback.header, Sign::Unsigned);
    set(QStringLiteral("w:footer"), footer, fallback.footer, Sign::Unsigned);
    element.setAttribute(QStringLiteral("w:gutter"), QStringLiteral("0"));
    return element;
}

QString PageDefinition::PageMargins::description() const
{
    return QStringList{describe(QStringLiteral("Top"), top), describe(QStringLiteral("Bottom"), bottom),
                       describe(QStringLiteral("Left"), left), describe(QStringLiteral("Right"), right),
                       describe(QStringLiteral("Footer"), footer), describe(QStringLiteral("Header"), header)}
        .join(QStringLiteral(", "));
}

double PageDefinition::textWidth() const
{
    const QMarginsF insets = pageMargins.edgeInsets();
    return pageSize.width.inPoints() - insets.right() - insets.left();
}

double PageDefinition::textHeight() const
{
    const QMarginsF insets = pageMargins.edgeInsets();
    return pageSize.height.inPoints() - insets.bottom() - insets.top();
}

QString PageDefinition::description() const
{
    return QStringLiteral("Paper Size: ") + pageSize.description() + QStringLiteral(",\r\rMargins: ")
           + pageMargins.description();
}

size_t qHash(const Length &length, size_t seed)
{
    return qHashMulti(seed, length.value, int(length.unit));
}

size_t qHash(const PageDefinition::PageSize &size, size_t seed)
{
    return qHashMulti(seed, size.width, size.height);
}

size_t qHash(const PageDefinition::PageMargins &margins, size_t seed)
{
    return qHashMulti(seed, margins.top, margins.bottom, margins.left, margins.right, margins.footer, margins.header);
}

size_t qHash(const PageDefinition &definition, size_t seed)
{
    return qHashMulti(seed, definition.pageSize, definition.pageMargins);
}
