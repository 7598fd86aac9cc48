// XLSX on a full-size sheet: 1000 × 200 cells (numbers, texts, a SUM over
// each row in the last column), every 7th cell bold or italic, every 13th
// with a background, and 100 merged 2 × 2 blocks. Writes it, reads it back,
// and reads a workbook of the same content written by XlsxWriter (made once
// in the temporary directory when /usr/bin/python3 has xlsxwriter). Opens a
// small workbook too: what most files cost.
//
// For timing the whole process beside other programs (farm-bench):
//   bench_xlsx --open IN.xlsx            opens the workbook
//   bench_xlsx --read IN.xlsx            only reads its sheets (no recalculation)
//   bench_xlsx --convert IN.xlsx OUT.xlsx  opens it and saves it again
//   bench_xlsx --write-chain OUT.xlsx START  writes 1000 × 200 formulas in
//                                        chains along each row: =SUM(START) in
//                                        column A, =SUM(<left neighbour>,1)
//                                        after it (START 1.5: decimal results)
//   bench_xlsx --floor IN.xlsx           only unzips its worksheets and shared
//                                        strings in memory and parses them with
//                                        pugixml: what any XLSX open must cost
#include "BenchMain.h"
#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/xlsx/XlsxReader.h"
#include "spreadsheet/engine/xlsx/XlsxStyleTable.h"
#include "spreadsheet/engine/xlsx/XlsxWorksheetWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <zip.h>

namespace {

constexpr int rows = ExcelDocument::maxRowCount;
constexpr int columns = ExcelDocument::maxColumnCount;

QString ourFile() { return QDir::temp().filePath(QStringLiteral("morvane-bench-ours.xlsx")); }
QString xlsxWriterFile() { return QDir::temp().filePath(QStringLiteral("morvane-bench-xlsxwriter.xlsx")); }

CellGrid makeGrid()
{
    CellGrid grid = makeEmptyGrid(rows, columns);
    const QString lastDataColumn = CellReference::columnName(columns - 2);
    for (int r = 0; r < rows; ++r) {
        QStringList &row = grid[r];
        for (int c = 0; c < columns - 1; ++c)
            row[c] = c % 2 == 0 ? QString::number((r * 31 + c * 7) % 1000) + QStringLiteral(".25")
                                : QStringLiteral("text %1").arg((r * 13 + c) % 997);
        const QString rowNumber = QString::number(r + 1);
        row[columns - 1] = QStringLiteral("=SUM(A") + rowNumber + u':' + lastDataColumn + rowNumber + u')';
    }
    return grid;
}

CellStyleMap makeStyles()
{
    const QString colors[] = {QStringLiteral("#FF0000"), QStringLiteral("#00AA00"), QStringLiteral("#0000FF")};
    CellStyleMap styles;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int n = r * columns + c;
            CellStyle style;
            if (n % 7 == 0) {
                style.isBold = n % 2 == 0;
                style.isItalic = n % 2 == 1;
                style.textColorHex = colors[n % 3];
            }
            if (n % 13 == 0)
                style.bgColorHex = colors[(n / 13) % 3];
            if (style != CellStyle{})
                styles.insert(CellReference::text(r, c), style);
        }
    }
    return styles;
}

QList<ExcelRange> makeMerges()
{
    QList<ExcelRange> merges;
    for (int i = 0; i < 100; ++i)
        merges.append({i * 10, (i * 3) % (columns - 2), i * 10 + 1, (i * 3) % (columns - 2) + 1});
    return merges;
}

void load(ExcelDocument &document)
{
    document.setCells(makeGrid());
    document.setCellStyles(makeStyles());
    document.setMergedRanges(makeMerges());
    document.recalculate();
    QCoreApplication::processEvents();
}

