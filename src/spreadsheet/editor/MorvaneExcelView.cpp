#include "MorvaneExcelView.h"

#include "CellGridView.h"
#include "ExcelChartView.h"
#include "ExcelGridMetrics.h"
#include "FloatingObjectLayer.h"
#include "platform/widgets/HorizontalScrollArea.h"
#include "MergePopover.h"
#include "OpenWorkbookDialog.h"
#include "RenameSheetDialog.h"
#include "SaveWorkbookDialog.h"
#include "SheetTabBar.h"
#include "VbaMacroDialog.h"
#include "VbaMessageOverlay.h"
#include "spreadsheet/engine/document/WorkbookFiles.h"
#include "FormulaBar.h"
#include "platform/AppState.h"
#include "platform/ConsoleLog.h"
#include "platform/UserFolders.h"
#include "platform/widgets/ColorHex.h"
#include "platform/widgets/LightPalette.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QWidget *horizontalDivider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, QColor(0xD8, 0xD8, 0xD8));
    line->setPalette(palette);
    return line;
}

QWidget *filledArea(QWidget *parent, const QColor &fill)
{
    auto *area = new QWidget(parent);
    area->setAutoFillBackground(true);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Window, fill);
    area->setPalette(palette);
    return area;
}

ExcelRange spanning(CellAddress a, CellAddress b)
{
    return {std::min(a.row, b.row), std::min(a.col, b.col), std::max(a.row, b.row),
            std::max(a.col, b.col)};
}

// Colour text of a user's pick; a fully transparent pick means no colour.
std::optional<QString> colorText(const QColor &color)
{
    if (!color.isValid() || color.alpha() == 0)
        return std::nullopt;
    return ColorHex::toHex(color);
}

} // namespace

MorvaneExcelView::MorvaneExcelView(QWidget *parent)
    : QWidget(parent)
    , m_document(new ExcelDocument(this))
    , m_selectedSaveLocation(UserFolders::desktopOrHome())
    , m_folderChooser(systemFolderChooser())
{
    setPalette(lightPalette());
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createToolbarArea());
    layout->addWidget(horizontalDivider(this));
    m_grid = new CellGridView(m_document, this);
    m_objectLayer = new FloatingObjectLayer(m_document);
    m_grid->setObjectLayer(m_objectLayer);
    layout->addWidget(m_grid, 1);
    layout->addWidget(createCalculationNotice());
    layout->addWidget(createTabBarArea());
    createDialogs();

    connectToolbar();
    connectGrid();
    connectSheetTabs();
    connectDocument();
    refreshSheetTabs();
    refreshToolbar();
    watchWindowClose();
}

MorvaneExcelView::~MorvaneExcelView() = default;

void MorvaneExcelView::watchWindowClose()
{
    QWidget *current = window();
    if (current == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = current;
    current->installEventFilter(this);
}

bool MorvaneExcelView::event(QEvent *event)
{
    // A container holding the screen may join a window after the screen
    // joined the container: the window is known for sure once shown.
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)
        watchWindowClose();
    return QWidget::event(event);
}

bool MorvaneExcelView::eventFilter(QObject *watched, QEvent *event)
{
    // Seen before the window's own close handling asks about unsaved work.
    if (watched == m_watchedWindow && event->type() == QEvent::Close)
        m_grid->finishEditing();
    return QWidget::eventFilter(watched, event);
}

QWidget *MorvaneExcelView::createToolbarArea()
{
    QWidget *area = filledArea(this, Qt::white);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 8, 0, 8);
    auto *scroll = new HorizontalScrollArea(area);
    m_toolbar = new ExcelToolbar;
    scroll->setWidget(m_toolbar);
    layout->addWidget(scroll);
    return area;
}

