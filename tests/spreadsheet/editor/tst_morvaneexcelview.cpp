#include "ExcelViewTestSupport.h"
#include "platform/AppState.h"
#include "platform/widgets/ColorSwatchButton.h"
#include "spreadsheet/editor/CellEditor.h"
#include "spreadsheet/editor/CellGridPainter.h"
#include "spreadsheet/editor/CellGridView.h"
#include "spreadsheet/editor/ExcelToolbar.h"
#include "spreadsheet/editor/FormulaBar.h"
#include "spreadsheet/editor/LongTextLineEdit.h"
#include "spreadsheet/editor/MorvaneExcelView.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/formula/FormulaEvaluator.h"

#include <QCloseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <memory>

using namespace GridMouse;
using Gesture = std::function<void(CellGridView *)>;
using ViewAction = std::function<void(MorvaneExcelView *)>;
using OptionalCell = std::optional<CellAddress>;
using OptionalRange = std::optional<ExcelRange>;
Q_DECLARE_METATYPE(Gesture)
Q_DECLARE_METATYPE(ViewAction)
Q_DECLARE_METATYPE(OptionalCell)
Q_DECLARE_METATYPE(OptionalRange)

namespace {

bool isUnsaved()
{
    return AppState::shared().hasUnsavedChanges(AppState::Editor::Spreadsheet);
}

void markSaved()
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, false);
}

QColor pixelAt(QWidget *viewport, QPoint viewportPoint)
{
    return viewport->grab().toImage().pixelColor(viewportPoint);
}

// What the window shows of `widget` once pending repaints are flushed (the
// backing store, not a fresh render as grab() makes).
QImage shownOnScreen(QWidget *widget)
{
    QCoreApplication::processEvents();
    const QPoint origin = widget->mapTo(widget->window(), QPoint(0, 0));
    return widget->screen()
        ->grabWindow(widget->window()->winId(), origin.x(), origin.y(), widget->width(),
                     widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Collects the area of every paint event a widget receives.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget *widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

} // namespace

class TestMorvaneExcelView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void freshScreen();
    void selection_data();
    void selection();
    void tapOnAMergedRangeSelectsItsTopLeftCell();

    void clickEditsRawTextAndReturnCommits();
    void clickingAnotherCellCommitsTheEdit();
    void editWithoutChangeWritesNothing();
    void tabMovesTheEditAlongTheRow();
    void escapeDropsTheEdit();
    void closingTheWindowCommitsTheEdit_data();
    void closingTheWindowCommitsTheEdit();
    void inputMethodTextIsCommittedOnlyWhenComposed();
    void cellShowsItsEvaluatedValue();
    void longTextIsShownByItsVisiblePart_data();
    void longTextIsShownByItsVisiblePart();

    void formulaFieldWritesEveryEdit();
    void formulaFieldWithoutSelectionDropsText();
    void formulaFieldWritesOnlyComposedText();
    void loadingTheSelectionWritesNothing();

    void boldTwiceLeavesAPlainEntry();
    void styleControlsNeedASelectedCell();
    void togglesFollowTheSelectedCell();
    void colourPicksWriteHexText_data();
    void colourPicksWriteHexText();
    void clearingTheFillKeepsOtherFields();
    void fillPickOnACellWithoutFillIsVisible();

    void cellMenuOperatesAtTheSelectedCell_data();
    void cellMenuOperatesAtTheSelectedCell();
    void shapeMenuAddsObjectsWithoutSelection();
    void chartRangeFollowsTheSelection_data();
    void chartRangeFollowsTheSelection();

    void selectionOutsideTheGridIsHarmless();
    void mergesOutsideTheGridAreHarmless();

    void selectionTintsAndHidesTheFill();
    void mergedRangeIsDrawnAsOneCell();
    void objectLayerScrollsWithTheCells();
    void partialRepaintsMatchAFullPaint_data();
    void partialRepaintsMatchAFullPaint();

private:
    CellGridView *grid() const { return m_view->grid(); }
    ExcelDocument *document() const { return m_view->document(); }
    ExcelToolbar *toolbar() const { return m_view->toolbar(); }

    std::unique_ptr<MorvaneExcelView> m_view;
};

void TestMorvaneExcelView::init()
{
    m_view = std::make_unique<MorvaneExcelView>();
    m_view->resize(1100, 700);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
    markSaved();
}

void TestMorvaneExcelView::cleanup()
{
    m_view.reset();
    markSaved();
}

void TestMorvaneExcelView::freshScreen()
{
    QCOMPARE(document()->sheets().size(), 1);
    QCOMPARE(document()->rowCount(), 100);
    QCOMPARE(document()->columnCount(), 50);
    QVERIFY(!m_view->selectedCell());
    QVERIFY(!m_view->selectedRange());
    QCOMPARE(m_view->fileName(), QStringLiteral("MorvaneBook"));
    QCOMPARE(m_view->fileFormat(), ExcelFileFormat::Xlsx);
    QCOMPARE(m_view->chartRangeText(), QStringLiteral("A1:B5"));
    QVERIFY(!m_view->isShowingSaveDialog());
    QVERIFY(!m_view->isShowingOpenDialog());
    QVERIFY(!m_view->isShowingRenameSheetDialog());
    QCOMPARE(toolbar()->formulaBar()->field()->placeholderText(),
             QStringLiteral("数式または文字列を入力"));
    QVERIFY(m_view->palette().color(QPalette::Window).lightness() > 200);
}

