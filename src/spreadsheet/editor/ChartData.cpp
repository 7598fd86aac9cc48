#include "ChartData.h"

#include "platform/NumberText.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

const QString singleSeries = QStringLiteral("数値");

double cellNumber(const ExcelDocument &document, int row, int col)
{
    const double value = NumberText::toDouble(document.evaluatedCell(row, col)).value_or(0);
    return std::isfinite(value) ? value : 0;
}

QStringList distinct(const QList<ChartDataPoint> &points, QString ChartDataPoint::*field)
{
    QStringList result;
    QSet<QString> seen;
    for (const ChartDataPoint &point : points) {
        const QString &text = point.*field;
        if (!seen.contains(text)) {
            seen.insert(text);
            result.append(text);
        }
    }
    return result;
}

} // namespace

QString ChartData::invalidRangeMessage()
{
    return QStringLiteral("無効な範囲フォーマットです (例: A1:B5)");
}

ChartData ChartData::fromRange(const ExcelDocument &document, const QString &rangeText)
{
    ChartData data;
    const QList<CellAddress> cells = document.parseRange(rangeText);
    if (cells.isEmpty()) {
        data.m_errorMessage = invalidRangeMessage();
        return data;
    }
    const auto [rowMin, rowMax] = std::minmax_element(cells.cbegin(), cells.cend(),
        [](const CellAddress &a, const CellAddress &b) { return a.row < b.row; });
    const auto [colMin, colMax] = std::minmax_element(cells.cbegin(), cells.cend(),
        [](const CellAddress &a, const CellAddress &b) { return a.col < b.col; });
    const int r0 = rowMin->row, r1 = rowMax->row, c0 = colMin->col, c1 = colMax->col;

    if (c0 == c1) {
        for (int r = r0; r <= r1; ++r)
            data.m_points.append({CellReference::text(r, c0), cellNumber(document, r, c0), singleSeries});
    } else if (r0 == r1) {
        for (int c = c0; c <= c1; ++c)
            data.m_points.append({CellReference::text(r0, c), cellNumber(document, r0, c), singleSeries});
    } else {
        for (int r = r0; r <= r1; ++r) {
            QString category = document.evaluatedCell(r, c0);
            if (category.isEmpty())
                category = QStringLiteral("行 %1").arg(r + 1);
            for (int c = c0 + 1; c <= c1; ++c) {
                const QString header = document.evaluatedCell(r0, c);
                if (!header.isEmpty() && r == r0)
                    continue;
                const QString series = header.isEmpty() ? CellReference::columnName(c) + QStringLiteral("列") : header;
                data.m_points.append({category, cellNumber(document, r, c), series});
            }
        }
    }
    return data;
}

QStringList ChartData::categories() const
{
    return distinct(m_points, &ChartDataPoint::category);
}

QStringList ChartData::seriesNames() const
{
    return distinct(m_points, &ChartDataPoint::series);
}
