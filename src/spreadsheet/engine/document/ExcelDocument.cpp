#include "spreadsheet/engine/document/ExcelDocument.h"

#include "spreadsheet/engine/files/CsvFormat.h"
#include "spreadsheet/engine/formula/SheetCalculator.h"
#include "platform/AppState.h"
#include "platform/Deferral.h"

#include <algorithm>

namespace {

ExcelSheet makeSheet(const QString &name, const CellGrid &cells, const CellGrid &values)
{
    ExcelSheet sheet;
    sheet.id = QUuid::createUuid();
    sheet.name = name;
    sheet.cells = cells;
    sheet.evaluatedCells = values;
    sheet.cachedEvaluatedCells = values;
    return sheet;
}

// Rows padded to the longest one, so the grid is rectangular.
CellGrid rectangular(CellGrid grid)
{
    const int rows = int(grid.size());
    const int columns = gridWidth(grid);
    return resizeGrid(std::move(grid), rows, columns);
}

// The sheet with a rectangular raw grid and value grids of its shape.
ExcelSheet shaped(ExcelSheet sheet)
{
    sheet.cells = rectangular(std::move(sheet.cells));
    const int rows = int(sheet.cells.size());
    const int columns = gridWidth(sheet.cells);
    sheet.evaluatedCells = resizeGrid(std::move(sheet.evaluatedCells), rows, columns);
    sheet.cachedEvaluatedCells = resizeGrid(std::move(sheet.cachedEvaluatedCells), rows, columns);
    return sheet;
}

} // namespace

ExcelDocument::ExcelDocument(QObject *parent)
    : QObject(parent)
    , m_calculator(std::make_unique<SheetCalculator>(SheetCalculator::Grids{
          m_cells, m_valueCells, m_evaluatedCells, m_cachedEvaluatedCells, m_exactResults}))
{
    const CellGrid empty = makeEmptyGrid(defaultRowCount, defaultColumnCount);
    m_sheets = {makeSheet(QStringLiteral("Sheet1"), empty, empty)};
    m_cells = empty;
    m_evaluatedCells = empty;
    m_cachedEvaluatedCells = empty;
    m_valueCells = empty;
}

ExcelDocument::ExcelDocument(const QString &csv, QObject *parent)
    : QObject(parent)
    , m_calculator(std::make_unique<SheetCalculator>(SheetCalculator::Grids{
          m_cells, m_valueCells, m_evaluatedCells, m_cachedEvaluatedCells, m_exactResults}))
{
    const CellGrid cells = CsvFormat::read(csv);
    const CellGrid empty = makeEmptyGrid(int(cells.size()), gridWidth(cells));
    m_sheets = {makeSheet(QStringLiteral("Sheet1"), cells, empty)};
    m_cells = cells;
    m_evaluatedCells = empty;
    m_cachedEvaluatedCells = empty;
    m_valueCells = empty;
    evaluateAll();
}

ExcelDocument::~ExcelDocument() = default;

QString ExcelDocument::exportCSV() const
{
    return CsvFormat::write(m_cells);
}

int ExcelDocument::rowCount() const
{
    return int(m_cells.size());
}

int ExcelDocument::columnCount() const
{
    return m_cells.isEmpty() ? defaultColumnCount : int(m_cells.first().size());
}

QString ExcelDocument::cell(int row, int col) const
{
    if (row < 0 || row >= m_cells.size() || col < 0 || col >= m_cells.at(row).size())
        return {};
    return m_cells.at(row).at(col);
}

QString ExcelDocument::evaluatedCell(int row, int col) const
{
    if (row < 0 || row >= m_evaluatedCells.size() || col < 0 || col >= m_evaluatedCells.at(row).size())
        return {};
    return m_evaluatedCells.at(row).at(col);
}

CellStyle ExcelDocument::cellStyle(const QString &reference) const
{
    const auto key = CellReference::canonical(reference);
    return key ? m_cellStyles.value(*key) : CellStyle();
}

// ---- writes ----

void ExcelDocument::setCell(int row, int col, const QString &text)
{
    if (row < 0 || row >= m_cells.size() || col < 0 || col >= m_cells.at(row).size())
        return;
    if (m_cells.at(row).at(col) != text)
        forgetCachedValue(row, col);
    m_cells[row][col] = text;
    m_calculator->cellEdited(row, col);
    emit cellsChanged();
    cellsWritten();
}