QWidget *MorvaneExcelView::createCalculationNotice()
{
    m_calculationNotice = new QLabel(
        QStringLiteral("一部の数式は計算量の上限を超えたため計算していません。ファイルに保存されていた値、"
                       "または #VALUE! を表示しています。"),
        this);
    m_calculationNotice->setWordWrap(true);
    m_calculationNotice->setContentsMargins(12, 4, 12, 4);
    m_calculationNotice->setAutoFillBackground(true);
    QPalette palette = m_calculationNotice->palette();
    palette.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xCE));
    palette.setColor(QPalette::WindowText, QColor(0x60, 0x40, 0x00));
    m_calculationNotice->setPalette(palette);
    m_calculationNotice->hide();
    return m_calculationNotice;
}

void MorvaneExcelView::refreshCalculationNotice()
{
    m_calculationNotice->setVisible(m_document->someFormulasNotComputed());
}

QWidget *MorvaneExcelView::createTabBarArea()
{
    m_sheetTabBar = new SheetTabBar(this);
    m_sheetTabBar->setAutoFillBackground(true);
    QPalette palette = m_sheetTabBar->palette();
    palette.setColor(QPalette::Window, QColor(0xEC, 0xEC, 0xEC));
    m_sheetTabBar->setPalette(palette);
    return m_sheetTabBar;
}

void MorvaneExcelView::createDialogs()
{
    // Later cards lie above earlier ones; the macro message above them all.
    m_saveDialog = new SaveWorkbookDialog(this);
    m_openDialog = new OpenWorkbookDialog(this);
    m_macroDialog = new VbaMacroDialog(m_document, this);
    m_renameDialog = new RenameSheetDialog(this);
    m_macroMessageOverlay = new VbaMessageOverlay(this);
    m_mergePopover = new MergePopover(m_document, this);
    m_chartView = new ExcelChartView(m_document, this);

    connect(m_saveDialog, &SaveWorkbookDialog::fileNameEdited, this,
            [this](const QString &name) { m_fileName = name; });
    connect(m_saveDialog, &SaveWorkbookDialog::formatChosen, this,
            [this] { m_fileFormat = m_saveDialog->format(); });
    connect(m_saveDialog, &SaveWorkbookDialog::chooseFolderRequested, this,
            &MorvaneExcelView::chooseSaveLocation);
    connect(m_saveDialog, &SaveWorkbookDialog::saveRequested, this,
            &MorvaneExcelView::saveWorkbook);

    connect(m_openDialog, &OpenWorkbookDialog::chooseFolderRequested, this, [this] {
        if (chooseSaveLocation())
            refreshOpenFiles();
    });
    connect(m_openDialog, &OpenWorkbookDialog::openRequested, this,
            &MorvaneExcelView::openWorkbook);

    connect(m_renameDialog, &RenameSheetDialog::textEdited, this,
            [this](const QString &text) { m_renameSheetText = text; });
    connect(m_renameDialog, &RenameSheetDialog::renameRequested, this,
            &MorvaneExcelView::commitRenameSheet);

    connect(m_macroDialog, &VbaMacroDialog::messageReceived, m_macroMessageOverlay,
            &VbaMessageOverlay::showMessage);
    connect(m_mergePopover, &MergePopover::mergeSizeChanged, this, [this](int rows, int cols) {
        m_mergeRows = rows;
        m_mergeCols = cols;
    });
    connect(m_chartView, &ExcelChartView::rangeTextChanged, this,
            [this](const QString &text) { m_chartRangeText = text; });
}

