// The extractors against ExtractorReference, the plain statement of their
// rules, on generated documents (Shift-JIS and UTF-16 text with combining
// marks, emoji, the listed kana and kanji, every newline kind, behind
// compound-file and WordPerfect headers with odd offsets) and on the same
// documents damaged by the seeded mutator. Any difference is a fault of the
// fast path.

#include "textsystem/plain/ExtractorReference.h"

#include "platform/TextEncoding.h"
#include "support/FuzzMutator.h"
#include "textsystem/plain/IchitaroParser.h"
#include "textsystem/plain/WordPerfectParser.h"

#include <QtEndian>
#include <QtTest>

namespace {

const QByteArray compoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// Pieces of text the rules treat differently: letters, digits, kana, kanji,
// the nine listed characters, full-width and half-width forms, symbols that
// are dropped on short lines, combining marks, characters beyond the BMP,
// spaces and every newline kind.
const QStringList textPieces = {
    u"a"_qs, u"Z"_qs, u"7"_qs, u"word "_qs, u"Report text 2024"_qs, u"*"_qs, u"**"_qs, u"#!"_qs, u"\\"_qs,
    u"~"_qs, u"あ"_qs, u"日本語"_qs, u"の文章"_qs, u"カタカナ"_qs, u"ｱｲｳ"_qs, u"ﾞ"_qs, u"ぁ"_qs, u"-"_qs,
    u"ん"_qs, u"ァ"_qs, u"ヶ"_qs, u"亜"_qs, u"熙"_qs, u"〜"_qs, u"①"_qs, u"※"_qs, u"・"_qs, u"　"_qs,
    u"Ａ"_qs, u"１"_qs, u"e\u0301"_qs, u"\u0301"_qs, u"か\u3099"_qs, u"\u3099"_qs, u"\U0001F44D\U0001F3FD"_qs,
    u"\U0001F1EF\U0001F1F5"_qs, u"\U00020B9F"_qs, u"\u200D"_qs, u" "_qs, u"\t"_qs, u"\n"_qs, u"\r\n"_qs,
    u"\r"_qs, u"\f"_qs, u"\v"_qs, u"\u0085"_qs, u"\u2028"_qs, u"\u2029"_qs, u"\n\n\n"_qs, u"\uFFF0"_qs,
    u"\uFF10"_qs, u"\u00E9"_qs,
};

QString randomText(Mutator &random, int pieces)
{
    QString text;
    for (int i = 0; i < pieces; ++i)
        text += textPieces.at(random.bounded(int(textPieces.size())));
    return text;
}

// Bytes that end, break or join runs: controls, lone lead bytes, invalid
// trail bytes, 0x80, 0xA0, 0xFD to 0xFF.
QByteArray binaryNoise(Mutator &random, int length)
{
    static const char interesting[] = "\x00\x01\x7F\x80\x81\x82\x9F\xA0\xA1\xDF\xE0\xEF\xFC\xFD\xFE\xFF\x1A\x30\x40";
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes += random.bounded(2) ? interesting[random.bounded(int(sizeof interesting) - 1)] : char(random.bounded(256));
    return bytes;
}

// Shift-JIS of `pieces` random pieces; those without a CP932 form are left out.
QByteArray randomShiftJis(Mutator &random, int pieces)
{
    QByteArray bytes;
    for (int i = 0; i < pieces; ++i) {
        if (const std::optional<QByteArray> encoded = TextEncoding::encodeCp932(randomText(random, 1)))
            bytes += *encoded;
    }
    return bytes;
}

QByteArray utf16LE(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

QByteArray wordPerfectHeader(Mutator &random)
{
    static const quint32 offsets[] = {0, 1, 8, 16, 75, 76, 77, 200, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    QByteArray header("\xFFWPC\0\0\0\0", 8);
    qToLittleEndian<quint32>(offsets[random.bounded(int(std::size(offsets)))], header.data() + 4);
    return header;
}

// A document of text segments in one encoding separated by noise, behind
// one of the headers the extractors recognise (or none).
QByteArray generatedDocument(Mutator &random)
{
    const int kind = random.bounded(4);
    QByteArray data = kind == 0 ? compoundSignature : kind == 1 ? wordPerfectHeader(random) : QByteArray();
    if (kind == 1 && random.bounded(2))
        data += binaryNoise(random, 68);
    const bool wide = kind == 0 ? random.bounded(4) != 0 : random.bounded(8) == 0;
    const int segments = random.bounded(12);
    for (int i = 0; i < segments; ++i) {
        const int pieces = 1 + random.bounded(i % 3 ? 6 : 40);
        data += wide ? utf16LE(randomText(random, pieces)) : randomShiftJis(random, pieces);
        if (random.bounded(4))
            data += binaryNoise(random, 1 + random.bounded(6));
    }
    if (wide && random.bounded(2))
        data += char(random.bounded(256)); // an odd final byte
    return data;
}

void compareWithReference(const QByteArray &data, int start)
{
    QCOMPARE(IchitaroParser::parse(data), ExtractorReference::parseIchitaro(data));
    QCOMPARE(WordPerfectParser::extractText(data), ExtractorReference::extractWordPerfect(data));
    QCOMPARE(IchitaroParser::scanUtf16(data), ExtractorReference::scanUtf16(data));
    QCOMPARE(IchitaroParser::scanShiftJis(data, start), ExtractorReference::scanShiftJis(data, start));
}

} // namespace

class TestExtractorEquivalence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qInfo() << "fuzz seed" << fuzzSeed(); }

