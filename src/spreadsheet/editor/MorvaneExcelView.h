#pragma once

#include "spreadsheet/engine/document/ExcelFileFormat.h"
#include "ExcelToolbar.h"
#include "GridSelection.h"
#include "platform/widgets/FolderChooser.h"

#include <QColor>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

struct CellStyle;
class QLabel;
class CellGridView;
class ExcelChartView;
class ExcelDocument;
class FloatingObjectLayer;
class MergePopover;
class OpenWorkbookDialog;
class RenameSheetDialog;
class SaveWorkbookDialog;
class SheetTabBar;
class VbaMacroDialog;
class VbaMessageOverlay;

// The spreadsheet screen: toolbar with the formula bar, the grid and the
// sheet tab bar, with the save, open and rename dialog cards over them. It
// owns one ExcelDocument and every piece of transient editor state
// (selection, dialog state, file name, folder and format, chart range,
// picker colours); the views show that state and report the user's actions
// here, and the document changes only through its own operations.
//
// Rows and columns are zero-based. A selection may point outside the grid
// after rows, columns or sheets change; every read and write by position is
// bounds-checked and does nothing there. Loading the selected cell into the
// toolbar never writes anything back: only a user's edit or pick writes a
// cell or a style, and only then is the work marked unsaved. A cell edit
// still open when the window is asked to close is committed first, so the
// quit prompt sees it.
class MorvaneExcelView : public QWidget
{
    Q_OBJECT
public:
    enum class SelectionMode { Replace, Extend };

    explicit MorvaneExcelView(QWidget *parent = nullptr);
    ~MorvaneExcelView() override;

    ExcelDocument *document() const { return m_document; }

    // ---- selection ----
    std::optional<CellAddress> selectedCell() const { return m_selection.cell; }
    std::optional<ExcelRange> selectedRange() const { return m_selection.range; }
    std::optional<CellAddress> dragStartCell() const { return m_dragStartCell; }
    int mergeRows() const { return m_mergeRows; }
    int mergeCols() const { return m_mergeCols; }
    // Extend with a selected cell spans the rectangle from it to (row, col)
    // and keeps it as the anchor; otherwise (row, col) becomes the selected
    // cell and the range goes. Outside the grid nothing happens.
    void selectCell(int row, int col, SelectionMode mode = SelectionMode::Replace);
    // One move of a drag at a content point (headers map to row or column 0);
    // the first accepted move anchors the drag. Points outside the grid are
    // ignored.
    void dragSelect(QPointF contentPosition, SelectionMode mode = SelectionMode::Replace);
    void endDrag();
    // Writes a cell's raw text; outside the grid nothing is written.
    void commitCell(int row, int col, const QString &text);

    // ---- toolbar ----
    // "B3" for the selected cell (2, 1), nullopt without a selection.
    std::optional<QString> selectedCellKey() const;
    // The selected cell and the next column, four rows ("B3:C6"), cut at the
    // grid's edge; "A1:B5" without a selection.
    QString defaultChartRange() const;
    void toggleBold();
    void toggleItalic();
    // A user's colour pick; a fully transparent colour removes the colour.
    void applyTextColor(const QColor &color);
    void applyBackgroundColor(const QColor &color);
    void clearBackgroundColor();
    // The selected cell's raw text ("" without one or outside the grid);
    // setting it writes the cell, and is dropped without a cell.
    QString formulaText() const;
    void setFormulaText(const QString &text);
    // Loads the picker colours from the selected cell's style; writes nothing.
    void syncStyleColors();
    QColor cellTextColor() const { return m_cellTextColor; }
    QColor cellBgColor() const { return m_cellBgColor; }
    void applyRowOperation(GridLineOperation operation);
    void applyColumnOperation(GridLineOperation operation);
    void insertObject(ExcelObjectType type);
    QString chartRangeText() const { return m_chartRangeText; }

    // The chart popover over the screen (with defaultChartRange()), the merge
    // popover under the toolbar's merge button (with the selection and the
    // merge size), the macro dialog card (loaded from the document).
    void showChartDialog();
    void showMergePopover();
    void showMacroDialog();

    // ---- sheets ----
    void addSheet();
    void beginRenameSheet(int index);
    // Renames the sheet at the rename target; false (nothing changes, the
    // card shows why on its error line) when the document refuses the name.
    bool commitRenameSheet(const QString &name);
    QString renameSheetText() const { return m_renameSheetText; }
    int renameSheetTargetIndex() const { return m_renameSheetTargetIndex; }

