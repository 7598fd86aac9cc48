#include "XlsxWorksheetWriter.h"

#include "CellReference.h"
#include "FormulaEvaluator.h"
#include "XlsxFunctionNames.h"
#include "XlsxNames.h"
#include "platform/NumberText.h"
#include "platform/XmlElement.h"

#include <cmath>

namespace {

// A formula of "=" alone (or blanks) has nothing to write; an empty <f>
// would make other programs refuse the file.
bool isEmptyFormula(const QString &raw)
{
    return raw.startsWith(u'=') && QStringView(raw).mid(1).trimmed().isEmpty();
}

void addFormula(XmlElement &cell, const QString &raw, const QString &value)
{
    cell.addChild(QStringLiteral("f"), XlsxFunctionNames::toFile(raw.mid(1)));
    if (value.isEmpty())
        return;
    // A value other programs would not read as a number must be typed as text.
    if (!XlsxWorksheetWriter::isNumericValue(value))
        cell.setAttribute(QStringLiteral("t"), QStringLiteral("str"));
    cell.addChild(QStringLiteral("v"), value);
}

void addInlineString(XmlElement &cell, const QString &raw)
{
    cell.setAttribute(QStringLiteral("t"), QStringLiteral("inlineStr"));
    cell.addChild(QStringLiteral("is")).addChild(QStringLiteral("t"), raw);
}

void addValue(XmlElement &cell, const QString &raw)
{
    const auto number = NumberText::toDouble(raw);
    if (number && std::isfinite(*number))
        cell.addChild(QStringLiteral("v"), XlsxWorksheetWriter::numberText(*number));
    else
        addInlineString(cell, raw);
}

class RowWriter
{
public:
    RowWriter(const ExcelSheet &sheet, const std::vector<StyledCell> &styledCells,
              const XlsxStyleTable &styles)
        : m_sheet(sheet), m_styledCells(styledCells), m_styles(styles)
    {
    }

    // The <row> of row `r`, or nullopt when it holds neither a text nor a
    // style entry.
    std::optional<XmlElement> row(int r)
    {
        const QStringList &raws = m_sheet.cells[r];
        const bool hasStyleEntry = m_next < m_styledCells.size() && m_styledCells[m_next].row == r;
        bool hasText = false;
        for (const QString &raw : raws)
            hasText = hasText || (!raw.isEmpty() && !isEmptyFormula(raw));
        if (!hasText && !hasStyleEntry)
            return std::nullopt;

        XmlElement row(QStringLiteral("row"), std::nullopt,
                       {{QStringLiteral("r"), QString::number(r + 1)}});
        for (int c = 0; c < raws.size(); ++c) {
            const CellStyle style = takeStyle(r, c);
            const QString raw = isEmptyFormula(raws[c]) ? QString() : raws[c];
            if (raw.isEmpty() && !style.isFontBearing() && !style.isFillBearing())
                continue;
            row.addChild(cell(r, c, raw, style));
        }
        return row;
    }

private:
    CellStyle takeStyle(int r, int c)
    {
        if (m_next < m_styledCells.size() && m_styledCells[m_next].row == r
            && m_styledCells[m_next].col == c)
            return m_styledCells[m_next++].style;
        return {};
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
        const auto exact = m_sheet.exactValues.constFind(CellReference::text(r, c));
        if (exact != m_sheet.exactValues.cend()) {
            const auto number = NumberText::toDouble(*exact);
            if (number && FormulaEvaluator::formatNumber(*number) == shown)
                return *exact;
        }
        return shown;
    }

    XmlElement cell(int r, int c, const QString &raw, const CellStyle &style) const
    {
        XmlElement cell(QStringLiteral("c"), std::nullopt,
                        {{QStringLiteral("r"), CellReference::text(r, c)}});
        if (const int format = m_styles.formatIndex(style); format > 0)
            cell.setAttribute(QStringLiteral("s"), QString::number(format));
        if (raw.isEmpty())
            return cell;
        if (raw.startsWith(u'='))
            addFormula(cell, raw, cachedResult(r, c, raw));
        else
            addValue(cell, raw);
        return cell;
    }

    const ExcelSheet &m_sheet;
    const std::vector<StyledCell> &m_styledCells;
    const XlsxStyleTable &m_styles;
    size_t m_next = 0;
};

QString rangeText(const ExcelRange &range)
{
    return CellReference::text(range.startRow, range.startCol) + u':'
           + CellReference::text(range.endRow, range.endCol);
}

} // namespace

XmlElement XlsxWorksheetWriter::toElement(const ExcelSheet &sheet,
                                          const std::vector<StyledCell> &styledCells,
                                          const XlsxStyleTable &styles)
{
    XmlElement worksheet(QStringLiteral("worksheet"), std::nullopt,
                         {{QStringLiteral("xmlns"), XlsxNames::mainNamespace}});
    XmlElement sheetData(QStringLiteral("sheetData"));
    RowWriter rows(sheet, styledCells, styles);
    for (int r = 0; r < sheet.cells.size(); ++r) {
        if (auto row = rows.row(r))
            sheetData.addChild(std::move(*row));
    }
    worksheet.addChild(std::move(sheetData));

    if (!sheet.mergedRanges.isEmpty()) {
        XmlElement mergeCells(QStringLiteral("mergeCells"), std::nullopt,
                              {{QStringLiteral("count"), QString::number(sheet.mergedRanges.size())}});
        for (const ExcelRange &range : sheet.mergedRanges)
            mergeCells.addChild(QStringLiteral("mergeCell"), std::nullopt,
                                {{QStringLiteral("ref"), rangeText(range)}});
        worksheet.addChild(std::move(mergeCells));
    }
    return worksheet;
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