// The same content through XlsxWriter, made once.
const char *xlsxWriterScript = R"py(
import sys, xlsxwriter
rows, cols = 1000, 200
wb = xlsxwriter.Workbook(sys.argv[1])
ws = wb.add_worksheet("Sheet1")
colors = ["#FF0000", "#00AA00", "#0000FF"]
formats = {}
def fmt(n):
    key = (n % 7 == 0, n % 2, n % 3, n % 13 == 0, (n // 13) % 3)
    if not key[0] and not key[3]:
        return None
    if key not in formats:
        props = {}
        if key[0]:
            props.update({"bold": n % 2 == 0, "italic": n % 2 == 1, "font_color": colors[n % 3]})
        if key[3]:
            props.update({"bg_color": colors[(n // 13) % 3], "pattern": 1})
        formats[key] = wb.add_format(props)
    return formats[key]
for r in range(rows):
    for c in range(cols - 1):
        n = r * cols + c
        if c % 2 == 0:
            ws.write_number(r, c, (r * 31 + c * 7) % 1000 + 0.25, fmt(n))
        else:
            ws.write_string(r, c, "text %d" % ((r * 13 + c) % 997), fmt(n))
    ws.write_formula(r, cols - 1, "=SUM(A%d:GQ%d)" % (r + 1, r + 1), fmt(r * cols + cols - 1))
for i in range(100):
    c = (i * 3) % (cols - 2)
    ws.merge_range(i * 10, c, i * 10 + 1, c + 1, None)
wb.close()
)py";

bool ensureXlsxWriterFile()
{
    if (QFile::exists(xlsxWriterFile()))
        return true;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), xlsxWriterScript, xlsxWriterFile()});
    return python.waitForFinished(300000) && python.exitCode() == 0 && QFile::exists(xlsxWriterFile());
}

void writeWorkbook(benchmark::State &state)
{
    ExcelDocument document;
    load(document);
    for (auto _ : state) {
        ExcelError error;
        if (!document.exportXLSX(ourFile(), &error))
            state.SkipWithError(qPrintable(error.message));
    }
    state.counters["bytes"] = double(QFileInfo(ourFile()).size());
}

// The worksheet part alone, styles collected, nothing written to disk: the
// save's own work without the archive and the flush to disk. SheetJS's write
// of the same workbook is timed by
//   node bench/sheetjs_convert.js --time-write IN.xlsx OUT.xlsx
void buildWorksheetPart(benchmark::State &state)
{
    ExcelDocument document;
    load(document);
    document.saveCurrentSheet();
    qsizetype bytes = 0;
    for (auto _ : state) {
        const XlsxStyleTable styles(document.sheets());
        bytes = XlsxWorksheetWriter::toPart(document.sheets().front(), styles.styledCells(0)).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}

void readOurs(benchmark::State &state)
{
    for (auto _ : state) {
        ExcelError error;
        const auto sheets = XlsxReader::read(ourFile(), &error);
        if (!sheets)
            state.SkipWithError(qPrintable(error.message));
        benchmark::DoNotOptimize(sheets);
    }
}

void importOurs(benchmark::State &state) // read, replace the sheets, recalculate
{
    ExcelDocument document;
    for (auto _ : state) {
        ExcelError error;
        if (!document.importXLSX(ourFile(), &error))
            state.SkipWithError(qPrintable(error.message));
    }
}

// A small workbook as most files are: three sheets of 20 rows × 6 columns
// (numbers, texts, a SUM per row, a bold header row), written once.
QString smallFile() { return QDir::temp().filePath(QStringLiteral("morvane-bench-small.xlsx")); }

bool ensureSmallFile()
{
    ExcelDocument document;
    for (int s = 0; s < 3; ++s) {
        if (s > 0)
            document.addSheet();
        CellGrid grid = makeEmptyGrid(20, 6);
        for (int r = 0; r < 20; ++r) {
            for (int c = 0; c < 5; ++c)
                grid[r][c] = r == 0 ? QStringLiteral("head %1").arg(c)
                             : c % 2 ? QStringLiteral("text %1").arg(r * 5 + c)
                                     : QString::number(r * 7 + c) + QStringLiteral(".5");
            grid[r][5] = QStringLiteral("=SUM(A%1:E%1)").arg(r + 1);
        }
        document.setCells(grid);
        for (int c = 0; c < 6; ++c)
            document.setCellStyle(CellReference::text(0, c), CellStyle{true, false, std::nullopt, std::nullopt});
        document.recalculate();
    }
    ExcelError error;
    return document.exportXLSX(smallFile(), &error);
}

void openSmallWorkbook(benchmark::State &state) // read, replace the sheets, recalculate
{
    if (!ensureSmallFile()) {
        state.SkipWithError("cannot write the small workbook");
        return;
    }
    ExcelDocument document;
    for (auto _ : state) {
        ExcelError error;
        if (!document.importXLSX(smallFile(), &error))
            state.SkipWithError(qPrintable(error.message));
    }
    state.counters["bytes"] = double(QFileInfo(smallFile()).size());
}

void readXlsxWriter(benchmark::State &state)
{
    if (!ensureXlsxWriterFile()) {
        state.SkipWithError("needs /usr/bin/python3 with xlsxwriter");
        return;
    }
    for (auto _ : state) {
        ExcelError error;
        const auto sheets = XlsxReader::read(xlsxWriterFile(), &error);
        if (!sheets)
            state.SkipWithError(qPrintable(error.message));
        benchmark::DoNotOptimize(sheets);
    }
    state.counters["bytes"] = double(QFileInfo(xlsxWriterFile()).size());
}

} // namespace

BENCHMARK(writeWorkbook)->Unit(benchmark::kMillisecond);
BENCHMARK(buildWorksheetPart)->Unit(benchmark::kMillisecond);
BENCHMARK(readOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(importOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(readXlsxWriter)->Unit(benchmark::kMillisecond);
BENCHMARK(openSmallWorkbook)->Unit(benchmark::kMicrosecond);

// Opens `in` as the editor does (read, replace the sheets, recalculate) and,
// when `out` is given, saves it there. Returns the process exit code.
int openAndSave(int argc, char **argv, const QString &in, const QString &out)
{
    QCoreApplication app(argc, argv);
    ExcelDocument document;
    ExcelError error;
    if (!document.importXLSX(in, &error) || (!out.isEmpty() && !document.exportXLSX(out, &error))) {
        fprintf(stderr, "%s\n", qPrintable(error.message));
        return 1;
    }
    return 0;
}

// Writes the chained formulas to `out`. Returns the process exit code.
int writeChain(int argc, char **argv, const QString &out, const QString &start)
{
    QCoreApplication app(argc, argv);
    CellGrid grid = makeEmptyGrid(rows, columns);
    for (int r = 0; r < rows; ++r) {
        grid[r][0] = "=SUM(" + start + ')';
        for (int c = 1; c < columns; ++c)
            grid[r][c] = "=SUM(" + CellReference::text(r, c - 1) + ",1)";
    }
    ExcelDocument document;
    document.setCells(grid);
    document.recalculate();
    ExcelError error;
    if (!document.exportXLSX(out, &error)) {
        fprintf(stderr, "%s\n", qPrintable(error.message));
        return 1;
    }
    return 0;
}

// Unzips each worksheet part and the shared strings into memory and parses
// them in place with pugixml's default flags. Returns the process exit code.
int parseFloor(const char *in)
{
    int code = 0;
    zip_t *archive = zip_open(in, ZIP_RDONLY, &code);
    if (!archive) {
        fprintf(stderr, "cannot open %s\n", in);
        return 1;
    }
    size_t elements = 0;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0)
            continue;
        const QByteArray name(stat.name);
        if (!name.startsWith("xl/worksheets/sheet") && name != "xl/sharedStrings.xml")
            continue;
        char *buffer = static_cast<char *>(pugi::get_memory_allocation_function()(stat.size + 1));
        zip_file_t *file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        const zip_int64_t read = file ? zip_fread(file, buffer, stat.size) : -1;
        if (file)
            zip_fclose(file);
        if (read != zip_int64_t(stat.size)) {
            pugi::get_memory_deallocation_function()(buffer);
            fprintf(stderr, "cannot read %s\n", name.constData());
            return 1;
        }
        pugi::xml_document doc;
        if (!doc.load_buffer_inplace_own(buffer, stat.size)) {
            fprintf(stderr, "cannot read %s\n", name.constData());
            return 1;
        }
        elements += size_t(std::distance(doc.document_element().begin(), doc.document_element().end()));
    }
    zip_discard(archive);
    return elements > 0 ? 0 : 1;
}

// Reads the sheets of `in` without making a document of them. Returns the
// process exit code.
int readOnly(int argc, char **argv, const QString &in)
{
    QCoreApplication app(argc, argv);
    ExcelError error;
    if (!XlsxReader::read(in, &error)) {
        fprintf(stderr, "%s\n", qPrintable(error.message));
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 2 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--open")
        return openAndSave(argc, argv, QString::fromLocal8Bit(argv[2]), {});
    if (mode == "--read")
        return readOnly(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (mode == "--floor")
        return parseFloor(argv[2]);
    if (mode == "--write-chain" && argc > 3)
        return writeChain(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (mode == "--convert" && argc > 3)
        return openAndSave(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    return runBenchmarks(argc, argv);
}
