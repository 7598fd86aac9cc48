// DOCX writing on a 200-page document: 4,000 paragraphs of about 150
// characters, every tenth paragraph in a list, 200 footnotes and 50 pictures
// (64 × 64 PNG). Reports the time of one write and the peak resident memory.
// A python-docx script for the same paragraphs and pictures is written beside
// the output (morvane-bench-python-docx.py) to time the peer by hand:
//   /usr/bin/time -v /usr/bin/python3 /tmp/morvane-bench-python-docx.py
//
//   bench_docx --fixture OUT.docx       writes the same document with 50
//                                       photo-like pictures (5.5 MB of PNG)
//   bench_docx --convert IN.docx OUT.docx
//                                       opens a .docx and saves it as the
//                                       word processor does, for timing
//                                       beside another program, e.g.
//   python3 -c 'import docx,sys; docx.Document(sys.argv[1]).save(sys.argv[2])' IN OUT
#include "BenchMain.h"
#include "docx/writer/DocXWriter.h"
#include "word/document/WordDocumentFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>

#include <sys/resource.h>

namespace {

constexpr int paragraphCount = 4000;
constexpr int footnoteCount = 200;
constexpr int pictureCount = 50;

QString output() { return QDir::temp().filePath(QStringLiteral("morvane-bench-docx.docx")); }

QString paragraphText(int index)
{
    return QStringLiteral("Paragraph %1: 吾輩は猫である。名前はまだ無い。The quick brown fox jumps over the lazy dog, "
                          "and the text goes on for a while so that a line of the page is filled. ")
        .arg(index);
}

enum class PictureKind { Flat, Photo };

// A flat 64 × 64 colour, or 220 × 170 pixels of noise that PNG cannot
// shrink (about 110 KB, like a photograph).
TextAttachmentPointer makePicture(int index, PictureKind kind = PictureKind::Flat)
{
    QImage image = kind == PictureKind::Flat ? QImage(64, 64, QImage::Format_RGB32) : QImage(220, 170, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(index * 7 % 360, 200, 220));
    if (kind == PictureKind::Photo) {
        QRandomGenerator random(quint32(index + 1));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, random.generate() | 0xFF000000u);
    }
    auto attachment = std::make_shared<TextAttachment>();
    QBuffer buffer(&attachment->contents);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    attachment->fileType = QStringLiteral("image/png");
    return attachment;
}

StyledText makeDocument(PictureKind pictures = PictureKind::Flat)
{
    StyledText text;
    TextAttributes plain;
    plain.font = FontDescriptor{QStringLiteral("Noto Serif CJK JP"), QString(), 10.5, false, false};
    TextAttributes bold = plain;
    bold.font->bold = true;
    TextAttributes listed = plain;
    ParagraphStyle listStyle;
    listStyle.textLists = {TextList{QStringLiteral("{decimal}"), 1}};
    listed.paragraphStyle = listStyle;
    const int footnoteEvery = paragraphCount / footnoteCount;
    const int pictureEvery = paragraphCount / pictureCount;
    for (int p = 0; p < paragraphCount; ++p) {
        const TextAttributes &base = p % 10 < 3 ? listed : plain;
        text.append(QStringLiteral("Bold start "), p % 10 < 3 ? listed : bold);
        text.append(paragraphText(p), base);
        if (p % footnoteEvery == 0) {
            TextAttributes reference = base;
            reference.footnoteReferenceId = p / footnoteEvery + 1;
            text.append(QStringLiteral("*"), reference);
        }
        if (p % pictureEvery == 0) {
            TextAttributes picture = base;
            picture.attachment = makePicture(p, pictures);
            text.append(QString(QChar(0xFFFC)), picture);
        }
        text.append(QStringLiteral("\n"), base);
    }
    for (int n = 1; n <= footnoteCount; ++n) {
        TextAttributes body = plain;
        body.footnoteBodyId = n;
        text.append(QStringLiteral("Footnote %1 explains the point in a sentence.\n").arg(n), body);
    }
    return text;
}

void writePythonDocxScript()
{
    const QString picture = QDir::temp().filePath(QStringLiteral("morvane-bench-picture.png"));
    QFile pictureFile(picture);
    if (pictureFile.open(QIODevice::WriteOnly))
        pictureFile.write(makePicture(0)->contents);
    QFile script(QDir::temp().filePath(QStringLiteral("morvane-bench-python-docx.py")));
    if (!script.open(QIODevice::WriteOnly))
        return;
    const QString text = paragraphText(0).replace(QStringLiteral("Paragraph 0:"), QStringLiteral("Paragraph {}:"));
    script.write(QStringLiteral("import docx, time\n"
                                "start = time.time()\n"
                                "d = docx.Document()\n"
                                "for p in range(PARAGRAPHS):\n"
                                "    para = d.add_paragraph()\n"
                                "    para.add_run('Bold start ').bold = True\n"
                                "    para.add_run('TEXT'.format(p))\n"
                                "    if p % EVERY == 0:\n"
                                "        para.add_run().add_picture('PICTURE')\n"
                                "d.save('OUTPUT')\n"
                                "print('seconds', time.time() - start)\n")
                     .replace(QStringLiteral("PARAGRAPHS"), QString::number(paragraphCount))
                     .replace(QStringLiteral("EVERY"), QString::number(paragraphCount / pictureCount))
                     .replace(QStringLiteral("TEXT"), text)
                     .replace(QStringLiteral("PICTURE"), picture)
                     .replace(QStringLiteral("OUTPUT"), QDir::temp().filePath(QStringLiteral("morvane-bench-python-docx.docx")))
                     .toUtf8());
}

void BM_WriteDocx200Pages(benchmark::State &state)
{
    const StyledText document = makeDocument();
    writePythonDocxScript();
    for (auto _ : state) {
        const DocXSavingError error = DocXWriter::write({document}, output());
        if (error.isError())
            state.SkipWithError(qPrintable(error.text()));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_mb"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["file_kb"] = double(QFile(output()).size()) / 1024.0;
}
BENCHMARK(BM_WriteDocx200Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

int writeFixture(const QString &path)
{
    const DocXSavingError error = DocXWriter::write({makeDocument(PictureKind::Photo)}, path);
    if (error.isError())
        std::cerr << qPrintable(error.text()) << std::endl;
    return error.isError() ? 1 : 0;
}

int convert(const QString &input, const QString &output)
{
    StyledText text;
    QString error;
    if (!WordDocumentFiles::read(input, &text, &error) || !WordDocumentFiles::write(text, output, DocumentFormat::Docx, &error)) {
        std::cerr << qPrintable(error) << std::endl;
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--fixture") == 0) {
        QCoreApplication app(argc, argv);
        return writeFixture(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && std::strcmp(argv[1], "--convert") == 0) {
        QCoreApplication app(argc, argv);
        return convert(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    return runBenchmarks(argc, argv);
}
