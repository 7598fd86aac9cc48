#include "textsystem/StyledTextBudget.h"

#include "platform/ReadBudget.h"

#include <QtTest>

class TestStyledTextBudget : public QObject
{
    Q_OBJECT

private slots:
    // A text is refused only when what it really holds outgrows the budget:
    // many runs sharing a few attribute sets fit where as many runs with
    // sets of their own do not.
    void chargesWhatTheTextHolds_data()
    {
        QTest::addColumn<int>("distinctSets");
        QTest::addColumn<bool>("fits");
        QTest::newRow("runs sharing two sets") << 2 << true;
        QTest::newRow("a set for every run") << 20000 << false;
    }

    void chargesWhatTheTextHolds()
    {
        QFETCH(int, distinctSets);
        QFETCH(bool, fits);
        const int runs = 20000;
        // Room for the runs and two sets, far less than a set per run.
        ReadBudget budget(0, runs * (StyledTextBudget::runBytes + 8) + 100 * StyledTextBudget::attributeSetBytes);
        StyledTextBudget textBudget(budget);
        StyledText text;
        bool charged = true;
        for (int i = 0; i < runs && charged; ++i) {
            TextAttributes attributes;
            attributes.font = FontDescriptor{QStringLiteral("Serif"), {}, double(10 + i % distinctSets), false, false};
            text.append(QStringLiteral("ab"), attributes);
            charged = textBudget.charge(text);
        }
        QCOMPARE(charged, fits);
        QCOMPARE(textBudget.ranOut(), !fits);
        QVERIFY(budget.used() <= budget.limit());
    }
};

QTEST_GUILESS_MAIN(TestStyledTextBudget)
#include "tst_styledtextbudget.moc"
