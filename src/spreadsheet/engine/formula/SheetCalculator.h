#pragma once

#include "spreadsheet/engine/formula/CellNumberGrid.h"
#include "spreadsheet/engine/formula/CompiledFormula.h"
#include "spreadsheet/engine/formula/FormulaCode.h"
#include "spreadsheet/engine/formula/FormulaDependencies.h"
#include "spreadsheet/engine/formula/FormulaFunctions.h"
#include "spreadsheet/engine/model/CellDateFormat.h"
#include "spreadsheet/engine/model/ExactResults.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QStringList>
#include <span>
#include <vector>

class AggregateMemo;

// Recalculates a working sheet: its value grid (what references read of each
// cell) and display grid from its raw grid, giving exactly what evaluating
// every cell afresh in row-major order gives (FormulaEvaluator), while
// evaluating only what can have changed.
//
// Formulas are compiled once per change of their text; the numbers of the
// cells are parsed once per change and kept as doubles; each formula's
// arguments are indexed so a changed cell finds the formulas reading it. In
// a pass a formula reads this pass's value of a cell before it and the
// previous pass's value of itself and of the cells after it. So a formula is
// evaluated again when its text changed, when a cell before it changed in this
// pass or was edited since the last one, or when a cell at or after it changed
// in the last pass or was edited since; every other formula keeps its value.
// A number result is formatted only when its text changes.
//
// The raw grid must keep its shape between reset() calls and report every
// edit through cellEdited(); the value grids are written only here, unless
// valuesReplaced() or reset() follows.
class SheetCalculator
{
public:
    struct Grids {
        const CellGrid &cells;  // raw texts
        CellGrid &values;       // what references read of formula cells
        CellGrid &display;      // what each cell shows
        const CellGrid &cached; // values a file cached, the fallback of formulas not computed
        ExactResults &exact;    // unrounded numbers of the results the value texts round
    };

    explicit SheetCalculator(const Grids &grids);
    ~SheetCalculator();

    // The raw text at (row, col) changed.
    void cellEdited(int row, int col);
    // The grids changed otherwise (shape, a whole new grid): the next pass
    // compiles every formula and evaluates every cell.
    void reset();
    // The value grid was replaced: the next pass evaluates every cell,
    // keeping the compiled formulas.
    void valuesReplaced();
    // The value grid was replaced by what a file cached (or what a sheet
    // showed), not what a pass wrote: as valuesReplaced(), and until a SUM or
    // AVERAGE is evaluated, references read its number as every pass leaves
    // it, to hundredths, not the file's unrounded one.
    void valuesLoaded();
    // The cached grid was replaced: the next pass evaluates every cell.
    void cachedValuesReplaced();
    // One pass over the sheet.
    void recalculate();

    // Formulas evaluated by passes so far: the measure of their work.
    qint64 evaluations() const { return m_evaluations; }
    // Cells the last pass read for its formulas (each cell of a range and
    // each reference once per read; a sum shared within the pass reads its
    // cells once).
    qint64 cellReadsOfLastPass() const { return m_cellReads; }

    // The work of one pass is bounded. It is counted in cells a sum reads
    // (about half a nanosecond each); reading a text for TEXTJOIN or UNIQUE
    // (hashing, copying) costs textReadCost of them, and a long text as much
    // again per 64 characters. Where the budget ends, the pass evaluates no
    // more: every formula it did not finish shows the value the file cached
    // for it, else "#VALUE!", and the next pass evaluates every cell again.
    // Far above what real sheets do: a 1000 × 200 sheet summing each row and
    // each column reads 400 thousand cells; one where every cell sums the
    // whole sheet, 200 million.
    static constexpr qint64 textReadCost = 20;
    static constexpr qint64 defaultReadBudget = 2'000'000'000;
    void setReadBudget(qint64 cost) { m_readBudget = cost; }
    // The work of the last pass, never above the budget.
    qint64 readCostOfLastPass() const { return m_readCost; }
    // True when the last pass ran out of its budget.
    bool lastPassStopped() const { return m_stopped; }

