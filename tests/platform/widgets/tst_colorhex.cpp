#include "platform/widgets/ColorHex.h"

#include <QTest>

class TestColorHex : public QObject
{
    Q_OBJECT
private slots:
    void colorFromHex_data();
    void colorFromHex();
    void toHex_data();
    void toHex();
    void everyByteSurvivesARoundTrip();
};

void TestColorHex::colorFromHex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("expected");

    const QColor fallback = QColor::fromRgb(1, 1, 0, 1);
    QTest::newRow("three digits, each times 17") << "#F0A" << QColor(255, 0, 170);
    QTest::newRow("six digits without hash") << "00FF00" << QColor(0, 255, 0);
    QTest::newRow("lower case") << "#00ff00" << QColor(0, 255, 0);
    QTest::newRow("eight digits put alpha first") << "#80FF0000" << QColor(255, 0, 0, 128);
    QTest::newRow("empty gives the fallback") << "" << fallback;
    QTest::newRow("five characters give the fallback") << "#12345" << fallback;
    QTest::newRow("seven characters give the fallback") << "#1234567" << fallback;
    QTest::newRow("only punctuation gives the fallback") << "#!?" << fallback;
    QTest::newRow("six characters that are not hex scan as 0") << "#GG0000" << QColor(0, 0, 0);
    QTest::newRow("scan stops at the first non-hex character")
        << "#12G456" << QColor(0, 0, 0x12);
    QTest::newRow("blanks and newlines trimmed") << "  #336699\n" << QColor(0x33, 0x66, 0x99);
    QTest::newRow("punctuation trimmed at both ends") << "(#abc);" << QColor(170, 187, 204);
    QTest::newRow("blank inside is kept and counted") << "#12 456" << QColor(0, 0, 0x12);
    QTest::newRow("0x prefix is read, length includes it") << "0x1234" << QColor(0, 0x12, 0x34);
    QTest::newRow("0x prefix with eight characters") << "0x123456" << QColor(0x12, 0x34, 0x56, 0);
    QTest::newRow("letter with combining mark counts once")
        << QString::fromUtf16(u"A\u0301BC") << QColor(0, 0, 170);
    QTest::newRow("leading combining mark is kept and counted")
        << QString::fromUtf16(u"\u0301F0A") << fallback;
    QTest::newRow("trailing combining mark stays with its letter")
        << QString::fromUtf16(u"F0A\u0301") << QColor(255, 0, 170);
    QTest::newRow("full-width digits are letters or numbers but not hex")
        << QString::fromUtf16(u"\uFF11\uFF12\uFF13") << QColor(0, 0, 0);
    QTest::newRow("letter outside the BMP kept, scanned as nothing")
        << QString::fromUtf16(u"\U0001D400BC") << QColor(0, 0, 0);
    QTest::newRow("symbol outside the BMP trimmed")
        << QString::fromUtf16(u"\U0001F600F0A") << QColor(255, 0, 170);
}

void TestColorHex::colorFromHex()
{
    QFETCH(QString, text);
    QFETCH(QColor, expected);
    const QColor color = ColorHex::colorFromHex(text);
    QCOMPARE(color.spec(), QColor::Rgb);
    QCOMPARE(color.rgba(), expected.rgba());
}

void TestColorHex::toHex_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("expected");

    QTest::newRow("upper case, two digits each") << QColor(10, 171, 255) << "#0AABFF";
    QTest::newRow("alpha dropped") << QColor(255, 0, 0, 7) << "#FF0000";
    QTest::newRow("fractions truncate") << QColor::fromRgbF(0.999f, 0.5f, 0.0039f) << "#FE7F00";
    QTest::newRow("other specs convert to RGB") << QColor::fromHsv(120, 255, 255) << "#00FF00";
    QTest::newRow("invalid colour") << QColor() << "#FFFFFF";
    QTest::newRow("extended RGB out of range stays six digits")
        << QColor::fromRgbF(1.5f, -0.5f, 0.25f) << "#FF003F";
}

void TestColorHex::toHex()
{
    QFETCH(QColor, color);
    QFETCH(QString, expected);
    QCOMPARE(ColorHex::toHex(color), expected);
}

// Truncation must not lose a step to floating-point error on the way back.
void TestColorHex::everyByteSurvivesARoundTrip()
{
    for (int v = 0; v < 256; ++v) {
        const QString hex = QStringLiteral("#%1%2%3")
                                .arg(v, 2, 16, QLatin1Char('0'))
                                .arg(255 - v, 2, 16, QLatin1Char('0'))
                                .arg(v, 2, 16, QLatin1Char('0'))
                                .toUpper();
        QCOMPARE(ColorHex::toHex(ColorHex::colorFromHex(hex)), hex);
    }
}

QTEST_GUILESS_MAIN(TestColorHex)
#include "tst_colorhex.moc"
