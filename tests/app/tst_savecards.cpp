#include "platform/widgets/FolderLocationRow.h"
#include "presentation/editor/SavePresentationDialog.h"
#include "spreadsheet/editor/SaveWorkbookDialog.h"
#include "word/SaveDocumentCard.h"

#include <QLabel>
#include <QLineEdit>
#include <QScreen>
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

// The window as painted so far, stale parts included.
QImage shown(QWidget *window)
{
    return window->screen()->grabWindow(window->winId()).toImage();
}

// Where the window as painted differs from the window painted afresh.
QRect stalePart(QWidget *window)
{
    const QImage painted = shown(window);
    window->repaint();
    const QImage fresh = shown(window);
    QRect stale;
    for (int y = 0; y < fresh.height(); ++y) {
        for (int x = 0; x < fresh.width(); ++x) {
            if (painted.pixel(x, y) != fresh.pixel(x, y))
                stale |= QRect(x, y, 1, 1);
        }
    }
    return stale;
}

} // namespace

// The three screens' save cards, each opened over a plain screen while the
// error line comes, grows and goes.
class TestSaveCards : public QObject
{
    Q_OBJECT
private slots:
    void errorLineMovesNoRowLeavesNoShadowAndGoesWithTheFolder_data();
    void errorLineMovesNoRowLeavesNoShadowAndGoesWithTheFolder();
};

void TestSaveCards::errorLineMovesNoRowLeavesNoShadowAndGoesWithTheFolder_data()
{
    QTest::addColumn<MakeCard>("makeCard");
    QTest::newRow("workbook") << maker<SaveWorkbookDialog>();
    QTest::newRow("presentation") << maker<SavePresentationDialog>();
    QTest::newRow("document") << maker<SaveDocumentCard>();
}

// A card that changes height keeps its top edge, so a second click lands on
// the row the first one did, and its shadow follows it whole. A reason shown
// for a failed save no longer holds in another folder.
void TestSaveCards::errorLineMovesNoRowLeavesNoShadowAndGoesWithTheFolder()
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
    // The error line comes, grows and goes; it comes again and goes when
    // another folder is chosen.
    struct Step
    {
        QString error;
        QString folder;
    };
    const Step steps[] = {{reason.left(20), {}}, {reason, {}}, {}, {reason, {}},
                          {{}, QStringLiteral("/home/user/Desktop")}};
    for (const Step &step : steps) {
        const int height = card->card()->height();
        if (step.folder.isEmpty())
            card->showError(step.error);
        else
            card->setLocation(step.folder);
        QCOMPARE(card->error(), step.error);
        QTRY_VERIFY(card->card()->height() != height);
        settle();
        QCOMPARE(card->card()->y(), top);
        QCOMPARE(card->fileNameField()->mapTo(&screen, QPoint()), field);
        QCOMPARE(stalePart(&screen), QRect());
    }
}

QTEST_MAIN(TestSaveCards)
#include "tst_savecards.moc"