void TestMorvaneExcelView::selection_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<OptionalCell>("cell");
    QTest::addColumn<OptionalRange>("range");
    QTest::addColumn<int>("mergeRows");
    QTest::addColumn<int>("mergeCols");
    QTest::addColumn<OptionalCell>("editing");

    QTest::newRow("click selects the cell")
        << Gesture([](CellGridView *g) { click(g, cellCenter(2, 1)); }) << OptionalCell({2, 1})
        << OptionalRange() << 2 << 2 << OptionalCell({2, 1});
    QTest::newRow("shift-click spans from the anchor")
        << Gesture([](CellGridView *g) {
               click(g, cellCenter(2, 1));
               click(g, cellCenter(4, 3), Qt::ShiftModifier);
           })
        << OptionalCell({2, 1}) << OptionalRange({{2, 1, 4, 3}}) << 3 << 3 << OptionalCell();
    QTest::newRow("further shift-click keeps the anchor")
        << Gesture([](CellGridView *g) {
               click(g, cellCenter(2, 1));
               click(g, cellCenter(4, 3), Qt::ShiftModifier);
               click(g, cellCenter(0, 0), Qt::ShiftModifier);
           })
        << OptionalCell({2, 1}) << OptionalRange({{0, 0, 2, 1}}) << 3 << 2 << OptionalCell();
    QTest::newRow("shift-click without selection is a plain click")
        << Gesture([](CellGridView *g) { click(g, cellCenter(3, 3), Qt::ShiftModifier); })
        << OptionalCell({3, 3}) << OptionalRange() << 2 << 2 << OptionalCell({3, 3});
    QTest::newRow("plain click clears the range")
        << Gesture([](CellGridView *g) {
               click(g, cellCenter(2, 1));
               click(g, cellCenter(4, 3), Qt::ShiftModifier);
               click(g, cellCenter(5, 5));
           })
        << OptionalCell({5, 5}) << OptionalRange() << 2 << 2 << OptionalCell({5, 5});
    QTest::newRow("drag from A1 to C2")
        << Gesture([](CellGridView *g) { drag(g, cellCenter(0, 0), {cellCenter(0, 0) + QPoint(6, 0), cellCenter(1, 2)}); })
        << OptionalCell({0, 0}) << OptionalRange({{0, 0, 1, 2}}) << 2 << 3 << OptionalCell();
    QTest::newRow("move under 5 pixels is a click")
        << Gesture([](CellGridView *g) {
               drag(g, cellCenter(3, 1), {cellCenter(3, 1) + QPoint(3, 2)});
           })
        << OptionalCell({3, 1}) << OptionalRange() << 2 << 2 << OptionalCell({3, 1});
    QTest::newRow("drag anchors at the first cell under the pointer")
        << Gesture([](CellGridView *g) {
               const QPoint nearRightEdge = ExcelGridMetrics::cellRect(0, 0).topRight() + QPoint(-2, 10);
               drag(g, nearRightEdge, {nearRightEdge + QPoint(8, 0), cellCenter(2, 2)});
           })
        << OptionalCell({0, 1}) << OptionalRange({{0, 1, 2, 2}}) << 3 << 2 << OptionalCell();
    QTest::newRow("drag leaving the grid keeps the last range")
        << Gesture([](CellGridView *g) {
               drag(g, cellCenter(1, 1),
                    {cellCenter(1, 1) + QPoint(0, 6), cellCenter(2, 2), QPoint(-150, 60)});
           })
        << OptionalCell({1, 1}) << OptionalRange({{1, 1, 2, 2}}) << 2 << 2 << OptionalCell();
    QTest::newRow("drag with shift keeps the selected cell")
        << Gesture([](CellGridView *g) {
               click(g, cellCenter(5, 0));
               drag(g, cellCenter(1, 1), {cellCenter(1, 1) + QPoint(6, 0), cellCenter(2, 3)},
                    Qt::ShiftModifier);
           })
        << OptionalCell({5, 0}) << OptionalRange({{1, 1, 2, 3}}) << 2 << 3 << OptionalCell();
}

void TestMorvaneExcelView::selection()
{
    QFETCH(Gesture, gesture);
    gesture(grid());
    QTEST(m_view->selectedCell(), "cell");
    QTEST(m_view->selectedRange(), "range");
    QTEST(m_view->mergeRows(), "mergeRows");
    QTEST(m_view->mergeCols(), "mergeCols");
    QTEST(grid()->editingCell(), "editing");
    QVERIFY(!m_view->dragStartCell());
    QCOMPARE(grid()->selection().cell, m_view->selectedCell());
    QCOMPARE(grid()->selection().range, m_view->selectedRange());
}

void TestMorvaneExcelView::tapOnAMergedRangeSelectsItsTopLeftCell()
{
    document()->mergeCells(1, 1, 2, 2);
    click(grid(), cellCenter(2, 2));
    QCOMPARE(m_view->selectedCell(), OptionalCell({1, 1}));
    QCOMPARE(grid()->editingCell(), OptionalCell({1, 1}));
    QCOMPARE(grid()->editor()->size().width(), 2 * ExcelGridMetrics::cellWidth - 4);
}

