#include "spreadsheet/editor/ExcelChartView.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QBarSet>
#include <QChart>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QStackedBarSeries>
#include <QTest>
#include <QValueAxis>
#include <clocale>
#include <cmath>
#include <memory>

Q_DECLARE_METATYPE(ChartType)

class TestExcelChartView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensWithABarChartOfTheRange();
    void lineChartKeepsThePoints();
    void labelsHaveOneDecimalWhateverTheLocale();
    void labelsRoundLikePrintf_data();
    void labelsRoundLikePrintf();
    void hugeValuesKeepAFiniteAxis_data();
    void hugeValuesKeepAFiniteAxis();
    void canvasWithoutPointsIsEmpty();
    void generatesOnlyOnOpenAndRegenerate();
    void invalidRangeShowsTheError();
    void rangeEditsAreReported();

private:
    void fillSales();
    std::unique_ptr<QWidget> m_screen;
    std::unique_ptr<ExcelDocument> m_document;
    ExcelChartView *m_chart = nullptr;
};

void TestExcelChartView::init()
{
    m_screen = std::make_unique<QWidget>();
    m_screen->resize(900, 600);
    m_screen->show();
    m_document = std::make_unique<ExcelDocument>();
    m_chart = new ExcelChartView(m_document.get(), m_screen.get());
}

void TestExcelChartView::cleanup()
{
    m_screen.reset();
    m_document.reset();
}

// A1:C5: a header row and four months of two series.
void TestExcelChartView::fillSales()
{
    const QStringList rows[] = {{"", "東京", "大阪"}, {"1月", "10", "7.25"}, {"2月", "12.5", "9"},
                                {"3月", "8", "11"}, {"4月", "15", "6"}};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c)
            m_document->setCell(r, c, rows[r].at(c));
    m_document->recalculate();
}

void TestExcelChartView::opensWithABarChartOfTheRange()
{
    fillSales();
    m_chart->popup(m_screen.get(), QStringLiteral("A1:C5"));
    QVERIFY(m_chart->isVisible());
    QCOMPARE(m_chart->size(), QSize(550, 380));
    QCOMPARE(m_chart->result(), ExcelChartView::Result::Chart);
    QCOMPARE(m_chart->chartType(), ChartType::Bar);
    QVERIFY(m_chart->typeButton(ChartType::Bar)->isChecked());

    const QList<QAbstractSeries *> series = m_chart->canvas()->series();
    QCOMPARE(series.size(), 1);
    auto *bars = qobject_cast<QStackedBarSeries *>(series.first());
    QVERIFY(bars);
    QCOMPARE(bars->count(), 2);
    QCOMPARE(bars->barSets().at(0)->label(), QStringLiteral("東京"));
    QCOMPARE(bars->barSets().at(1)->at(0), 7.25);
    QVERIFY(bars->barSets().at(0)->color() != bars->barSets().at(1)->color());
    QCOMPARE(m_chart->canvas()->chart()->legend()->alignment(), Qt::AlignBottom);
}

void TestExcelChartView::lineChartKeepsThePoints()
{
    fillSales();
    m_chart->popup(m_screen.get(), QStringLiteral("A1:C5"));
    const QList<ChartDataPoint> points = m_chart->chartData().points();
    QTest::mouseClick(m_chart->typeButton(ChartType::Line), Qt::LeftButton);
    QCOMPARE(m_chart->chartType(), ChartType::Line);
    QCOMPARE(m_chart->chartData().points(), points);

    int lines = 0;
    QList<QScatterSeries::MarkerShape> shapes;
    for (QAbstractSeries *series : m_chart->canvas()->series()) {
        if (auto *line = qobject_cast<QLineSeries *>(series); line && series->type() == QAbstractSeries::SeriesTypeLine) {
            ++lines;
            QCOMPARE(line->count(), 4);
        } else if (auto *markers = qobject_cast<QScatterSeries *>(series)) {
            shapes.append(markers->markerShape());
        }
    }
    QCOMPARE(lines, 2);
    QCOMPARE(shapes.size(), 2);
    QVERIFY(shapes.at(0) != shapes.at(1)); // each series its own symbol
    QCOMPARE(m_chart->canvas()->valueLabels().size(), 8);
}

void TestExcelChartView::labelsHaveOneDecimalWhateverTheLocale()
{
    fillSales();
    const char *previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    m_chart->popup(m_screen.get(), QStringLiteral("A1:C5"));
    const QStringList labels = m_chart->canvas()->valueLabels();
    if (previous)
        std::setlocale(LC_NUMERIC, "C");
    QCOMPARE(labels, (QStringList{"10.0", "7.2", "12.5", "9.0", "8.0", "11.0", "15.0", "6.0"}));
}

void TestExcelChartView::labelsRoundLikePrintf_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("label");
    QTest::newRow("exact tie rounds to even, down") << "0.25" << "0.2";
    QTest::newRow("exact tie rounds to even, up") << "0.75" << "0.8";
    QTest::newRow("negative tie") << "-2.25" << "-2.2";
    QTest::newRow("not quite a tie in binary") << "0.35" << "0.3";
    QTest::newRow("small negative keeps its sign") << "-0.04" << "-0.0";
    QTest::newRow("large value in full") << "1e20" << "100000000000000000000.0";
    QTest::newRow("text plots as 0") << "12abc" << "0.0";
}

