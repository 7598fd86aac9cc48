#pragma once

#include "ChartData.h"
#include "ExcelChartCanvas.h"

#include <QFrame>

class ExcelDocument;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

// The chart popover ("グラフ作成"): a Qt::Popup frame of 550 × 380 over the
// spreadsheet screen. It reads the active sheet's display values and never
// changes the document.
//
// generateChart() runs when the popover opens and on "再生成" only: editing
// the range or the sheet, or switching between bars and lines, keeps the
// points. The result area shows, in this order of precedence, the error of
// an invalid range, the empty-data text, or the chart.
class ExcelChartView : public QFrame
{
    Q_OBJECT
public:
    enum class Result { Error, Empty, Chart };

    ExcelChartView(ExcelDocument *document, QWidget *parent);

    // Starts afresh (bar chart, no points) with `rangeText`, generates and
    // shows the popover centred over `anchor`.
    void popup(QWidget *anchor, const QString &rangeText);

    QString rangeText() const;
    void setRangeText(const QString &text); // emits nothing
    ChartType chartType() const { return m_type; }
    void setChartType(ChartType type);

    void generateChart();

    const ChartData &chartData() const { return m_data; }
    Result result() const;
    QString errorText() const;

    QLineEdit *rangeField() const { return m_rangeField; }
    QPushButton *typeButton(ChartType type) const;
    QPushButton *regenerateButton() const { return m_regenerateButton; }
    QPushButton *closeButton() const { return m_closeButton; }
    ExcelChartCanvas *canvas() const { return m_canvas; }

    static QString emptyText();

signals:
    // The user edited the range field (the screen keeps the text).
    void rangeTextChanged(const QString &text);
    void closed();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QLayout *createControls();
    QWidget *createResultArea();
    QLayout *createCloseRow();
    void showResult();

    ExcelDocument *m_document;
    ChartType m_type = ChartType::Bar;
    ChartData m_data;
    QLineEdit *m_rangeField = nullptr;
    QPushButton *m_typeButtons[2] = {};
    QPushButton *m_regenerateButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QStackedWidget *m_results = nullptr;
    QLabel *m_errorLabel = nullptr;
    ExcelChartCanvas *m_canvas = nullptr;
};
