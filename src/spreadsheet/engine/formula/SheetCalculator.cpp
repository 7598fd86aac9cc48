#include "spreadsheet/engine/formula/SheetCalculator.h"

#include "spreadsheet/engine/formula/AggregateMemo.h"
#include "spreadsheet/engine/formula/FormulaEvaluator.h"
#include "spreadsheet/engine/model/CellGridValue.h"
#include "spreadsheet/engine/model/CellNumber.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <string_view>

namespace {

bool isFraction(double value)
{
    return std::isfinite(value) && value != std::trunc(value);
}

using NumberBuffer = FormulaEvaluator::NumberBuffer;

// True when formatNumber() gives the same text for both, without building it.
bool sameNumberText(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (!isFraction(a) || !isFraction(b))
        return !isFraction(a) && !isFraction(b) && a == b; // integers, -0 as 0, or infinities
    NumberBuffer textA;
    NumberBuffer textB;
    const char *const endA = FormulaEvaluator::writeNumber(a, textA);
    const char *const endB = FormulaEvaluator::writeNumber(b, textB);
    return std::string_view(textA.data(), endA) == std::string_view(textB.data(), endB);
}

// The number references read of a numeric result whose formatNumber() text
// is [text, end): what the text says, so a fraction reads as its two
// decimals ("2.50" → 2.5).
std::optional<double> numberShownBy(double result, const char *text, const char *end)
{
    if (isFraction(result)) {
        double shown = 0;
        std::from_chars(text, end, shown);
        return shown;
    }
    if (std::isnan(result))
        return std::numeric_limits<double>::quiet_NaN();
    return result == 0 ? 0.0 : result;
}

// Writes `text` into the grid unless the cell already holds it (reading
// first, so an unchanged row is not copied away from the grids sharing it).
void store(CellGrid &grid, int row, int col, const QString &text)
{
    const QString &present = std::as_const(grid).at(row).at(col);
    if (present.isSharedWith(text) || present == text)
        return;
    grid[row][col] = text;
}

constexpr int headerRows = 15; // the rows CellDateFormat reads header words from
constexpr size_t maxSeedCells = 4096;
constexpr qsizetype textCharactersPerRead = 64;

} // namespace

SheetCalculator::SheetCalculator(const Grids &grids)
    : m_cells(grids.cells)
    , m_values(grids.values)
    , m_display(grids.display)
    , m_cached(grids.cached)
    , m_exact(grids.exact)
    , m_numbers(grids.cells, grids.values)
    , m_dates(grids.cells)
{
}

SheetCalculator::~SheetCalculator() = default;

void SheetCalculator::cellEdited(int row, int col)
{
    if (m_rebuild)
        return;
    if (row < 0 || row >= m_rows || col < 0 || col >= m_columns) {
        reset();
        return;
    }
    const qint32 cell = cellIndex(row, col);
    if (m_isEdited[cell])
        return;
    m_isEdited[cell] = true;
    m_edited.push_back(cell);
}

void SheetCalculator::reset()
{
    m_rebuild = true;
    m_evaluateAll = true;
}

void SheetCalculator::valuesReplaced()
{
    m_evaluateAll = true;
    m_valuesReplaced = true;
}

void SheetCalculator::valuesLoaded()
{
    valuesReplaced();
    m_valuesLoaded = true;
}

void SheetCalculator::cachedValuesReplaced()
{
    m_evaluateAll = true;
}

void SheetCalculator::recalculate()
{
    m_stopped = false;
    if (m_cells.isEmpty())
        return;
    if (m_rebuild)
        rebuild();
    else
        applyEdits();
    AggregateMemo memo(m_numbers);
    m_memo = &memo;
    m_cellReads = 0;
    m_readCost = 0;
    m_readers.startPass();
    if (m_evaluateAll)
        fullPass();
    else
        incrementalPass();
    m_memo = nullptr;
    showTouchedRows();
    m_changedLastPass.swap(m_changedThisPass);
    m_changedThisPass.clear();
    m_manyChangedLastPass = m_manyChangedThisPass;
    m_manyChangedThisPass = false;
    // Formulas left unevaluated are not due by any edit: all are, next time.
    m_evaluateAll = m_stopped;
}