    // ---- files ----
    void showOpenDialog();
    void showSaveDialog();
    // Lists the folder's openable files in the open card; a folder that
    // cannot be listed prints why and shows it on the card's error line.
    void refreshOpenFiles();
    // Saves in fileFormat() to selectedSaveLocation()/fileName().<ext>; on
    // failure prints "Save error: " and the reason, shows the same line on
    // the save card's error line, keeps the card and the unsaved state, and
    // returns false.
    bool saveWorkbook();
    // Reads the file first and changes the document only when that read
    // succeeded; on failure prints "Open error: " and the reason, shows the
    // same line on the open card's error line, and leaves the document, the
    // unsaved state and the card as they were.
    bool openWorkbook(const QString &path);
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &name);
    QString selectedSaveLocation() const { return m_selectedSaveLocation; }
    void setSelectedSaveLocation(const QString &folder);
    ExcelFileFormat fileFormat() const { return m_fileFormat; }
    void setFileFormat(ExcelFileFormat format);
    QStringList openFiles() const { return m_openFiles; }
    // Asks for a folder for both dialogs; replaceable so tests never block.
    void setFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }
    // Runs the folder chooser; true when the user chose a folder.
    bool chooseSaveLocation();

    bool isShowingSaveDialog() const;
    bool isShowingOpenDialog() const;
    bool isShowingRenameSheetDialog() const;
    bool isShowingChartDialog() const;
    bool isShowingMergePopover() const;
    bool isShowingVbaDialog() const;
    bool isShowingVbaAlert() const;

    // ---- views ----
    ExcelToolbar *toolbar() const { return m_toolbar; }
    CellGridView *grid() const { return m_grid; }
    SheetTabBar *sheetTabBar() const { return m_sheetTabBar; }
    SaveWorkbookDialog *saveDialog() const { return m_saveDialog; }
    OpenWorkbookDialog *openDialog() const { return m_openDialog; }
    RenameSheetDialog *renameDialog() const { return m_renameDialog; }
    FloatingObjectLayer *objectLayer() const { return m_objectLayer; }
    VbaMacroDialog *macroDialog() const { return m_macroDialog; }
    VbaMessageOverlay *macroMessageOverlay() const { return m_macroMessageOverlay; }
    MergePopover *mergePopover() const { return m_mergePopover; }
    ExcelChartView *chartView() const { return m_chartView; }
    // The line above the sheet tabs that says when some formulas were not
    // computed (the recalculation ran out of the cells it may read); hidden
    // otherwise.
    QLabel *calculationNotice() const { return m_calculationNotice; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchWindowClose();
    QWidget *createToolbarArea();
    QWidget *createCalculationNotice();
    QWidget *createTabBarArea();
    void createDialogs();
    void connectToolbar();
    void connectGrid();
    void connectSheetTabs();
    void connectDocument();

    std::optional<CellAddress> selectedCellInGrid() const;
    QString renameRefusal(const QString &name) const;
    void writeSelectedStyle(const std::function<void(CellStyle &)> &change);
    void selectionChanged();
    void refreshToolbar();
    void refreshSheetTabs();
    void refreshCalculationNotice();

    ExcelDocument *m_document;
    GridSelection m_selection;
    std::optional<CellAddress> m_dragStartCell;
    int m_mergeRows = 2;
    int m_mergeCols = 2;
    QString m_renameSheetText;
    int m_renameSheetTargetIndex = 0;
    QString m_fileName = QStringLiteral("MorvaneBook");
    QString m_selectedSaveLocation;
    QStringList m_openFiles;
    ExcelFileFormat m_fileFormat = ExcelFileFormat::Xlsx;
    QString m_chartRangeText = QStringLiteral("A1:B5");
    QColor m_cellTextColor = Qt::black;
    QColor m_cellBgColor = Qt::transparent;
    FolderChooser m_folderChooser;
    QPointer<QWidget> m_watchedWindow;

    ExcelToolbar *m_toolbar = nullptr;
    CellGridView *m_grid = nullptr;
    SheetTabBar *m_sheetTabBar = nullptr;
    QLabel *m_calculationNotice = nullptr;
    SaveWorkbookDialog *m_saveDialog = nullptr;
    OpenWorkbookDialog *m_openDialog = nullptr;
    RenameSheetDialog *m_renameDialog = nullptr;
    FloatingObjectLayer *m_objectLayer = nullptr;
    VbaMacroDialog *m_macroDialog = nullptr;
    VbaMessageOverlay *m_macroMessageOverlay = nullptr;
    MergePopover *m_mergePopover = nullptr;
    ExcelChartView *m_chartView = nullptr;
};
