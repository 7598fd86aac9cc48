// The presentation package on a 200-slide deck: every slide holds the two
// placeholders and one object of each type with a multi-line text and an
// animation. Exports it, and imports the package exported once beforehand.
#include "BenchMain.h"
#include "presentation/document/PowerPointDocument.h"

#include <QDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int slideCount = 200;

QString benchFile() { return QDir::temp().filePath(QStringLiteral("morvane-bench-deck.pptx")); }

void fill(PowerPointDocument &document)
{
    for (int i = 1; i < slideCount; ++i)
        document.addSlide();
    for (int i = 0; i < slideCount; ++i) {
        for (const SlideObjectType type : SlideObjectTypes::all()) {
            document.addObject(type, i);
            SlideObject object = document.slides()[i].objects.last();
            object.text = QStringLiteral("スライド %1 の %2\n二行目 & <三行目>").arg(i).arg(SlideObjectTypes::stringValue(type));
            object.animationType = SlideAnimationType::Fade;
            object.animationOrder = int(type);
            object.x += i * 0.5;
            document.updateObject(i, object);
        }
    }
}

void BM_ExportDeck(benchmark::State &state)
{
    PowerPointDocument document;
    fill(document);
    for (auto _ : state) {
        PresentationError error;
        if (!document.exportPPTX(benchFile(), &error))
            state.SkipWithError(error.message.toUtf8().constData());
    }
    state.SetItemsProcessed(state.iterations() * slideCount);
}
BENCHMARK(BM_ExportDeck)->Unit(benchmark::kMillisecond);

void BM_ImportDeck(benchmark::State &state)
{
    PowerPointDocument written;
    fill(written);
    PresentationError error;
    if (!written.exportPPTX(benchFile(), &error)) {
        state.SkipWithError(error.message.toUtf8().constData());
        return;
    }
    for (auto _ : state) {
        PowerPointDocument document;
        if (!document.importPPTX(benchFile(), &error))
            state.SkipWithError(error.message.toUtf8().constData());
        benchmark::DoNotOptimize(document.slideCount());
    }
    state.SetItemsProcessed(state.iterations() * slideCount);
}
BENCHMARK(BM_ImportDeck)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    const int result = runBenchmarks(argc, argv);
    QFile::remove(benchFile());
    return result;
}
