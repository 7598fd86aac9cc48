#include "XlsxWorksheetReader.h"

#include "ExcelDocument.h"
#include "FormulaReferenceShift.h"
#include "XlsxFunctionNames.h"
#include "XlsxNodes.h"
#include "platform/XmlRead.h"

#include <QHash>
#include <QUuid>
#include <algorithm>

namespace {

struct CellTexts {
    QString raw;
    QString value;
};

// The cell that defines a shared formula, which the others of its group
// repeat with their references moved.
struct SharedFormula {
    QString text;
    CellAddress address;
};

// "5.0" → "5", "-4.0" → "-4": writers (ours included) add ".0" to integral
// numbers, and the cell shows the integer as it was typed. Other number texts
// stay as written.
QString withoutIntegralZero(const QString &value)
{
    if (!value.endsWith(QLatin1String(".0")))
        return value;
    const QStringView digits = QStringView(value).chopped(2);
    const QStringView magnitude = digits.startsWith(u'-') ? digits.mid(1) : digits;
    if (magnitude.isEmpty() || !std::all_of(magnitude.begin(), magnitude.end(),
                                            [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return value;
    return digits.toString();
}

bool isNumberType(const QString &type)
{
    return type.isEmpty() || type == QLatin1String("n");
}

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
                    noteSharedFormula(cell.child("f"), *address);
                }
            }
        }
    }

    void noteSharedFormula(pugi::xml_node f, CellAddress address)
    {
        if (!f || XlsxNodes::attribute(f, "t") != QLatin1String("shared"))
            return;
        const QString text = XmlRead::text(f);
        const QString index = XlsxNodes::attribute(f, "si");
        if (!text.isEmpty() && !m_sharedFormulas.contains(index))
            m_sharedFormulas.insert(index, {text, address});
    }

    void fill(pugi::xml_node sheetData, ExcelSheet &sheet) const
    {
        for (const pugi::xml_node row : sheetData.children("row")) {
            for (const pugi::xml_node cell : row.children("c")) {
                const auto address = XlsxWorksheetReader::parseCellAddress(
                    XlsxNodes::attribute(cell, "r"), m_rows, m_columns);
                if (!address)
                    continue;
                CellTexts texts = cellTexts(cell, *address);
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

    // The formula of a cell: its own text, or for a member of a shared
    // formula group the defining cell's text moved by the distance between
    // the two; "" when neither exists.
    QString formulaText(pugi::xml_node f, CellAddress address) const
    {
        const QString text = XmlRead::text(f);
        if (!text.isEmpty() || XlsxNodes::attribute(f, "t") != QLatin1String("shared"))
            return text;
        const auto defining = m_sharedFormulas.constFind(XlsxNodes::attribute(f, "si"));
        if (defining == m_sharedFormulas.cend())
            return {};
        return FormulaReferenceShift::shifted(defining->text, address.row - defining->address.row,
                                              address.col - defining->address.col);
    }

    CellTexts cellTexts(pugi::xml_node cell, CellAddress address) const
    {
        const QString type = XlsxNodes::attribute(cell, "t");
        const pugi::xml_node v = cell.child("v");
        // A formula's text result keeps its end blanks, as a <t> text does.
        const QString value = type == QLatin1String("str") ? XmlRead::rawText(v)
                              : isNumberType(type)          ? withoutIntegralZero(XmlRead::text(v))
                                                            : XmlRead::text(v);
        const bool isShared = type == QLatin1String("s");
        if (const pugi::xml_node f = cell.child("f")) {
            // A cached string result may be kept in the shared strings too.
            const QString cached = isShared ? sharedString(value, value) : value;
            const QString formula = formulaText(f, address);
            if (formula.isEmpty() && XlsxNodes::attribute(f, "t") == QLatin1String("shared"))
                return {cached, cached};
            return {u'=' + XlsxFunctionNames::fromFile(formula), cached};
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
    QHash<QString, SharedFormula> m_sharedFormulas; // by "si"
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
