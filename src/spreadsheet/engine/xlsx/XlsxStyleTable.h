#pragma once

#include "spreadsheet/engine/model/CellStyle.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QList>
#include <QString>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

class XmlElement;

// One font of the styles part. Colour texts compare as stored, so "#ff0000"
// and "#FF0000" are two keys.
struct FontStyleKey {
    bool isBold = false;
    bool isItalic = false;
    std::optional<QString> textColorHex;
    friend bool operator==(const FontStyleKey &, const FontStyleKey &) = default;
    friend bool operator<(const FontStyleKey &a, const FontStyleKey &b)
    {
        return std::tie(a.isBold, a.isItalic, a.textColorHex)
               < std::tie(b.isBold, b.isItalic, b.textColorHex);
    }
};

// One fill of the styles part.
struct FillStyleKey {
    std::optional<QString> bgColorHex;
    friend bool operator==(const FillStyleKey &, const FillStyleKey &) = default;
    friend bool operator<(const FillStyleKey &a, const FillStyleKey &b)
    {
        return a.bgColorHex < b.bgColorHex;
    }
};

// One cell format (an xf of cellXfs).
struct XfStyleKey {
    int fontId = 0;
    int fillId = 0;
    friend bool operator==(const XfStyleKey &, const XfStyleKey &) = default;
    friend bool operator<(const XfStyleKey &a, const XfStyleKey &b)
    {
        return std::tie(a.fontId, a.fillId) < std::tie(b.fontId, b.fillId);
    }
};

// A styled cell met while walking a sheet: zero-based address, its style
// and, once an XlsxStyleTable has collected it, its index in cellXfs.
struct StyledCell {
    int row = 0;
    int col = 0;
    CellStyle style;
    int format = 0;
};

// The styles of a workbook as the writer numbers them. Fonts, fills and
// formats are listed in the order a row-major walk over the sheets first
// meets them, after the defaults: font 0 (plain), fills 0 and 1 ("none",
// "gray125"), format 0 (font 0, fill 0). A style that bears neither font nor
// fill maps to format 0.
class XlsxStyleTable
{
public:
    // Collects every style of `sheets`, in sheet order.
    explicit XlsxStyleTable(const QList<ExcelSheet> &sheets);

    // The styled cells of sheet `sheetIndex` in row-major order, each with
    // its format index: the cellStyles entries whose key is the exact
    // canonical reference of a cell inside the grid. Other keys ("b3", "AZ1"
    // on a 50-column sheet) are never met, so never written.
    const std::vector<StyledCell> &styledCells(int sheetIndex) const
    {
        return m_styledCells[size_t(sheetIndex)];
    }
    static std::vector<StyledCell> styledCellsOf(const ExcelSheet &sheet);

    // Index in cellXfs of a style; 0 for a style that was never collected.
    int formatIndex(const CellStyle &style) const;

    // The <styleSheet> element of xl/styles.xml.
    XmlElement toElement() const;

    const QList<FontStyleKey> &fonts() const { return m_fonts; }
    const QList<FillStyleKey> &fills() const { return m_fills; }
    const QList<XfStyleKey> &formats() const { return m_formats; }

private:
    void collectFontAndFill(const CellStyle &style);
    int collectFormat(const CellStyle &style);
    XfStyleKey formatKey(const CellStyle &style) const;

    std::vector<std::vector<StyledCell>> m_styledCells;
    QList<FontStyleKey> m_fonts;
    QList<FillStyleKey> m_fills;
    QList<XfStyleKey> m_formats;
    std::map<FontStyleKey, int> m_fontIndex;
    std::map<FillStyleKey, int> m_fillIndex;
    std::map<XfStyleKey, int> m_formatIndex;
};

namespace XlsxColor {

// The ARGB text of an rgb attribute: "#" removed, "FF" put before six
// digits, upper case ("#1a2b3c" → "FF1A2B3C", "#80FF0000" → "80FF0000").
// nullopt when what remains is not six or eight hexadecimal digits.
std::optional<QString> argb(const QString &colorText);

} // namespace XlsxColor