// ---- compiled formulas ----

void SheetCalculator::rebuild()
{
    m_rebuild = false;
    m_evaluateAll = true;
    m_rows = int(m_cells.size());
    m_columns = m_cells.isEmpty() ? 0 : int(m_cells.first().size());
    const size_t cellCount = size_t(m_rows) * size_t(m_columns);
    m_formulaAt.assign(cellCount, -1);
    m_formulas.clear();
    m_freeSlots.clear();
    m_code.clear();
    qsizetype formulaCount = 0;
    for (const QStringList &row : m_cells)
        formulaCount += std::count_if(row.cbegin(), row.cend(), isFormulaText);
    m_formulas.reserve(size_t(formulaCount));
    m_code.reserve(formulaCount * 24); // room for two references each
    m_selfReaders = 0;
    m_readers.reset(m_rows, m_columns);
    m_edited.clear();
    m_isEdited.assign(cellCount, false);
    m_isDue.assign(cellCount, false);
    m_changedLastPass.clear();
    m_manyChangedLastPass = false;
    m_showAllRows = false;
    m_rowTouched.assign(size_t(m_rows), false);
    m_touchedRows.clear();
    m_exact.reset(m_rows, m_columns);
    m_numbers.reset();
    m_dates.reset();
    for (int r = 0; r < m_rows; ++r) {
        const QStringList &row = m_cells.at(r);
        for (int c = 0; c < m_columns; ++c) {
            if (isFormulaText(row.at(c))) {
                m_compiled.recompile(row.at(c), m_rows, m_columns);
                addFormula(cellIndex(r, c), m_compiled);
            }
        }
    }
}

void SheetCalculator::applyEdits()
{
    for (const qint32 cell : m_edited) {
        m_isEdited[cell] = false;
        const int row = cell / m_columns;
        const int col = cell % m_columns;
        removeFormula(cell);
        const QString &raw = m_cells.at(row).at(col);
        if (isFormulaText(raw)) {
            m_compiled.recompile(raw, m_rows, m_columns);
            addFormula(cell, m_compiled);
            // It reads as its last value until it is evaluated.
            m_numbers.set(row, col, cellNumber(m_values.at(row).at(col)));
        } else {
            m_numbers.set(row, col, cellNumber(raw));
        }
        // New header words may turn the column's numbers into dates or back.
        if (row < headerRows && m_dates.refreshColumn(col))
            m_showAllRows = true;
    }
    if (m_code.wantsCompaction())
        compactCode();
}

void SheetCalculator::addFormula(qint32 cell, const CompiledFormula &compiled)
{
    qint32 slot = 0;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
    } else {
        slot = qint32(m_formulas.size());
        m_formulas.emplace_back();
    }
    Formula &formula = m_formulas[slot];
    formula = Formula();
    formula.function = compiled.function;
    formula.skipEmpty = compiled.skipEmpty;
    formula.code = m_code.append(compiled);
    for (const FormulaArgument &argument : compiled.arguments) {
        if (argument.kind != FormulaArgument::Kind::Cells)
            continue;
        m_readers.add(cell, argument.cells);
        if (cellIndex(argument.cells.endRow, argument.cells.endCol) >= cell)
            formula.readsAtOrAfterItself = true;
    }
    if (formula.readsAtOrAfterItself)
        ++m_selfReaders;
    m_formulaAt[cell] = slot;
}

void SheetCalculator::removeFormula(qint32 cell)
{
    const qint32 slot = m_formulaAt[cell];
    if (slot < 0)
        return;
    Formula &formula = m_formulas[slot];
    FormulaCode::Arguments arguments;
    qint32 delimiter = -1;
    m_code.read(formula.code, arguments, delimiter);
    for (const FormulaArgument &argument : arguments) {
        if (argument.kind == FormulaArgument::Kind::Cells)
            m_readers.remove(cell, argument.cells);
    }
    m_code.release(formula.code);
    m_exact.remove(cell);
    if (formula.readsAtOrAfterItself)
        --m_selfReaders;
    formula = Formula();
    m_freeSlots.push_back(slot);
    m_formulaAt[cell] = -1;
}

