#pragma once

#include "ChartData.h"

#include <QChartView>
#include <QList>
#include <QPointF>

class QAbstractSeries;
class QGraphicsSimpleTextItem;

// The two kinds of chart; the text values are the picker's labels.
enum class ChartType { Bar, Line };
// "棒グラフ", "折れ線グラフ".
QString chartTypeText(ChartType type);
inline constexpr ChartType allChartTypes[] = {ChartType::Bar, ChartType::Line};

// Draws ChartData with Qt Charts: categories along x in order of first
// appearance, one colour per series, bars stacked per category, lines joined
// in point order with a marker shape per series. Every bar and every line
// point carries its value in one decimal above it, as "%.1f" writes it in
// the C locale ("12.5"; a tie such as 7.25 rounds to even, "7.2"). The
// legend lies at the bottom. setData() rebuilds the whole chart; data
// without points leaves it empty.
class ExcelChartCanvas : public QChartView
{
    Q_OBJECT
public:
    explicit ExcelChartCanvas(QWidget *parent = nullptr);

    void setData(const ChartData &data, ChartType type);
    ChartType chartType() const { return m_type; }

    // The value labels, in point order.
    QStringList valueLabels() const;
    // The chart's series (line charts add one hidden-legend marker series per line).
    QList<QAbstractSeries *> series() const;

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;

private:
    struct ValueLabel {
        QGraphicsSimpleTextItem *item;
        QPointF anchor; // in value coordinates: category index, value
    };

    void buildBars(const ChartData &data, const QStringList &categories);
    void buildLines(const ChartData &data, const QStringList &categories);
    void attachAxes(const QStringList &categories, double low, double high);
    void addLabel(double value, QPointF anchor);
    void placeLabels();

    ChartType m_type = ChartType::Bar;
    QList<ValueLabel> m_labels;
    QAbstractSeries *m_anchorSeries = nullptr;
};