void MorvaneExcelView::connectToolbar()
{
    connect(m_toolbar, &ExcelToolbar::openRequested, this, &MorvaneExcelView::showOpenDialog);
    connect(m_toolbar, &ExcelToolbar::saveRequested, this, &MorvaneExcelView::showSaveDialog);
    connect(m_toolbar, &ExcelToolbar::chartRequested, this, &MorvaneExcelView::showChartDialog);
    connect(m_toolbar, &ExcelToolbar::mergeRequested, this, &MorvaneExcelView::showMergePopover);
    connect(m_toolbar, &ExcelToolbar::macroRequested, this, &MorvaneExcelView::showMacroDialog);
    connect(m_toolbar, &ExcelToolbar::rowOperationRequested, this,
            &MorvaneExcelView::applyRowOperation);
    connect(m_toolbar, &ExcelToolbar::columnOperationRequested, this,
            &MorvaneExcelView::applyColumnOperation);
    connect(m_toolbar, &ExcelToolbar::boldToggled, this, &MorvaneExcelView::toggleBold);
    connect(m_toolbar, &ExcelToolbar::italicToggled, this, &MorvaneExcelView::toggleItalic);
    connect(m_toolbar, &ExcelToolbar::textColorPicked, this, &MorvaneExcelView::applyTextColor);
    connect(m_toolbar, &ExcelToolbar::backgroundColorPicked, this,
            &MorvaneExcelView::applyBackgroundColor);
    connect(m_toolbar, &ExcelToolbar::backgroundCleared, this,
            &MorvaneExcelView::clearBackgroundColor);
    connect(m_toolbar, &ExcelToolbar::objectInsertRequested, this,
            &MorvaneExcelView::insertObject);
    connect(m_toolbar, &ExcelToolbar::formulaEdited, this, &MorvaneExcelView::setFormulaText);
}

void MorvaneExcelView::connectGrid()
{
    connect(m_grid, &CellGridView::editingMoved, this, [this](int row, int col) { selectCell(row, col); });
    connect(m_grid, &CellGridView::cellPressed, this,
            [this](int row, int col, Qt::KeyboardModifiers modifiers) {
                selectCell(row, col,
                           modifiers & Qt::ShiftModifier ? SelectionMode::Extend
                                                         : SelectionMode::Replace);
            });
    connect(m_grid, &CellGridView::dragMoved, this,
            [this](QPointF position, Qt::KeyboardModifiers modifiers) {
                dragSelect(position, modifiers & Qt::ShiftModifier ? SelectionMode::Extend
                                                                   : SelectionMode::Replace);
            });
    connect(m_grid, &CellGridView::dragFinished, this, &MorvaneExcelView::endDrag);
    connect(m_grid, &CellGridView::cellCommitted, this, &MorvaneExcelView::commitCell);
}

void MorvaneExcelView::connectSheetTabs()
{
    connect(m_sheetTabBar, &SheetTabBar::tabClicked, this, [this](int index) {
        m_grid->finishEditing();
        m_document->switchToSheet(index);
    });
    connect(m_sheetTabBar, &SheetTabBar::closeClicked, this, [this](int index) {
        m_grid->finishEditing();
        m_document->deleteSheet(index);
    });
    connect(m_sheetTabBar, &SheetTabBar::renameRequested, this,
            &MorvaneExcelView::beginRenameSheet);
    connect(m_sheetTabBar, &SheetTabBar::addClicked, this, &MorvaneExcelView::addSheet);
}

void MorvaneExcelView::connectDocument()
{
    connect(m_document, &ExcelDocument::sheetsChanged, this, &MorvaneExcelView::refreshSheetTabs);
    connect(m_document, &ExcelDocument::activeSheetIndexChanged, this,
            &MorvaneExcelView::refreshSheetTabs);
    connect(m_document, &ExcelDocument::cellsChanged, this, &MorvaneExcelView::refreshToolbar);
    connect(m_document, &ExcelDocument::cellStylesChanged, this,
            &MorvaneExcelView::refreshToolbar);
    connect(m_document, &ExcelDocument::evaluatedCellsChanged, this,
            &MorvaneExcelView::refreshCalculationNotice);
}

// ---- selection ----

std::optional<CellAddress> MorvaneExcelView::selectedCellInGrid() const
{
    const std::optional<CellAddress> cell = m_selection.cell;
    if (!cell || cell->row < 0 || cell->col < 0 || cell->row >= m_document->rowCount()
        || cell->col >= m_document->columnCount())
        return std::nullopt;
    return cell;
}