// Drops the code of formulas that were replaced.
void SheetCalculator::compactCode()
{
    FormulaCode packed;
    FormulaCode::Arguments arguments;
    for (const qint32 slot : m_formulaAt) {
        if (slot < 0)
            continue;
        qint32 delimiter = -1;
        Formula &formula = m_formulas[slot];
        m_code.read(formula.code, arguments, delimiter);
        formula.code = packed.append(arguments, delimiter >= 0 ? &m_code.texts().at(delimiter) : nullptr,
                                     m_code.texts());
    }
    m_code = std::move(packed);
}

// ---- passes ----

void SheetCalculator::fullPass()
{
    if (m_valuesReplaced) {
        if (m_valuesLoaded)
            roundLoadedNumbers();
        // The value grid may hold any text now: numbers are parsed anew.
        for (Formula &formula : m_formulas)
            formula.numericValue = false;
        m_numbers.reset();
        m_valuesReplaced = false;
        m_valuesLoaded = false;
    }
    m_exact.reset(m_rows, m_columns);
    m_edited.clear();
    m_showAllRows = false;
    for (int r = 0; r < m_rows; ++r) {
        touchRow(r);
        for (int c = 0; c < m_columns; ++c) {
            const qint32 cell = cellIndex(r, c);
            if (m_formulaAt[cell] >= 0)
                evaluateFormula(cell);
            else
                store(m_values, r, c, m_cells.at(r).at(c));
        }
    }
}

// A file caches a SUM's or AVERAGE's unrounded number (0.004), where a pass
// leaves the text it shows ("0.00"), which references read: a cell before it
// reads that text in the first pass too, so a reopened sheet shows what it
// showed when it was saved.
void SheetCalculator::roundLoadedNumbers()
{
    using Function = CompiledFormula::Function;
    for (qint32 cell = 0; cell < qint32(m_formulaAt.size()); ++cell) {
        const qint32 slot = m_formulaAt[cell];
        if (slot < 0 || (m_formulas[slot].function != Function::Sum && m_formulas[slot].function != Function::Average))
            continue;
        const int row = cell / m_columns;
        const int col = cell % m_columns;
        const auto number = cellNumber(m_values.at(row).at(col));
        if (number && isFraction(*number))
            store(m_values, row, col, FormulaEvaluator::formatNumber(*number));
    }
}

void SheetCalculator::incrementalPass()
{
    // Edited cells: a formula is evaluated anew, a plain cell shown anew, and
    // every formula reading either sees a new value, wherever it lies.
    for (const qint32 cell : m_edited) {
        const int row = cell / m_columns;
        const int col = cell % m_columns;
        if (m_formulaAt[cell] >= 0)
            due(cell);
        else
            showPlain(row, col);
        m_readers.forEachReader(row, col, [this](qint32 reader) { due(reader); });
    }
    m_edited.clear();
    seedFromLastPass();
    if (m_showAllRows) {
        for (int r = 0; r < m_rows; ++r)
            touchRow(r);
        m_showAllRows = false;
    }
    while (!m_dueHeap.empty()) {
        std::pop_heap(m_dueHeap.begin(), m_dueHeap.end(), std::greater<>());
        const qint32 cell = m_dueHeap.back();
        m_dueHeap.pop_back();
        m_isDue[cell] = false;
        evaluateFormula(cell);
    }
}

