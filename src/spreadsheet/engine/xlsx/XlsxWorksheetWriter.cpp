#include "spreadsheet/engine/xlsx/XlsxWorksheetWriter.h"

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/formula/FormulaEvaluator.h"
#include "spreadsheet/engine/xlsx/XlsxFunctionNames.h"
#include "spreadsheet/engine/xlsx/XlsxNames.h"
#include "platform/NumberText.h"
#include "platform/XmlElement.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

// A formula of "=" alone (or blanks) has nothing to write; an empty <f>
// would make other programs refuse the file.
bool isFormula(const QString &raw)
{
    return !raw.isEmpty() && raw.front() == u'=';
}

bool isEmptyFormula(const QString &raw)
{
    return isFormula(raw) && QStringView(raw).mid(1).trimmed().isEmpty();
}

// Each level below <worksheet> is indented one tab further; the writers
// below spell out their tabs.
constexpr std::string_view cellChildIndent = "\t\t\t\t";
constexpr std::string_view inlineTextIndent = "\t\t\t\t\t";

// The part's UTF-8 bytes. A worksheet is millions of small pieces, so they
// are copied through a cursor into room reserved ahead instead of appended to
// a QByteArray one call each; there is no QString of the whole sheet and no
// conversion at the end.
class PartBytes
{
public:
    void append(std::string_view text)
    {
        std::memcpy(room(text.size()), text.data(), text.size());
        m_used += qsizetype(text.size());
    }
    void appendBytes(const QByteArray &bytes) { append(std::string_view(bytes.constData(), size_t(bytes.size()))); }
    void append(char c)
    {
        *room(1) = c;
        ++m_used;
    }
    void appendNumber(qint64 value)
    {
        char *at = room(24);
        m_used += std::to_chars(at, at + 24, value).ptr - at;
    }
    void appendEscapedText(const QString &text)
    {
        // XmlText appends to a QByteArray: hand it the bytes at their true size.
        m_bytes.resize(m_used);
        XmlText::appendEscapedTextUtf8(m_bytes, text);
        m_used = m_bytes.size();
        m_data = m_bytes.data();
    }

    qsizetype size() const { return m_used; }
    void truncate(qsizetype size) { m_used = size; }
    QByteArray take()
    {
        m_bytes.resize(m_used);
        m_used = 0;
        m_data = nullptr;
        return std::move(m_bytes);
    }

private:
    char *room(size_t size)
    {
        if (m_used + qsizetype(size) > m_bytes.size())
            grow(qsizetype(size));
        return m_data + m_used;
    }

    void grow(qsizetype size)
    {
        const qsizetype wanted = m_used + size;
        if (wanted > m_bytes.capacity())
            m_bytes.reserve(std::max({wanted, 2 * m_bytes.capacity(), qsizetype(4096)}));
        m_bytes.resize(m_bytes.capacity()); // the bytes past m_used are not written yet
        m_data = m_bytes.data();
    }

    QByteArray m_bytes;
    char *m_data = nullptr;
    qsizetype m_used = 0;
};

// Appends `<name>text</name>` on a line of its own.
void appendLeaf(PartBytes &out, std::string_view indent, std::string_view name, const QString &text)
{
    out.append(indent);
    out.append('<');
    out.append(name);
    out.append('>');
    out.appendEscapedText(text);
    out.append("</");
    out.append(name);
    out.append(">\n");
}

// One cell's element: the reference, then the style index and the type
// (attributes in name order), then its formula, value or inline text.
class CellText
{
public:
    CellText(PartBytes &out, const QByteArray &column, const QByteArray &rowNumber, int format)
        : m_out(out), m_column(column), m_rowNumber(rowNumber), m_format(format)
    {
    }

    void empty()
    {
        openTag({});
        m_out.append(" />\n");
    }

    void formula(const QString &raw, const QString &value)
    {
        const bool hasValue = !value.isEmpty();
        // A value other programs would not read as a number must be typed as text.
        const bool isText = hasValue && !XlsxWorksheetWriter::isNumericValue(value);
        openTag(isText ? "str" : std::string_view());
        m_out.append(">\n");
        appendLeaf(m_out, cellChildIndent, "f", XlsxFunctionNames::toFile(raw.mid(1)));
        if (hasValue)
            appendLeaf(m_out, cellChildIndent, "v", value);
        close();
    }

    void value(const QString &raw)
    {
        const auto number = NumberText::toDouble(raw);
        if (number && std::isfinite(*number)) {
            openTag({});
            NumberText::ShortestBuffer buffer;
            m_out.append(">\n\t\t\t\t<v>");
            m_out.append(XlsxWorksheetWriter::numberText(*number, buffer));
            m_out.append("</v>\n");
        } else {
            openTag("inlineStr");
            m_out.append(">\n\t\t\t\t<is>\n");
            appendLeaf(m_out, inlineTextIndent, "t", raw);
            m_out.append("\t\t\t\t</is>\n");
        }
        close();
    }

private:
    void openTag(std::string_view type)
    {
        m_out.append("\t\t\t<c r=\"");
        m_out.appendBytes(m_column);
        m_out.appendBytes(m_rowNumber);
        m_out.append('"');
        if (m_format > 0) {
            m_out.append(" s=\"");
            m_out.appendNumber(m_format);
            m_out.append('"');
        }
        if (!type.empty()) {
            m_out.append(" t=\"");
            m_out.append(type);
            m_out.append('"');
        }
    }

    void close()
    {
        m_out.append("\t\t\t</c>\n");
    }