void MorvaneExcelView::selectCell(int row, int col, SelectionMode mode)
{
    if (row < 0 || col < 0 || row >= m_document->rowCount() || col >= m_document->columnCount())
        return;
    if (mode == SelectionMode::Extend && m_selection.cell) {
        m_selection.range = spanning(*m_selection.cell, {row, col});
        m_mergeRows = m_selection.range->endRow - m_selection.range->startRow + 1;
        m_mergeCols = m_selection.range->endCol - m_selection.range->startCol + 1;
    } else {
        m_selection.cell = CellAddress{row, col};
        m_selection.range.reset();
        m_mergeRows = 2;
        m_mergeCols = 2;
    }
    syncStyleColors();
    selectionChanged();
}

void MorvaneExcelView::dragSelect(QPointF contentPosition, SelectionMode mode)
{
    const auto cell = ExcelGridMetrics::dragCellAt(contentPosition, m_document->rowCount(),
                                                   m_document->columnCount());
    if (!cell)
        return;
    if (!m_dragStartCell) {
        m_dragStartCell = cell;
        selectCell(cell->row, cell->col, mode);
    }
    m_selection.range = spanning(*m_dragStartCell, *cell);
    m_mergeRows = m_selection.range->endRow - m_selection.range->startRow + 1;
    m_mergeCols = m_selection.range->endCol - m_selection.range->startCol + 1;
    selectionChanged();
}

void MorvaneExcelView::endDrag()
{
    m_dragStartCell.reset();
}

void MorvaneExcelView::selectionChanged()
{
    m_grid->setSelection(m_selection);
    refreshToolbar();
}

void MorvaneExcelView::commitCell(int row, int col, const QString &text)
{
    if (row < 0 || col < 0 || row >= m_document->rowCount() || col >= m_document->columnCount())
        return;
    m_document->setCell(row, col, text);
}

// ---- toolbar ----

std::optional<QString> MorvaneExcelView::selectedCellKey() const
{
    if (!m_selection.cell || m_selection.cell->row < 0 || m_selection.cell->col < 0)
        return std::nullopt;
    return CellReference::text(m_selection.cell->row, m_selection.cell->col);
}

QString MorvaneExcelView::defaultChartRange() const
{
    if (!m_selection.cell)
        return QStringLiteral("A1:B5");
    const int row = m_selection.cell->row;
    const int col = m_selection.cell->col;
    const int lastCol = m_document->columnCount() - 1;
    return CellReference::columnName(col) + QString::number(row + 1) + QLatin1Char(':')
           + CellReference::columnName(std::min(col + 1, lastCol))
           + QString::number(std::min(row + 4, m_document->rowCount()));
}

void MorvaneExcelView::writeSelectedStyle(const std::function<void(CellStyle &)> &change)
{
    const auto cell = selectedCellInGrid();
    if (!cell)
        return;
    const QString key = CellReference::text(cell->row, cell->col);
    CellStyle style = m_document->cellStyle(key);
    change(style);
    m_document->setCellStyle(key, style);
}

void MorvaneExcelView::toggleBold()
{
    writeSelectedStyle([](CellStyle &style) { style.isBold = !style.isBold; });
    refreshToolbar();
}

void MorvaneExcelView::toggleItalic()
{
    writeSelectedStyle([](CellStyle &style) { style.isItalic = !style.isItalic; });
    refreshToolbar();
}

void MorvaneExcelView::applyTextColor(const QColor &color)
{
    m_cellTextColor = color;
    m_toolbar->setTextColor(color);
    writeSelectedStyle([&color](CellStyle &style) { style.textColorHex = colorText(color); });
}

void MorvaneExcelView::applyBackgroundColor(const QColor &color)
{
    m_cellBgColor = color;
    m_toolbar->setBackgroundColor(color);
    writeSelectedStyle([&color](CellStyle &style) { style.bgColorHex = colorText(color); });
}

void MorvaneExcelView::clearBackgroundColor()
{
    // Without a selected cell the button changes nothing, the picker included.
    if (!m_selection.cell)
        return;
    writeSelectedStyle([](CellStyle &style) { style.bgColorHex.reset(); });
    m_cellBgColor = Qt::transparent;
    m_toolbar->setBackgroundColor(m_cellBgColor);
}