void TestExcelChartView::labelsRoundLikePrintf()
{
    QFETCH(QString, cell);
    QFETCH(QString, label);
    m_document->setCell(0, 0, cell);
    m_document->recalculate();
    m_chart->popup(m_screen.get(), QStringLiteral("A1:A1"));
    QCOMPARE(m_chart->canvas()->valueLabels(), QStringList{label});
    m_chart->setChartType(ChartType::Line);
    QCOMPARE(m_chart->canvas()->valueLabels(), QStringList{label});
}

void TestExcelChartView::hugeValuesKeepAFiniteAxis_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<ChartType>("type");
    // A1 1.7e308, B1 1.7e308 (their stack overflows), A2 -1.7e308.
    QTest::newRow("bar near the largest double") << "A1:A1" << ChartType::Bar;
    QTest::newRow("line near the largest double") << "A1:A1" << ChartType::Line;
    QTest::newRow("stacked bars overflowing") << "A1:B1" << ChartType::Bar;
    QTest::newRow("line from the lowest to the largest") << "A1:A2" << ChartType::Line;
}

void TestExcelChartView::hugeValuesKeepAFiniteAxis()
{
    QFETCH(QString, range);
    QFETCH(ChartType, type);
    QTest::failOnWarning(QRegularExpression(QStringLiteral("invalid range|NaN")));
    m_document->setCell(0, 0, QStringLiteral("1.7e308"));
    m_document->setCell(0, 1, QStringLiteral("1.7e308"));
    m_document->setCell(1, 0, QStringLiteral("-1.7e308"));
    m_document->recalculate();
    m_chart->popup(m_screen.get(), range);
    m_chart->setChartType(type);
    const auto axes = m_chart->canvas()->chart()->axes(Qt::Vertical);
    QCOMPARE(axes.size(), 1);
    auto *y = qobject_cast<QValueAxis *>(axes.first());
    QVERIFY(y);
    QVERIFY(std::isfinite(y->min()) && std::isfinite(y->max()));
    QVERIFY(y->max() >= 1.7e308);
    m_chart->grab();
}

void TestExcelChartView::canvasWithoutPointsIsEmpty()
{
    fillSales();
    m_chart->popup(m_screen.get(), QStringLiteral("A1:C5"));
    ExcelChartCanvas *canvas = m_chart->canvas();
    for (ChartType type : allChartTypes) {
        canvas->setData(ChartData(), type);
        QVERIFY(canvas->series().isEmpty());
        QVERIFY(canvas->valueLabels().isEmpty());
        QVERIFY(canvas->chart()->axes().isEmpty());
    }
}

void TestExcelChartView::generatesOnlyOnOpenAndRegenerate()
{
    m_document->setCell(0, 0, QStringLiteral("1"));
    m_document->recalculate();
    m_chart->popup(m_screen.get(), QStringLiteral("A1:A2"));
    QCOMPARE(m_chart->chartData().points().at(0).value, 1.0);

    m_document->setCell(0, 0, QStringLiteral("5"));
    m_document->recalculate();
    m_chart->rangeField()->setText(QStringLiteral("A1:A3"));
    m_chart->setChartType(ChartType::Line);
    QCOMPARE(m_chart->chartData().points().size(), 2);
    QCOMPARE(m_chart->chartData().points().at(0).value, 1.0);

    QTest::mouseClick(m_chart->regenerateButton(), Qt::LeftButton);
    QCOMPARE(m_chart->chartData().points().size(), 3);
    QCOMPARE(m_chart->chartData().points().at(0).value, 5.0);
    QCOMPARE(m_chart->chartType(), ChartType::Line);

    QTest::mouseClick(m_chart->closeButton(), Qt::LeftButton);
    QVERIFY(!m_chart->isVisible());
    m_chart->popup(m_screen.get(), QStringLiteral("A1:A3"));
    QCOMPARE(m_chart->chartType(), ChartType::Bar); // every opening starts afresh
}

void TestExcelChartView::invalidRangeShowsTheError()
{
    m_chart->popup(m_screen.get(), QStringLiteral("A1:B5"));
    QCOMPARE(m_chart->result(), ExcelChartView::Result::Chart); // empty cells plot as 0

    m_chart->rangeField()->setText(QStringLiteral("A1:ZZ999"));
    QTest::mouseClick(m_chart->regenerateButton(), Qt::LeftButton);
    QCOMPARE(m_chart->result(), ExcelChartView::Result::Error);
    QCOMPARE(m_chart->errorText(), QStringLiteral("無効な範囲フォーマットです (例: A1:B5)"));
    QVERIFY(m_chart->chartData().isEmpty());

    m_chart->rangeField()->setText(QStringLiteral("B2:B3"));
    QTest::mouseClick(m_chart->regenerateButton(), Qt::LeftButton);
    QCOMPARE(m_chart->result(), ExcelChartView::Result::Chart);
    QVERIFY(m_chart->errorText().isEmpty());
}

void TestExcelChartView::rangeEditsAreReported()
{
    m_chart->popup(m_screen.get(), QStringLiteral("A1:B5"));
    QSignalSpy edits(m_chart, &ExcelChartView::rangeTextChanged);
    QTest::keyClick(m_chart->rangeField(), Qt::Key_Backspace);
    QCOMPARE(edits.size(), 1);
    QCOMPARE(edits.first().first().toString(), QStringLiteral("A1:B"));
    QSignalSpy closed(m_chart, &ExcelChartView::closed);
    QTest::keyClick(m_chart, Qt::Key_Escape);
    QVERIFY(!m_chart->isVisible());
    QCOMPARE(closed.size(), 1);
}

QTEST_MAIN(TestExcelChartView)
#include "tst_excelchartview.moc"
