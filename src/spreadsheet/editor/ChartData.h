#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ExcelDocument;

// One value to plot: its x-axis category, its y value and its series.
struct ChartDataPoint {
    QString category;
    double value = 0;
    QString series;

    friend bool operator==(const ChartDataPoint &, const ChartDataPoint &) = default;
};

// The points of a chart, derived from a rectangle of the active sheet's
// display values (evaluatedCells, so formulas give their results).
//
// - One column: one point per row, category = the cell's reference ("A3"),
//   series "数値".
// - One row of several columns: one point per column, likewise.
// - Several rows and columns: the first column holds the categories (an empty
//   one reads "行 N") and the first row the series names (an empty one reads
//   "<letters>列"). A column with a header gives no point for the header row;
//   a column without one plots its first-row cell as data.
// Points come row by row, column by column. A cell that is not a number as a
// whole (C locale, no blanks), or is not finite, plots as 0.
// Range text that ExcelDocument::parseRange rejects (malformed, outside the
// grid, with blanks) gives no points and errorMessage().
class ChartData
{
public:
    static ChartData fromRange(const ExcelDocument &document, const QString &rangeText);

    const QList<ChartDataPoint> &points() const { return m_points; }
    // Empty when the range was valid.
    const QString &errorMessage() const { return m_errorMessage; }
    bool isEmpty() const { return m_points.isEmpty(); }

    // Distinct categories and series, in order of first appearance.
    QStringList categories() const;
    QStringList seriesNames() const;

    static QString invalidRangeMessage();

private:
    QList<ChartDataPoint> m_points;
    QString m_errorMessage;
};
