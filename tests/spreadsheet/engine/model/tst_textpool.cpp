#include "spreadsheet/engine/model/TextPool.h"

#include <QTest>
#include <deque>

class TestTextPool : public QObject
{
    Q_OBJECT
private slots:
    void givesTheText_data();
    void givesTheText();
    void manyTextsStayDistinctAndShared_data();
    void manyTextsStayDistinctAndShared();
};

void TestTextPool::givesTheText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("shared"); // a second equal text shares the first's data

    QTest::newRow("number") << QByteArray("123.25") << true;
    QTest::newRow("label with blanks") << QByteArray(" a b ") << true;
    QTest::newRow("longest pooled") << QByteArray(TextPool::maxLength, 'x') << true;
    QTest::newRow("too long to pool") << QByteArray(TextPool::maxLength + 1, 'x') << false;
}

void TestTextPool::givesTheText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, shared);
    const QByteArray again = bytes + QByteArray(); // other storage, same bytes
    TextPool pool;
    const QString first = pool.text(bytes);
    const QString second = pool.text(QByteArrayView(again.constData(), again.size()));
    QCOMPARE(first, QString::fromLatin1(bytes));
    QCOMPARE(second, first);
    QCOMPARE(second.isSharedWith(first), shared);
}

void TestTextPool::manyTextsStayDistinctAndShared_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one table") << 100;
    QTest::newRow("after the table grows") << 20000;
    QTest::newRow("beyond what is pooled") << int(TextPool::maxTexts + 500);
}

// Texts that differ in one byte or only in length collide in the table;
// each must still come back as itself, and pooled ones as the first copy.
void TestTextPool::manyTextsStayDistinctAndShared()
{
    QFETCH(int, count);
    std::deque<QByteArray> keys;
    TextPool pool;
    QList<QString> firsts;
    for (int i = 0; i < count; ++i) {
        keys.push_back(QByteArray::number(i % 2 ? i : -i) + QByteArray(i % 3, '0'));
        firsts.append(pool.text(keys.back()));
    }
    for (int i = 0; i < count; ++i) {
        const QByteArray again = QByteArray::number(i % 2 ? i : -i) + QByteArray(i % 3, '0');
        const QString text = pool.text(again);
        QCOMPARE(text, QString::fromLatin1(again));
        QCOMPARE(text.isSharedWith(firsts.at(i)), i < TextPool::maxTexts);
    }
}

QTEST_APPLESS_MAIN(TestTextPool)
#include "tst_textpool.moc"
