// The spreadsheet engine on a full-size sheet: 1000 × 200 cells, half numbers
// and half short texts, a SUM over each whole row in the last column and an
// AVERAGE of each column in the last row. Besides, sheets whose sums read
// themselves: every cell summing the whole grid, opened with and without
// values a file cached, and 1,000 such sums in the last column, edited. And
// 200,000 formulas in a chain, each adding 1 to the cell before it, from an
// integer and from a decimal (every result a fraction); single
// edits read by no formula and by 1,000 sums; a macro writing 10,000 cells.
#include "BenchMain.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/macro/ExcelVBAEngine.h"
#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

constexpr int rows = ExcelDocument::maxRowCount;
constexpr int columns = ExcelDocument::maxColumnCount;

CellGrid makeBenchmarkGrid()
{
    // Built by concatenation: arg() would read "%11" as placeholder 11.
    CellGrid grid = makeEmptyGrid(rows, columns);
    const QString lastDataColumn = CellReference::columnName(columns - 2);
    for (int r = 0; r < rows - 1; ++r) {
        QStringList &row = grid[r];
        for (int c = 0; c < columns - 1; ++c)
            row[c] = c % 2 == 0 ? QString::number((r * 31 + c * 7) % 1000) : QStringLiteral("t%1").arg(r % 97);
        const QString rowNumber = QString::number(r + 1);
        row[columns - 1] = "=SUM(A" + rowNumber + ':' + lastDataColumn + rowNumber + ')';
    }
    for (int c = 0; c < columns; ++c) {
        const QString letters = CellReference::columnName(c);
        grid[rows - 1][c] = "=AVERAGE(" + letters + "1:" + letters + QString::number(rows - 1) + ')';
    }
    return grid;
}

const QString wholeGridSum = QStringLiteral("=SUM(A1:GR1000)");

// The normal sheet's numbers and texts with a sum of the whole grid, itself
// included, in each cell of the last column.
CellGrid makeSelfSumGrid()
{
    CellGrid grid = makeBenchmarkGrid();
    for (int r = 0; r < rows; ++r)
        grid[r][columns - 1] = wholeGridSum;
    for (int c = 0; c < columns - 1; ++c)
        grid[rows - 1][c] = QString::number(c);
    return grid;
}

const CellGrid &benchmarkGrid()
{
    static const CellGrid grid = makeBenchmarkGrid();
    return grid;
}

// A document holding the benchmark sheet, recalculated and with no pending task.
void load(ExcelDocument &document)
{
    document.setCells(benchmarkGrid());
    document.setMergedRanges({});
    document.recalculate();
    QCoreApplication::processEvents();
}

// Every formula in row-major order, each =SUM(previous cell,1), after `head` in A1.
CellGrid makeChainGrid(const QString &head = QStringLiteral("1"))
{
    CellGrid grid = makeEmptyGrid(rows, columns);
    grid[0][0] = head;
    QString previous = QStringLiteral("A1");
    for (int r = 0; r < rows; ++r) {
        for (int c = r == 0 ? 1 : 0; c < columns; ++c) {
            grid[r][c] = "=SUM(" + previous + ",1)";
            previous = CellReference::text(r, c);
        }
    }
    return grid;
}

// The benchmark sheet whose last column sums A1 and the rest of its row
// (=SUM(A1,Bn:GQn)): with column A's average, 1,000 formulas read A1.
CellGrid makeThousandReadersGrid()
{
    CellGrid grid = makeBenchmarkGrid();
    const QString lastDataColumn = CellReference::columnName(columns - 2);
    for (int r = 0; r < rows - 1; ++r) {
        const QString rowNumber = QString::number(r + 1);
        grid[r][columns - 1] = "=SUM(A1,B" + rowNumber + ':' + lastDataColumn + rowNumber + ')';
    }
    return grid;
}

// A pass that evaluates every cell: replacing the values a file cached makes
// the next pass evaluate every formula and show every cell anew.
void timeFullPasses(benchmark::State &state, ExcelDocument &document)
{
    for (auto _ : state) {
        document.setCachedEvaluatedCells(document.cachedEvaluatedCells());
        document.recalculate();
    }
    state.counters["cells/s"] = benchmark::Counter(double(rows) * columns, benchmark::Counter::kIsIterationInvariantRate);
}

void fullRecalculation(benchmark::State &state)
{
    ExcelDocument document;
    load(document);
    const bool formulasAdd = document.evaluatedCell(0, columns - 1) != u"0"
                          && document.evaluatedCell(rows - 1, 0) != u"0";
    if (!formulasAdd)
        state.SkipWithError("the row sums or column averages read no numbers");
    timeFullPasses(state, document);
}

