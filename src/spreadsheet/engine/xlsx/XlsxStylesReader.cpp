#include "spreadsheet/engine/xlsx/XlsxStylesReader.h"

#include "spreadsheet/engine/xlsx/XlsxNodes.h"

#include <QTextBoundaryFinder>

namespace {

struct LoadedFont {
    bool isBold = false;
    bool isItalic = false;
    std::optional<QString> textColorHex;
};

// <b/> and <b val="1"/> are on; val "0", "false" or "off" is off.
bool isOn(pugi::xml_node flag)
{
    if (!flag)
        return false;
    const QString value = XlsxNodes::attribute(flag, "val").toLower();
    return value != QLatin1String("0") && value != QLatin1String("false")
           && value != QLatin1String("off");
}

std::optional<QString> rgbColor(pugi::xml_node color)
{
    const pugi::xml_attribute rgb = color.attribute("rgb");
    if (!rgb)
        return std::nullopt;
    return XlsxStylesReader::normalizeColorHex(QString::fromUtf8(rgb.value()));
}

QList<LoadedFont> fonts(pugi::xml_node styleSheet)
{
    QList<LoadedFont> result;
    for (const pugi::xml_node font : styleSheet.child("fonts").children("font"))
        result.append({isOn(font.child("b")), isOn(font.child("i")), rgbColor(font.child("color"))});
    return result;
}

QList<std::optional<QString>> fills(pugi::xml_node styleSheet)
{
    QList<std::optional<QString>> result;
    for (const pugi::xml_node fill : styleSheet.child("fills").children("fill")) {
        const pugi::xml_node pattern = fill.child("patternFill");
        const bool solid = XlsxNodes::attribute(pattern, "patternType") == QLatin1String("solid");
        result.append(solid ? rgbColor(pattern.child("fgColor")) : std::nullopt);
    }
    return result;
}

bool isAlphanumeric(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

} // namespace

QList<CellStyle> XlsxStylesReader::cellFormats(pugi::xml_node styleSheet)
{
    const QList<LoadedFont> fontList = fonts(styleSheet);
    const QList<std::optional<QString>> fillList = fills(styleSheet);
    QList<CellStyle> result;
    for (const pugi::xml_node xf : styleSheet.child("cellXfs").children("xf")) {
        CellStyle style;
        if (const auto font = XlsxNodes::listIndex(XlsxNodes::attribute(xf, "fontId"), fontList.size())) {
            style.isBold = fontList[*font].isBold;
            style.isItalic = fontList[*font].isItalic;
            style.textColorHex = fontList[*font].textColorHex;
        }
        if (const auto fill = XlsxNodes::listIndex(XlsxNodes::attribute(xf, "fillId"), fillList.size()))
            style.bgColorHex = fillList[*fill];
        result.append(style);
    }
    return result;
}

QString XlsxStylesReader::normalizeColorHex(const QString &value)
{
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && !isAlphanumeric(value[begin]))
        ++begin;
    while (end > begin && !isAlphanumeric(value[end - 1]))
        --end;
    const QString core = value.mid(begin, end - begin);

    QList<qsizetype> ends; // where each user-perceived character ends
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, core);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && ends.size() <= 8; at = finder.toNextBoundary())
        ends.append(at);
    if (ends.size() == 8)
        return u'#' + core.mid(ends[1]);
    if (ends.size() == 6)
        return u'#' + core;
    return QStringLiteral("#FFFFFF");
}