void ExcelDocument::setCells(CellGrid grid)
{
    const CellGrid previous = m_cells;
    m_cells = rectangular(std::move(grid));
    reportEdits(previous);
    emit cellsChanged();
    const bool reshaped = fitValueGrids();
    forgetCachedValuesOfChangedCells(previous);
    if (reshaped)
        emit evaluatedCellsChanged();
    cellsWritten();
}

// A value a file cached belongs to the text it was cached for: a cell given
// another text loses it, so a formula this program does not compute shows
// "#VALUE!" or "#NAME?" rather than the old text's value, and a save caches
// nothing for it. The same text written again keeps it.
void ExcelDocument::forgetCachedValue(int row, int col)
{
    if (row >= m_cachedEvaluatedCells.size() || col >= m_cachedEvaluatedCells.at(row).size()
        || m_cachedEvaluatedCells.at(row).at(col).isEmpty())
        return;
    // The cell is an edit for the calculator, which evaluates it anew.
    m_cachedEvaluatedCells[row][col].clear();
}

void ExcelDocument::forgetCachedValuesOfChangedCells(const CellGrid &previous)
{
    const qsizetype rows = std::min(m_cells.size(), previous.size());
    for (qsizetype r = 0; r < rows; ++r) {
        const QStringList &now = m_cells.at(r);
        const QStringList &before = previous.at(r);
        if (now.isSharedWith(before))
            continue;
        const qsizetype columns = std::min(now.size(), before.size());
        for (qsizetype c = 0; c < columns; ++c) {
            if (!now.at(c).isSharedWith(before.at(c)) && now.at(c) != before.at(c))
                forgetCachedValue(int(r), int(c));
        }
    }
}

void ExcelDocument::setEvaluatedCells(CellGrid grid)
{
    m_evaluatedCells = resizeGrid(std::move(grid), rowCount(), m_cells.isEmpty() ? 0 : columnCount());
    m_valueCells = m_evaluatedCells;
    m_calculator->valuesReplaced();
    emit evaluatedCellsChanged();
}

void ExcelDocument::setCachedEvaluatedCells(CellGrid grid)
{
    m_cachedEvaluatedCells = resizeGrid(std::move(grid), rowCount(), m_cells.isEmpty() ? 0 : columnCount());
    m_calculator->cachedValuesReplaced();
}

// Tells the calculator which cells differ from `previous`, or to start over
// when the grid took another shape or most of its cells changed.
void ExcelDocument::reportEdits(const CellGrid &previous)
{
    const int rows = rowCount();
    const int columns = m_cells.isEmpty() ? 0 : columnCount();
    if (!hasShape(previous, rows, columns)) {
        m_calculator->reset();
        return;
    }
    const qint64 mostEdits = qint64(rows) * columns / 4;
    qint64 edits = 0;
    for (int r = 0; r < rows; ++r) {
        const QStringList &now = m_cells.at(r);
        const QStringList &before = previous.at(r);
        if (now.isSharedWith(before))
            continue;
        for (int c = 0; c < columns; ++c) {
            if (now.at(c).isSharedWith(before.at(c)) || now.at(c) == before.at(c))
                continue;
            if (++edits > mostEdits) {
                m_calculator->reset();
                return;
            }
            m_calculator->cellEdited(r, c);
        }
    }
}

void ExcelDocument::setCellStyle(const QString &reference, const CellStyle &style)
{
    const auto key = CellReference::canonical(reference);
    if (!key)
        return;
    m_cellStyles.insert(*key, style);
    emit cellStylesChanged();
    markUnsaved();
    emit changed();
}

void ExcelDocument::setCellStyles(CellStyleMap styles)
{
    m_cellStyles = std::move(styles);
    emit cellStylesChanged();
}

void ExcelDocument::setObjects(QList<ExcelObject> objects)
{
    m_objects = std::move(objects);
    emit objectsChanged();
}

void ExcelDocument::updateObject(const ExcelObject &object)
{
    const auto it = std::find_if(m_objects.begin(), m_objects.end(),
                                 [&object](const ExcelObject &o) { return o.id == object.id; });
    if (it == m_objects.end())
        return;
    *it = object;
    emit objectsChanged();
    markUnsaved();
}