// A formula reading a cell at or after itself read that cell's value from
// before the last pass: it runs again when the last pass changed the cell.
void SheetCalculator::seedFromLastPass()
{
    if (m_selfReaders == 0 || (m_changedLastPass.empty() && !m_manyChangedLastPass))
        return;
    if (m_manyChangedLastPass) {
        for (qint32 cell = 0; cell < qint32(m_formulaAt.size()); ++cell) {
            if (m_formulaAt[cell] >= 0 && m_formulas[m_formulaAt[cell]].readsAtOrAfterItself)
                due(cell);
        }
        return;
    }
    // From the last cell back, so a large range reports its readers once.
    std::sort(m_changedLastPass.begin(), m_changedLastPass.end(), std::greater<>());
    for (const qint32 changed : m_changedLastPass) {
        m_readers.forEachReaderUpTo(changed / m_columns, changed % m_columns, changed,
                                    [this](qint32 reader) { due(reader); });
    }
}

void SheetCalculator::due(qint32 cell)
{
    if (m_isDue[cell] || m_formulaAt[cell] < 0)
        return;
    m_isDue[cell] = true;
    m_dueHeap.push_back(cell);
    std::push_heap(m_dueHeap.begin(), m_dueHeap.end(), std::greater<>());
}

void SheetCalculator::evaluateFormula(qint32 cell)
{
    static const QString noText;
    ++m_evaluations;
    const int row = cell / m_columns;
    const int col = cell % m_columns;
    Formula &formula = m_formulas[m_formulaAt[cell]];
    FormulaCode::Arguments arguments;
    qint32 delimiter = -1;
    m_code.read(formula.code, arguments, delimiter);
    const FormulaFunctions::Call call{formula.function, formula.skipEmpty,
                                      delimiter >= 0 ? m_code.texts().at(delimiter) : noText,
                                      std::span<const FormulaArgument>(arguments.data(), size_t(arguments.size())),
                                      m_code.texts()};
    FormulaFunctions::Result result;
    if (!m_stopped)
        result = FormulaFunctions::evaluate(call, *this, row, col);
    if (m_stopped) // before this formula or while reading its cells
        result = FormulaFunctions::Result{.text = FormulaFunctions::cachedOr(cached(row, col), u"#VALUE!")};
    keepExact(cell, result);
    if (result.isNumber) {
        if (formula.numericValue && sameNumberText(formula.result, result.number)) {
            formula.result = result.number;
            return;
        }
        const bool wasNumeric = formula.numericValue;
        formula.numericValue = true;
        formula.result = result.number;
        NumberBuffer buffer;
        const char *end = FormulaEvaluator::writeNumber(result.number, buffer);
        const QString text = QString::fromLatin1(buffer.data(), end - buffer.data());
        if (!wasNumeric && text == m_values.at(row).at(col))
            return;
        valueChanged(cell, text, numberShownBy(result.number, buffer.data(), end));
        return;
    }
    formula.numericValue = false;
    const QString &present = m_values.at(row).at(col);
    if (present.isSharedWith(result.text) || present == result.text)
        return;
    valueChanged(cell, result.text, cellNumber(result.text));
}

void SheetCalculator::valueChanged(qint32 cell, const QString &text, std::optional<double> number)
{
    const int row = cell / m_columns;
    const int col = cell % m_columns;
    if (!m_memo->isEmpty())
        m_memo->valueChanged(row, col, m_numbers.number(row, col), number);
    m_numbers.set(row, col, number);
    m_values[row][col] = text;
    touchRow(row);
    if (m_changedThisPass.size() < maxSeedCells)
        m_changedThisPass.push_back(cell);
    else
        m_manyChangedThisPass = true;
    if (m_evaluateAll)
        return; // a full pass evaluates every formula after it anyway
    // Formulas after it read the new value in this pass; those before it (or
    // itself) in the next, through m_changedLastPass.
    m_readers.forEachReaderAfter(row, col, cell, [this](qint32 reader) { due(reader); });
}

void SheetCalculator::keepExact(qint32 cell, const FormulaFunctions::Result &result)
{
    if (result.isNumber && isFraction(result.number))
        m_exact.set(cell, result.number);
    else
        m_exact.remove(cell);
}

void SheetCalculator::showPlain(int row, int col)
{
    store(m_values, row, col, m_cells.at(row).at(col));
    touchRow(row);
}

