#include "platform/widgets/DialogOverlay.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using BackdropClick = DialogOverlay::BackdropClick;

// Counts the clicks that reach the screen behind the overlay.
class Screen : public QWidget
{
public:
    int presses = 0;
    int keys = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
    void keyPressEvent(QKeyEvent *) override { ++keys; }
};

class TestDialogOverlay : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hiddenUntilOpened();
    void coversAndFollowsTheParent();
    void backdropDimsByFortyPercent();
    void cardIsCentred();
    void openFocusesTheFirstFieldAndCloseGivesFocusBack();
    void backdropClick_data();
    void backdropClick();
    void dragFromCardToBackdropKeepsItOpen();
    void escapeAndTypingStayInTheOverlay();

private:
    std::unique_ptr<Screen> m_screen;
    QLineEdit *m_behind = nullptr;
    DialogOverlay *m_overlay = nullptr;
    QLineEdit *m_field = nullptr;
};

void TestDialogOverlay::init()
{
    m_screen = std::make_unique<Screen>();
    m_screen->resize(400, 300);
    QPalette white;
    white.setColor(QPalette::Window, Qt::white);
    m_screen->setPalette(white);
    m_screen->setAutoFillBackground(true);
    m_behind = new QLineEdit(m_screen.get());
    m_behind->setGeometry(5, 5, 60, 20);
    m_overlay = new DialogOverlay(m_screen.get());
    auto *layout = new QVBoxLayout(m_overlay->card());
    layout->setContentsMargins(24, 24, 24, 24);
    m_field = new QLineEdit(m_overlay->card());
    m_field->setFixedWidth(200);
    layout->addWidget(m_field);
    layout->addWidget(new QPushButton(QStringLiteral("OK"), m_overlay->card()));
    m_screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_screen.get()));
    m_screen->activateWindow();
    m_behind->setFocus();
}

void TestDialogOverlay::cleanup()
{
    m_screen.reset();
}

void TestDialogOverlay::hiddenUntilOpened()
{
    QVERIFY(!m_overlay->isOpen());
    m_overlay->open();
    QVERIFY(m_overlay->isOpen());
}

void TestDialogOverlay::coversAndFollowsTheParent()
{
    m_overlay->open();
    QCOMPARE(m_overlay->geometry(), m_screen->rect());
    m_screen->resize(640, 480);
    QCOMPARE(m_overlay->geometry(), QRect(0, 0, 640, 480));
    m_overlay->close();
    m_screen->resize(500, 350);
    m_overlay->open();
    QCOMPARE(m_overlay->geometry(), QRect(0, 0, 500, 350));
}

void TestDialogOverlay::backdropDimsByFortyPercent()
{
    m_overlay->setShadowRadius(0);
    m_overlay->open();
    const QColor corner = m_screen->grab().toImage().pixelColor(m_screen->width() - 2, 2);
    QVERIFY2(qAbs(corner.red() - 153) <= 1, qPrintable(corner.name())); // white × 0.6
    m_overlay->setBackdropOpacity(0.3);
    QVERIFY(qAbs(m_screen->grab().toImage().pixelColor(m_screen->width() - 2, 2).red() - 178) <= 1);
}

void TestDialogOverlay::cardIsCentred()
{
    m_overlay->open();
    const QRect card = m_overlay->card()->geometry();
    QVERIFY(card.width() >= 248);
    QVERIFY(qAbs(card.center().x() - m_screen->rect().center().x()) <= 1);
    QVERIFY(qAbs(card.center().y() - m_screen->rect().center().y()) <= 1);
}

void TestDialogOverlay::openFocusesTheFirstFieldAndCloseGivesFocusBack()
{
    QTRY_VERIFY(m_behind->hasFocus());
    QSignalSpy closed(m_overlay, &DialogOverlay::closed);
    m_overlay->open();
    QTRY_VERIFY(m_field->hasFocus());
    m_overlay->close();
    QCOMPARE(closed.count(), 1);
    QTRY_VERIFY(m_behind->hasFocus());
}

void TestDialogOverlay::backdropClick_data()
{
    QTest::addColumn<BackdropClick>("policy");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("ignored by default") << BackdropClick::Ignore << true;
    QTest::newRow("closes when asked") << BackdropClick::Close << false;
}

void TestDialogOverlay::backdropClick()
{
    QFETCH(BackdropClick, policy);
    QFETCH(bool, staysOpen);
    m_overlay->setBackdropClick(policy);
    m_overlay->open();
    QTest::mouseClick(m_overlay, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(m_overlay->isOpen(), staysOpen);
    QCOMPARE(m_screen->presses, 0);
}

void TestDialogOverlay::dragFromCardToBackdropKeepsItOpen()
{
    m_overlay->setBackdropClick(BackdropClick::Close);
    m_overlay->open();
    QTest::mousePress(m_overlay->card(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(m_overlay, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(m_overlay->isOpen());
    QTest::mouseClick(m_overlay->card(), Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(m_overlay->isOpen());
}

void TestDialogOverlay::escapeAndTypingStayInTheOverlay()
{
    m_overlay->open();
    QTRY_VERIFY(m_field->hasFocus());
    QTest::keyClick(m_field, Qt::Key_Escape);
    QTest::keyClick(m_overlay->card(), Qt::Key_A);
    QVERIFY(m_overlay->isOpen());
    QCOMPARE(m_screen->keys, 0);
}

QTEST_MAIN(TestDialogOverlay)
#include "tst_dialogoverlay.moc"
