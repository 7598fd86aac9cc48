#pragma once

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelError.h"
#include "spreadsheet/engine/model/ExcelSheet.h"
#include "spreadsheet/engine/model/GridLimits.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

class SheetCalculator;

// The spreadsheet document: the sheet list plus a working copy of the active
// sheet (cells, evaluatedCells, cachedEvaluatedCells, cellStyles, objects,
// mergedRanges). The matching entry of sheets() lags until saveCurrentSheet().
//
// Every write of a published property emits its change signal, even of an
// equal value. Every write of the raw grid marks the spreadsheet's share of
// AppState unsaved and queues one deferred saveCurrentSheet() + recalculate()
// (at most one pending at a time; the recalculation is skipped when one has
// run since the last write of the raw grid). Row and column indices are zero-based;
// every access by index is bounds-checked and ignores what lies outside.
class ExcelDocument : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultRowCount = GridLimits::defaultRowCount;
    static constexpr int defaultColumnCount = GridLimits::defaultColumnCount;
    static constexpr int maxRowCount = GridLimits::maxRowCount; // readers' limit
    static constexpr int maxColumnCount = GridLimits::maxColumnCount;
    static constexpr int maxSheetNameLength = 31; // UTF-16 code units
    static constexpr qint64 maxLotusFileSize = qint64(256) << 20; // importLotus refuses larger files

    // One sheet "Sheet1" of 100 × 50 empty cells; touches no unsaved state.
    explicit ExcelDocument(QObject *parent = nullptr);
    ~ExcelDocument() override;

    // ---- published properties ----
    const QList<ExcelSheet> &sheets() const { return m_sheets; }
    int activeSheetIndex() const { return m_activeSheetIndex; }
    const QMap<QString, QString> &macros() const { return m_macros; }
    const CellGrid &cells() const { return m_cells; }
    const CellGrid &evaluatedCells() const { return m_evaluatedCells; }
    const CellGrid &cachedEvaluatedCells() const { return m_cachedEvaluatedCells; }
    const CellStyleMap &cellStyles() const { return m_cellStyles; }
    const QList<ExcelObject> &objects() const { return m_objects; }
    const QList<ExcelRange> &mergedRanges() const { return m_mergedRanges; }
    // What each cell evaluated to before its date display (a plain cell's
    // value is its raw text), as of the last recalculation; the shape of
    // cells(). Formula references read these.
    const CellGrid &valueCells() const { return m_valueCells; }

    int rowCount() const;    // rows of cells()
    int columnCount() const; // length of the first row, or 50 without rows

    // Raw and display text at (row, col), or "" outside the grid.
    QString cell(int row, int col) const;
    QString evaluatedCell(int row, int col) const;
    // The style at a canonical reference, or the default style.
    CellStyle cellStyle(const QString &reference) const;

    // Writes one raw cell; ignored outside the grid. A cell given another
    // text than it holds loses the value a file cached for it.
    void setCell(int row, int col, const QString &text);
    // Replaces the whole raw grid in one write (the bulk path for readers,
    // macros and structure operations): one cellsChanged, one queued task.
    // Short rows are padded with "" to the longest row. The value grids are
    // brought to the new shape, keeping what overlaps; cells whose text
    // changed lose their cached values, as with setCell().
    void setCells(CellGrid grid);
    // Replace a value grid; a grid of another shape than cells() is brought
    // to that shape. Formula references read the given evaluated texts until
    // the next recalculation.
    void setEvaluatedCells(CellGrid grid);
    void setCachedEvaluatedCells(CellGrid grid); // emits nothing
    // Writes one style under the canonical form of `reference`; a malformed
    // reference is ignored. Marks unsaved and emits changed().
    void setCellStyle(const QString &reference, const CellStyle &style);
    void setCellStyles(CellStyleMap styles);
    void setObjects(QList<ExcelObject> objects);
    // Replaces the object with object.id; marks unsaved. Unknown id: nothing.
    void updateObject(const ExcelObject &object);
    void setMergedRanges(QList<ExcelRange> ranges);
    void setMacro(const QString &name, const QString &code);
    void setMacros(QMap<QString, QString> macros);

    // ---- sheets ----
    void saveCurrentSheet();
    void switchToSheet(int index);
    // Appends an empty sheet of the working grid's size and shows it. A name
    // sheetNameProblem() refuses gets the first free "SheetN".
    void addSheet(const QString &name = QString());
    void deleteSheet(int index); // never the last sheet
    // Refuses (returns false, changes nothing) a name sheetNameProblem()
    // finds fault with.
    bool renameSheet(int index, const QString &name);
    // Why `name` cannot name the sheet at `exceptIndex` (-1: a new sheet), in
    // words for the user, or "" when it can: empty, holding one of
    // : \ / ? * [ ], longer than maxSheetNameLength, starting or ending with
    // an apostrophe, or another sheet's name (compared case-insensitively).
    // Other spreadsheet programs refuse workbooks with such names. Names
    // read from files are kept as they are.
    QString sheetNameProblem(const QString &name, int exceptIndex) const;
    void clearSheet();
    // The first "SheetN" (N from 1) no sheet is named, case-insensitively.
    QString nextFreeSheetName() const;
    // Replaces every sheet at once (readers) and shows the first, as
    // switchToSheet() does without saving the old working copy. An empty list
    // is ignored. Each sheet's grids are made rectangular and of one shape.
    void replaceSheets(QList<ExcelSheet> sheets);

    // ---- merges, rows, columns, objects ----
    // The first merge in list order that contains the cell.
    std::optional<ExcelRange> mergedRange(int row, int col) const;
    // Merges the rectangle between two corners given in any order, clipped to
    // the grid (wholly outside: nothing). Overlapping merges are removed; every
    // covered cell but the top-left one loses its raw and display text. One
    // write of the grid, then changed() and a recalculation.
    void mergeCells(int startRow, int startCol, int endRow, int endCol);
    // Removes every merge containing the cell; marks unsaved, announces and
    // recalculates even when there was none.
    void unmergeCells(int row, int col);
    // Removes every merge that touches the rectangle, recalculating once.
    void unmergeRange(const ExcelRange &range);
    // Insert before `index` (0..count) or delete at `index` (0..count-1, never
    // the last row or column) in all three grids at once: one cellsChanged,
    // one recalculation. Style keys and merges move with their cells; formula
    // texts are not rewritten. Any other index changes nothing.
    void insertRow(int index);
    void deleteRow(int index);
    void insertColumn(int index);
    void deleteColumn(int index);
    // Appends makeExcelObject(type) (drawn on top) and marks unsaved.
    ExcelObject addObject(ExcelObjectType type);
    // Removes every object with this id; marks unsaved even when none had it.
    void removeObject(const QUuid &id);

    // ---- evaluation ----
    // Gives every cell what evaluating each in row-major order gives and
    // announces evaluatedCells once (one evaluatedCellsChanged); a grid
    // without rows is left alone. A cell sees this pass's values before it and
    // the previous pass's after it. Only formulas whose inputs may have changed
    // are evaluated: after a cell edit, those reading it (and, in turn, those
    // reading them), and every pass those reading themselves or a cell after
    // them that changed; anything that replaces a grid evaluates every cell.
    void recalculate();
    // True when the last recalculation ran out of the work one may do
    // (SheetCalculator::defaultReadBudget): some formulas show the value the
    // file cached for them, or "#VALUE!", instead of being computed.
    bool someFormulasNotComputed() const;
    // Lowers (or raises) that budget, for tests.
    void setReadBudget(qint64 cost);
    // Row-major addresses of a range inside the grid; empty when invalid.
    QList<CellAddress> parseRange(const QString &text) const;

    // ---- files ----
    // One sheet "Sheet1" holding CsvFormat::read(csv), recalculated; touches
    // no unsaved state and never fails.
    explicit ExcelDocument(const QString &csv, QObject *parent = nullptr);
    // CsvFormat::write of the working grid.
    QString exportCSV() const;
    bool exportXLSX(const QString &path, ExcelError *error);
    // Read whole first; the document changes only when the read succeeded.
    bool importXLSX(const QString &path, ExcelError *error);
    bool importLotus(const QString &path, ExcelError *error);

    // Marks the spreadsheet's share of AppState unsaved.
    void markUnsaved();