// recalculate() after nothing changed.
void recalculationWithoutEdits(benchmark::State &state)
{
    ExcelDocument document;
    load(document);
    for (auto _ : state)
        document.recalculate();
}

void fullRecalculationOfChain(benchmark::State &state)
{
    ExcelDocument document;
    document.setCells(makeChainGrid());
    document.recalculate();
    QCoreApplication::processEvents();
    if (document.evaluatedCell(rows - 1, columns - 1) != QString::number(rows * columns))
        state.SkipWithError("the chain did not settle in one pass");
    timeFullPasses(state, document);
}

// A new document given `grid` and its first recalculation, from empty values.
void timeFirstPass(benchmark::State &state, const CellGrid &grid)
{
    for (auto _ : state) {
        ExcelDocument document;
        document.setCells(grid);
        document.recalculate();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// Setting the chain's cells and the first pass: compiling every formula too.
void firstPassOfChain(benchmark::State &state)
{
    timeFirstPass(state, makeChainGrid());
}

// The chain from 1.5: every result has a fraction, so every cell shows a
// rounded text and keeps its unrounded number.
void firstPassOfDecimalChain(benchmark::State &state)
{
    timeFirstPass(state, makeChainGrid(QStringLiteral("1.5")));
}

// One cell edit as the editor makes it, the deferred save and recalculation
// included, on a sheet already recalculated; the edits write integers, or
// numbers with a fraction when `fraction` is given.
void timeCellEdits(benchmark::State &state, const CellGrid &grid, int row, int col,
                   const QString &fraction = QString())
{
    ExcelDocument document;
    document.setCells(grid);
    document.recalculate();
    QCoreApplication::processEvents();
    int edit = 0;
    for (auto _ : state) {
        document.setCell(row, col, QString::number(++edit % 1000) + fraction);
        QCoreApplication::processEvents();
    }
}

// A new head for the decimal chain: all 200,000 results change.
void editAtHeadOfDecimalChain(benchmark::State &state)
{
    timeCellEdits(state, makeChainGrid(QStringLiteral("1.5")), 0, 0, QStringLiteral(".25"));
}

// The bottom right cell (the average of the row sums) becomes a number: no
// formula reads it.
void editOfUnreadCell(benchmark::State &state)
{
    timeCellEdits(state, benchmarkGrid(), rows - 1, columns - 1);
}

void editReadByThousandSums(benchmark::State &state)
{
    timeCellEdits(state, makeThousandReadersGrid(), 0, 0);
}

// A macro writing numbers into A1:CV100, which the row sums and the column
// averages read, and the recalculation its one bulk write queues.
void macroWritingTenThousandCells(benchmark::State &state)
{
    ExcelDocument document;
    load(document);
    ExcelVBAEngine engine;
    engine.document = &document;
    int run = 0;
    for (auto _ : state) {
        engine.run(QStringLiteral("Sub A()\nFor r = 1 To 100\nFor c = 1 To 100\nCells(r, c) = r + c + %1\nNext c\nNext r\nEnd Sub")
                       .arg(++run));
        QCoreApplication::processEvents();
    }
    if (document.cell(99, 99) != QString::number(200 + run))
        state.SkipWithError("the macro did not write its cells");
}

// Times `edit` on the freshly loaded sheet, the recalculation it triggers
// included; loading and the deferred work it queues are not timed.
template <typename Edit>
void timeEdit(benchmark::State &state, Edit edit)
{
    ExcelDocument document;
    for (auto _ : state) {
        state.PauseTiming();
        load(document);
        state.ResumeTiming();
        edit(document);
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// Opening a sheet whose every cell is =SUM(A1:GR1000): the first pass over
// the values the file cached (`cached(row, col)`, "" for none), as the
// readers leave the document.
template <typename Cached>
void openEveryCellSummingTheGrid(benchmark::State &state, Cached cached)
{
    ExcelSheet sheet;
    sheet.name = QStringLiteral("Sheet1");
    sheet.cells = makeEmptyGrid(rows, columns);
    sheet.evaluatedCells = makeEmptyGrid(rows, columns);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            sheet.cells[r][c] = wholeGridSum;
            sheet.evaluatedCells[r][c] = cached(r, c);
        }
    }
    sheet.cachedEvaluatedCells = sheet.evaluatedCells;
    for (auto _ : state) {
        ExcelDocument document;
        document.replaceSheets({sheet}); // shows the sheet: one recalculation
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void openEveryCellSumsTheGridWithoutCaches(benchmark::State &state)
{
    openEveryCellSummingTheGrid(state, [](int, int) { return QString(); });
}

void openEveryCellSumsTheGridWithIntegerCaches(benchmark::State &state)
{
    openEveryCellSummingTheGrid(state, [](int r, int c) { return QString::number((r + c) % 10); });
}

// Decimal caches that cancel out: the sums grow until they overflow, after
// which every sum is certain.
void openEveryCellSumsTheGridWithDecimalCaches(benchmark::State &state)
{
    openEveryCellSummingTheGrid(state, [](int r, int c) {
        return (r + c) % 2 ? QStringLiteral("0.1") : QStringLiteral("-0.1");
    });
}

// The costly case: tiny decimal caches whose sums show as "0.00", so every
// sum holds numbers that are no binary fractions until the pass ends and is
// added again from the row that changed.
void openEveryCellSumsTheGridWithTinyDecimalCaches(benchmark::State &state)
{
    openEveryCellSummingTheGrid(state, [](int, int) { return QStringLiteral("1e-20"); });
}

// One cell edit, and the recalculation it causes, on the sheet whose last
// column holds 1,000 sums of the whole grid.
void editUnderThousandSelfSums(benchmark::State &state)
{
    ExcelDocument document;
    document.setCells(makeSelfSumGrid());
    document.recalculate();
    QCoreApplication::processEvents();
    int edit = 0;
    for (auto _ : state) {
        document.setCell(10, 10, QString::number(++edit));
        document.recalculate();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// The first recalculation of that sheet, from empty values.
void firstPassOfThousandSelfSums(benchmark::State &state)
{
    timeFirstPass(state, makeSelfSumGrid());
}

void insertColumnAtZero(benchmark::State &state)
{
    timeEdit(state, [](ExcelDocument &document) { document.insertColumn(0); });
}

void mergeBlock(benchmark::State &state)
{
    timeEdit(state, [](ExcelDocument &document) { document.mergeCells(10, 10, 109, 29); }); // 100 × 20
}

void exportCsv(benchmark::State &state)
{
    ExcelDocument document;
    load(document);
    qsizetype size = 0;
    for (auto _ : state)
        size = document.exportCSV().size();
    state.counters["chars"] = double(size);
}

void readCsv(benchmark::State &state)
{
    ExcelDocument source;
    load(source);
    const QString csv = source.exportCSV();
    for (auto _ : state) {
        ExcelDocument document(csv); // reads and recalculates
        benchmark::DoNotOptimize(document.rowCount());
    }
}

void exportAndReadCsv(benchmark::State &state)
{
    ExcelDocument source;
    load(source);
    for (auto _ : state) {
        ExcelDocument document(source.exportCSV());
        benchmark::DoNotOptimize(document.rowCount());
    }
}

} // namespace

BENCHMARK(fullRecalculation)->Unit(benchmark::kMillisecond);
BENCHMARK(recalculationWithoutEdits)->Unit(benchmark::kMillisecond);
BENCHMARK(fullRecalculationOfChain)->Unit(benchmark::kMillisecond);
BENCHMARK(firstPassOfChain)->Unit(benchmark::kMillisecond);
BENCHMARK(firstPassOfDecimalChain)->Unit(benchmark::kMillisecond);
BENCHMARK(editAtHeadOfDecimalChain)->Unit(benchmark::kMillisecond);
BENCHMARK(editOfUnreadCell)->Unit(benchmark::kMillisecond);
BENCHMARK(editReadByThousandSums)->Unit(benchmark::kMillisecond);
BENCHMARK(macroWritingTenThousandCells)->Unit(benchmark::kMillisecond);
BENCHMARK(insertColumnAtZero)->Unit(benchmark::kMillisecond);
BENCHMARK(mergeBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(exportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(readCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(exportAndReadCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(openEveryCellSumsTheGridWithoutCaches)->Unit(benchmark::kMillisecond);
BENCHMARK(openEveryCellSumsTheGridWithIntegerCaches)->Unit(benchmark::kMillisecond);
BENCHMARK(openEveryCellSumsTheGridWithDecimalCaches)->Unit(benchmark::kMillisecond);
BENCHMARK(openEveryCellSumsTheGridWithTinyDecimalCaches)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(firstPassOfThousandSelfSums)->Unit(benchmark::kMillisecond);
BENCHMARK(editUnderThousandSelfSums)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