QString MorvaneExcelView::formulaText() const
{
    const auto cell = selectedCellInGrid();
    return cell ? m_document->cell(cell->row, cell->col) : QString();
}

void MorvaneExcelView::setFormulaText(const QString &text)
{
    if (const auto cell = selectedCellInGrid())
        m_document->setCell(cell->row, cell->col, text);
    else
        m_toolbar->formulaBar()->setText(QString());
}

void MorvaneExcelView::syncStyleColors()
{
    if (!m_selection.cell)
        return;
    const auto cell = selectedCellInGrid();
    const CellStyle style =
        cell ? m_document->cellStyle(CellReference::text(cell->row, cell->col)) : CellStyle();
    m_cellTextColor =
        style.textColorHex ? ColorHex::colorFromHex(*style.textColorHex) : QColor(Qt::black);
    m_cellBgColor =
        style.bgColorHex ? ColorHex::colorFromHex(*style.bgColorHex) : QColor(Qt::transparent);
    m_toolbar->setTextColor(m_cellTextColor);
    m_toolbar->setBackgroundColor(m_cellBgColor);
}

void MorvaneExcelView::refreshToolbar()
{
    const auto cell = selectedCellInGrid();
    const CellStyle style =
        cell ? m_document->cellStyle(CellReference::text(cell->row, cell->col)) : CellStyle();
    m_toolbar->setBoldActive(style.isBold);
    m_toolbar->setItalicActive(style.isItalic);
    m_toolbar->formulaBar()->setText(formulaText());
}

void MorvaneExcelView::applyRowOperation(GridLineOperation operation)
{
    if (const auto cell = selectedCellInGrid()) {
        m_grid->finishEditing();
        if (operation == GridLineOperation::Insert)
            m_document->insertRow(cell->row);
        else
            m_document->deleteRow(cell->row);
    }
}

void MorvaneExcelView::applyColumnOperation(GridLineOperation operation)
{
    if (const auto cell = selectedCellInGrid()) {
        m_grid->finishEditing();
        if (operation == GridLineOperation::Insert)
            m_document->insertColumn(cell->col);
        else
            m_document->deleteColumn(cell->col);
    }
}

void MorvaneExcelView::insertObject(ExcelObjectType type)
{
    m_document->addObject(type);
}

void MorvaneExcelView::showChartDialog()
{
    m_chartRangeText = defaultChartRange();
    m_chartView->popup(this, m_chartRangeText);
}

void MorvaneExcelView::showMergePopover()
{
    m_mergePopover->setSelection(m_selection.cell, m_selection.range);
    m_mergePopover->setMergeSize(m_mergeRows, m_mergeCols);
    m_mergePopover->popup(m_toolbar->mergeButton());
}

void MorvaneExcelView::showMacroDialog()
{
    m_macroDialog->present();
}

// ---- sheets ----

void MorvaneExcelView::refreshSheetTabs()
{
    QStringList names;
    for (const ExcelSheet &sheet : m_document->sheets())
        names.append(sheet.name);
    m_sheetTabBar->setSheets(names, m_document->activeSheetIndex());
}

void MorvaneExcelView::addSheet()
{
    m_grid->finishEditing();
    m_document->addSheet(QStringLiteral("Sheet%1").arg(m_document->sheets().size() + 1));
}

void MorvaneExcelView::beginRenameSheet(int index)
{
    if (index < 0 || index >= m_document->sheets().size())
        return;
    m_renameSheetTargetIndex = index;
    m_renameSheetText = m_document->sheets()[index].name;
    m_renameDialog->setText(m_renameSheetText);
    m_renameDialog->open();
}

bool MorvaneExcelView::commitRenameSheet(const QString &name)
{
    if (!m_document->renameSheet(m_renameSheetTargetIndex, name)) {
        m_renameDialog->showError(renameRefusal(name));
        return false;
    }
    m_renameDialog->close();
    return true;
}