signals:
    void sheetsChanged();
    void activeSheetIndexChanged();
    void macrosChanged();
    void cellsChanged();
    void evaluatedCellsChanged();
    void cellStylesChanged();
    void objectsChanged();
    void mergedRangesChanged();
    // The document-wide announcement, sent besides the property signals by
    // sheet switches (also through add, delete and replace), renames, merges,
    // unmerges and style edits.
    void changed();

private:
    void scheduleSaveAndRecalculate();
    void loadSheetIntoWorkingCopy(int index);
    // Sets the index, loads the sheet, recalculates and announces; no save.
    void showSheet(int index);
    // After a write of m_cells: marks unsaved and queues save + recalculate.
    void cellsWritten();
    // Brings the value grids to the shape of m_cells; true when
    // evaluatedCells changed shape (the caller then emits its signal).
    bool fitValueGrids();
    // After a write of the whole raw grid: the cells that differ from
    // `previous` are edits for the calculator.
    void reportEdits(const CellGrid &previous);
    // The cell's text changed: the value a file cached for the old text goes.
    void forgetCachedValue(int row, int col);
    void forgetCachedValuesOfChangedCells(const CellGrid &previous);
    // Brings m_evaluatedCells and m_valueCells up to date; no signal.
    void evaluateAll();
    // After a row or column edit of all four grids, styles and merges.
    void structureEdited();
    bool isSheetNameTaken(const QString &name, int exceptIndex) const;

    QList<ExcelSheet> m_sheets;
    int m_activeSheetIndex = 0;
    QMap<QString, QString> m_macros;
    CellGrid m_cells;
    CellGrid m_evaluatedCells;
    CellGrid m_cachedEvaluatedCells;
    CellStyleMap m_cellStyles;
    QList<ExcelObject> m_objects;
    QList<ExcelRange> m_mergedRanges;
    // What each cell evaluated to before its date display: references read
    // these, so a date shown as "3/15" still adds up as its serial number.
    // Always the shape of m_cells.
    CellGrid m_valueCells;
    // Unrounded numeric formula results of the working copy (ExcelSheet::exactResults).
    ExactResults m_exactResults;
    // The value grids of the other sheets, by sheet id, as last saved, so a
    // sheet shown again reads its values rather than its display texts.
    QHash<QUuid, CellGrid> m_sheetValueCells;
    bool m_saveAndRecalculatePending = false;
    bool m_recalculationDue = false; // cells written since the last recalculate()
    // Compiled formulas and dependencies of the working copy; writes
    // m_valueCells, m_evaluatedCells and m_exactResults.
    std::unique_ptr<SheetCalculator> m_calculator;
};
