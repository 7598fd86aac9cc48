#include "platform/NumberText.h"

#include <QRandomGenerator>
#include <QtTest>

#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

// Every test runs twice: in the C locale and in a decimal-comma locale, which
// must change nothing.
class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanupTestCase();

    void toDouble_data();
    void toDouble();
    void toInteger_data();
    void toInteger();
    void shortest_data();
    void shortest();
    void shortestReadsBack();
    void toDoubleMatchesStrtod();
    void fixed_data();
    void fixed();
};

void TestNumberText::initTestCase_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::newRow("C") << QByteArray("C");
    QTest::newRow("de_DE") << QByteArray("de_DE.UTF-8");
}

void TestNumberText::init()
{
    QFETCH_GLOBAL(QByteArray, locale);
    if (!setlocale(LC_ALL, locale.constData()))
        QSKIP("locale not installed");
}

void TestNumberText::cleanupTestCase()
{
    setlocale(LC_ALL, "C");
}

void TestNumberText::toDouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << "5" << true << 5.0;
    QTest::newRow("negative with point") << "-2.5" << true << -2.5;
    QTest::newRow("plus sign") << "+3" << true << 3.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("leading zeros") << "007" << true << 7.0;
    QTest::newRow("hexadecimal") << "0x1A" << true << 26.0;
    QTest::newRow("infinity word") << "inf" << true << std::numeric_limits<double>::infinity();
    QTest::newRow("infinity long") << "-Infinity" << true << -std::numeric_limits<double>::infinity();
    QTest::newRow("beyond range") << "1e999" << true << std::numeric_limits<double>::infinity();
    QTest::newRow("negative beyond range") << "-1e999" << true << -std::numeric_limits<double>::infinity();
    QTest::newRow("below range") << "1e-400" << true << 0.0;
    QTest::newRow("subnormal") << "4.9e-324" << true << 4.9e-324;
    QTest::newRow("negative hexadecimal") << "-0x10" << true << -16.0;
    QTest::newRow("exponent with sign") << "2.5E+2" << true << 250.0;
    QTest::newRow("long fraction") << "0.0000000000000000000000000000000000000000000000000000000000000000000001"
                                   << true << 1e-70;

    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("decimal comma") << "2,5" << false << 0.0;
    QTest::newRow("thousands comma") << "1,000" << false << 0.0;
    QTest::newRow("leading space") << " 5" << false << 0.0;
    QTest::newRow("leading tab") << "\t5" << false << 0.0;
    QTest::newRow("leading line feed") << "\n5" << false << 0.0;
    QTest::newRow("trailing space") << "5 " << false << 0.0;
    QTest::newRow("dangling exponent") << "5e" << false << 0.0;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("sign and point") << "-." << false << 0.0;
    QTest::newRow("sign only") << "-" << false << 0.0;
    QTest::newRow("word") << "abc" << false << 0.0;
    QTest::newRow("not a number word") << "nano" << false << 0.0;
    QTest::newRow("nan word") << "NaN" << true << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("signed infinity word") << "+INF" << true << std::numeric_limits<double>::infinity();
    QTest::newRow("embedded NUL") << QString::fromUtf16(u"5\u00001", 3) << false << 0.0;
    QTest::newRow("full-width digit") << QString::fromUtf16(u"\uFF15") << false << 0.0;
    QTest::newRow("digit then non-ASCII") << QString::fromUtf16(u"5\u00E9") << false << 0.0;
}

void TestNumberText::toDouble()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<double> result = NumberText::toDouble(text);
    QCOMPARE(result.has_value(), isNumber);
    QCOMPARE(NumberText::isNumber(text), isNumber);
    if (isNumber)
        QCOMPARE(*result, value);
}

void TestNumberText::toInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("value");

    QTest::newRow("plain") << "42" << true << qint64(42);
    QTest::newRow("plus") << "+7" << true << qint64(7);
    QTest::newRow("minus zero") << "-0" << true << qint64(0);
    QTest::newRow("leading zeros") << "0010" << true << qint64(10);
    QTest::newRow("largest") << "9223372036854775807" << true << std::numeric_limits<qint64>::max();
    QTest::newRow("lowest") << "-9223372036854775808" << true << std::numeric_limits<qint64>::min();

    QTest::newRow("one past largest") << "9223372036854775808" << false << qint64(0);
    QTest::newRow("one past lowest") << "-9223372036854775809" << false << qint64(0);
    QTest::newRow("far too long") << "123456789012345678901234567890" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("sign only") << "+" << false << qint64(0);
    QTest::newRow("two signs") << "+-5" << false << qint64(0);
    QTest::newRow("point") << "1.0" << false << qint64(0);
    QTest::newRow("space") << " 1" << false << qint64(0);
    QTest::newRow("trailing space") << "1 " << false << qint64(0);
    QTest::newRow("hexadecimal") << "0x10" << false << qint64(0);
}

