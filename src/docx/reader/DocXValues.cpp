#include "docx/reader/DocXValues.h"

#include "platform/XmlRead.h"

#include <QHash>

#include <cmath>

namespace {

std::optional<double> number(QStringView text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The number in `text` followed by one of the units; points per unit.
std::optional<double> withUnit(const QString &text, const QHash<QString, double> &pointsPerUnit)
{
    const QString trimmed = text.trimmed().toLower();
    for (auto unit = pointsPerUnit.cbegin(); unit != pointsPerUnit.cend(); ++unit) {
        if (!unit.key().isEmpty() && trimmed.endsWith(unit.key())) {
            if (const auto value = number(QStringView(trimmed).chopped(unit.key().size())))
                return *value * unit.value();
            return std::nullopt;
        }
    }
    return std::nullopt;
}

const QHash<QString, double> &lengthUnits()
{
    static const QHash<QString, double> units = {
        {QStringLiteral("pt"), 1.0},        {QStringLiteral("in"), 72.0},      {QStringLiteral("cm"), 72.0 / 2.54},
        {QStringLiteral("mm"), 72.0 / 25.4}, {QStringLiteral("pc"), 12.0},     {QStringLiteral("pi"), 12.0},
        {QStringLiteral("px"), 0.75},       {QStringLiteral("emu"), 1.0 / 12700.0},
    };
    return units;
}

} // namespace

namespace DocXValues {

std::optional<bool> onOff(pugi::xml_node element)
{
    if (!element)
        return std::nullopt;
    const pugi::xml_attribute value = element.attribute("w:val");
    if (!value)
        return true;
    const QString text = QString::fromUtf8(value.value()).trimmed().toLower();
    return !(text == QLatin1String("0") || text == QLatin1String("false") || text == QLatin1String("off")
             || text == QLatin1String("none"));
}

std::optional<int> integer(pugi::xml_node element, const char *attribute)
{
    if (!element || !XmlRead::hasAttribute(element, attribute))
        return std::nullopt;
    bool ok = false;
    const int value = XmlRead::attribute(element, attribute).trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<double> twips(pugi::xml_node element, const char *attribute)
{
    if (!element || !XmlRead::hasAttribute(element, attribute))
        return std::nullopt;
    const QString text = XmlRead::attribute(element, attribute).trimmed();
    if (const auto plain = number(text))
        return std::abs(*plain) < 1e9 ? plain : std::nullopt;
    const auto points = withUnit(text, lengthUnits());
    if (!points || std::abs(*points) >= 1e8)
        return std::nullopt;
    return *points * 20.0;
}

std::optional<QColor> hexColor(const QString &value)
{
    if (value.size() != 6)
        return std::nullopt;
    bool ok = false;
    const uint rgb = value.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return QColor(QRgb(rgb));
}

std::optional<QColor> highlightColor(const QString &name)
{
    static const QHash<QString, QColor> colors = {
        {QStringLiteral("black"), QColor(0, 0, 0)},          {QStringLiteral("blue"), QColor(0, 0, 255)},
        {QStringLiteral("cyan"), QColor(0, 255, 255)},        {QStringLiteral("green"), QColor(0, 255, 0)},
        {QStringLiteral("magenta"), QColor(255, 0, 255)},     {QStringLiteral("red"), QColor(255, 0, 0)},
        {QStringLiteral("yellow"), QColor(255, 255, 0)},      {QStringLiteral("white"), QColor(255, 255, 255)},
        {QStringLiteral("darkBlue"), QColor(0, 0, 128)},      {QStringLiteral("darkCyan"), QColor(0, 128, 128)},
        {QStringLiteral("darkGreen"), QColor(0, 128, 0)},     {QStringLiteral("darkMagenta"), QColor(128, 0, 128)},
        {QStringLiteral("darkRed"), QColor(128, 0, 0)},       {QStringLiteral("darkYellow"), QColor(128, 128, 0)},
        {QStringLiteral("darkGray"), QColor(128, 128, 128)},  {QStringLiteral("lightGray"), QColor(192, 192, 192)},
    };
    const auto found = colors.constFind(name);
    return found == colors.cend() ? std::nullopt : std::optional<QColor>(*found);
}

std::optional<double> cssLength(const QString &value)
{
    if (const auto plain = number(value.trimmed()))
        return *plain * 0.75; // a bare VML number is in pixels
    return withUnit(value, lengthUnits());
}

} // namespace DocXValues
