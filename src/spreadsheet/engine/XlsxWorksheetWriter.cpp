#include "XlsxWorksheetWriter.h"

#include "CellReference.h"
#include "FormulaEvaluator.h"
#include "XlsxFunctionNames.h"
#include "XlsxNames.h"
#include "platform/NumberText.h"
#include "platform/XmlElement.h"

#include <algorithm>
#include <cmath>

namespace {

// A formula of "=" alone (or blanks) has nothing to write; an empty <f>
// would make other programs refuse the file.
bool isEmptyFormula(const QString &raw)
{
    return raw.startsWith(u'=') && QStringView(raw).mid(1).trimmed().isEmpty();
}

// The indentation of each level below <worksheet>.
const QLatin1String sheetDataIndent("\t");
const QLatin1String rowIndent("\t\t");
const QLatin1String cellIndent("\t\t\t");
const QLatin1String cellChildIndent("\t\t\t\t");
const QLatin1String inlineTextIndent("\t\t\t\t\t");

// Appends `<name>text</name>` on a line of its own.
void appendLeaf(QString &out, QLatin1String indent, QLatin1String name, const QString &text)
{
    out += indent;
    out += u'<';
    out += name;
    out += u'>';
    XmlText::appendEscapedText(out, text);
    out += QLatin1String("</");
    out += name;
    out += QLatin1String(">\n");
}

// One cell's element: the reference, then the style index and the type
// (attributes in name order), then its formula, value or inline text.
class CellText
{
public:
    CellText(QString &out, const QString &column, const QString &rowNumber, int format)
        : m_out(out), m_column(column), m_rowNumber(rowNumber), m_format(format)
    {
    }

    void empty() { openTag(nullptr); m_out += QLatin1String(" />\n"); }

    void formula(const QString &raw, const QString &value)
    {
        const bool hasValue = !value.isEmpty();
        // A value other programs would not read as a number must be typed as text.
        const bool isText = hasValue && !XlsxWorksheetWriter::isNumericValue(value);
        openTag(isText ? "str" : nullptr);
        m_out += QLatin1String(">\n");
        appendLeaf(m_out, cellChildIndent, QLatin1String("f"), XlsxFunctionNames::toFile(raw.mid(1)));
        if (hasValue)
            appendLeaf(m_out, cellChildIndent, QLatin1String("v"), value);
        close();
    }

    void value(const QString &raw)
    {
        const auto number = NumberText::toDouble(raw);
        if (number && std::isfinite(*number)) {
            openTag(nullptr);
            m_out += QLatin1String(">\n");
            appendLeaf(m_out, cellChildIndent, QLatin1String("v"), XlsxWorksheetWriter::numberText(*number));
        } else {
            openTag("inlineStr");
            m_out += QLatin1String(">\n");
            m_out += cellChildIndent;
            m_out += QLatin1String("<is>\n");
            appendLeaf(m_out, inlineTextIndent, QLatin1String("t"), raw);
            m_out += cellChildIndent;
            m_out += QLatin1String("</is>\n");
        }
        close();
    }

private:
    void openTag(const char *type)
    {
        m_out += cellIndent;
        m_out += QLatin1String("<c r=\"");
        m_out += m_column;
        m_out += m_rowNumber;
        m_out += u'"';
        if (m_format > 0) {
            m_out += QLatin1String(" s=\"");
            m_out += QString::number(m_format);
            m_out += u'"';
        }
        if (type) {
            m_out += QLatin1String(" t=\"");
            m_out += QLatin1String(type);
            m_out += u'"';
        }
    }

    void close()
    {
        m_out += cellIndent;
        m_out += QLatin1String("</c>\n");
    }

    QString &m_out;
    const QString &m_column;
    const QString &m_rowNumber;
    int m_format;
};

class RowWriter
{
public:
    RowWriter(QString &out, const ExcelSheet &sheet, const std::vector<StyledCell> &styledCells,
              const XlsxStyleTable &styles)
        : m_out(out), m_sheet(sheet), m_styledCells(styledCells), m_styles(styles)
    {
    }

    // Appends the <row> of row `r`; false, writing nothing, when it holds
    // neither a text nor a style entry.
    bool write(int r)
    {
        const QStringList &raws = m_sheet.cells[r];
        const bool hasStyleEntry = m_next < m_styledCells.size() && m_styledCells[m_next].row == r;
        const bool hasText = std::any_of(raws.cbegin(), raws.cend(), [](const QString &raw) {
            return !raw.isEmpty() && !isEmptyFormula(raw);
        });
        if (!hasText && !hasStyleEntry)
            return false;

        const QString rowNumber = QString::number(r + 1);
        const qsizetype rowStart = m_out.size();
        m_out += rowIndent;
        m_out += QLatin1String("<row r=\"");
        m_out += rowNumber;
        m_out += QLatin1String("\">\n");
        const qsizetype cellsStart = m_out.size();
        for (int c = 0; c < raws.size(); ++c)
            writeCell(r, c, rowNumber, raws[c]);
        if (m_out.size() == cellsStart) { // a style entry that bears nothing
            m_out.truncate(rowStart);
            m_out += rowIndent;
            m_out += QLatin1String("<row r=\"");
            m_out += rowNumber;
            m_out += QLatin1String("\" />\n");
        } else {
            m_out += rowIndent;
            m_out += QLatin1String("</row>\n");
        }
        return true;
    }

private:
    void writeCell(int r, int c, const QString &rowNumber, const QString &cellRaw)
    {
        const CellStyle *style = takeStyle(r, c);
        const bool styled = style && (style->isFontBearing() || style->isFillBearing());
        const bool empty = cellRaw.isEmpty() || isEmptyFormula(cellRaw);
        if (empty && !styled)
            return;
        CellText cell(m_out, columnName(c), rowNumber, styled ? m_styles.formatIndex(*style) : 0);
        if (empty)
            cell.empty();
        else if (cellRaw.startsWith(u'='))
            cell.formula(cellRaw, cachedResult(r, c, cellRaw));
        else
            cell.value(cellRaw);
    }