void ExcelDocument::setMergedRanges(QList<ExcelRange> ranges)
{
    m_mergedRanges = std::move(ranges);
    emit mergedRangesChanged();
}

void ExcelDocument::setMacro(const QString &name, const QString &code)
{
    m_macros.insert(name, code);
    emit macrosChanged();
}

void ExcelDocument::setMacros(QMap<QString, QString> macros)
{
    m_macros = std::move(macros);
    emit macrosChanged();
}

void ExcelDocument::markUnsaved()
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, true);
}

void ExcelDocument::cellsWritten()
{
    m_recalculationDue = true;
    markUnsaved();
    scheduleSaveAndRecalculate();
}

void ExcelDocument::scheduleSaveAndRecalculate()
{
    if (m_saveAndRecalculatePending)
        return;
    m_saveAndRecalculatePending = true;
    deferToNextTurn(this, [this] {
        m_saveAndRecalculatePending = false;
        saveCurrentSheet();
        // Operations that recalculated at once after their write need no second pass.
        if (m_recalculationDue)
            recalculate();
    });
}

bool ExcelDocument::fitValueGrids()
{
    const int rows = rowCount();
    const int columns = m_cells.isEmpty() ? 0 : columnCount();
    if (!hasShape(m_cachedEvaluatedCells, rows, columns) || !hasShape(m_valueCells, rows, columns)
        || !hasShape(m_evaluatedCells, rows, columns))
        m_calculator->reset();
    m_cachedEvaluatedCells = resizeGrid(std::move(m_cachedEvaluatedCells), rows, columns);
    m_valueCells = resizeGrid(std::move(m_valueCells), rows, columns);
    if (hasShape(m_evaluatedCells, rows, columns))
        return false;
    m_evaluatedCells = resizeGrid(std::move(m_evaluatedCells), rows, columns);
    return true;
}

// ---- sheets ----

void ExcelDocument::saveCurrentSheet()
{
    if (m_activeSheetIndex < 0 || m_activeSheetIndex >= m_sheets.size())
        return;
    ExcelSheet &sheet = m_sheets[m_activeSheetIndex];
    sheet.cells = m_cells;
    sheet.evaluatedCells = m_evaluatedCells;
    sheet.cachedEvaluatedCells = m_cachedEvaluatedCells;
    sheet.cellStyles = m_cellStyles;
    sheet.objects = m_objects;
    sheet.mergedRanges = m_mergedRanges;
    sheet.exactResults = m_exactResults;
    m_sheetValueCells.insert(sheet.id, m_valueCells);
    emit sheetsChanged();
}

void ExcelDocument::switchToSheet(int index)
{
    if (index < 0 || index >= m_sheets.size())
        return;
    saveCurrentSheet();
    showSheet(index);
}

void ExcelDocument::showSheet(int index)
{
    m_activeSheetIndex = index;
    emit activeSheetIndexChanged();
    loadSheetIntoWorkingCopy(index);
    recalculate();
    emit changed();
}

void ExcelDocument::loadSheetIntoWorkingCopy(int index)
{
    const ExcelSheet sheet = shaped(m_sheets.at(index));
    m_cells = sheet.cells;
    emit cellsChanged();
    m_evaluatedCells = sheet.evaluatedCells;
    const CellGrid values = m_sheetValueCells.value(sheet.id);
    const bool valuesFit = hasShape(values, rowCount(), gridWidth(sheet.cells));
    m_valueCells = valuesFit ? values : sheet.evaluatedCells;
    emit evaluatedCellsChanged();
    m_cachedEvaluatedCells = sheet.cachedEvaluatedCells;
    m_cellStyles = sheet.cellStyles;
    emit cellStylesChanged();
    m_objects = sheet.objects;
    emit objectsChanged();
    m_mergedRanges = sheet.mergedRanges;
    emit mergedRangesChanged();
    m_exactResults = sheet.exactResults;
    m_calculator->reset();
    if (!valuesFit)
        m_calculator->valuesLoaded();
    cellsWritten();
}

void ExcelDocument::addSheet(const QString &name)
{
    saveCurrentSheet();
    const CellGrid empty = makeEmptyGrid(rowCount(), columnCount());
    const bool usable = sheetNameProblem(name, -1).isEmpty();
    m_sheets.append(makeSheet(usable ? name : nextFreeSheetName(), empty, empty));
    emit sheetsChanged();
    switchToSheet(int(m_sheets.size()) - 1);
    markUnsaved();
}

