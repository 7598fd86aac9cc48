#include "platform/TextEncoding.h"
#include "textsystem/plain/IchitaroParser.h"
#include "textsystem/plain/WordPerfectParser.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

namespace {

const QByteArray compoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

QByteArray utf16LE(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

QByteArray sjis(const QString &text)
{
    return TextEncoding::encodeCp932(text).value();
}

QByteArray wordPerfectHeader(quint32 offset)
{
    QByteArray header("\xFFWPC", 4);
    header.resize(8);
    qToLittleEndian<quint32>(offset, header.data() + 4);
    return header;
}

} // namespace

class TestTextExtractors : public QObject
{
    Q_OBJECT

private slots:
    void ichitaro_data();
    void ichitaro();
    void shortUtf16LosesToLongerShiftJis();
    void cleanExtractedText_data();
    void cleanExtractedText();
    void wordPerfect_data();
    void wordPerfect();
    void plainTextSavesReadBack_data();
    void plainTextSavesReadBack();
    void randomInputNeverFails();
};

void TestTextExtractors::ichitaro_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");

    const QString sentence = QString::fromUtf16(u"今日は晴れています。明日も晴れるでしょうか。");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("7 bytes without a 3-byte run") << QByteArray("\x01" "ab\x01" "c\x02\x03", 7) << QString();
    QTest::newRow("compound file with UTF-16 sentence")
        << compoundSignature + QByteArray(24, '\0') + utf16LE(sentence) + QByteArray(6, '\0') << sentence;
    QTest::newRow("compound file, odd final byte ignored")
        << compoundSignature + utf16LE(sentence) + QByteArray("\x01", 1) << sentence;
    QTest::newRow("compound file, short UTF-16 kept when Shift-JIS finds less")
        << compoundSignature + QByteArray(2, '\0') + utf16LE("ABCDEFGHI") + QByteArray(2, '\0') << "ABCDEFGHI";
    QTest::newRow("UTF-16 units FFF0 and up break runs")
        << compoundSignature + utf16LE(QString::fromUtf16(u"あいうえおかきくけこ\uFFF0さしすせそたちつてと"))
        << QString::fromUtf16(u"あいうえおかきくけこ\nさしすせそたちつてと");
    QTest::newRow("Shift-JIS pair 82 A0 stays in the run") << QByteArray("\x01\x82\xA0\x82\xA0\x01", 6)
                                                           << QString::fromUtf16(u"ああ");
    QTest::newRow("82 20 is no pair: flush, space starts the next run")
        << QByteArray("\x01" "AB\x82 CD\x01", 8) << "CD";
    QTest::newRow("2-byte ASCII run dropped") << QByteArray("\x01" "AB\x01", 4) << QString();
    QTest::newRow("single kana run kept") << QByteArray("\x01\x82\xA0\x01", 4) << QString::fromUtf16(u"あ");
    QTest::newRow("half-width katakana") << QByteArray("\x00\xB1\xB2\xB3\x00", 5) << QString::fromUtf16(u"ｱｲｳ");
    QTest::newRow("lead byte in last position dropped") << QByteArray("\x00" "abc\x82", 5) << "abc";
    QTest::newRow("undecodable double byte drops the run") << QByteArray("\x00" "ab\x85\x40\x00" "xyz", 9) << "xyz";
    QTest::newRow("runs become lines") << QByteArray("\x00" "first\x00\x00second\x00", 15) << "first\nsecond";
}

void TestTextExtractors::ichitaro()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QCOMPARE(IchitaroParser::parse(data), text);
}

// The Shift-JIS scan also reads the signature's bytes, so only its end is fixed.
void TestTextExtractors::shortUtf16LosesToLongerShiftJis()
{
    const QString sentence = QString::fromUtf16(u"これはながいぶんしょうです");
    const QByteArray data = compoundSignature + QByteArray(2, '\0') + utf16LE("ABCDEFGHI") + QByteArray(2, '\0')
        + sjis(sentence) + QByteArray(1, '\0');
    const QString text = IchitaroParser::parse(data);
    QVERIFY2(text.endsWith(QLatin1Char('\n') + sentence), qPrintable(text));
    QVERIFY(!text.contains(QLatin1String("ABC")));
}

void TestTextExtractors::cleanExtractedText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");

    QTest::newRow("asterisk line and blank lines") << "Hello\n*\n\n\n\n" << "Hello";
    QTest::newRow("single hiragana stays") << QString::fromUtf16(u"あ\n*\nい") << QString::fromUtf16(u"あ\nい");
    QTest::newRow("hyphen is one of the nine characters") << QString::fromUtf16(u"a\n-\n・") << "a\n-";
    QTest::newRow("range interior is not in the set") << QString::fromUtf16(u"x\n〜\n") << "x";
    QTest::newRow("combining mark counts as letter") << QString::fromUtf16(u"x\n\u0301") << QString::fromUtf16(u"x\n\u0301");
    QTest::newRow("decimal digit kept, circled digit dropped") << QString::fromUtf16(u"7\n①\nz") << "7\nz";
    QTest::newRow("emoji with modifier is one character")
        << QString::fromUtf16(u"a\n\U0001F44D\U0001F3FD\nb") << "a\nb";
    QTest::newRow("flag is one character") << QString::fromUtf16(u"a\n\U0001F1EF\U0001F1F5\nb") << "a\nb";
    QTest::newRow("three symbols kept") << "a\n***\nb" << "a\n***\nb";
    QTest::newRow("blank runs collapse to one") << "a\n\n \n\t\nb" << "a\n\nb";
    QTest::newRow("CRLF gives an empty piece") << "a\r\nb" << "a\n\nb";
    QTest::newRow("other separators split") << QString::fromUtf16(u"ab\u2028cd\u2029ef\u0085gh\fij")
                                           << "ab\ncd\nef\ngh\nij";
    QTest::newRow("pieces trimmed") << "  a b  \n\t c" << "a b\nc";
}

