#include "XlsxWorksheetReader.h"

#include "ExcelDocument.h"
#include "XlsxNodes.h"
#include "platform/XmlRead.h"

#include <QUuid>

namespace {

struct CellTexts {
    QString raw;
    QString value;
};

class SheetBuilder
{
public:
    SheetBuilder(const QStringList &sharedStrings, const QList<CellStyle> &cellFormats)
        : m_sharedStrings(sharedStrings), m_cellFormats(cellFormats)
    {
    }

    ExcelSheet read(pugi::xml_node worksheet, const QString &name)
    {
        const pugi::xml_node sheetData = worksheet.child("sheetData");
        size(sheetData);
        ExcelSheet sheet;
        sheet.id = QUuid::createUuid();
        sheet.name = name;
        sheet.cells = makeEmptyGrid(m_rows, m_columns);
        sheet.evaluatedCells = sheet.cells;
        fill(sheetData, sheet);
        sheet.cachedEvaluatedCells = sheet.evaluatedCells;
        readMerges(worksheet.child("mergeCells"), sheet);
        return sheet;
    }

private:
    void size(pugi::xml_node sheetData)
    {
        for (const pugi::xml_node row : sheetData.children("row")) {
            for (const pugi::xml_node cell : row.children("c")) {
                const auto address = XlsxWorksheetReader::parseCellAddress(
                    XlsxNodes::attribute(cell, "r"), ExcelDocument::maxRowCount,
                    ExcelDocument::maxColumnCount);
                if (address) {
                    m_rows = std::max(m_rows, address->row + 1);
                    m_columns = std::max(m_columns, address->col + 1);
                }
            }
        }
    }

    void fill(pugi::xml_node sheetData, ExcelSheet &sheet) const
    {
        for (const pugi::xml_node row : sheetData.children("row")) {
            for (const pugi::xml_node cell : row.children("c")) {
                const auto address = XlsxWorksheetReader::parseCellAddress(
                    XlsxNodes::attribute(cell, "r"), m_rows, m_columns);
                if (!address)
                    continue;
                CellTexts texts = cellTexts(cell);
                sheet.cells[address->row][address->col] = std::move(texts.raw);
                sheet.evaluatedCells[address->row][address->col] = std::move(texts.value);
                readStyle(cell, *address, sheet.cellStyles);
            }
        }
    }

    QString sharedString(const QString &index, const QString &otherwise) const
    {
        const auto at = XlsxNodes::listIndex(index, m_sharedStrings.size());
        return at ? m_sharedStrings[*at] : otherwise;
    }

    CellTexts cellTexts(pugi::xml_node cell) const
    {
        const QString type = XlsxNodes::attribute(cell, "t");
        const pugi::xml_node v = cell.child("v");
        const QString value = XmlRead::text(v);
        const bool isShared = type == QLatin1String("s");
        if (const pugi::xml_node f = cell.child("f")) {
            // A cached string result may be kept in the shared strings too.
            const QString cached = isShared ? sharedString(value, value) : value;
            return {u'=' + XmlRead::text(f), cached};
        }
        if (type == QLatin1String("inlineStr")) {
            const pugi::xml_node item = cell.child("is");
            if (XlsxNodes::hasStringText(item)) {
                const QString text = XlsxNodes::stringItemText(item);
                return {text, text};
            }
        }
        if (isShared) {
            if (v) {
                if (const auto at = XlsxNodes::listIndex(value, m_sharedStrings.size()))
                    return {m_sharedStrings[*at], m_sharedStrings[*at]};
            }
            return {QString(), value};
        }
        return {value, value};
    }

    void readStyle(pugi::xml_node cell, CellAddress address, CellStyleMap &styles) const
    {
        const auto format = XlsxNodes::listIndex(XlsxNodes::attribute(cell, "s"), m_cellFormats.size());
        if (!format)
            return;
        const CellStyle &style = m_cellFormats[*format];
        if (style == CellStyle{})
            return;
        styles.insert(CellReference::text(address.row, address.col), style);
    }

    void readMerges(pugi::xml_node mergeCells, ExcelSheet &sheet) const
    {
        for (const pugi::xml_node merge : mergeCells.children("mergeCell")) {
            const QStringList corners = XlsxNodes::attribute(merge, "ref").split(u':');
            if (corners.size() != 2)
                continue;
            const auto start = XlsxWorksheetReader::parseCellAddress(corners[0], m_rows, m_columns);
            const auto end = XlsxWorksheetReader::parseCellAddress(corners[1], m_rows, m_columns);
            if (start && end)
                sheet.mergedRanges.append(ExcelRange{start->row, start->col, end->row, end->col}.normalized());
        }
    }

    const QStringList &m_sharedStrings;
    const QList<CellStyle> &m_cellFormats;
    int m_rows = ExcelDocument::defaultRowCount;
    int m_columns = ExcelDocument::defaultColumnCount;
};

} // namespace

ExcelSheet XlsxWorksheetReader::read(pugi::xml_node worksheet, const QString &name,
                                     const QStringList &sharedStrings,
                                     const QList<CellStyle> &cellFormats)
{
    return SheetBuilder(sharedStrings, cellFormats).read(worksheet, name);
}

std::optional<CellAddress> XlsxWorksheetReader::parseCellAddress(QStringView text, int rowLimit,
                                                                 int columnLimit)
{
    qsizetype i = 0;
    qint64 column = 0;
    for (; i < text.size() && text[i].isLetter() && text[i].unicode() < 128; ++i) {
        column = column * 26 + (text[i].toUpper().unicode() - 'A' + 1);
        if (column > columnLimit)
            return std::nullopt;
    }
    const qsizetype letters = i;
    qint64 row = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        row = row * 10 + (text[i].unicode() - '0');
        if (row > rowLimit)
            return std::nullopt;
    }
    if (letters == 0 || i == letters || i != text.size() || row < 1)
        return std::nullopt;
    return CellAddress{int(row - 1), int(column - 1)};
}