    const CellStyle *takeStyle(int r, int c)
    {
        if (m_next < m_styledCells.size() && m_styledCells[m_next].row == r
            && m_styledCells[m_next].col == c)
            return &m_styledCells[m_next++].style;
        return nullptr;
    }

    // Column letters, made once a column rather than once a cell.
    const QString &columnName(int c)
    {
        while (m_columnNames.size() <= qsizetype(c))
            m_columnNames.append(CellReference::columnName(int(m_columnNames.size())));
        return m_columnNames[c];
    }

    QString evaluated(int r, int c) const
    {
        if (r >= m_sheet.evaluatedCells.size() || c >= m_sheet.evaluatedCells[r].size())
            return {};
        return m_sheet.evaluatedCells[r][c];
    }

    static QString at(const CellGrid &grid, int r, int c)
    {
        return r < grid.size() && c < grid[r].size() ? grid[r][c] : QString();
    }

    // The result a formula cell caches: the unrounded number when the shown
    // text rounds it; for a formula other programs must compute themselves,
    // only the value the file it came from cached, never a stand-in error.
    QString cachedResult(int r, int c, const QString &raw) const
    {
        if (!FormulaEvaluator::computes(raw))
            return at(m_sheet.cachedEvaluatedCells, r, c);
        const QString shown = evaluated(r, c);
        if (m_sheet.exactValues.isEmpty())
            return shown;
        const auto exact = m_sheet.exactValues.constFind(CellReference::text(r, c));
        if (exact != m_sheet.exactValues.cend()) {
            const auto number = NumberText::toDouble(*exact);
            if (number && FormulaEvaluator::formatNumber(*number) == shown)
                return *exact;
        }
        return shown;
    }

    QString &m_out;
    const ExcelSheet &m_sheet;
    const std::vector<StyledCell> &m_styledCells;
    const XlsxStyleTable &m_styles;
    size_t m_next = 0;
    QStringList m_columnNames;
};

void appendMergeCells(QString &out, const QList<ExcelRange> &ranges)
{
    out += sheetDataIndent;
    out += QLatin1String("<mergeCells count=\"");
    out += QString::number(ranges.size());
    out += QLatin1String("\">\n");
    for (const ExcelRange &range : ranges) {
        out += rowIndent;
        out += QLatin1String("<mergeCell ref=\"");
        out += CellReference::text(range.startRow, range.startCol);
        out += u':';
        out += CellReference::text(range.endRow, range.endCol);
        out += QLatin1String("\" />\n");
    }
    out += sheetDataIndent;
    out += QLatin1String("</mergeCells>\n");
}

} // namespace

QByteArray XlsxWorksheetWriter::toPart(const ExcelSheet &sheet, const std::vector<StyledCell> &styledCells,
                                       const XlsxStyleTable &styles)
{
    QString out = XmlText::declaration(QStringLiteral("utf-8"), QStringLiteral("no"));
    out += QLatin1String("\n<worksheet xmlns=\"");
    XmlText::appendEscapedAttribute(out, XlsxNames::mainNamespace);
    out += QLatin1String("\">\n");

    const qsizetype sheetDataStart = out.size();
    out += sheetDataIndent;
    out += QLatin1String("<sheetData>\n");
    RowWriter rows(out, sheet, styledCells, styles);
    bool anyRow = false;
    for (int r = 0; r < sheet.cells.size(); ++r)
        anyRow = rows.write(r) || anyRow;
    if (anyRow) {
        out += sheetDataIndent;
        out += QLatin1String("</sheetData>\n");
    } else {
        out.truncate(sheetDataStart);
        out += sheetDataIndent;
        out += QLatin1String("<sheetData />\n");
    }

    if (!sheet.mergedRanges.isEmpty())
        appendMergeCells(out, sheet.mergedRanges);
    out += QLatin1String("</worksheet>");
    return out.toUtf8();
}

QString XlsxWorksheetWriter::numberText(double value)
{
    QString text = NumberText::shortest(value);
    if (std::isfinite(value) && value == std::trunc(value) && !text.contains(u'e'))
        text += QStringLiteral(".0");
    return text;
}

bool XlsxWorksheetWriter::isNumericValue(const QString &text)
{
    const auto number = NumberText::toDouble(text);
    return number && std::isfinite(*number) && !text.contains(u'x', Qt::CaseInsensitive);
}
