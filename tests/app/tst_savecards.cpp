#include "platform/widgets/FolderLocationRow.h"
#include "presentation/editor/SavePresentationDialog.h"
#include "spreadsheet/editor/SaveWorkbookDialog.h"
#include "word/SaveDocumentCard.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <functional>

using MakeCard = std::function<SaveFileCard *(QWidget *)>;

Q_DECLARE_METATYPE(MakeCard)

namespace {

template <typename Card>
MakeCard maker()
{
    return [](QWidget *screen) { return new Card(screen); };
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

// The three screens' save cards, each opened over a plain screen while the
// error line comes, grows and goes.
class TestSaveCards : public QObject
{
    Q_OBJECT
private slots:
    void errorLineMovesNoRow_data();
    void errorLineMovesNoRow();
};

void TestSaveCards::errorLineMovesNoRow_data()
{
    QTest::addColumn<MakeCard>("makeCard");
    QTest::newRow("workbook") << maker<SaveWorkbookDialog>();
    QTest::newRow("presentation") << maker<SavePresentationDialog>();
    QTest::newRow("document") << maker<SaveDocumentCard>();
}

// A card that changes height keeps its top edge, so a second click lands on
// the row the first one did.
void TestSaveCards::errorLineMovesNoRow()
{
    QFETCH(MakeCard, makeCard);
    QWidget screen;
    screen.resize(1000, 700);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    SaveFileCard *card = makeCard(&screen);
    card->setLocation(QStringLiteral("/home/user/Documents"));
    card->open();
    settle();
    const QPoint field = card->fileNameField()->mapTo(&screen, QPoint());
    const int top = card->card()->y();

    const QString reason = QStringLiteral("Save error: the folder cannot be written because you may"
                                          " not change it; choose another folder and save again.");
    for (const QString &message : {reason.left(20), reason, QString()}) {
        const int height = card->card()->height();
        card->showError(message);
        QTRY_VERIFY(card->card()->height() != height);
        settle();
        QCOMPARE(card->card()->y(), top);
        QCOMPARE(card->fileNameField()->mapTo(&screen, QPoint()), field);
    }
}

QTEST_MAIN(TestSaveCards)
#include "tst_savecards.moc"
