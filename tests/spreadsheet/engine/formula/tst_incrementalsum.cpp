#include "spreadsheet/engine/formula/IncrementalSum.h"

#include "platform/NumberText.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace {

double leftFold(const std::vector<double> &numbers)
{
    double sum = 0;
    for (const double number : numbers)
        sum += number;
    return sum;
}

// Same double, bit for bit; any two NaNs count as the same (they all show "nan").
bool sameResult(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::bit_cast<quint64>(a) == std::bit_cast<quint64>(b);
}

std::vector<double> parse(const QString &texts)
{
    std::vector<double> numbers;
    for (const QString &text : texts.split(u' ', Qt::SkipEmptyParts))
        numbers.push_back(*NumberText::toDouble(text));
    return numbers;
}

} // namespace

class TestIncrementalSum : public QObject
{
    Q_OBJECT
private slots:
    void total_data();
    void total();
    void removingLeavesNoTrace_data();
    void removingLeavesNoTrace();
    void randomChangesMatchTheFold_data();
    void randomChangesMatchTheFold();
};

void TestIncrementalSum::total_data()
{
    QTest::addColumn<QString>("numbers");
    QTest::addColumn<bool>("certain");

    QTest::newRow("none") << "" << true;
    QTest::newRow("zeros only, negative zero too") << "-0 0 -0" << true;
    QTest::newRow("integers") << "1 -7 300 25" << true;
    QTest::newRow("halves and quarters") << "0.5 -2.25 10.75" << true;
    QTest::newRow("cancelling to zero") << "2.5 -2.5" << true;
    QTest::newRow("integers just below 2^53") << "9007199254740990 -5 1" << true;
    QTest::newRow("subnormals") << "4.9406564584124654e-324 -1e-320 2.2250738585072014e-308" << true;
    QTest::newRow("large multiples of one power of two") << "0x1p1000 -0x1p999 0x1.8p1001" << true;
    QTest::newRow("decimals are not dyadic") << "0.1 0.2 0.3" << false;
    QTest::newRow("one decimal with integers") << "1 2 0.1" << false;
    QTest::newRow("magnitudes 2^53 apart") << "9007199254740992 1 1" << false;
    QTest::newRow("partial sum past 2^53") << "9007199254740991 1 1 -1" << false;
    QTest::newRow("overflow of finite numbers") << "8.98846567431158e307 8.98846567431158e307" << false;
    QTest::newRow("NaN absorbs") << "1 nan 0.1 inf" << true;
    QTest::newRow("negative NaN text") << "-nan 2" << true;
    QTest::newRow("both infinities") << "inf 0.1 -inf" << true;
    QTest::newRow("infinity with decimals") << "0.1 inf 1e308 0.3" << true;
    QTest::newRow("negative infinity") << "-inf 5 0.7" << true;
    QTest::newRow("infinity after an overflow the other way") << "-1.7e308 -1.7e308 inf" << false;
    QTest::newRow("hexadecimal texts") << "0x10 0x1p-3 -0x1.8p1" << true;
}

// A certain total is what adding the numbers in any order gives.
void TestIncrementalSum::total()
{
    QFETCH(QString, numbers);
    QFETCH(bool, certain);
    std::vector<double> values = parse(numbers);
    IncrementalSum sum;
    for (const double value : values)
        sum.add(value);
    QCOMPARE(sum.count(), qint64(values.size()));
    const std::optional<double> total = sum.total();
    QCOMPARE(total.has_value(), certain);
    if (!total)
        return;
    std::vector<int> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    do {
        std::vector<double> ordered;
        for (const int index : order)
            ordered.push_back(values[index]);
        QVERIFY2(sameResult(*total, leftFold(ordered)), qPrintable(NumberText::shortest(leftFold(ordered))));
    } while (std::next_permutation(order.begin(), order.end()));
}

void TestIncrementalSum::removingLeavesNoTrace_data()
{
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("removed");

    QTest::newRow("decimal removed") << "1 2.5" << "0.1";
    QTest::newRow("huge removed") << "3 -4" << "1e300 9007199254740993";
    QTest::newRow("specials removed") << "0.75" << "nan inf -inf";
    QTest::newRow("subnormal removed") << "8" << "4.9406564584124654e-324";
}

// Removing numbers gives back exactly the total of the ones kept.
void TestIncrementalSum::removingLeavesNoTrace()
{
    QFETCH(QString, kept);
    QFETCH(QString, removed);
    IncrementalSum sum;
    for (const double value : parse(removed))
        sum.add(value);
    for (const double value : parse(kept))
        sum.add(value);
    for (const double value : parse(removed))
        sum.remove(value);
    QCOMPARE(sum.count(), qint64(parse(kept).size()));
    const std::optional<double> total = sum.total();
    QVERIFY(total);
    QVERIFY(sameResult(*total, leftFold(parse(kept))));
}

void TestIncrementalSum::randomChangesMatchTheFold_data()
{
    QTest::addColumn<QString>("pool");

    QTest::newRow("integers") << "0 1 -1 7 -12 250 1000 -999";
    QTest::newRow("halves and eighths") << "0.5 -0.5 1.25 -3.125 0.875 12";
    QTest::newRow("decimals") << "0.1 0.2 -0.3 2.5 17";
    QTest::newRow("huge and small") << "1 -1 9007199254740992 -9007199254740992 1e300 3";
    QTest::newRow("specials") << "1 -0 0 inf -inf nan 2.5";
    QTest::newRow("overflowing") << "1.7e308 -1.7e308 1 inf";
}

// Numbers replaced one at a time, as cells of a range change: whenever the
// total is certain it equals the fold of the current numbers in their order.
void TestIncrementalSum::randomChangesMatchTheFold()
{
    QFETCH(QString, pool);
    const std::vector<double> choices = parse(pool);
    QRandomGenerator random(7);
    std::vector<double> numbers(6);
    IncrementalSum sum;
    for (double &number : numbers) {
        number = choices[random.bounded(int(choices.size()))];
        sum.add(number);
    }
    int certain = 0;
    for (int step = 0; step < 3000; ++step) {
        double &slot = numbers[random.bounded(int(numbers.size()))];
        sum.remove(slot);
        slot = choices[random.bounded(int(choices.size()))];
        sum.add(slot);
        if (const auto total = sum.total()) {
            ++certain;
            QVERIFY2(sameResult(*total, leftFold(numbers)), qPrintable(QString::number(step)));
        }
    }
    QVERIFY(certain > 0);
}

QTEST_GUILESS_MAIN(TestIncrementalSum)
#include "tst_incrementalsum.moc"