void TestMorvaneExcelView::clickEditsRawTextAndReturnCommits()
{
    document()->setCell(0, 0, QStringLiteral("2"));
    document()->setCell(3, 0, QStringLiteral("=SUM(A1:A3)"));
    QCoreApplication::processEvents();
    click(grid(), cellCenter(3, 0));
    CellEditor *editor = grid()->editor();
    QVERIFY(editor->isVisible());
    QVERIFY(editor->hasFocus());
    QCOMPARE(editor->text(), QStringLiteral("=SUM(A1:A3)"));
    QTest::keyClicks(editor, QStringLiteral("=SUM(A1:A2)+1"));
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!editor->isVisible());
    QCOMPARE(document()->cell(3, 0), QStringLiteral("=SUM(A1:A2)+1"));
    const FormulaEvaluator fresh(document()->cells(), document()->valueCells(), document()->cachedEvaluatedCells());
    QTRY_COMPARE(document()->evaluatedCell(3, 0), fresh.evaluateCell("=SUM(A1:A2)+1", 3, 0).display);
    QVERIFY(isUnsaved());
}

void TestMorvaneExcelView::clickingAnotherCellCommitsTheEdit()
{
    click(grid(), cellCenter(0, 0));
    QTest::keyClicks(grid()->editor(), QStringLiteral("abc"));
    click(grid(), cellCenter(0, 1));
    QCOMPARE(document()->cell(0, 0), QStringLiteral("abc"));
    QCOMPARE(grid()->editingCell(), OptionalCell({0, 1}));

    // Focus moving to the formula field commits too.
    QTest::keyClicks(grid()->editor(), QStringLiteral("xyz"));
    toolbar()->formulaBar()->field()->setFocus(Qt::MouseFocusReason);
    QCOMPARE(document()->cell(0, 1), QStringLiteral("xyz"));
    QVERIFY(!grid()->isEditing());
}