void TestTextExtractors::cleanExtractedText()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QCOMPARE(IchitaroParser::cleanExtractedText(input), output);
}

void TestTextExtractors::wordPerfect_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");

    const QByteArray body = QByteArray("\x00", 1) + "Body text" + QByteArray("\x00", 1);
    QTest::newRow("shorter than 8 bytes, binary") << QByteArray("\x01" "abcde", 6) << QString();
    QTest::newRow("offset 0 scans from 76, file of 76 bytes")
        << wordPerfectHeader(0) + QByteArray(60, 'x') + QByteArray(8, '\0') << QString();
    QTest::newRow("offset 0 scans from 76")
        << wordPerfectHeader(0) + QByteArray("\x00" "Header text", 12) + QByteArray(56, '\0') + body << "Body text";
    QTest::newRow("offset 16 skips the header's text")
        << wordPerfectHeader(16) + "HEADERXY" + body << "Body text";
    QTest::newRow("offset at the end falls back to 76")
        << wordPerfectHeader(27) + "HEADERXY" + body << QString();
    QTest::newRow("offset 2^31 is past the end, not negative")
        << wordPerfectHeader(0x80000000u) + QByteArray(68, '\0') + body << "Body text";
    QTest::newRow("offset FFFFFFFF") << wordPerfectHeader(0xFFFFFFFFu) + QByteArray(68, '\0') + body << "Body text";
    QTest::newRow("no signature scans from 0") << QByteArray("\x00" "Line one\x00Line two", 18) << "Line one\nLine two";
    QTest::newRow("Shift-JIS text in the body")
        << wordPerfectHeader(16) + "HEADERXY" + QByteArray(1, '\0') + sjis(QString::fromUtf16(u"日本語の文書"))
        << QString::fromUtf16(u"日本語の文書");
}

void TestTextExtractors::wordPerfect()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QCOMPARE(WordPerfectParser::extractText(data), text);
}

// What the plain-text save writes (CP932, else UTF-8 after a byte-order mark)
// comes back exactly, blank lines, indentation and symbol lines included.
void TestTextExtractors::plainTextSavesReadBack_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");

    const QString japanese = QString::fromUtf16(u"  字下げ\n\n※\n\n\n*\r\nend");
    const QString withEmoji = QString::fromUtf16(u"• 項目 \U0001F600\n\n  x");
    QTest::newRow("Shift-JIS") << sjis(japanese) << japanese;
    QTest::newRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF") + withEmoji.toUtf8() << withEmoji;
    QTest::newRow("short text") << QByteArray("ab") << "ab";
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestTextExtractors::plainTextSavesReadBack()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QCOMPARE(IchitaroParser::parse(data), text);
    QCOMPARE(WordPerfectParser::extractText(data), text);
}

// Inputs of every length up to a few hundred bytes, biased towards the bytes
// the scans treat specially; MORVANE_FUZZ_SECONDS runs longer.
void TestTextExtractors::randomInputNeverFails()
{
    static const uchar interesting[] = {0x00, 0x09, 0x0A, 0x0D, 0x20, 0x41, 0x81, 0x82, 0x9F, 0xA0, 0xA1,
                                        0xDF, 0xE0, 0xFC, 0xFD, 0xFF, 0x30, 0x7F, 0x80, 0x40};
    QRandomGenerator random(20240611);
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("MORVANE_FUZZ_SECONDS", &ok);
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 3000 || (ok && timer.elapsed() < seconds * 1000); ++round) {
        QByteArray data;
        const int length = round % 300;
        if (round % 3 == 0)
            data = round % 2 ? compoundSignature : wordPerfectHeader(random.bounded(400u));
        while (data.size() < length)
            data += char(random.bounded(2) ? interesting[random.bounded(int(sizeof interesting))]
                                           : random.bounded(256));
        const QString ichitaro = IchitaroParser::parse(data);
        const QString wordPerfect = WordPerfectParser::extractText(data);
        if (data.contains('\0')) {
            QCOMPARE(ichitaro, ichitaro.trimmed());
            QCOMPARE(wordPerfect, wordPerfect.trimmed());
        }
        QVERIFY(wordPerfect.size() <= data.size());
    }
}

QTEST_GUILESS_MAIN(TestTextExtractors)
#include "tst_textextractors.moc"