void TestNumberText::toInteger()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, value);

    const std::optional<qint64> result = NumberText::toInteger(text);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, value);
}

void TestNumberText::shortest_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("integral") << 5.0 << "5";
    QTest::newRow("negative zero") << -0.0 << "-0";
    QTest::newRow("half") << 0.5 << "0.5";
    QTest::newRow("pi") << 3.14159265358979323846 << "3.141592653589793";
    QTest::newRow("tenth plus fifth") << 0.1 + 0.2 << "0.30000000000000004";
    QTest::newRow("smallest fixed") << 0.0001 << "0.0001";
    QTest::newRow("just below a thousandth") << 0.00099999999999999 << "0.00099999999999999";
    QTest::newRow("a thousandth") << 0.001 << "0.001";
    QTest::newRow("just below 1e14") << 99999999999999.98 << "99999999999999.98";
    QTest::newRow("1e14") << 1e14 << "100000000000000";
    QTest::newRow("below fixed") << 0.00001 << "1e-05";
    QTest::newRow("below fixed negative") << -0.000015 << "-1.5e-05";
    QTest::newRow("largest fixed exponent") << 1e15 << "1000000000000000";
    QTest::newRow("fifteen digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("fixed with fraction") << 1234567890123.5 << "1234567890123.5";
    QTest::newRow("above fixed") << 1.5e16 << "1.5e+16";
    QTest::newRow("1e20") << 1e20 << "1e+20";
    QTest::newRow("three exponent digits") << 1e100 << "1e+100";
    QTest::newRow("largest double") << std::numeric_limits<double>::max() << "1.7976931348623157e+308";
    QTest::newRow("smallest subnormal") << std::numeric_limits<double>::denorm_min() << "5e-324";
    QTest::newRow("rounds up to next decade") << 9.9999999999999999e15 << "1e+16";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "inf";
    QTest::newRow("negative infinity") << -std::numeric_limits<double>::infinity() << "-inf";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "nan";
    QTest::newRow("negative nan") << -std::numeric_limits<double>::quiet_NaN() << "nan";
}

void TestNumberText::shortest()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(NumberText::shortest(value), text);
}

// Every decimal text reads as the double C's strtod gives, to the last bit,
// for long, short, tiny and huge values alike.
void TestNumberText::toDoubleMatchesStrtod()
{
    QRandomGenerator generator(7);
    for (int i = 0; i < 20000; ++i) {
        const double value = std::bit_cast<double>(generator.generate64());
        if (!std::isfinite(value))
            continue;
        char buffer[64];
        const int precision = 1 + i % 19;
        const auto format = i % 3 == 0 ? std::chars_format::fixed : std::chars_format::general;
        const auto end = std::to_chars(buffer, buffer + sizeof buffer - 1, value, format, precision).ptr;
        if (end == buffer + sizeof buffer - 1)
            continue; // a fixed text too long for the buffer
        *end = '\0';
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        const double expected = strtod_l(buffer, nullptr, cLocale);
        const auto read = NumberText::toDouble(QString::fromLatin1(buffer));
        QVERIFY2(read && std::bit_cast<quint64>(*read) == std::bit_cast<quint64>(expected), buffer);
    }
    // Plain decimals of up to 17 digits, the point anywhere, as sheets hold them.
    for (int i = 0; i < 20000; ++i) {
        QByteArray text = i % 2 ? "-" : "";
        const int digits = 1 + i % 17;
        for (int d = 0; d < digits; ++d)
            text += char('0' + generator.bounded(10));
        const int point = int(generator.bounded(digits + 2)) - 1; // -1: none
        if (point >= 0)
            text.insert(text.size() - digits + point, '.');
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        const double expected = strtod_l(text.constData(), nullptr, cLocale);
        const auto read = NumberText::toDouble(QString::fromLatin1(text));
        QVERIFY2(read && std::bit_cast<quint64>(*read) == std::bit_cast<quint64>(expected), text.constData());
    }
}

void TestNumberText::shortestReadsBack()
{
    const double values[] = { 0.1, 1.0 / 3, 2.0 / 3 * 1e-7, 123.456e200, 4.35, 1e-4 * 3, 299792458.0 };
    for (double value : values) {
        const QString text = NumberText::shortest(value);
        QCOMPARE(NumberText::toDouble(text), std::optional<double>(value));
    }
}

void TestNumberText::fixed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");

    QTest::newRow("two decimals") << 2.5 << 2 << "2.50";
    QTest::newRow("rounding") << 1.005 << 1 << "1.0";
    QTest::newRow("tie rounds away from zero") << 2.5 << 0 << "3";
    QTest::newRow("negative tie") << -0.125 << 2 << "-0.13";
    QTest::newRow("negative decimals as none") << 7.25 << -3 << "7";
    QTest::newRow("large") << 1e20 << 1 << "100000000000000000000.0";
}

void TestNumberText::fixed()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(NumberText::fixed(value, decimals), text);
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