// Tab and Shift+Tab commit and edit the neighbouring cell; the focus stays in
// the grid, so the next typed character lands in that cell.
void TestMorvaneExcelView::tabMovesTheEditAlongTheRow()
{
    document()->mergeCells(0, 2, 0, 3);
    click(grid(), cellCenter(0, 0));
    QTest::keyClicks(grid()->editor(), QStringLiteral("a"));
    QTest::keyClick(grid()->editor(), Qt::Key_Tab);
    QCOMPARE(document()->cell(0, 0), QStringLiteral("a"));
    QCOMPARE(grid()->editingCell(), OptionalCell({0, 1}));
    QVERIFY(grid()->editor()->hasFocus());
    QCOMPARE(grid()->selection().cell, OptionalCell({0, 1}));
    QTest::keyClicks(grid()->editor(), QStringLiteral("b"));
    QTest::keyClick(grid()->editor(), Qt::Key_Tab);
    QCOMPARE(document()->cell(0, 1), QStringLiteral("b"));
    QCOMPARE(grid()->editingCell(), OptionalCell({0, 2}));
    QTest::keyClick(grid()->editor(), Qt::Key_Tab); // past the merged C1:D1
    QCOMPARE(grid()->editingCell(), OptionalCell({0, 4}));
    QTest::keyClicks(grid()->editor(), QStringLiteral("e"));
    QTest::keyClick(grid()->editor(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(document()->cell(0, 4), QStringLiteral("e"));
    QCOMPARE(grid()->editingCell(), OptionalCell({0, 2})); // the merge, by its top-left cell
    QVERIFY(grid()->editor()->hasFocus());

    click(grid(), cellCenter(1, 0));
    QTest::keyClicks(grid()->editor(), QStringLiteral("first"));
    QTest::keyClick(grid()->editor(), Qt::Key_Backtab, Qt::ShiftModifier); // at the row's start
    QCOMPARE(document()->cell(1, 0), QStringLiteral("first"));
    QVERIFY(!grid()->isEditing());
}

void TestMorvaneExcelView::editWithoutChangeWritesNothing()
{
    document()->setCell(0, 0, QStringLiteral("kept"));
    QCoreApplication::processEvents();
    markSaved();
    QSignalSpy cellWrites(document(), &ExcelDocument::cellsChanged);
    click(grid(), cellCenter(0, 0));
    QTest::keyClick(grid()->editor(), Qt::Key_Return);
    click(grid(), cellCenter(1, 0));
    click(grid(), cellCenter(2, 0));
    QCOMPARE(cellWrites.count(), 0);
    QVERIFY(!isUnsaved());
}

void TestMorvaneExcelView::escapeDropsTheEdit()
{
    document()->setCell(0, 0, QStringLiteral("before"));
    click(grid(), cellCenter(0, 0));
    QTest::keyClicks(grid()->editor(), QStringLiteral("after"));
    QTest::keyClick(grid()->editor(), Qt::Key_Escape);
    QVERIFY(!grid()->isEditing());
    QCOMPARE(document()->cell(0, 0), QStringLiteral("before"));
}

// Quitting asks about unsaved work only when the typed text is in the cell:
// an edit still open when the window closes is committed first, also when
// the screen joined the window inside a container that was placed later.
void TestMorvaneExcelView::closingTheWindowCommitsTheEdit_data()
{
    QTest::addColumn<bool>("throughContainer");
    QTest::newRow("screen placed in the window") << false;
    QTest::newRow("container placed in the window later") << true;
}

void TestMorvaneExcelView::closingTheWindowCommitsTheEdit()
{
    QFETCH(bool, throughContainer);
    QWidget window;
    auto *container = new QWidget;
    m_view->setParent(throughContainer ? container : &window);
    const auto giveBack = qScopeGuard([this] { m_view->setParent(nullptr); });
    container->setParent(&window);
    window.resize(1100, 700);
    m_view->resize(1100, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    click(grid(), cellCenter(2, 1));
    QTest::keyClicks(grid()->editor(), QStringLiteral("typed"));
    QVERIFY(!isUnsaved());

    QCloseEvent close;
    QApplication::sendEvent(&window, &close);
    QCOMPARE(document()->cell(2, 1), QStringLiteral("typed"));
    QVERIFY(isUnsaved());
}

void TestMorvaneExcelView::inputMethodTextIsCommittedOnlyWhenComposed()
{
    click(grid(), cellCenter(1, 1));
    CellEditor *editor = grid()->editor();
    QTest::keyClick(editor, Qt::Key_Delete); // the selected raw text goes

    QInputMethodEvent composing(QStringLiteral("にほんご"), {});
    QApplication::sendEvent(editor, &composing);
    QCOMPARE(editor->text(), QString());
    QCOMPARE(document()->cell(1, 1), QString());

    QInputMethodEvent committed;
    committed.setCommitString(QStringLiteral("日本語"));
    QApplication::sendEvent(editor, &committed);
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(document()->cell(1, 1), QStringLiteral("日本語"));
}

// A formula's cell paints its value: the same pixels as a cell typed with
// that value.
void TestMorvaneExcelView::cellShowsItsEvaluatedValue()
{
    document()->setCell(0, 0, QStringLiteral("7"));
    document()->setCell(0, 1, QStringLiteral("=SUM(A1:A1)"));
    QTRY_COMPARE(document()->evaluatedCell(0, 1), QStringLiteral("7"));
    const QImage image = grid()->viewport()->grab().toImage();
    const QRect a1 = ExcelGridMetrics::cellRect(0, 0).adjusted(2, 2, -2, -2);
    const QRect b1 = ExcelGridMetrics::cellRect(0, 1).adjusted(2, 2, -2, -2);
    QCOMPARE(image.copy(b1), image.copy(a1));
}

// A million-letter cell: the grid lays out no more than fills the cell, the
// editor and the formula field show a bounded part, and an edit keeps the
// rest of the text.
void TestMorvaneExcelView::longTextIsShownByItsVisiblePart_data()
{
    QString text;
    while (text.size() < 1'000'000)
        text += QStringLiteral("il.表 W");
    using Keys = QList<QKeyCombination>;
    const QKeyCombination undo = Qt::CTRL | Qt::Key_Z;
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("inFormulaBar");
    QTest::addColumn<Keys>("keys"); // the editor opens with all of it selected
    QTest::addColumn<QString>("expected");
    QTest::newRow("no change") << text << false << Keys() << text;
    QTest::newRow("End, typing") << text << false << Keys{Qt::Key_End, Qt::Key_Exclam} << text + "!";
    QTest::newRow("Home, typing") << text << false << Keys{Qt::Key_Home, Qt::Key_Exclam}
                                  << "!" + text;
    QTest::newRow("Home, typing, undo, End, typing")
        << text << false << Keys{Qt::Key_Home, Qt::Key_Exclam, undo, Qt::Key_End, Qt::Key_Exclam}
        << text + "!";
    QTest::newRow("Backspace at the end") << text << false << Keys{Qt::Key_End, Qt::Key_Backspace}
                                          << text.chopped(1);
    QTest::newRow("all replaced, undo") << text << false << Keys{Qt::Key_X, undo} << "x";
    QTest::newRow("Shift+End from the start replaced")
        << text << false << Keys{Qt::Key_Home, Qt::SHIFT | Qt::Key_End, Qt::Key_X} << "x";
    QTest::newRow("formula bar, End, typing") << text << true << Keys{Qt::Key_End, Qt::Key_Exclam}
                                              << text + "!";
    QTest::newRow("formula bar, all replaced")
        << text << true << Keys{Qt::CTRL | Qt::Key_A, Qt::Key_X} << "x";
}

void TestMorvaneExcelView::longTextIsShownByItsVisiblePart()
{
    QFETCH(QString, text);
    QFETCH(bool, inFormulaBar);
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QString, expected);
    // What the grid lays out for the cell is bounded, yet fills the cell.
    ExcelDocument alone;
    alone.setCell(0, 0, text);
    alone.setEvaluatedCells(alone.cells());
    const CellGridPainter painter(alone, grid()->font());
    const QRect cell = ExcelGridMetrics::cellRect(0, 0);
    QImage image(cell.size(), QImage::Format_RGB32);
    QPainter onImage(&image);
    onImage.translate(-cell.topLeft());
    painter.paint(onImage, cell, GridSelection());
    const qsizetype laidOut = painter.laidOutTextLength();
    QCOMPARE_LE(laidOut, CellTextCache::visibleLength(cell.width()));
    const QFontMetricsF metrics(painter.cellFont(CellStyle()));
    QCOMPARE_GT(metrics.horizontalAdvance(text.first(laidOut)), cell.width());

    document()->setCell(0, 0, text);
    QSignalSpy cellWrites(document(), &ExcelDocument::cellsChanged);
    m_view->selectCell(0, 0);
    LongTextLineEdit *field = toolbar()->formulaBar()->field();
    if (!inFormulaBar) {
        grid()->beginEditing(0, 0);
        field = grid()->editor();
    }
    for (QKeyCombination key : keys)
        QTest::keyClick(field, key.key(), key.keyboardModifiers());
    QCOMPARE_LE(field->text().size(), LongTextLineEdit::windowLength + 1);
    if (!inFormulaBar)
        QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(document()->cell(0, 0) == expected);
    QCOMPARE(cellWrites.isEmpty(), expected == text);
}

void TestMorvaneExcelView::formulaFieldWritesEveryEdit()
{
    document()->setCell(0, 0, QStringLiteral("1"));
    document()->setCell(1, 0, QStringLiteral("2"));
    m_view->selectCell(2, 0);
    QLineEdit *field = toolbar()->formulaBar()->field();
    QSignalSpy cellWrites(document(), &ExcelDocument::cellsChanged);
    QTest::keyClicks(field, QStringLiteral("=SUM(A1:A2)"));
    QCOMPARE(cellWrites.count(), QStringLiteral("=SUM(A1:A2)").size());
    QCOMPARE(document()->cell(2, 0), QStringLiteral("=SUM(A1:A2)"));
    QCOMPARE(field->text(), QStringLiteral("=SUM(A1:A2)"));
    QCOMPARE(field->cursorPosition(), field->text().size());
    QTRY_COMPARE(document()->evaluatedCell(2, 0), QStringLiteral("3"));
    QCOMPARE(field->text(), QStringLiteral("=SUM(A1:A2)"));
}

void TestMorvaneExcelView::formulaFieldWithoutSelectionDropsText()
{
    QLineEdit *field = toolbar()->formulaBar()->field();
    QTest::keyClicks(field, QStringLiteral("lost"));
    QCOMPARE(field->text(), QString());
    QVERIFY(!isUnsaved());
}

void TestMorvaneExcelView::formulaFieldWritesOnlyComposedText()
{
    m_view->selectCell(0, 0);
    QLineEdit *field = toolbar()->formulaBar()->field();
    field->setFocus();
    QInputMethodEvent composing(QStringLiteral("とうきょう"), {});
    QApplication::sendEvent(field, &composing);
    QCOMPARE(document()->cell(0, 0), QString());
    QVERIFY(!isUnsaved());
    commitInputMethodText(field, QStringLiteral("東京"));
    QCOMPARE(document()->cell(0, 0), QStringLiteral("東京"));
    QCOMPARE(field->text(), QStringLiteral("東京"));
}

void TestMorvaneExcelView::loadingTheSelectionWritesNothing()
{
    document()->setCell(1, 1, QStringLiteral("=SUM(A1:A2)"));
    document()->setCellStyle(QStringLiteral("B2"),
                             CellStyle{true, false, QStringLiteral("#123456"), QStringLiteral("#ABCDEF")});
    QCoreApplication::processEvents();
    markSaved();
    const CellStyleMap styles = document()->cellStyles();
    QSignalSpy cellWrites(document(), &ExcelDocument::cellsChanged);

    m_view->selectCell(1, 1);
    QCOMPARE(toolbar()->formulaBar()->text(), QStringLiteral("=SUM(A1:A2)"));
    QCOMPARE(toolbar()->textColorButton()->color(), QColor(0x12, 0x34, 0x56));
    QCOMPARE(toolbar()->backgroundColorButton()->color(), QColor(0xAB, 0xCD, 0xEF));
    QVERIFY(toolbar()->boldButton()->isChecked());
    m_view->selectCell(5, 5);
    QCOMPARE(toolbar()->textColorButton()->color(), QColor(Qt::black));
    QCOMPARE(toolbar()->backgroundColorButton()->color().alpha(), 0);
    QCOMPARE(toolbar()->formulaBar()->text(), QString());

    QCOMPARE(document()->cellStyles(), styles);
    QCOMPARE(cellWrites.count(), 0);
    QVERIFY(!isUnsaved());
}

void TestMorvaneExcelView::boldTwiceLeavesAPlainEntry()
{
    m_view->selectCell(2, 1);
    QTest::mouseClick(toolbar()->boldButton(), Qt::LeftButton);
    QVERIFY(document()->cellStyle(QStringLiteral("B3")).isBold);
    QVERIFY(toolbar()->boldButton()->isChecked());
    QTest::mouseClick(toolbar()->boldButton(), Qt::LeftButton);
    QVERIFY(document()->cellStyles().contains(QStringLiteral("B3")));
    QCOMPARE(document()->cellStyle(QStringLiteral("B3")), CellStyle());
    QVERIFY(!toolbar()->boldButton()->isChecked());
    QVERIFY(isUnsaved());
}

void TestMorvaneExcelView::styleControlsNeedASelectedCell()
{
    const auto red = [](QWidget *, const QColor &) { return QColor(Qt::red); };
    toolbar()->textColorButton()->setColorChooser(red);
    toolbar()->backgroundColorButton()->setColorChooser(red);
    QTest::mouseClick(toolbar()->boldButton(), Qt::LeftButton);
    QTest::mouseClick(toolbar()->italicButton(), Qt::LeftButton);
    QTest::mouseClick(toolbar()->textColorButton(), Qt::LeftButton);
    QTest::mouseClick(toolbar()->backgroundColorButton(), Qt::LeftButton);
    QTest::mouseClick(toolbar()->clearBackgroundButton(), Qt::LeftButton);
    QVERIFY(document()->cellStyles().isEmpty());
    QVERIFY(!toolbar()->boldButton()->isChecked());
    QVERIFY(!toolbar()->italicButton()->isChecked());
    // The pickers keep showing the colours chosen.
    QCOMPARE(toolbar()->textColorButton()->color(), QColor(Qt::red));
    QCOMPARE(toolbar()->backgroundColorButton()->color(), QColor(Qt::red));
    QVERIFY(!isUnsaved());
}

void TestMorvaneExcelView::togglesFollowTheSelectedCell()
{
    document()->setCellStyle(QStringLiteral("C3"), CellStyle{false, true, {}, {}});
    click(grid(), cellCenter(2, 2));
    QVERIFY(toolbar()->italicButton()->isChecked());
    QVERIFY(!toolbar()->boldButton()->isChecked());
    click(grid(), cellCenter(2, 3));
    QVERIFY(!toolbar()->italicButton()->isChecked());
}

void TestMorvaneExcelView::colourPicksWriteHexText_data()
{
    QTest::addColumn<QColor>("picked");
    QTest::addColumn<std::optional<QString>>("hex");
    QTest::newRow("opaque colour") << QColor(0x12, 0xab, 0xEF) << std::optional<QString>("#12ABEF");
    QTest::newRow("translucent colour keeps its RGB")
        << QColor(255, 0, 0, 128) << std::optional<QString>("#FF0000");
    QTest::newRow("clear colour removes it") << QColor(Qt::transparent) << std::optional<QString>();
}

void TestMorvaneExcelView::colourPicksWriteHexText()
{
    QFETCH(QColor, picked);
    QFETCH(std::optional<QString>, hex);
    auto chooser = [picked](QWidget *, const QColor &) { return picked; };
    toolbar()->textColorButton()->setColorChooser(chooser);
    toolbar()->backgroundColorButton()->setColorChooser(chooser);
    document()->setCellStyle(QStringLiteral("D4"),
                             CellStyle{true, false, QStringLiteral("#000001"), QStringLiteral("#000002")});
    m_view->selectCell(3, 3);
    markSaved();

    QTest::mouseClick(toolbar()->textColorButton(), Qt::LeftButton);
    QCOMPARE(document()->cellStyle(QStringLiteral("D4")).textColorHex, hex);
    QTest::mouseClick(toolbar()->backgroundColorButton(), Qt::LeftButton);
    QCOMPARE(document()->cellStyle(QStringLiteral("D4")).bgColorHex, hex);
    QVERIFY(document()->cellStyle(QStringLiteral("D4")).isBold);
    QVERIFY(isUnsaved());
}

void TestMorvaneExcelView::clearingTheFillKeepsOtherFields()
{
    document()->setCellStyle(QStringLiteral("A1"),
                             CellStyle{true, true, QStringLiteral("#111111"), QStringLiteral("#222222")});
    m_view->selectCell(0, 0);
    QTest::mouseClick(toolbar()->clearBackgroundButton(), Qt::LeftButton);
    QCOMPARE(document()->cellStyle(QStringLiteral("A1")),
             (CellStyle{true, true, QStringLiteral("#111111"), std::nullopt}));
    QCOMPARE(toolbar()->backgroundColorButton()->color().alpha(), 0);
}

// The colour dialog keeps the alpha it starts with when one of its swatches
// is clicked; a pick on a cell without fill must still give a visible fill.
void TestMorvaneExcelView::fillPickOnACellWithoutFillIsVisible()
{
    toolbar()->backgroundColorButton()->setColorChooser([](QWidget *, const QColor &initial) {
        QColor swatch(Qt::red);
        swatch.setAlpha(initial.alpha());
        return swatch;
    });
    m_view->selectCell(1, 1);
    QCOMPARE(toolbar()->backgroundColorButton()->color().alpha(), 0);
    QTest::mouseClick(toolbar()->backgroundColorButton(), Qt::LeftButton);
    QCOMPARE(document()->cellStyle(QStringLiteral("B2")).bgColorHex,
             std::optional<QString>(QStringLiteral("#FF0000")));
    QVERIFY(isUnsaved());
}

void TestMorvaneExcelView::cellMenuOperatesAtTheSelectedCell_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<QString>("textAtSelection");
    // The selection is C5; C6 holds "below", D5 holds "right".
    QTest::newRow("行を挿入") << 0 << 101 << 50 << QString();
    QTest::newRow("行を削除") << 1 << 99 << 50 << QStringLiteral("below");
    QTest::newRow("列を挿入") << 2 << 100 << 51 << QString();
    QTest::newRow("列を削除") << 3 << 100 << 49 << QStringLiteral("right");
}

void TestMorvaneExcelView::cellMenuOperatesAtTheSelectedCell()
{
    QFETCH(int, item);
    document()->setCell(5, 2, QStringLiteral("below"));
    document()->setCell(4, 3, QStringLiteral("right"));
    click(grid(), cellCenter(4, 2));
    QAction *action = toolbar()->cellMenuButton()->menu()->actions().at(item);
    action->trigger();
    QTEST(document()->rowCount(), "rows");
    QTEST(document()->columnCount(), "cols");
    QCOMPARE(m_view->selectedCell(), OptionalCell({4, 2}));
    QTEST(document()->cell(4, 2), "textAtSelection");
    QTEST(toolbar()->formulaBar()->text(), "textAtSelection");

    // Without a selection the menu does nothing.
    auto fresh = std::make_unique<MorvaneExcelView>();
    fresh->toolbar()->cellMenuButton()->menu()->actions().at(item)->trigger();
    QCOMPARE(fresh->document()->rowCount(), 100);
    QCOMPARE(fresh->document()->columnCount(), 50);
}

void TestMorvaneExcelView::shapeMenuAddsObjectsWithoutSelection()
{
    const QList<QAction *> actions = toolbar()->shapeMenuButton()->menu()->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->text(), QStringLiteral("四角形"));
    QCOMPARE(actions[1]->text(), QStringLiteral("円"));
    QCOMPARE(actions[2]->text(), QStringLiteral("テキストボックス"));
    actions[0]->trigger();
    actions[2]->trigger();
    QCOMPARE(document()->objects().size(), 2);
    QCOMPARE(document()->objects()[0].type, ExcelObjectType::Rectangle);
    QCOMPARE(document()->objects()[1].type, ExcelObjectType::TextBox);
}

