// The floating objects, macro dialog, merge popover and chart popover as the
// spreadsheet screen mounts them.
#include "platform/AppState.h"
#include "spreadsheet/editor/CellGridView.h"
#include "spreadsheet/editor/ExcelChartView.h"
#include "spreadsheet/editor/ExcelToolbar.h"
#include "spreadsheet/editor/FloatingObjectLayer.h"
#include "spreadsheet/editor/FloatingObjectView.h"
#include "spreadsheet/editor/MergePopover.h"
#include "spreadsheet/editor/MorvaneExcelView.h"
#include "spreadsheet/editor/VbaMacroDialog.h"
#include "spreadsheet/editor/VbaMessageOverlay.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <memory>

using Ranges = QList<ExcelRange>;

class TestExcelViewExtras : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void objectsLieOverTheGridAndScrollWithIt();
    void objectsLeaveTheCellsUsable();
    void mergeButtonMergesTheSelectedRange();
    void mergeStepsAreKeptByTheScreen();
    void macroRunShowsItsMessageAboveTheDialog();
    void chartKeepsTheEditedRange();

private:
    ExcelDocument *document() const { return m_view->document(); }
    std::unique_ptr<MorvaneExcelView> m_view;
};

void TestExcelViewExtras::init()
{
    m_view = std::make_unique<MorvaneExcelView>();
    m_view->resize(1000, 640);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestExcelViewExtras::cleanup()
{
    m_view.reset();
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, false);
}

void TestExcelViewExtras::objectsLieOverTheGridAndScrollWithIt()
{
    m_view->insertObject(ExcelObjectType::Circle);
    const ExcelObject circle = document()->objects().first();
    FloatingObjectView *view = m_view->objectLayer()->view(circle.id);
    QVERIFY(view);
    QWidget *viewport = m_view->grid()->viewport();
    QCOMPARE(view->mapTo(viewport, QPoint(0, 0)), QPoint(100, 100));

    m_view->grid()->scrollToContent(QPoint(30, 48));
    QCOMPARE(view->mapTo(viewport, QPoint(0, 0)), QPoint(70, 52));
}

void TestExcelViewExtras::objectsLeaveTheCellsUsable()
{
    m_view->insertObject(ExcelObjectType::Rectangle); // over (100, 100) to (200, 200)
    QWidget *viewport = m_view->grid()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(300, 40)); // C1, beside the object
    QCOMPARE(m_view->selectedCell(), std::optional(CellAddress{0, 2}));
    QWidget *hit = viewport->childAt(QPoint(150, 150));
    QVERIFY(hit && m_view->objectLayer()->isAncestorOf(hit));
}

void TestExcelViewExtras::mergeButtonMergesTheSelectedRange()
{
    m_view->selectCell(1, 1);
    m_view->selectCell(2, 3, MorvaneExcelView::SelectionMode::Extend);
    QTest::mouseClick(m_view->toolbar()->mergeButton(), Qt::LeftButton);
    QVERIFY(m_view->isShowingMergePopover());
    QCOMPARE(m_view->mergePopover()->mergeRows(), 2);
    QCOMPARE(m_view->mergePopover()->mergeCols(), 3);
    QTest::mouseClick(m_view->mergePopover()->mergeButton(), Qt::LeftButton);
    QCOMPARE(document()->mergedRanges(), (Ranges{{1, 1, 2, 3}}));
    QVERIFY(!m_view->isShowingMergePopover());

    QTest::mouseClick(m_view->toolbar()->mergeButton(), Qt::LeftButton);
    QTest::mouseClick(m_view->mergePopover()->unmergeButton(), Qt::LeftButton);
    QVERIFY(document()->mergedRanges().isEmpty());
}

void TestExcelViewExtras::mergeStepsAreKeptByTheScreen()
{
    m_view->selectCell(4, 2);
    QTest::mouseClick(m_view->toolbar()->mergeButton(), Qt::LeftButton);
    m_view->mergePopover()->rowsStepper()->stepUp();
    QCOMPARE(m_view->mergeRows(), 3);
    m_view->mergePopover()->hide();
    QVERIFY(!m_view->isShowingMergePopover());

    QTest::mouseClick(m_view->toolbar()->mergeButton(), Qt::LeftButton);
    QCOMPARE(m_view->mergePopover()->mergeRows(), 3); // survives the closing
    QTest::mouseClick(m_view->mergePopover()->mergeButton(), Qt::LeftButton);
    QCOMPARE(document()->mergedRanges(), (Ranges{{4, 2, 6, 3}}));
}

void TestExcelViewExtras::macroRunShowsItsMessageAboveTheDialog()
{
    QTest::mouseClick(m_view->toolbar()->macroButton(), Qt::LeftButton);
    QVERIFY(m_view->isShowingVbaDialog());
    VbaMacroDialog *dialog = m_view->macroDialog();
    QTest::mouseClick(dialog->newButton(), Qt::LeftButton);
    dialog->codeEditor()->setPlainText(QStringLiteral(
        "Sub Fill()\nFor r = 1 To 3\nCells(r, 1).Value = r\nNext r\nMsgBox \"済\"\nEnd Sub"));
    QTest::mouseClick(dialog->runButton(), Qt::LeftButton);
    QTRY_VERIFY(m_view->isShowingVbaAlert());
    QCOMPARE(m_view->macroMessageOverlay()->message(), QStringLiteral("済"));
    QCOMPARE(document()->cell(2, 0), QStringLiteral("3"));
    QWidget *onTop = m_view->childAt(m_view->rect().center());
    QVERIFY(m_view->macroMessageOverlay()->isAncestorOf(onTop) || onTop == m_view->macroMessageOverlay());

    QTest::mouseClick(m_view->macroMessageOverlay()->okButton(), Qt::LeftButton);
    QVERIFY(m_view->isShowingVbaDialog());
    QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
    QVERIFY(!m_view->isShowingVbaDialog());
    QCOMPARE(document()->macros().keys(), QStringList{"Macro1"});
}

void TestExcelViewExtras::chartKeepsTheEditedRange()
{
    m_view->selectCell(2, 1);
    QTest::mouseClick(m_view->toolbar()->chartButton(), Qt::LeftButton);
    ExcelChartView *chart = m_view->chartView();
    QVERIFY(m_view->isShowingChartDialog());
    QCOMPARE(chart->rangeText(), QStringLiteral("B3:C6"));
    QCOMPARE(chart->result(), ExcelChartView::Result::Chart);

    chart->rangeField()->selectAll();
    QTest::keyClicks(chart->rangeField(), "A1:A2");
    QCOMPARE(m_view->chartRangeText(), QStringLiteral("A1:A2"));
    QTest::mouseClick(chart->closeButton(), Qt::LeftButton);
    QVERIFY(!m_view->isShowingChartDialog());
    QCOMPARE(m_view->chartRangeText(), QStringLiteral("A1:A2"));
}

QTEST_MAIN(TestExcelViewExtras)
#include "tst_excelviewextras.moc"
