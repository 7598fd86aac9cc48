#include "ExcelChartCanvas.h"

#include "platform/widgets/AccentColors.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QHash>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainterPath>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

const QColor seriesColors[] = {AccentColors::blue(), QColor(0x34, 0xC7, 0x59), QColor(0xFF, 0x95, 0x00),
                               QColor(0xAF, 0x52, 0xDE), QColor(0xFF, 0x3B, 0x30), QColor(0x5A, 0xC8, 0xFA),
                               QColor(0xFF, 0xCC, 0x00), QColor(0xFF, 0x2D, 0x55)};
const QScatterSeries::MarkerShape seriesShapes[] = {
    QScatterSeries::MarkerShapeCircle, QScatterSeries::MarkerShapeRectangle,
    QScatterSeries::MarkerShapeTriangle, QScatterSeries::MarkerShapeRotatedRectangle,
    QScatterSeries::MarkerShapeStar, QScatterSeries::MarkerShapePentagon};
const QColor labelColor(0x3C, 0x3C, 0x43, 0x99);

// The value as printf's "%.1f" writes it in the C locale: correctly rounded,
// so an exact tie goes to the even digit (7.25 reads "7.2", 0.25 "0.2").
// The spreadsheet's own fixed format rounds ties away from zero instead.
QString oneDecimal(double value)
{
    char buffer[400]; // DBL_MAX needs 309 digits before the point
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QColor seriesColor(qsizetype index)
{
    return seriesColors[index % std::size(seriesColors)];
}

QHash<QString, int> indexOf(const QStringList &names)
{
    QHash<QString, int> result;
    for (int i = 0; i < names.size(); ++i)
        result.insert(names.at(i), i);
    return result;
}

} // namespace

QString chartTypeText(ChartType type)
{
    return type == ChartType::Bar ? QStringLiteral("棒グラフ") : QStringLiteral("折れ線グラフ");
}

ExcelChartCanvas::ExcelChartCanvas(QWidget *parent)
    : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
    chart()->setBackgroundVisible(false);
    chart()->setMargins(QMargins(8, 8, 8, 2));
    chart()->layout()->setContentsMargins(4, 4, 4, 0);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    connect(chart(), &QChart::plotAreaChanged, this, &ExcelChartCanvas::placeLabels);
}

void ExcelChartCanvas::setData(const ChartData &data, ChartType type)
{
    m_type = type;
    for (const ValueLabel &label : std::as_const(m_labels))
        delete label.item;
    m_labels.clear();
    m_anchorSeries = nullptr;
    chart()->removeAllSeries();
    for (QAbstractAxis *axis : chart()->axes()) {
        chart()->removeAxis(axis);
        delete axis;
    }
    if (data.isEmpty())
        return; // nothing to plot, and no extremes to scale an axis to

    const QStringList categories = data.categories();
    if (type == ChartType::Bar)
        buildBars(data, categories);
    else
        buildLines(data, categories);
    placeLabels();
}

// Bars of one category stack, positive values upwards and negative ones
// downwards; a series without a point in a category adds nothing there.
void ExcelChartCanvas::buildBars(const ChartData &data, const QStringList &categories)
{
    const QHash<QString, int> categoryIndex = indexOf(categories);
    const QStringList seriesNames = data.seriesNames();
    const QHash<QString, int> seriesIndex = indexOf(seriesNames);
    QList<QList<double>> values(seriesNames.size(), QList<double>(categories.size(), 0.0));
    QList<double> above(categories.size(), 0.0);
    QList<double> below(categories.size(), 0.0);
    for (const ChartDataPoint &point : data.points()) {
        const int c = categoryIndex.value(point.category);
        values[seriesIndex.value(point.series)][c] += point.value;
        double &stackTop = point.value < 0 ? below[c] : above[c];
        const double start = stackTop;
        stackTop += point.value;
        addLabel(point.value, QPointF(c, std::max(start, stackTop)));
    }

    auto *bars = new QStackedBarSeries;
    for (int s = 0; s < seriesNames.size(); ++s) {
        auto *set = new QBarSet(seriesNames.at(s));
        set->append(values.at(s));
        set->setColor(seriesColor(s));
        set->setBorderColor(seriesColor(s));
        bars->append(set);
    }
    chart()->addSeries(bars);
    m_anchorSeries = bars;
    const double low = *std::min_element(below.cbegin(), below.cend());
    const double high = *std::max_element(above.cbegin(), above.cend());
    attachAxes(categories, std::min(0.0, low), std::max(0.0, high));
}