void TestMorvaneExcelView::chartRangeFollowsTheSelection_data()
{
    QTest::addColumn<OptionalCell>("cell");
    QTest::addColumn<QString>("range");
    QTest::newRow("no selection") << OptionalCell() << QStringLiteral("A1:B5");
    QTest::newRow("A1") << OptionalCell({0, 0}) << QStringLiteral("A1:B4");
    QTest::newRow("B3") << OptionalCell({2, 1}) << QStringLiteral("B3:C6");
    QTest::newRow("last row") << OptionalCell({99, 0}) << QStringLiteral("A100:B100");
    QTest::newRow("last column") << OptionalCell({0, 49}) << QStringLiteral("AX1:AX4");
}

void TestMorvaneExcelView::chartRangeFollowsTheSelection()
{
    QFETCH(OptionalCell, cell);
    if (cell)
        m_view->selectCell(cell->row, cell->col);
    QTest::mouseClick(toolbar()->chartButton(), Qt::LeftButton);
    QTEST(m_view->chartRangeText(), "range");
    QVERIFY(m_view->isShowingChartDialog());
}

// After the last row goes, the selection points below the grid: nothing
// reads or writes there.
void TestMorvaneExcelView::selectionOutsideTheGridIsHarmless()
{
    document()->setCell(98, 2, QStringLiteral("kept"));
    m_view->selectCell(99, 2);
    m_view->applyRowOperation(GridLineOperation::Delete);
    QCOMPARE(document()->rowCount(), 99);
    QCOMPARE(m_view->selectedCell(), OptionalCell({99, 2}));
    QCOMPARE(m_view->formulaText(), QString());
    QCOMPARE(toolbar()->formulaBar()->text(), QString());
    const CellStyleMap styles = document()->cellStyles();

    m_view->setFormulaText(QStringLiteral("x"));
    m_view->toggleBold();
    m_view->applyBackgroundColor(Qt::red);
    m_view->clearBackgroundColor();
    m_view->applyRowOperation(GridLineOperation::Delete);
    m_view->applyColumnOperation(GridLineOperation::Insert);
    m_view->commitCell(99, 2, QStringLiteral("y"));
    m_view->selectCell(0, 0, MorvaneExcelView::SelectionMode::Extend);
    QCOMPARE(m_view->selectedRange(), OptionalRange({{0, 0, 99, 2}}));
    grid()->beginEditing(99, 2);
    QVERIFY(!grid()->isEditing());
    (void)m_view->grab();

    QCOMPARE(document()->rowCount(), 99);
    QCOMPARE(document()->columnCount(), 50);
    QCOMPARE(document()->cellStyles(), styles);
    QCOMPARE(document()->cell(98, 2), QStringLiteral("kept"));
}

