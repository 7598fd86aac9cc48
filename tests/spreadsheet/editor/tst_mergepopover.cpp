#include "platform/AppState.h"
#include "spreadsheet/editor/MergePopover.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <memory>

using Ranges = QList<ExcelRange>;
using OptionalRange = std::optional<ExcelRange>;
Q_DECLARE_METATYPE(CellAddress)
Q_DECLARE_METATYPE(OptionalRange)

class TestMergePopover : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void merge_data();
    void merge();
    void stepperLimits_data();
    void stepperLimits();
    void buttonsNeedASelectedCell();
    void unmergeIsEnabledByTheSelectedCell();
    void unmergeOfARangeRemovesEveryTouchingMerge();
    void unmergeOfACell();
    void userStepsAreReported();

private:
    std::unique_ptr<QWidget> m_anchor;
    std::unique_ptr<ExcelDocument> m_document;
    MergePopover *m_popover = nullptr;
};

void TestMergePopover::init()
{
    m_anchor = std::make_unique<QWidget>();
    m_anchor->resize(120, 30);
    m_anchor->show();
    m_document = std::make_unique<ExcelDocument>();
    m_popover = new MergePopover(m_document.get(), m_anchor.get());
}

void TestMergePopover::cleanup()
{
    m_anchor.reset();
    m_document.reset();
}

void TestMergePopover::merge_data()
{
    QTest::addColumn<CellAddress>("cell");
    QTest::addColumn<OptionalRange>("range");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<Ranges>("merged");
    const OptionalRange none;
    QTest::newRow("cell with 2 x 2") << CellAddress{1, 1} << none << 2 << 2 << Ranges{{1, 1, 2, 2}};
    QTest::newRow("cell with 3 rows, 1 column") << CellAddress{1, 1} << none << 3 << 1 << Ranges{{1, 1, 3, 1}};
    QTest::newRow("range ignores the steppers") << CellAddress{1, 1} << OptionalRange(ExcelRange{1, 1, 2, 3}) << 5
                                                << 5 << Ranges{{1, 1, 2, 3}};
    QTest::newRow("block past the last row is clipped") << CellAddress{98, 0} << none << 5 << 2
                                                        << Ranges{{98, 0, 99, 1}};
    QTest::newRow("block past the last column is clipped") << CellAddress{0, 45} << none << 1 << 26
                                                           << Ranges{{0, 45, 0, 49}};
    QTest::newRow("range past the grid is clipped") << CellAddress{95, 48}
                                                    << OptionalRange(ExcelRange{95, 48, 140, 60}) << 2 << 2
                                                    << Ranges{{95, 48, 99, 49}};
    QTest::newRow("range starting outside the grid is refused")
        << CellAddress{3, 3} << OptionalRange(ExcelRange{120, 3, 130, 4}) << 2 << 2 << Ranges{};
    QTest::newRow("cell outside the grid is refused") << CellAddress{100, 0} << none << 1 << 1 << Ranges{};
}

void TestMergePopover::merge()
{
    QFETCH(CellAddress, cell);
    QFETCH(OptionalRange, range);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(Ranges, merged);
    m_popover->setSelection(cell, range);
    m_popover->setMergeSize(rows, cols);
    m_popover->popup(m_anchor.get());
    m_popover->merge();
    QCOMPARE(m_document->mergedRanges(), merged);
    QCOMPARE(m_popover->isVisible(), merged.isEmpty()); // closes only after a merge
    QCOMPARE(m_document->rowCount(), 100);
    QCOMPARE(m_document->columnCount(), 50);
}

void TestMergePopover::stepperLimits_data()
{
    QTest::addColumn<CellAddress>("cell");
    QTest::addColumn<int>("rowsMax");
    QTest::addColumn<int>("colsMax");
    QTest::newRow("away from the edges") << CellAddress{0, 0} << 100 << 26;
    QTest::newRow("near the last row") << CellAddress{97, 0} << 3 << 26;
    QTest::newRow("in the last column") << CellAddress{0, 49} << 100 << 1;
}