    void generatedDocuments()
    {
        Mutator random(fuzzSeed());
        fuzzFor(2000, [&](int) {
            const QByteArray data = generatedDocument(random);
            compareWithReference(data, random.bounded(int(data.size()) + 2));
        });
    }

    void damagedDocuments()
    {
        Mutator random(fuzzSeed() + 1);
        fuzzFor(2000, [&](int) {
            const QByteArray data = random.mutate(generatedDocument(random));
            compareWithReference(data, random.bounded(16));
        });
    }

    // Random bytes with text every few hundred bytes, like a real binary
    // document but small enough for the reference.
    void binaryDocumentWithText()
    {
        Mutator random(fuzzSeed() + 2);
        for (const QByteArray &header : {compoundSignature, wordPerfectHeader(random), QByteArray("\xFFWPC\x10\0\0\0", 8)}) {
            QByteArray data = header;
            while (data.size() < 48 * 1024) {
                data += binaryNoise(random, 200 + random.bounded(200));
                data += random.bounded(3) ? randomShiftJis(random, 8) : utf16LE(randomText(random, 8));
            }
            compareWithReference(data, 3);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Runs as any caller may pass them, not only as the scans cut them:
    // control bytes, 0x80, lone lead bytes, a lead byte at the end.
    void appendedRuns()
    {
        Mutator random(fuzzSeed() + 4);
        const QStringList results = {QString(), u"x"_qs, u"x\n"_qs, u"x\r"_qs};
        fuzzFor(5000, [&](int) {
            const QByteArray run = random.bounded(2) ? binaryNoise(random, random.bounded(8))
                                                     : randomShiftJis(random, random.bounded(4)) + binaryNoise(random, random.bounded(3));
            QString ours = results.at(random.bounded(int(results.size())));
            QString reference = ours;
            IchitaroParser::appendShiftJisRun(run, ours);
            ExtractorReference::appendShiftJisRun(run, reference);
            QCOMPARE(ours, reference);

            std::vector<char16_t> units;
            for (qsizetype i = 0; i + 1 < run.size(); i += 2)
                units.push_back(char16_t(uchar(run[i]) | uchar(run[i + 1]) << 8));
            IchitaroParser::appendUtf16Run(units, ours);
            ExtractorReference::appendUtf16Run(units, reference);
            QCOMPARE(ours, reference);
        });
    }

    void cleanedText()
    {
        Mutator random(fuzzSeed() + 3);
        fuzzFor(5000, [&](int) {
            const QString text = randomText(random, random.bounded(30));
            QCOMPARE(IchitaroParser::cleanExtractedText(text), ExtractorReference::cleanExtractedText(text));
            QCOMPARE(IchitaroParser::characterCount(text), ExtractorReference::characterCount(text));
        });
    }
};

QTEST_GUILESS_MAIN(TestExtractorEquivalence)
#include "tst_extractorequivalence.moc"
