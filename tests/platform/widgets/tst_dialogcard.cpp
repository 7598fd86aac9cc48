#include "platform/widgets/DialogCard.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using Shape = DialogCard::Shape;
using Material = TranslucentPanel::Material;

Q_DECLARE_METATYPE(Shape)

class TestDialogCard : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void shapesLayTheCardOut_data();
    void shapesLayTheCardOut();
    void errorLineLiesUnderTheRowsAndTakesNoRoomWhenEmpty();
    void errorLineIsRedOnBothMaterials_data();
    void errorLineIsRedOnBothMaterials();
    void closingClearsTheErrorLine();
    void backdropTapClosesBothShapes_data();
    void backdropTapClosesBothShapes();

private:
    DialogCard *makeCard(const Shape &shape);
    std::unique_ptr<QWidget> m_screen;
    QLineEdit *m_first = nullptr;
    QPushButton *m_last = nullptr;
};

void TestDialogCard::init()
{
    m_screen = std::make_unique<QWidget>();
    m_screen->resize(800, 600);
    m_screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_screen.get()));
}

void TestDialogCard::cleanup()
{
    m_screen.reset();
}

// A card with two rows, a field and a button, opened over the screen.
DialogCard *TestDialogCard::makeCard(const Shape &shape)
{
    auto *card = new DialogCard(shape, m_screen.get());
    m_first = new QLineEdit(card->card());
    m_first->setFixedHeight(24);
    m_last = DialogCard::button(QStringLiteral("保存"), DialogCard::ButtonTone::Blue, card->card());
    card->rows()->addWidget(m_first);
    card->rows()->addWidget(m_last, 0, Qt::AlignHCenter);
    card->open();
    return card;
}

void TestDialogCard::shapesLayTheCardOut_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<int>("width");
    QTest::addColumn<Material>("material");
    QTest::newRow("sheet") << Shape::sheet() << 0 << Material::HudWindow;
    QTest::newRow("document") << Shape::document() << 450 << Material::Popover;
    QTest::newRow("sheet, 300 wide") << Shape{.width = 300} << 300 << Material::HudWindow;
}

void TestDialogCard::shapesLayTheCardOut()
{
    QFETCH(Shape, shape);
    QFETCH(int, width);
    QFETCH(Material, material);
    DialogCard *card = makeCard(shape);
    TranslucentPanel *panel = card->card();
    QCOMPARE(panel->material(), material);
    QCOMPARE(panel->cornerRadius(), qreal(shape.cornerRadius));
    if (width > 0)
        QCOMPARE(panel->width(), width);
    QCOMPARE(m_first->geometry().topLeft(), QPoint(shape.padding, shape.padding));
    QCOMPARE(m_last->y() - (m_first->geometry().bottom() + 1), shape.spacing);
    QCOMPARE(panel->height() - (m_last->geometry().bottom() + 1), shape.padding);
    QCOMPARE(panel->geometry().center(), card->rect().center());
}

void TestDialogCard::errorLineLiesUnderTheRowsAndTakesNoRoomWhenEmpty()
{
    DialogCard *card = makeCard(Shape::document());
    const int emptyHeight = card->card()->height();
    QVERIFY(card->errorLabel()->isHidden());

    card->showError(QStringLiteral("Save error: the folder is read-only"));
    QTRY_VERIFY(card->card()->height() > emptyHeight);
    QVERIFY(card->errorLabel()->isVisible());
    QCOMPARE(card->errorLabel()->y(), m_last->geometry().bottom() + 1 + Shape::document().spacing);
    QCOMPARE(card->error(), QStringLiteral("Save error: the folder is read-only"));

    card->clearError();
    QVERIFY(card->errorLabel()->isHidden());
    QTRY_COMPARE(card->card()->height(), emptyHeight);
}

void TestDialogCard::errorLineIsRedOnBothMaterials_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::newRow("dark sheet card") << Shape::sheet();
    QTest::newRow("light document card") << Shape::document();
}

void TestDialogCard::errorLineIsRedOnBothMaterials()
{
    QFETCH(Shape, shape);
    DialogCard *card = makeCard(shape);
    card->showError(QStringLiteral("Open error: ████████"));
    QTRY_VERIFY(card->errorLabel()->width() > 0);
    const QImage image = card->errorLabel()->grab().toImage();
    int reddest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            reddest = std::max(reddest, pixel.red() - std::max(pixel.green(), pixel.blue()));
        }
    }
    QVERIFY2(reddest > 150, qPrintable(QString::number(reddest)));
}

void TestDialogCard::closingClearsTheErrorLine()
{
    DialogCard *card = makeCard(Shape::sheet());
    card->showError(QStringLiteral("Open error: gone"));
    card->close();
    card->open();
    QVERIFY(card->errorLabel()->isHidden());
    QCOMPARE(card->error(), QString());
}

void TestDialogCard::backdropTapClosesBothShapes_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<qreal>("opacity");
    QTest::newRow("sheet") << Shape::sheet() << 0.4;
    QTest::newRow("document") << Shape::document() << 0.4;
    QTest::newRow("message") << Shape{.backdropOpacity = 0.3} << 0.3;
}

void TestDialogCard::backdropTapClosesBothShapes()
{
    QFETCH(Shape, shape);
    QFETCH(qreal, opacity);
    QPalette white;
    white.setColor(QPalette::Window, Qt::white);
    m_screen->setPalette(white);
    m_screen->setAutoFillBackground(true);
    DialogCard *card = makeCard(shape);
    const QColor corner = m_screen->grab().toImage().pixelColor(2, 2);
    QVERIFY(qAbs(corner.red() - qRound(255 * (1 - opacity))) <= 1);
    QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(!card->isOpen());
}

QTEST_MAIN(TestDialogCard)
#include "tst_dialogcard.moc"
