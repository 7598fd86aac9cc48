#include "platform/Deferral.h"

#include <QtTest>

#include <memory>

class TestDeferral : public QObject
{
    Q_OBJECT

private slots:
    void runsOnLaterTurnInOrder();
    void destroyedOwnerCancelsTask();
    void taskMayDeferAnother();
};

void TestDeferral::runsOnLaterTurnInOrder()
{
    QObject owner;
    QStringList ran;
    deferToNextTurn(&owner, [&ran] { ran << QStringLiteral("first"); });
    deferToNextTurn(&owner, [&ran] { ran << QStringLiteral("second"); });
    QVERIFY(ran.isEmpty());
    QTRY_COMPARE(ran, QStringList({ QStringLiteral("first"), QStringLiteral("second") }));
}

void TestDeferral::destroyedOwnerCancelsTask()
{
    bool ran = false;
    auto owner = std::make_unique<QObject>();
    deferToNextTurn(owner.get(), [&ran] { ran = true; });
    owner.reset();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!ran);
}

void TestDeferral::taskMayDeferAnother()
{
    QObject owner;
    int count = 0;
    deferToNextTurn(&owner, [&] {
        ++count;
        deferToNextTurn(&owner, [&count] { ++count; });
    });
    QTRY_COMPARE(count, 2);
}

QTEST_GUILESS_MAIN(TestDeferral)
#include "tst_deferral.moc"