void TestMorvaneExcelView::mergesOutsideTheGridAreHarmless()
{
    document()->setMergedRanges(
        {{200, 0, 201, 1}, {98, 48, 120, 60}, {-5, -5, -1, -1}, {-1, 5, 2, 6}});
    (void)m_view->grab();
    // A merge whose top-left cell left the grid selects nothing, and the
    // click edits nothing either (not the cell selected before).
    click(grid(), cellCenter(10, 10));
    click(grid(), cellCenter(1, 5));
    QCOMPARE(m_view->selectedCell(), OptionalCell({10, 10}));
    QVERIFY(!grid()->isEditing());

    grid()->scrollToContent(QPoint(100000, 100000));
    (void)m_view->grab();
    click(grid(), cellCenter(99, 49));
    QCOMPARE(m_view->selectedCell(), OptionalCell({98, 48}));
    QVERIFY(grid()->isEditing());
    (void)m_view->grab();
}

void TestMorvaneExcelView::selectionTintsAndHidesTheFill()
{
    document()->setCellStyle(QStringLiteral("B2"),
                             CellStyle{false, false, std::nullopt, QStringLiteral("#FF0000")});
    QWidget *viewport = grid()->viewport();
    const QPoint b2 = ExcelGridMetrics::cellRect(1, 1).topLeft() + QPoint(90, 12);
    const QPoint c3 = ExcelGridMetrics::cellRect(2, 2).topLeft() + QPoint(90, 12);
    QCOMPARE(pixelAt(viewport, b2), QColor(Qt::red));

    m_view->selectCell(1, 1);
    QCOMPARE(pixelAt(viewport, b2), ExcelGridMetrics::accentTint(0.1));
    m_view->selectCell(2, 2, MorvaneExcelView::SelectionMode::Extend);
    QCOMPARE(pixelAt(viewport, b2), ExcelGridMetrics::accentTint(0.08));
    QCOMPARE(pixelAt(viewport, c3), ExcelGridMetrics::accentTint(0.08));
    m_view->selectCell(5, 5);
    QCOMPARE(pixelAt(viewport, b2), QColor(Qt::red));
    QCOMPARE(pixelAt(viewport, c3), QColor(Qt::white));
}

