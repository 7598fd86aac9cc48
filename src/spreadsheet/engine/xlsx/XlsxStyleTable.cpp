#include "spreadsheet/engine/xlsx/XlsxStyleTable.h"

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/xlsx/XlsxNames.h"
#include "platform/XmlElement.h"

#include <algorithm>
#include <iterator>

namespace {

template<typename Key>
int appendOnce(QList<Key> &list, std::map<Key, int> &index, const Key &key)
{
    const auto [it, inserted] = index.try_emplace(key, int(list.size()));
    if (inserted)
        list.append(key);
    return it->second;
}

template<typename Key>
int indexOf(const std::map<Key, int> &index, const Key &key)
{
    const auto it = index.find(key);
    return it == index.end() ? 0 : it->second;
}

// The address of a key in canonical form: upper-case letters, then the row
// number without leading zeros ("B3", not "b3" or "B03").
std::optional<CellAddress> canonicalAddress(const QString &key)
{
    const auto address = CellReference::parse(key);
    if (!address)
        return std::nullopt;
    const auto firstDigit = std::find_if(key.cbegin(), key.cend(), [](QChar c) { return c.isDigit(); });
    const bool upperCase = std::all_of(key.cbegin(), firstDigit, [](QChar c) { return c >= u'A' && c <= u'Z'; });
    if (!upperCase || *firstDigit == u'0')
        return std::nullopt;
    return address;
}

FontStyleKey fontKey(const CellStyle &style)
{
    return {style.isBold, style.isItalic, style.textColorHex};
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

XmlElement fontElement(const FontStyleKey &font)
{
    XmlElement element(QStringLiteral("font"));
    element.addChild(QStringLiteral("sz"), std::nullopt, {{QStringLiteral("val"), QStringLiteral("11")}});
    element.addChild(QStringLiteral("name"), std::nullopt,
                     {{QStringLiteral("val"), QStringLiteral("Calibri")}});
    if (font.isBold)
        element.addChild(QStringLiteral("b"));
    if (font.isItalic)
        element.addChild(QStringLiteral("i"));
    if (font.textColorHex) {
        // A colour that is not hexadecimal would make the part invalid.
        if (const auto rgb = XlsxColor::argb(*font.textColorHex))
            element.addChild(QStringLiteral("color"), std::nullopt, {{QStringLiteral("rgb"), *rgb}});
    }
    return element;
}

XmlElement patternFill(const QString &patternType)
{
    return XmlElement(QStringLiteral("patternFill"), std::nullopt,
                      {{QStringLiteral("patternType"), patternType}});
}

XmlElement fillElement(int index, const FillStyleKey &fill)
{
    XmlElement element(QStringLiteral("fill"));
    const auto rgb = fill.bgColorHex ? XlsxColor::argb(*fill.bgColorHex) : std::nullopt;
    if (index == 1) {
        element.addChild(patternFill(QStringLiteral("gray125")));
    } else if (index == 0 || !rgb) {
        element.addChild(patternFill(QStringLiteral("none")));
    } else {
        XmlElement &pattern = element.addChild(patternFill(QStringLiteral("solid")));
        pattern.addChild(QStringLiteral("fgColor"), std::nullopt, {{QStringLiteral("rgb"), *rgb}});
        pattern.addChild(QStringLiteral("bgColor"), std::nullopt,
                         {{QStringLiteral("indexed"), QStringLiteral("64")}});
    }
    return element;
}

XmlElement borderElement()
{
    XmlElement border(QStringLiteral("border"));
    for (const char *side : {"left", "right", "top", "bottom", "diagonal"})
        border.addChild(QString::fromLatin1(side));
    return border;
}

XmlElement formatElement(const XfStyleKey &format, bool inCellXfs)
{
    XmlElement::Attributes attributes{
        {QStringLiteral("numFmtId"), QStringLiteral("0")},
        {QStringLiteral("fontId"), QString::number(format.fontId)},
        {QStringLiteral("fillId"), QString::number(format.fillId)},
        {QStringLiteral("borderId"), QStringLiteral("0")},
    };
    if (inCellXfs) {
        attributes[QStringLiteral("xfId")] = QStringLiteral("0");
        if (format.fontId > 0)
            attributes[QStringLiteral("applyFont")] = QStringLiteral("1");
        if (format.fillId > 0)
            attributes[QStringLiteral("applyFill")] = QStringLiteral("1");
    }
    return XmlElement(QStringLiteral("xf"), std::nullopt, std::move(attributes));
}

XmlElement countedList(const QString &name, qsizetype count)
{
    return XmlElement(name, std::nullopt, {{QStringLiteral("count"), QString::number(count)}});
}

} // namespace

XlsxStyleTable::XlsxStyleTable(const QList<ExcelSheet> &sheets)
{
    appendOnce(m_fonts, m_fontIndex, FontStyleKey{});
    m_fills = {FillStyleKey{}, FillStyleKey{}}; // "none" and "gray125" are never matched
    appendOnce(m_formats, m_formatIndex, XfStyleKey{});

    m_styledCells.reserve(size_t(sheets.size()));
    for (const ExcelSheet &sheet : sheets)
        m_styledCells.push_back(styledCellsOf(sheet));
    for (const auto &cells : m_styledCells) {
        for (const StyledCell &cell : cells)
            collectFontAndFill(cell.style);
    }
    for (auto &cells : m_styledCells) {
        for (StyledCell &cell : cells)
            cell.format = collectFormat(cell.style);
    }
}

std::vector<StyledCell> XlsxStyleTable::styledCellsOf(const ExcelSheet &sheet)
{
    // The map is in key order ("A1", "A10", "B1"…); grouping by row first
    // leaves only each row's few cells to sort.
    std::vector<std::vector<StyledCell>> rows(size_t(sheet.cells.size()));
    size_t count = 0;
    for (auto it = sheet.cellStyles.cbegin(); it != sheet.cellStyles.cend(); ++it) {
        const auto address = canonicalAddress(it.key());
        if (!address || address->row >= sheet.cells.size() || address->col >= sheet.cells[address->row].size())
            continue;
        rows[size_t(address->row)].push_back({address->row, address->col, it.value()});
        ++count;
    }
    std::vector<StyledCell> result;
    result.reserve(count);
    for (std::vector<StyledCell> &row : rows) {
        std::sort(row.begin(), row.end(), [](const StyledCell &a, const StyledCell &b) { return a.col < b.col; });
        std::move(row.begin(), row.end(), std::back_inserter(result));
    }
    return result;
}

void XlsxStyleTable::collectFontAndFill(const CellStyle &style)
{
    if (style.isFontBearing())
        appendOnce(m_fonts, m_fontIndex, fontKey(style));
    if (style.isFillBearing())
        appendOnce(m_fills, m_fillIndex, FillStyleKey{style.bgColorHex});
}

int XlsxStyleTable::collectFormat(const CellStyle &style)
{
    return appendOnce(m_formats, m_formatIndex, formatKey(style));
}

XfStyleKey XlsxStyleTable::formatKey(const CellStyle &style) const
{
    XfStyleKey key;
    if (style.isFontBearing())
        key.fontId = indexOf(m_fontIndex, fontKey(style));
    if (style.isFillBearing())
        key.fillId = indexOf(m_fillIndex, FillStyleKey{style.bgColorHex});
    return key;
}

int XlsxStyleTable::formatIndex(const CellStyle &style) const
{
    return indexOf(m_formatIndex, formatKey(style));
}

XmlElement XlsxStyleTable::toElement() const
{
    XmlElement styleSheet(QStringLiteral("styleSheet"), std::nullopt,
                          {{QStringLiteral("xmlns"), XlsxNames::mainNamespace}});

    XmlElement fonts = countedList(QStringLiteral("fonts"), m_fonts.size());
    for (const FontStyleKey &font : m_fonts)
        fonts.addChild(fontElement(font));
    styleSheet.addChild(std::move(fonts));

    XmlElement fills = countedList(QStringLiteral("fills"), m_fills.size());
    for (int i = 0; i < m_fills.size(); ++i)
        fills.addChild(fillElement(i, m_fills[i]));
    styleSheet.addChild(std::move(fills));

    XmlElement borders = countedList(QStringLiteral("borders"), 1);
    borders.addChild(borderElement());
    styleSheet.addChild(std::move(borders));

    XmlElement cellStyleXfs = countedList(QStringLiteral("cellStyleXfs"), 1);
    cellStyleXfs.addChild(formatElement(XfStyleKey{}, false));
    styleSheet.addChild(std::move(cellStyleXfs));

    XmlElement cellXfs = countedList(QStringLiteral("cellXfs"), m_formats.size());
    for (const XfStyleKey &format : m_formats)
        cellXfs.addChild(formatElement(format, true));
    styleSheet.addChild(std::move(cellXfs));
    return styleSheet;
}

std::optional<QString> XlsxColor::argb(const QString &colorText)
{
    QString digits = colorText;
    digits.remove(u'#');
    if ((digits.size() != 6 && digits.size() != 8) || !std::all_of(digits.cbegin(), digits.cend(), isHexDigit))
        return std::nullopt;
    if (digits.size() == 6)
        digits.prepend(QStringLiteral("FF"));
    return digits.toUpper();
}