    // Aggregates reading at least this many cells share their work through
    // the pass's AggregateMemo; smaller ones add their cells directly.
    static constexpr qint64 minSharedAggregateCells = 4096;

    // The source of cell values FormulaFunctions::evaluate reads.
    FormulaFunctions::Totals aggregate(std::span<const FormulaArgument> arguments);
    template<typename Fn>
    bool visitTexts(const ExcelRange &range, Fn onText);
    QString cached(int row, int col) const;

private:
    struct Formula {
        double result = 0;
        qint32 code = -1; // its arguments' offset in m_code
        CompiledFormula::Function function = CompiledFormula::Function::NotACall;
        bool skipEmpty : 1 = false;
        bool readsAtOrAfterItself : 1 = false;
        bool numericValue : 1 = false; // the value text is formatNumber(result)
    };

    qint32 cellIndex(int row, int col) const { return qint32(row) * m_columns + col; }
    void rebuild();
    void applyEdits();
    void addFormula(qint32 cell, const CompiledFormula &compiled);
    void removeFormula(qint32 cell);
    void compactCode();

    void fullPass();
    void roundLoadedNumbers();
    void incrementalPass();
    void seedFromLastPass();
    void due(qint32 cell);
    // Evaluates the formula at `cell`; a new value text goes to valueChanged().
    void evaluateFormula(qint32 cell);
    void valueChanged(qint32 cell, const QString &text, std::optional<double> number);
    void showPlain(int row, int col);
    // Rows whose values changed are shown anew at the end of the pass.
    void touchRow(int row);
    void showTouchedRows();
    void showRow(int row);
    void keepExact(qint32 cell, const FormulaFunctions::Result &result);
    // Counts `cells` reads costing `cost`; false, counting nothing, when
    // they would pass the budget: the pass stops.
    bool takeReads(qint64 cells, qint64 cost);

    const CellGrid &m_cells;
    CellGrid &m_values;
    CellGrid &m_display;
    const CellGrid &m_cached;
    ExactResults &m_exact;

    int m_rows = 0;
    int m_columns = 0;
    bool m_rebuild = true;
    bool m_evaluateAll = true;
    bool m_valuesReplaced = true; // the value grid holds texts no pass wrote
    bool m_valuesLoaded = false;  // ... taken from a file

    std::vector<qint32> m_formulaAt; // cell → slot in m_formulas, or -1
    std::vector<Formula> m_formulas;
    std::vector<qint32> m_freeSlots;
    FormulaCode m_code; // the arguments of every formula
    CompiledFormula m_compiled; // the one being added
    int m_selfReaders = 0; // formulas with readsAtOrAfterItself

    CellNumberGrid m_numbers;
    FormulaDependencies m_readers;
    CellDateFormat m_dates;
    AggregateMemo *m_memo = nullptr; // during a pass

    std::vector<qint32> m_edited;
    std::vector<bool> m_isEdited;
    bool m_showAllRows = false; // a column's date rule changed
    // Formula cells whose value changed in the last pass and in this one;
    // past maxSeedCells only the flag is kept.
    std::vector<qint32> m_changedLastPass;
    std::vector<qint32> m_changedThisPass;
    bool m_manyChangedLastPass = false;
    bool m_manyChangedThisPass = false;
    std::vector<qint32> m_dueHeap; // min-heap of cells to evaluate in this pass
    std::vector<bool> m_isDue;
    std::vector<bool> m_rowTouched;
    std::vector<int> m_touchedRows;
    std::vector<int> m_dateColumns; // where dates may show outside row 2
    qint64 m_evaluations = 0;
    qint64 m_cellReads = 0; // by the pass under way, or the last one
    qint64 m_readCost = 0;  // likewise
    qint64 m_readBudget = defaultReadBudget;
    bool m_stopped = false; // the pass under way, or the last one, ran out of its budget
};
