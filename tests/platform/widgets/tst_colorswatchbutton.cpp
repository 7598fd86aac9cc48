#include "platform/widgets/ColorSwatchButton.h"

#include <QSignalSpy>
#include <QTest>

class TestColorSwatchButton : public QObject
{
    Q_OBJECT
private slots:
    void loadingAValueNeverEmits();
    void pick_data();
    void pick();
    void paintsTheColour();
};

void TestColorSwatchButton::loadingAValueNeverEmits()
{
    ColorSwatchButton button;
    QSignalSpy picked(&button, &ColorSwatchButton::colorPicked);
    button.setColor(QColor(16, 124, 65));
    QCOMPARE(button.color(), QColor(16, 124, 65));
    QCOMPARE(picked.count(), 0);
}

void TestColorSwatchButton::pick_data()
{
    QTest::addColumn<QColor>("chosen");
    QTest::addColumn<QColor>("after");
    QTest::addColumn<int>("emitted");
    QTest::newRow("a new colour is stored and emitted") << QColor(255, 0, 0, 128)
                                                        << QColor(255, 0, 0, 128) << 1;
    QTest::newRow("the same colour is still a pick") << QColor(Qt::blue) << QColor(Qt::blue) << 1;
    QTest::newRow("cancelling changes nothing") << QColor() << QColor(Qt::blue) << 0;
}

void TestColorSwatchButton::pick()
{
    QFETCH(QColor, chosen);
    QFETCH(QColor, after);
    QFETCH(int, emitted);
    ColorSwatchButton button;
    button.setColor(Qt::blue);
    QColor offered;
    button.setColorChooser([&](QWidget *, const QColor &initial) {
        offered = initial;
        return chosen;
    });
    QSignalSpy picked(&button, &ColorSwatchButton::colorPicked);
    button.resize(button.sizeHint());
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(offered, QColor(Qt::blue));
    QCOMPARE(button.color(), after);
    QCOMPARE(picked.count(), emitted);
    if (emitted)
        QCOMPARE(picked.first().first().value<QColor>(), chosen);
}

void TestColorSwatchButton::paintsTheColour()
{
    ColorSwatchButton button;
    button.resize(button.sizeHint());
    button.setColor(QColor(16, 124, 65));
    const QImage image = button.grab().toImage();
    QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(16, 124, 65));
}

QTEST_MAIN(TestColorSwatchButton)
#include "tst_colorswatchbutton.moc"