QString MorvaneExcelView::renameRefusal(const QString &name) const
{
    if (m_renameSheetTargetIndex < 0 || m_renameSheetTargetIndex >= m_document->sheets().size())
        return QStringLiteral("シートが見つかりません。");
    return m_document->sheetNameProblem(name, m_renameSheetTargetIndex);
}

bool MorvaneExcelView::isShowingRenameSheetDialog() const
{
    return m_renameDialog->isOpen();
}

// ---- dialog state ----

bool MorvaneExcelView::isShowingChartDialog() const
{
    return m_chartView->isVisible();
}

bool MorvaneExcelView::isShowingMergePopover() const
{
    return m_mergePopover->isVisible();
}

bool MorvaneExcelView::isShowingVbaDialog() const
{
    return m_macroDialog->isOpen();
}

bool MorvaneExcelView::isShowingVbaAlert() const
{
    return m_macroMessageOverlay->isOpen();
}

bool MorvaneExcelView::isShowingSaveDialog() const
{
    return m_saveDialog->isOpen();
}

bool MorvaneExcelView::isShowingOpenDialog() const
{
    return m_openDialog->isOpen();
}

// ---- files ----

void MorvaneExcelView::showOpenDialog()
{
    m_grid->finishEditing();
    m_openDialog->setLocation(m_selectedSaveLocation);
    m_openDialog->open();
    refreshOpenFiles();
}

void MorvaneExcelView::showSaveDialog()
{
    m_grid->finishEditing();
    m_saveDialog->setFileName(m_fileName);
    m_saveDialog->setFormat(m_fileFormat);
    m_saveDialog->setLocation(m_selectedSaveLocation);
    m_saveDialog->open();
    m_saveDialog->fileNameField()->setFocus(Qt::OtherFocusReason);
    m_saveDialog->fileNameField()->selectAll();
}

void MorvaneExcelView::refreshOpenFiles()
{
    QString error;
    m_openFiles = WorkbookFiles::openableFiles(m_selectedSaveLocation, &error);
    if (!error.isEmpty())
        printLine(error);
    m_openDialog->showError(error);
    m_openDialog->setFiles(m_openFiles);
}

bool MorvaneExcelView::chooseSaveLocation()
{
    const QString folder = m_folderChooser ? m_folderChooser(this, m_selectedSaveLocation) : QString();
    if (folder.isEmpty())
        return false;
    setSelectedSaveLocation(folder);
    return true;
}

void MorvaneExcelView::setFileName(const QString &name)
{
    m_fileName = name;
    m_saveDialog->setFileName(name);
}

void MorvaneExcelView::setSelectedSaveLocation(const QString &folder)
{
    m_selectedSaveLocation = folder;
    m_saveDialog->setLocation(folder);
    m_openDialog->setLocation(folder);
}

void MorvaneExcelView::setFileFormat(ExcelFileFormat format)
{
    m_fileFormat = format;
    m_saveDialog->setFormat(format);
}

bool MorvaneExcelView::saveWorkbook()
{
    m_grid->finishEditing();
    QString error;
    const QString target =
        WorkbookFiles::saveTarget(m_selectedSaveLocation, m_fileName, m_fileFormat, &error);
    if (target.isEmpty() || !WorkbookFiles::save(*m_document, target, m_fileFormat, &error)) {
        const QString message = QStringLiteral("Save error: ") + error;
        printLine(message);
        m_saveDialog->showError(message);
        return false;
    }
    m_saveDialog->close();
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, false);
    return true;
}

bool MorvaneExcelView::openWorkbook(const QString &path)
{
    m_grid->finishEditing();
    QString error;
    if (!WorkbookFiles::open(*m_document, path, &error)) {
        const QString message = QStringLiteral("Open error: ") + error;
        printLine(message);
        m_openDialog->showError(message);
        return false;
    }
    const QFileInfo info(path);
    const bool isTemplate = info.suffix().toLower() == QLatin1String("xltx");
    setFileName(isTemplate ? QStringLiteral("Untitled") : info.completeBaseName());
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, isTemplate);
    m_openDialog->close();
    return true;
}
