#include "spreadsheet/engine/model/CellReference.h"

#include <QTest>

class TestCellReference : public QObject
{
    Q_OBJECT
private slots:
    void columnName_data();
    void columnName();
    void parse_data();
    void parse();
    void canonical_data();
    void canonical();
    void columnNameReadsBack();
};

void TestCellReference::columnName_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("letters");
    QTest::newRow("negative is empty") << -1 << "";
    QTest::newRow("first") << 0 << "A";
    QTest::newRow("last single letter") << 25 << "Z";
    QTest::newRow("first two letters") << 26 << "AA";
    QTest::newRow("AZ") << 51 << "AZ";
    QTest::newRow("BA") << 52 << "BA";
    QTest::newRow("last two letters") << 701 << "ZZ";
    QTest::newRow("first three letters") << 702 << "AAA";
    QTest::newRow("int max") << std::numeric_limits<int>::max() << "FXSHRXX";
}

void TestCellReference::columnName()
{
    QFETCH(int, column);
    QFETCH(QString, letters);
    QCOMPARE(CellReference::columnName(column), letters);
}

void TestCellReference::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("A1") << "A1" << true << 0 << 0;
    QTest::newRow("lower case") << "a1" << true << 0 << 0;
    QTest::newRow("leading zeros") << "A01" << true << 0 << 0;
    QTest::newRow("mixed case, zeros") << "b03" << true << 2 << 1;
    QTest::newRow("two letters") << "AB10" << true << 9 << 27;
    QTest::newRow("many leading zeros") << "C0000000000000000000000000007" << true << 6 << 2;
    QTest::newRow("row zero") << "A0" << false << 0 << 0;
    QTest::newRow("absolute markers") << "$A$1" << false << 0 << 0;
    QTest::newRow("blank inside") << "A 1" << false << 0 << 0;
    QTest::newRow("blank before") << " A1" << false << 0 << 0;
    QTest::newRow("blank after") << "A1 " << false << 0 << 0;
    QTest::newRow("sheet prefix") << "Sheet1!A1" << false << 0 << 0;
    QTest::newRow("letters only") << "A" << false << 0 << 0;
    QTest::newRow("digits only") << "12" << false << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0;
    QTest::newRow("digits then letters") << "1A" << false << 0 << 0;
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("A１") << false << 0 << 0;
    QTest::newRow("non-ASCII letter") << QString::fromUtf8("Ä1") << false << 0 << 0;
    QTest::newRow("row at int max") << "A2147483647" << true << 2147483646 << 0;
    QTest::newRow("row beyond int") << "A2147483648" << false << 0 << 0;
    QTest::newRow("row beyond 64 bits") << "A99999999999999999999999" << false << 0 << 0;
    QTest::newRow("column at int max") << "FXSHRXX1" << true << 0 << 2147483647;
    QTest::newRow("column beyond int") << "FXSHRXY1" << false << 0 << 0;
    QTest::newRow("letter run beyond 64 bits") << QString(40, u'Z') + "1" << false << 0 << 0;
}

void TestCellReference::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto address = CellReference::parse(text);
    QCOMPARE(address.has_value(), valid);
    if (valid) {
        QFETCH(int, row);
        QFETCH(int, col);
        QCOMPARE(address->row, row);
        QCOMPARE(address->col, col);
    }
}

void TestCellReference::canonical_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("already canonical") << "B3" << "B3";
    QTest::newRow("lower case and zeros") << "b03" << "B3";
    QTest::newRow("malformed") << "B" << "";
}

void TestCellReference::canonical()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(CellReference::canonical(text).value_or(QString()), expected);
}

void TestCellReference::columnNameReadsBack()
{
    for (int column = 0; column < 20000; ++column) {
        const auto address = CellReference::parse(CellReference::text(41, column));
        QVERIFY(address);
        QCOMPARE(address->col, column);
        QCOMPARE(address->row, 41);
    }
}

QTEST_GUILESS_MAIN(TestCellReference)
#include "tst_cellreference.moc"