void ExcelDocument::deleteSheet(int index)
{
    if (m_sheets.size() < 2 || index < 0 || index >= m_sheets.size())
        return;
    saveCurrentSheet();
    m_sheetValueCells.remove(m_sheets.at(index).id);
    m_sheets.removeAt(index);
    emit sheetsChanged();
    // The working copy's sheet is gone or has moved: show without saving.
    showSheet(std::min(int(m_sheets.size()) - 1, m_activeSheetIndex));
    markUnsaved();
}

bool ExcelDocument::renameSheet(int index, const QString &name)
{
    if (index < 0 || index >= m_sheets.size() || !sheetNameProblem(name, index).isEmpty())
        return false;
    m_sheets[index].name = name;
    emit sheetsChanged();
    markUnsaved();
    emit changed();
    return true;
}

QString ExcelDocument::sheetNameProblem(const QString &name, int exceptIndex) const
{
    static const QString forbidden = QStringLiteral(":\\/?*[]");
    if (name.isEmpty())
        return QStringLiteral("シート名を入力してください。");
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return forbidden.contains(c); }))
        return QStringLiteral("シート名に次の文字は使えません: : \\ / ? * [ ]");
    if (name.size() > maxSheetNameLength)
        return QStringLiteral("シート名は%1文字以内にしてください。").arg(maxSheetNameLength);
    if (name.startsWith(u'\'') || name.endsWith(u'\''))
        return QStringLiteral("シート名の先頭と末尾にアポストロフィ (') は使えません。");
    if (isSheetNameTaken(name, exceptIndex))
        return QStringLiteral("「%1」という名前のシートが既にあります。").arg(name);
    return {};
}

bool ExcelDocument::isSheetNameTaken(const QString &name, int exceptIndex) const
{
    for (int i = 0; i < m_sheets.size(); ++i) {
        if (i != exceptIndex && m_sheets.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString ExcelDocument::nextFreeSheetName() const
{
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("Sheet%1").arg(n);
        if (!isSheetNameTaken(name, -1))
            return name;
    }
}

void ExcelDocument::clearSheet()
{
    const CellGrid empty = makeEmptyGrid(rowCount(), columnCount());
    m_cells = empty;
    m_calculator->reset();
    emit cellsChanged();
    cellsWritten();
    const CellGrid values = makeEmptyGrid(rowCount(), m_cells.isEmpty() ? 0 : columnCount());
    m_evaluatedCells = values;
    m_valueCells = values;
    emit evaluatedCellsChanged();
    m_cachedEvaluatedCells = values;
    m_mergedRanges.clear();
    emit mergedRangesChanged();
    m_cellStyles.clear();
    emit cellStylesChanged();
    m_objects.clear();
    emit objectsChanged();
    saveCurrentSheet();
}

void ExcelDocument::replaceSheets(QList<ExcelSheet> sheets)
{
    if (sheets.isEmpty())
        return;
    for (ExcelSheet &sheet : sheets)
        sheet = shaped(std::move(sheet));
    m_sheets = std::move(sheets);
    m_sheetValueCells.clear();
    emit sheetsChanged();
    showSheet(0);
}

// ---- evaluation ----

void ExcelDocument::recalculate()
{
    m_recalculationDue = false;
    if (m_cells.isEmpty())
        return;
    evaluateAll();
    emit evaluatedCellsChanged();
}

void ExcelDocument::evaluateAll()
{
    fitValueGrids();
    m_calculator->recalculate();
}

bool ExcelDocument::someFormulasNotComputed() const
{
    return m_calculator->lastPassStopped();
}

void ExcelDocument::setReadBudget(qint64 cost)
{
    m_calculator->setReadBudget(cost);
}

QList<CellAddress> ExcelDocument::parseRange(const QString &text) const
{
    const auto range = CellReference::parseRangeWithin(text, rowCount(), m_cells.isEmpty() ? 0 : columnCount());
    QList<CellAddress> addresses;
    if (!range)
        return addresses;
    addresses.reserve(qsizetype(range->endRow - range->startRow + 1) * (range->endCol - range->startCol + 1));
    for (int r = range->startRow; r <= range->endRow; ++r) {
        for (int c = range->startCol; c <= range->endCol; ++c)
            addresses.append({r, c});
    }
    return addresses;
}
