// Word 97 documents: writing and reading a text of 50 and 200 pages
// (3,000 characters, 20 paragraphs and 200 runs per page).

#include "BenchMain.h"

#include "textsystem/doc/DocReader.h"
#include "textsystem/doc/DocWriter.h"

#include <QFile>

namespace {

StyledText pages(int count)
{
    StyledText text;
    const QString word = QStringLiteral("word日本 word日本 x"); // 15 characters
    int run = 0;
    for (int paragraph = 0; paragraph < count * 20; ++paragraph) {
        ParagraphStyle style;
        style.alignment = paragraph % 3 ? TextAlignment::Natural : TextAlignment::Justified;
        style.spacingAfter = paragraph % 5;
        for (int r = 0; r < 10; ++r, ++run) {
            TextAttributes attributes;
            attributes.font = FontDescriptor{run % 2 ? "Times New Roman" : "Noto Sans CJK JP", {}, 10.0 + run % 5,
                                             run % 3 == 0, run % 7 == 0};
            if (run % 4 == 0)
                attributes.foreground = QColor(200, 0, 0);
            attributes.paragraphStyle = style;
            QString characters = word;
            if (r == 9)
                characters.back() = u'\n';
            text.append(characters, attributes);
        }
    }
    return text;
}

void writeDocument(benchmark::State &state)
{
    const StyledText text = pages(int(state.range(0)));
    qint64 size = 0;
    for (auto _ : state)
        size = DocWriter::write(text).size();
    state.counters["bytes"] = double(size);
    state.counters["characters"] = double(text.length());
}

void readDocument(benchmark::State &state)
{
    const QByteArray file = DocWriter::write(pages(int(state.range(0))));
    if (!qEnvironmentVariableIsEmpty("MORVANE_BENCH_DOC_OUT")) {
        QFile out(qEnvironmentVariable("MORVANE_BENCH_DOC_OUT"));
        if (out.open(QIODevice::WriteOnly))
            out.write(file);
    }
    for (auto _ : state) {
        const auto text = DocReader::read(file, nullptr);
        benchmark::DoNotOptimize(text);
    }
}

} // namespace

BENCHMARK(writeDocument)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(readDocument)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