void TestMorvaneExcelView::mergedRangeIsDrawnAsOneCell()
{
    document()->setCellStyle(QStringLiteral("B2"),
                             CellStyle{false, false, std::nullopt, QStringLiteral("#00FF00")});
    document()->mergeCells(1, 1, 2, 2);
    const QRect merged = ExcelGridMetrics::rangeRect({1, 1, 2, 2});
    QCOMPARE(merged, QRect(140, 48, 200, 48));
    const QImage image = grid()->viewport()->grab().toImage();
    // No grid line crosses the merged rectangle: its inside is one fill.
    const QPoint insideLines[] = {QPoint(239, 60), QPoint(200, 71), QPoint(239, 71)};
    for (QPoint point : insideLines)
        QCOMPARE(image.pixelColor(point), QColor(Qt::green));
    QCOMPARE(image.pixelColor(QPoint(339, 60)), ExcelGridMetrics::gridLineColor());
}

void TestMorvaneExcelView::objectLayerScrollsWithTheCells()
{
    auto *layer = new QWidget;
    grid()->setObjectLayer(layer);
    QCOMPARE(layer->parentWidget(), grid()->viewport());
    QCOMPARE(layer->geometry(), QRect(QPoint(0, 0), ExcelGridMetrics::contentSize(100, 50)));
    grid()->scrollToContent(QPoint(500, 240));
    QCOMPARE(layer->pos(), QPoint(-500, -240));
    document()->insertRow(0);
    QCOMPARE(layer->size(), ExcelGridMetrics::contentSize(101, 50));
}