void ExcelChartCanvas::buildLines(const ChartData &data, const QStringList &categories)
{
    const QHash<QString, int> categoryIndex = indexOf(categories);
    const QStringList seriesNames = data.seriesNames();
    QList<QLineSeries *> lines;
    QList<QScatterSeries *> markers;
    for (int s = 0; s < seriesNames.size(); ++s) {
        auto *line = new QLineSeries;
        line->setName(seriesNames.at(s));
        line->setPen(QPen(seriesColor(s), 2));
        auto *marker = new QScatterSeries;
        marker->setMarkerShape(seriesShapes[s % std::size(seriesShapes)]);
        marker->setMarkerSize(8);
        marker->setColor(seriesColor(s));
        marker->setBorderColor(seriesColor(s));
        lines.append(line);
        markers.append(marker);
    }
    const QHash<QString, int> seriesIndex = indexOf(seriesNames);
    double low = 0;
    double high = 0;
    for (const ChartDataPoint &point : data.points()) {
        const QPointF at(categoryIndex.value(point.category), point.value);
        const int s = seriesIndex.value(point.series);
        lines.at(s)->append(at);
        markers.at(s)->append(at);
        addLabel(point.value, at);
        low = std::min(low, point.value);
        high = std::max(high, point.value);
    }
    for (int s = 0; s < seriesNames.size(); ++s) {
        chart()->addSeries(lines.at(s));
        chart()->addSeries(markers.at(s));
        for (QLegendMarker *legendMarker : chart()->legend()->markers(markers.at(s)))
            legendMarker->setVisible(false);
    }
    m_anchorSeries = lines.value(0);
    attachAxes(categories, low, high);
}

void ExcelChartCanvas::attachAxes(const QStringList &categories, double low, double high)
{
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    auto *y = new QValueAxis;
    // The axis refuses infinite ends, and stacked totals of huge values can
    // overflow, as can the room left above the highest mark for its label.
    constexpr double largest = std::numeric_limits<double>::max();
    low = std::max(low, -largest);
    high = std::min(high, largest);
    const double span = high - low;
    const double padded = span > 0 ? high + span * 0.12 : low + 1;
    const double top = std::isfinite(padded) ? padded : high;
    y->setRange(low, top);
    // Nice numbers round the ends out by up to a few ticks, which overflows
    // near the largest double.
    if (std::max(-low, top) < largest / 64)
        y->applyNiceNumbers();
    y->setLabelFormat(QStringLiteral("%g"));
    chart()->addAxis(x, Qt::AlignBottom);
    chart()->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries *series : chart()->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

void ExcelChartCanvas::addLabel(double value, QPointF anchor)
{
    auto *item = new QGraphicsSimpleTextItem(oneDecimal(value), chart());
    QFont font = item->font();
    font.setPixelSize(9);
    item->setFont(font);
    item->setBrush(labelColor);
    item->setZValue(10);
    m_labels.append({item, anchor});
}

void ExcelChartCanvas::placeLabels()
{
    if (!m_anchorSeries)
        return;
    for (const ValueLabel &label : std::as_const(m_labels)) {
        const QPointF at = chart()->mapToPosition(label.anchor, m_anchorSeries);
        const QRectF bounds = label.item->boundingRect();
        label.item->setPos(at.x() - bounds.width() / 2, at.y() - bounds.height() - 3);
    }
}

QStringList ExcelChartCanvas::valueLabels() const
{
    QStringList texts;
    for (const ValueLabel &label : m_labels)
        texts.append(label.item->text());
    return texts;
}

QList<QAbstractSeries *> ExcelChartCanvas::series() const
{
    return chart()->series();
}

// The view itself is not cleared between paints, so the tint is laid on the
// window colour each time rather than on what the last paint left.
void ExcelChartCanvas::drawBackground(QPainter *painter, const QRectF &rect)
{
    painter->fillRect(rect, palette().color(QPalette::Window));
    QPainterPath plate;
    plate.addRoundedRect(sceneRect(), 12, 12);
    QColor tint = palette().color(QPalette::WindowText);
    tint.setAlphaF(0.03f); // the secondary colour (half opacity) at 0.05
    painter->fillPath(plate, tint);
}
