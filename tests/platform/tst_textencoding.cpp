#include "platform/TextEncoding.h"

#include <QtTest>

class TestTextEncoding : public QObject
{
    Q_OBJECT

private slots:
    void encodeCp932_data();
    void encodeCp932();
    void decodeCp932_data();
    void decodeCp932();
    void longTextRoundTrips();
    void decodeUtf16LE_data();
    void decodeUtf16LE();
};

using OptionalBytes = std::optional<QByteArray>;
using OptionalText = std::optional<QString>;

void TestTextEncoding::encodeCp932_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalBytes>("bytes");

    QTest::newRow("empty") << QString() << OptionalBytes(QByteArray());
    QTest::newRow("ASCII") << "a,b\n" << OptionalBytes("a,b\n");
    QTest::newRow("kanji and kana") << QString::fromUtf16(u"日本ｱ") << OptionalBytes("\x93\xfa\x96\x7b\xb1");
    QTest::newRow("NEC special") << QString::fromUtf16(u"①") << OptionalBytes("\x87\x40");
    QTest::newRow("wave dash customary form") << QString::fromUtf16(u"\u301C") << OptionalBytes("\x81\x60");
    QTest::newRow("emoji unmappable") << QString::fromUtf16(u"a\U0001F600") << OptionalBytes();
    QTest::newRow("accented letter unmappable") << QString::fromUtf16(u"caf\u00E9") << OptionalBytes();
    QTest::newRow("Hangul unmappable") << QString::fromUtf16(u"\uD55C") << OptionalBytes();
    QTest::newRow("unpaired surrogate") << QString::fromUtf16(u"a\xD800", 2) << OptionalBytes();
}

void TestTextEncoding::encodeCp932()
{
    QFETCH(QString, text);
    QFETCH(OptionalBytes, bytes);
    QCOMPARE(TextEncoding::encodeCp932(text), bytes);
}

void TestTextEncoding::decodeCp932_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<OptionalText>("text");

    QTest::newRow("empty") << QByteArray() << OptionalText(QString());
    QTest::newRow("kanji and half-width kana") << QByteArray("\x93\xfa\x96\x7b\xb1") << OptionalText(QString::fromUtf16(u"日本ｱ"));
    QTest::newRow("IBM extension") << QByteArray("\xfa\x40") << OptionalText(QString::fromUtf16(u"ⅰ"));
    QTest::newRow("truncated double byte") << QByteArray("a\x93") << OptionalText();
    QTest::newRow("invalid trail byte") << QByteArray("\x81\x20") << OptionalText();
    QTest::newRow("unassigned code") << QByteArray("\x85\x40") << OptionalText();
    QTest::newRow("invalid lead byte") << QByteArray("\xa0") << OptionalText();
}

void TestTextEncoding::decodeCp932()
{
    QFETCH(QByteArray, bytes);
    QFETCH(OptionalText, text);
    QCOMPARE(TextEncoding::decodeCp932(bytes), text);
}

// Longer than the first output buffer guess, so the buffer must grow.
void TestTextEncoding::longTextRoundTrips()
{
    const QString text = QString::fromUtf16(u"売上高,前年比\n").repeated(5000);
    const OptionalBytes bytes = TextEncoding::encodeCp932(text);
    QVERIFY(bytes);
    QCOMPARE(bytes->size(), 14 * 5000);
    QCOMPARE(TextEncoding::decodeCp932(*bytes), OptionalText(text));
}

void TestTextEncoding::decodeUtf16LE_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ASCII and kanji") << QByteArray("A\0\xe5\x65", 4) << QString::fromUtf16(u"A日");
    QTest::newRow("odd byte ignored") << QByteArray("A\0B", 3) << "A";
    QTest::newRow("byte-order mark kept") << QByteArray("\xff\xfe" "A\0", 4) << QString(QChar(0xFEFF)) + u'A';
    QTest::newRow("surrogate pair") << QByteArray("\x3d\xd8\x00\xde", 4) << QString::fromUtf16(u"\U0001F600");
    QTest::newRow("lone high surrogate") << QByteArray("\x3d\xd8" "A\0", 4) << QString::fromUtf16(u"\uFFFDA");
    QTest::newRow("lone low surrogate") << QByteArray("\x00\xde", 2) << QString::fromUtf16(u"\uFFFD");
    QTest::newRow("high surrogate at end") << QByteArray("A\0\x3d\xd8", 4) << QString::fromUtf16(u"A\uFFFD");
}

void TestTextEncoding::decodeUtf16LE()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(TextEncoding::decodeUtf16LE(bytes), text);
}

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "tst_textencoding.moc"