void SheetCalculator::touchRow(int row)
{
    if (m_rowTouched[row])
        return;
    m_rowTouched[row] = true;
    m_touchedRows.push_back(row);
}

void SheetCalculator::showTouchedRows()
{
    if (m_touchedRows.empty())
        return;
    // Outside row 2 the columns where dates may show are the same in every row.
    m_dateColumns.clear();
    for (int c = 0; c < m_columns; ++c) {
        if (m_dates.mayShowDate(0, c))
            m_dateColumns.push_back(c);
    }
    for (const int row : m_touchedRows) {
        m_rowTouched[row] = false;
        showRow(row);
    }
    m_touchedRows.clear();
}

// A row shows its values but where the date rule turns a number into a date;
// a row without dates shares its values' list.
void SheetCalculator::showRow(int row)
{
    const QStringList &values = m_values.at(row);
    QVarLengthArray<std::pair<int, QString>, 4> dates;
    const auto addDate = [&](int col) {
        if (std::optional<QString> date = m_dates.display(values.at(col), row, col))
            dates.append({col, std::move(*date)});
    };
    if (row == 1) {
        for (int c = 0; c < m_columns; ++c)
            addDate(c);
    } else {
        for (const int c : m_dateColumns)
            addDate(c);
    }
    const QStringList &shown = m_display.at(row);
    if (dates.isEmpty()) {
        if (!shown.isSharedWith(values))
            m_display[row] = values;
        return;
    }
    QStringList expected = values;
    for (auto &[col, date] : dates)
        expected[col] = std::move(date);
    if (shown != expected)
        m_display[row] = std::move(expected);
}

// ---- the source FormulaFunctions reads ----

FormulaFunctions::Totals SheetCalculator::aggregate(std::span<const FormulaArgument> arguments)
{
    qint64 cells = 0;
    for (const FormulaArgument &argument : arguments) {
        if (argument.kind == FormulaArgument::Kind::Cells) {
            const ExcelRange &r = argument.cells;
            cells += qint64(r.endRow - r.startRow + 1) * (r.endCol - r.startCol + 1);
        }
    }
    if (cells >= minSharedAggregateCells && m_memo) {
        if (const auto known = m_memo->reuse(arguments))
            return *known;
        // It reads at most `cells`, counted as it reads them.
        if (m_stopped || m_readCost + cells > m_readBudget) {
            m_stopped = true;
            return {};
        }
        const qint64 readsBefore = m_cellReads;
        const FormulaFunctions::Totals totals = m_memo->compute(arguments, m_cellReads);
        m_readCost += m_cellReads - readsBefore;
        return totals;
    }
    FormulaFunctions::Totals totals;
    if (!takeReads(cells, cells))
        return totals;
    for (const FormulaArgument &argument : arguments) {
        if (argument.kind == FormulaArgument::Kind::Cells) {
            m_numbers.fold(argument.cells, totals.sum, totals.count);
        } else {
            totals.sum += argument.number;
            ++totals.count;
        }
    }
    return totals;
}

template<typename Fn>
bool SheetCalculator::visitTexts(const ExcelRange &range, Fn onText)
{
    for (int r = range.startRow; r <= range.endRow; ++r) {
        for (int c = range.startCol; c <= range.endCol; ++c) {
            // Hashing or copying a text costs its length too.
            const QString &text = cellGridValue(m_cells, m_values, r, c);
            if (!takeReads(1, textReadCost * (1 + text.size() / textCharactersPerRead)) || !onText(text))
                return false;
        }
    }
    return true;
}

bool SheetCalculator::takeReads(qint64 cells, qint64 cost)
{
    if (m_stopped || m_readCost + cost > m_readBudget) {
        m_stopped = true;
        return false;
    }
    m_cellReads += cells;
    m_readCost += cost;
    return true;
}

QString SheetCalculator::cached(int row, int col) const
{
    if (row < 0 || row >= m_cached.size() || col < 0 || col >= m_cached.at(row).size())
        return {};
    return m_cached.at(row).at(col);
}
