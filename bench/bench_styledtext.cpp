// Styled text at document size: a page is 3,000 characters in 20 paragraphs
// of 10 runs, so 200 pages are 600,000 characters, 4,000 paragraphs and
// 40,000 runs. Each case runs at 50 and 200 pages; linear work shows a ratio
// of about 4 between the two.
#include "BenchMain.h"
#include "textsystem/StyledText.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int paragraphsPerPage = 20;
constexpr int runsPerParagraph = 10;
// "word " three times per run; the last run of a paragraph ends in a line feed.
const QString runText = QStringLiteral("word word word ");

TextAttributes runAttributes(int run)
{
    TextAttributes attributes;
    attributes.font = FontDescriptor{QStringLiteral("Noto Serif CJK JP"), {}, 10.5, run % 2 == 1, false};
    if (run % 3 == 0)
        attributes.underlineStyle = TextLineStyle::single;
    return attributes;
}

StyledText makeText(int pages)
{
    StyledText text;
    const QString lastRun = runText.chopped(1) + u'\n';
    for (int paragraph = 0; paragraph < pages * paragraphsPerPage; ++paragraph) {
        for (int run = 0; run < runsPerParagraph; ++run)
            text.append(run == runsPerParagraph - 1 ? lastRun : runText, runAttributes(run));
    }
    return text;
}

void setPages(benchmark::State &state, const StyledText &text)
{
    state.counters["characters"] = double(text.length());
    state.counters["runs"] = double(text.runCount());
}

void BM_BuildByAppending(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(makeText(int(state.range(0))));
    setPages(state, makeText(int(state.range(0))));
}

void BM_EnumerateRuns(benchmark::State &state)
{
    const StyledText text = makeText(int(state.range(0)));
    for (auto _ : state) {
        qsizetype covered = 0;
        text.forEachRun(TextRange::everything(), [&](const TextAttributes &attributes, TextRange range) {
            covered += attributes.font ? range.length : 0;
        });
        benchmark::DoNotOptimize(covered);
    }
    setPages(state, text);
}

// What the DOCX writer does: cut the paragraphs and take each one's content.
void BM_ParagraphsAndMid(benchmark::State &state)
{
    const StyledText text = makeText(int(state.range(0)));
    for (auto _ : state) {
        qsizetype runs = 0;
        for (const TextParagraph &paragraph : text.paragraphs())
            runs += text.mid(paragraph.content).runCount();
        benchmark::DoNotOptimize(runs);
    }
    setPages(state, text);
}

// Includes one copy of the text per iteration, so each starts uncoloured.
void BM_ColourEveryOtherWord(benchmark::State &state)
{
    const StyledText original = makeText(int(state.range(0)));
    const auto colour = [](TextAttributes &attributes) { attributes.foreground = QColor(Qt::red); };
    qsizetype runs = 0;
    for (auto _ : state) {
        StyledText text = original;
        for (qsizetype word = 0; word + 5 <= text.length(); word += 10)
            text.modifyAttributes({word, 4}, colour);
        runs = text.runCount();
        benchmark::DoNotOptimize(text);
    }
    state.counters["runs after"] = double(runs);
}

} // namespace

BENCHMARK(BM_BuildByAppending)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnumerateRuns)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParagraphsAndMid)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColourEveryOtherWord)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
