// Painting the spreadsheet grid: the viewport of a 1000 × 200 sheet (half
// numbers, half short texts, every 7th row styled, a few merges, a selected
// range) rendered into an image at several scroll positions. One iteration
// is one frame. Runs on the offscreen platform.
#include "BenchMain.h"
#include "spreadsheet/editor/CellGridView.h"
#include "spreadsheet/editor/ExcelGridMetrics.h"
#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <benchmark/benchmark.h>

namespace {

constexpr int rows = ExcelDocument::maxRowCount;
constexpr int columns = ExcelDocument::maxColumnCount;

void fill(ExcelDocument &document)
{
    CellGrid grid = makeEmptyGrid(rows, columns);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            grid[r][c] = c % 2 == 0 ? QString::number((r * 31 + c * 7) % 1000)
                                    : QStringLiteral("text %1").arg(r % 97);
    }
    document.setCells(grid);
    CellStyleMap styles;
    for (int r = 0; r < rows; r += 7) {
        for (int c = 0; c < columns; c += 3)
            styles.insert(CellReference::text(r, c),
                          CellStyle{true, r % 2 == 0, QStringLiteral("#C00000"), QStringLiteral("#FFF2CC")});
    }
    document.setCellStyles(styles);
    QList<ExcelRange> merges;
    for (int r = 10; r < rows; r += 50)
        merges.append({r, 2, r + 2, 4});
    document.setMergedRanges(merges);
    document.recalculate();
    QCoreApplication::processEvents();
}

struct GridFixture {
    GridFixture()
    {
        fill(document);
        grid.setAttribute(Qt::WA_DontShowOnScreen);
        grid.resize(1280, 800);
        grid.show();
        grid.setSelection({CellAddress{500, 100}, ExcelRange{495, 98, 520, 105}});
        QCoreApplication::processEvents();
    }
    ExcelDocument document;
    CellGridView grid{&document};
};

GridFixture &fixture()
{
    // Never destroyed: widgets must not outlive the QApplication, which goes first.
    static GridFixture *instance = new GridFixture;
    return *instance;
}

// Scroll position as a fraction (per mille) of each scroll range.
void paintViewport(benchmark::State &state)
{
    GridFixture &f = fixture();
    const int horizontal = f.grid.horizontalScrollBar()->maximum() * state.range(0) / 1000;
    const int vertical = f.grid.verticalScrollBar()->maximum() * state.range(1) / 1000;
    f.grid.scrollToContent(QPoint(horizontal, vertical));
    QWidget *viewport = f.grid.viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        viewport->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cells"] = double((viewport->width() / ExcelGridMetrics::cellWidth + 1)
                                     * (viewport->height() / ExcelGridMetrics::cellHeight + 1));
}
BENCHMARK(paintViewport)
    ->ArgNames({"x", "y"})
    ->Args({0, 0})
    ->Args({500, 500})
    ->Args({1000, 1000})
    ->Args({250, 900})
    ->Unit(benchmark::kMicrosecond);

// Scrolling one row at a time: move, then paint the whole viewport.
void scrollByRows(benchmark::State &state)
{
    GridFixture &f = fixture();
    QWidget *viewport = f.grid.viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar *bar = f.grid.verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + ExcelGridMetrics::cellHeight) % bar->maximum();
        bar->setValue(value);
        viewport->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(scrollByRows)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