// Selection changes and scrolling repaint only what changes; what the
// window then shows is what a full paint draws.
void TestMorvaneExcelView::partialRepaintsMatchAFullPaint_data()
{
    QTest::addColumn<ViewAction>("before");
    QTest::addColumn<ViewAction>("action");
    QTest::addColumn<int>("maxPaintedPercent"); // of the viewport's area

    const ViewAction nothing = [](MorvaneExcelView *) {};
    QTest::newRow("selection moves")
        << ViewAction([](MorvaneExcelView *v) { v->selectCell(1, 1); })
        << ViewAction([](MorvaneExcelView *v) { v->selectCell(3, 3); }) << 2;
    QTest::newRow("range replaced by a cell")
        << ViewAction([](MorvaneExcelView *v) {
               v->selectCell(1, 1);
               v->selectCell(6, 4, MorvaneExcelView::SelectionMode::Extend);
           })
        << ViewAction([](MorvaneExcelView *v) { v->selectCell(2, 2); }) << 10;
    QTest::newRow("range over part of a merge")
        << ViewAction([](MorvaneExcelView *v) {
               v->document()->setCellStyle(QStringLiteral("B2"),
                                           CellStyle{false, false, {}, QStringLiteral("#FF0000")});
               v->document()->mergeCells(1, 1, 4, 2);
               v->selectCell(0, 0);
           })
        << ViewAction([](MorvaneExcelView *v) {
               v->selectCell(2, 2, MorvaneExcelView::SelectionMode::Extend);
           })
        << 5;
    QTest::newRow("scroll down a row")
        << nothing << ViewAction([](MorvaneExcelView *v) { v->grid()->scrollToContent({0, 24}); })
        << 5;
    QTest::newRow("distant cells")
        << ViewAction([](MorvaneExcelView *v) { v->selectCell(0, 0); })
        << ViewAction([](MorvaneExcelView *v) { v->selectCell(20, 9); }) << 2;
    QTest::newRow("translucent fills scrolled diagonally")
        << ViewAction([](MorvaneExcelView *v) {
               for (int row = 0; row < 30; ++row)
                   v->document()->setCellStyle(CellReference::text(row, row % 10),
                                               CellStyle{false, false, {}, QStringLiteral("#80FF0000")});
               v->grid()->scrollToContent({150, 60});
           })
        << ViewAction([](MorvaneExcelView *v) { v->grid()->scrollToContent({90, 30}); }) << 20;
    QTest::newRow("floating objects scrolled")
        << ViewAction([](MorvaneExcelView *v) {
               v->insertObject(ExcelObjectType::Rectangle);
               v->insertObject(ExcelObjectType::TextBox);
               v->grid()->scrollToContent({120, 48});
           })
        << ViewAction([](MorvaneExcelView *v) { v->grid()->scrollToContent({60, 24}); }) << 20;
    QTest::newRow("scroll back both ways")
        << ViewAction([](MorvaneExcelView *v) {
               v->selectCell(5, 3);
               v->grid()->scrollToContent({230, 100});
           })
        << ViewAction([](MorvaneExcelView *v) { v->grid()->scrollToContent({130, 52}); })
        << 20;
}

void TestMorvaneExcelView::partialRepaintsMatchAFullPaint()
{
    QFETCH(ViewAction, before);
    QFETCH(ViewAction, action);
    QFETCH(int, maxPaintedPercent);
    for (int row = 0; row < 30; ++row)
        document()->setCell(row, row % 8, QStringLiteral("text %1").arg(row));
    before(m_view.get());
    QWidget *viewport = grid()->viewport();
    (void)shownOnScreen(viewport);

    PaintRecorder recorder(viewport);
    action(m_view.get());
    const QImage shown = shownOnScreen(viewport);
    qint64 painted = 0;
    for (const QRect &rect : recorder.painted)
        painted += qint64(rect.width()) * rect.height();
    const qint64 percent = 100 * painted / (qint64(viewport->width()) * viewport->height());
    QVERIFY(painted > 0);
    QVERIFY2(percent <= maxPaintedPercent, qPrintable(QStringLiteral("painted %1%").arg(percent)));
    QCOMPARE(shown, viewport->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(TestMorvaneExcelView)
#include "tst_morvaneexcelview.moc"