    PartBytes &m_out;
    const QByteArray &m_column;
    const QByteArray &m_rowNumber;
    int m_format;
};

class RowWriter
{
public:
    RowWriter(PartBytes &out, const ExcelSheet &sheet, const std::vector<StyledCell> &styledCells)
        : m_out(out), m_sheet(sheet), m_styledCells(styledCells)
    {
    }

    // Appends the <row> of row `r`; false, writing nothing, when it holds
    // neither a text nor a style entry. A row's text always writes a cell.
    bool write(int r)
    {
        const QStringList &raws = m_sheet.cells[r];
        const bool hasStyleEntry = m_next < m_styledCells.size() && m_styledCells[m_next].row == r;
        const QByteArray rowNumber = QByteArray::number(r + 1);
        const qsizetype rowStart = m_out.size();
        m_out.append("\t\t<row r=\"");
        m_out.appendBytes(rowNumber);
        m_out.append("\">\n");
        const qsizetype cellsStart = m_out.size();
        for (int c = 0; c < raws.size(); ++c)
            writeCell(r, c, rowNumber, raws[c]);
        if (m_out.size() > cellsStart) {
            m_out.append("\t\t</row>\n");
            return true;
        }
        m_out.truncate(rowStart);
        if (!hasStyleEntry)
            return false;
        m_out.append("\t\t<row r=\""); // style entries that bear nothing
        m_out.appendBytes(rowNumber);
        m_out.append("\" />\n");
        return true;
    }

private:
    void writeCell(int r, int c, const QByteArray &rowNumber, const QString &cellRaw)
    {
        const StyledCell *styledCell = takeStyle(r, c);
        const bool styled = styledCell && (styledCell->style.isFontBearing() || styledCell->style.isFillBearing());
        const bool empty = cellRaw.isEmpty() || isEmptyFormula(cellRaw);
        if (empty && !styled)
            return;
        CellText cell(m_out, columnName(c), rowNumber, styled ? styledCell->format : 0);
        if (empty)
            cell.empty();
        else if (isFormula(cellRaw))
            cell.formula(cellRaw, cachedResult(r, c, cellRaw));
        else
            cell.value(cellRaw);
    }

    const StyledCell *takeStyle(int r, int c)
    {
        if (m_next < m_styledCells.size() && m_styledCells[m_next].row == r
            && m_styledCells[m_next].col == c)
            return &m_styledCells[m_next++];
        return nullptr;
    }

    // Column letters, made once a column rather than once a cell.
    const QByteArray &columnName(int c)
    {
        while (m_columnNames.size() <= size_t(c))
            m_columnNames.push_back(CellReference::columnName(int(m_columnNames.size())).toLatin1());
        return m_columnNames[size_t(c)];
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
        const auto exact = m_sheet.exactResults.at(r, c);
        if (exact && FormulaEvaluator::formatNumber(*exact) == shown)
            return NumberText::shortest(*exact);
        return shown;
    }

    PartBytes &m_out;
    const ExcelSheet &m_sheet;
    const std::vector<StyledCell> &m_styledCells;
    size_t m_next = 0;
    std::vector<QByteArray> m_columnNames;
};

void appendMergeCells(PartBytes &out, const QList<ExcelRange> &ranges)
{
    out.append("\t<mergeCells count=\"");
    out.appendNumber(ranges.size());
    out.append("\">\n");
    for (const ExcelRange &range : ranges) {
        out.append("\t\t<mergeCell ref=\"");
        out.appendBytes(CellReference::text(range.startRow, range.startCol).toLatin1());
        out.append(':');
        out.appendBytes(CellReference::text(range.endRow, range.endCol).toLatin1());
        out.append("\" />\n");
    }
    out.append("\t</mergeCells>\n");
}

} // namespace

QByteArray XlsxWorksheetWriter::toPart(const ExcelSheet &sheet, const std::vector<StyledCell> &styledCells)
{
    PartBytes out;
    out.appendBytes(XmlText::declaration(QStringLiteral("utf-8"), QStringLiteral("no")).toUtf8());
    out.append("\n<worksheet xmlns=\"");
    out.appendBytes(XlsxNames::mainNamespace.toUtf8());
    out.append("\">\n");

    const qsizetype sheetDataStart = out.size();
    out.append("\t<sheetData>\n");
    RowWriter rows(out, sheet, styledCells);
    bool anyRow = false;
    for (int r = 0; r < sheet.cells.size(); ++r)
        anyRow = rows.write(r) || anyRow;
    if (anyRow) {
        out.append("\t</sheetData>\n");
    } else {
        out.truncate(sheetDataStart);
        out.append("\t<sheetData />\n");
    }

    if (!sheet.mergedRanges.isEmpty())
        appendMergeCells(out, sheet.mergedRanges);
    out.append("</worksheet>");
    return out.take();
}

std::string_view XlsxWorksheetWriter::numberText(double value, NumberText::ShortestBuffer &buffer)
{
    char *end = NumberText::writeShortest(value, buffer);
    std::string_view text(buffer.data(), size_t(end - buffer.data()));
    if (std::isfinite(value) && value == std::trunc(value) && text.find('e') == std::string_view::npos) {
        *end++ = '.'; // fixed notation is short, so the buffer has room
        *end++ = '0';
        text = std::string_view(buffer.data(), size_t(end - buffer.data()));
    }
    return text;
}

bool XlsxWorksheetWriter::isNumericValue(const QString &text)
{
    const auto number = NumberText::toDouble(text);
    return number && std::isfinite(*number) && !text.contains(u'x', Qt::CaseInsensitive);
}
