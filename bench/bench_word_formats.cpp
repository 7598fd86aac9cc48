// The word formats at document size: open and save a 5 MB RTF, open a
// 200-page DOCX (20 paragraphs of 10 runs a page, with paragraph and
// character styles), and extract text from 50 MB files, binary ones with a
// little text and ones that are mostly text.
//
//   bench_word_formats                      runs the benchmarks
//   bench_word_formats --fixtures FOLDER    writes the same files (big.rtf,
//                                           big.docx, big.jxw, big.wpd,
//                                           text.jxw, text.wpd) there
//   bench_word_formats --open FILE          opens one file and exits, for
//                                           timing beside another program
#include "BenchMain.h"

#include "platform/TemporaryFolder.h"
#include "platform/TextEncoding.h"
#include "platform/ZipArchive.h"
#include "docx/reader/DocXReader.h"
#include "textsystem/plain/IchitaroParser.h"
#include "textsystem/rtf/RtfReader.h"
#include "textsystem/rtf/RtfWriter.h"
#include "textsystem/plain/WordPerfectParser.h"
#include "word/document/WordDocumentFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>

namespace {

constexpr qint64 rtfBytes = 5 * 1024 * 1024;
constexpr int docxPages = 200;
constexpr qint64 binaryBytes = 50 * 1024 * 1024;

StyledText richText(qint64 minimumRtfBytes)
{
    StyledText text;
    TextAttributes plain;
    plain.font = FontDescriptor{QStringLiteral("Liberation Serif"), {}, 11, false, false};
    TextAttributes bold = plain;
    bold.font->bold = true;
    bold.foreground = QColor(180, 0, 0);
    TextAttributes japanese = plain;
    japanese.font->family = QStringLiteral("Noto Serif CJK JP");
    ParagraphStyle style;
    style.spacingAfter = 6;
    plain.paragraphStyle = bold.paragraphStyle = japanese.paragraphStyle = style;
    while (RtfWriter::write(text).size() < minimumRtfBytes) {
        for (int i = 0; i < 2000; ++i) {
            text.append(QStringLiteral("A paragraph of ordinary words with "), plain);
            text.append(QStringLiteral("bold red"), bold);
            text.append(QString::fromUtf16(u" and 日本語の文章も少し "), japanese);
            text.append(QStringLiteral("to end the line.\n"), plain);
        }
    }
    return text;
}

QByteArray docxBody()
{
    QByteArray body;
    for (int paragraph = 0; paragraph < docxPages * 20; ++paragraph) {
        body += paragraph % 20 == 0 ? R"(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr>)" : "<w:p>";
        for (int run = 0; run < 10; ++run) {
            body += run % 2 ? R"(<w:r><w:rPr><w:b/><w:color w:val="C00000"/></w:rPr>)"
                            : run % 3 ? R"(<w:r><w:rPr><w:rStyle w:val="Emphasis"/></w:rPr>)" : "<w:r>";
            body += R"(<w:t xml:space="preserve">word word word </w:t></w:r>)";
        }
        body += "</w:p>";
    }
    return body;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writeDocx(const QString &path)
{
    const char *ns = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
                     R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
    TemporaryFolder parts;
    const QString rels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    const QString type = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    QString error;
    return writeFile(parts.filePath("[Content_Types].xml"),
                     R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/></Types>)")
        && writeFile(parts.filePath("_rels/.rels"),
                     (rels + R"(<Relationship Id="rId1" Type=")" + type + R"(officeDocument" Target="word/document.xml"/></Relationships>)").toUtf8())
        && writeFile(parts.filePath("word/_rels/document.xml.rels"),
                     (rels + R"(<Relationship Id="rId1" Type=")" + type + R"(styles" Target="styles.xml"/></Relationships>)").toUtf8())
        && writeFile(parts.filePath("word/styles.xml"),
                     QByteArray("<w:styles ") + ns + R"(><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Calibri"/><w:sz w:val="22"/></w:rPr></w:rPrDefault></w:docDefaults>)"
                         R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:pPr><w:spacing w:after="160"/></w:pPr></w:style>)"
                         R"(<w:style w:type="paragraph" w:styleId="Heading1"><w:basedOn w:val="Normal"/><w:rPr><w:b/><w:sz w:val="32"/></w:rPr></w:style>)"
                         R"(<w:style w:type="character" w:styleId="Emphasis"><w:rPr><w:i/></w:rPr></w:style></w:styles>)")
        && writeFile(parts.filePath("word/document.xml"),
                     QByteArray("<w:document ") + ns + "><w:body>" + docxBody() + "</w:body></w:document>")
        && ZipArchive::zipFolder(parts.path(), path, ZipArchive::Compression::Deflated, &error);
}

// Random bytes with a sentence of Shift-JIS text every 4 KB, behind `header`.
QByteArray binaryFile(const QByteArray &header)
{
    QByteArray bytes(binaryBytes, '\0');
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    const QByteArray sentence("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd Report text 2024", 28);
    for (qsizetype at = 4096; at + sentence.size() < bytes.size(); at += 4096)
        bytes.replace(at, sentence.size(), sentence);
    bytes.replace(0, header.size(), header);
    return bytes;
}