void TestMergePopover::stepperLimits()
{
    QFETCH(CellAddress, cell);
    QFETCH(int, rowsMax);
    QFETCH(int, colsMax);
    m_popover->setSelection(cell, std::nullopt);
    m_popover->setMergeSize(500, 500);
    QCOMPARE(m_popover->mergeRows(), rowsMax);
    QCOMPARE(m_popover->mergeCols(), colsMax);
    m_popover->setMergeSize(0, -3);
    QCOMPARE(m_popover->mergeRows(), 1);
    QCOMPARE(m_popover->mergeCols(), 1);
}

void TestMergePopover::buttonsNeedASelectedCell()
{
    m_document->mergeCells(0, 0, 1, 1);
    m_popover->popup(m_anchor.get());
    QVERIFY(!m_popover->mergeButton()->isEnabled());
    QVERIFY(!m_popover->unmergeButton()->isEnabled());
    m_popover->merge();
    m_popover->unmerge();
    QCOMPARE(m_document->mergedRanges(), (Ranges{{0, 0, 1, 1}}));
    QVERIFY(m_popover->isVisible());
}

void TestMergePopover::unmergeIsEnabledByTheSelectedCell()
{
    m_document->mergeCells(1, 1, 2, 2);
    m_popover->setSelection(CellAddress{1, 1}, std::nullopt);
    QVERIFY(m_popover->unmergeButton()->isEnabled());
    m_popover->setSelection(CellAddress{5, 5}, std::nullopt);
    QVERIFY(!m_popover->unmergeButton()->isEnabled());
    QVERIFY(m_popover->mergeButton()->isEnabled());
    m_document->mergeCells(5, 5, 6, 6); // follows the document
    QVERIFY(m_popover->unmergeButton()->isEnabled());
}

void TestMergePopover::unmergeOfARangeRemovesEveryTouchingMerge()
{
    m_document->mergeCells(1, 1, 2, 2); // B2:C3
    m_document->mergeCells(1, 4, 2, 5); // E2:F3
    m_document->mergeCells(8, 8, 9, 9); // far away
    m_document->setCell(0, 0, QStringLiteral("=1+1"));
    QTest::qWait(0);
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, false);

    m_popover->setSelection(CellAddress{1, 1}, ExcelRange{1, 1, 1, 5}); // B2:F2
    m_popover->popup(m_anchor.get());
    QVERIFY(m_popover->unmergeButton()->isEnabled());
    QTest::mouseClick(m_popover->unmergeButton(), Qt::LeftButton);
    QCOMPARE(m_document->mergedRanges(), (Ranges{{8, 8, 9, 9}}));
    QVERIFY(!m_popover->isVisible());
    QVERIFY(AppState::shared().hasUnsavedChanges(AppState::Editor::Spreadsheet));
}

void TestMergePopover::unmergeOfACell()
{
    m_document->mergeCells(1, 1, 2, 2);
    m_document->mergeCells(1, 4, 2, 5);
    m_popover->setSelection(CellAddress{2, 2}, std::nullopt);
    m_popover->popup(m_anchor.get());
    QTest::mouseClick(m_popover->unmergeButton(), Qt::LeftButton);
    QCOMPARE(m_document->mergedRanges(), (Ranges{{1, 4, 2, 5}}));
    QVERIFY(!m_popover->isVisible());
}

void TestMergePopover::userStepsAreReported()
{
    m_popover->setSelection(CellAddress{0, 0}, std::nullopt);
    m_popover->setMergeSize(2, 2);
    QList<QPair<int, int>> reported;
    connect(m_popover, &MergePopover::mergeSizeChanged, this,
            [&reported](int rows, int cols) { reported.append({rows, cols}); });
    m_popover->setMergeSize(4, 4); // loading reports nothing
    m_popover->rowsStepper()->stepUp();
    m_popover->colsStepper()->stepDown();
    QCOMPARE(reported, (QList<QPair<int, int>>{{5, 4}, {5, 3}}));
}

QTEST_MAIN(TestMergePopover)
#include "tst_mergepopover.moc"