// A document that is mostly text: paragraphs of Japanese and English (in
// UTF-16LE or Shift-JIS) between short binary records, behind `header`.
QByteArray textFile(const QByteArray &header, bool utf16)
{
    const QString paragraph = QString::fromUtf16(u"第一章　報告書の概要について。This quarter's report covers 2024 sales, "
                                                 u"ｶﾀｶﾅ and the plan (案) for next year: 売上は前年比 12% 増加しました。\r\n");
    QByteArray encoded;
    if (utf16) {
        for (QChar c : paragraph)
            encoded += QByteArray(1, char(c.unicode() & 0xFF)) + char(c.unicode() >> 8);
    } else {
        encoded = TextEncoding::encodeCp932(paragraph).value_or(QByteArray());
    }
    QByteArray bytes = header;
    bytes.reserve(binaryBytes);
    for (quint32 record = 0; bytes.size() < binaryBytes; ++record) {
        bytes += QByteArray("\x00\x00\x01", 3) + char(record & 0x3F) + QByteArray(utf16 ? 2 : 0, '\0');
        bytes += encoded;
    }
    return bytes;
}

QByteArray compoundHeader()
{
    return QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

QByteArray wordPerfectHeader()
{
    QByteArray header = QByteArray("\xFFWPC", 4) + QByteArray(12, '\0');
    header[4] = 16;
    header[8] = 1;
    header[9] = 10;
    return header;
}

struct Fixtures {
    TemporaryFolder folder;
    QString rtfPath;
    QByteArray rtf;
    StyledText text;
    QString docxPath;
    QByteArray ichitaro;
    QByteArray wordPerfect;
    QByteArray ichitaroText;
    QByteArray wordPerfectText;

    Fixtures()
    {
        text = richText(rtfBytes);
        rtf = RtfWriter::write(text);
        rtfPath = folder.filePath("big.rtf");
        writeFile(rtfPath, rtf);
        docxPath = folder.filePath("big.docx");
        writeDocx(docxPath);
        ichitaro = binaryFile(compoundHeader());
        wordPerfect = binaryFile(wordPerfectHeader());
        ichitaroText = textFile(compoundHeader(), true);
        wordPerfectText = textFile(wordPerfectHeader(), false);
    }
};

Fixtures &fixtures()
{
    static Fixtures instance;
    return instance;
}

void BM_OpenRtf5MB(benchmark::State &state)
{
    const Fixtures &f = fixtures();
    for (auto _ : state) {
        StyledText text;
        QString error;
        WordDocumentFiles::read(f.rtfPath, &text, &error);
        benchmark::DoNotOptimize(text.length());
    }
    state.counters["bytes"] = double(f.rtf.size());
}

void BM_SaveRtf5MB(benchmark::State &state)
{
    const Fixtures &f = fixtures();
    const QString path = f.folder.filePath("saved.rtf");
    for (auto _ : state) {
        QString error;
        benchmark::DoNotOptimize(WordDocumentFiles::write(f.text, path, DocumentFormat::Rtf, &error));
    }
}

void BM_OpenDocx200Pages(benchmark::State &state)
{
    const Fixtures &f = fixtures();
    for (auto _ : state) {
        StyledText text;
        QString error;
        WordDocumentFiles::read(f.docxPath, &text, &error);
        benchmark::DoNotOptimize(text.length());
        state.counters["characters"] = double(text.length());
        state.counters["runs"] = double(text.runCount());
    }
}

void BM_ExtractIchitaro50MB(benchmark::State &state)
{
    const Fixtures &f = fixtures();
    for (auto _ : state)
        benchmark::DoNotOptimize(IchitaroParser::parse(f.ichitaro).size());
}

void BM_ExtractWordPerfect50MB(benchmark::State &state)
{
    const Fixtures &f = fixtures();
    for (auto _ : state)
        benchmark::DoNotOptimize(WordPerfectParser::extractText(f.wordPerfect).size());
}

void BM_ExtractIchitaroText50MB(benchmark::State &state)
{
    const Fixtures &f = fixtures();
    for (auto _ : state)
        benchmark::DoNotOptimize(IchitaroParser::parse(f.ichitaroText).size());
}

void BM_ExtractWordPerfectText50MB(benchmark::State &state)
{
    const Fixtures &f = fixtures();
    for (auto _ : state)
        benchmark::DoNotOptimize(WordPerfectParser::extractText(f.wordPerfectText).size());
}

BENCHMARK(BM_OpenRtf5MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRtf5MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDocx200Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractIchitaro50MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractWordPerfect50MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractIchitaroText50MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractWordPerfectText50MB)->Unit(benchmark::kMillisecond);

int writeFixtures(const QString &folder)
{
    const StyledText text = richText(rtfBytes);
    const bool ok = writeFile(folder + "/big.rtf", RtfWriter::write(text)) && writeDocx(folder + "/big.docx")
        && writeFile(folder + "/big.jxw", binaryFile(compoundHeader()))
        && writeFile(folder + "/big.wpd", binaryFile(wordPerfectHeader()))
        && writeFile(folder + "/text.jxw", textFile(compoundHeader(), true))
        && writeFile(folder + "/text.wpd", textFile(wordPerfectHeader(), false));
    return ok ? 0 : 1;
}

int openOne(const QString &path)
{
    StyledText text;
    QString error;
    QString notice;
    if (!WordDocumentFiles::read(path, &text, &error, &notice)) {
        std::cerr << qPrintable(error) << std::endl;
        return 1;
    }
    if (!notice.isEmpty())
        std::cerr << qPrintable(notice) << std::endl;
    std::cout << text.length() << " characters" << std::endl;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--fixtures") == 0) {
        QCoreApplication app(argc, argv);
        return writeFixtures(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 3 && std::strcmp(argv[1], "--open") == 0) {
        QCoreApplication app(argc, argv);
        return openOne(QString::fromLocal8Bit(argv[2]));
    }
    return runBenchmarks(argc, argv);
}
