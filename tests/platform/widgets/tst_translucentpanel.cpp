#include "platform/widgets/TranslucentPanel.h"

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

using Material = TranslucentPanel::Material;
using Blending = TranslucentPanel::Blending;

class TestTranslucentPanel : public QObject
{
    Q_OBJECT
private slots:
    void materialsTintWhatLiesBelow_data();
    void materialsTintWhatLiesBelow();
    void roundedCornersLeaveTheParentVisible();
    void hudTextReadsOnItsFillUnderALightWindow();
    void switchingBackToTitleBarFollowsTheWindowPaletteAgain();
    void lightMaterialsStayApart();

private:
    QImage renderOnWhite(TranslucentPanel *&panel, Material material, qreal radius = 0);
    std::unique_ptr<QWidget> m_parent;
};

// A white parent with the panel covering it, grabbed as the user sees it.
QImage TestTranslucentPanel::renderOnWhite(TranslucentPanel *&panel, Material material,
                                           qreal radius)
{
    m_parent = std::make_unique<QWidget>();
    m_parent->resize(100, 60);
    QPalette white;
    white.setColor(QPalette::Window, Qt::white);
    m_parent->setPalette(white);
    m_parent->setAutoFillBackground(true);
    panel = new TranslucentPanel(material, Blending::WithinWindow, m_parent.get());
    panel->setCornerRadius(radius);
    panel->setGeometry(m_parent->rect());
    return m_parent->grab().toImage();
}

void TestTranslucentPanel::materialsTintWhatLiesBelow_data()
{
    QTest::addColumn<Material>("material");
    QTest::addColumn<bool>("dark");
    QTest::newRow("HUD is dark") << Material::HudWindow << true;
    QTest::newRow("title bar is light") << Material::TitleBar << false;
    QTest::newRow("under-window background is light") << Material::UnderWindowBackground << false;
    QTest::newRow("sidebar is light") << Material::Sidebar << false;
    QTest::newRow("popover is light") << Material::Popover << false;
}

void TestTranslucentPanel::materialsTintWhatLiesBelow()
{
    QFETCH(Material, material);
    QFETCH(bool, dark);
    TranslucentPanel *panel = nullptr;
    const QColor center = renderOnWhite(panel, material).pixelColor(50, 30);
    QCOMPARE(center.lightness() < 128, dark);
    QVERIFY(TranslucentPanel::fillColor(material, panel->palette()).alpha() < 255);
    QCOMPARE(panel->material(), material);
}

void TestTranslucentPanel::roundedCornersLeaveTheParentVisible()
{
    TranslucentPanel *panel = nullptr;
    const QImage image = renderOnWhite(panel, Material::HudWindow, 12);
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(image.pixelColor(99, 59), QColor(Qt::white));
    QVERIFY(image.pixelColor(50, 1).lightness() < 128);
}

void TestTranslucentPanel::hudTextReadsOnItsFillUnderALightWindow()
{
    TranslucentPanel *panel = nullptr;
    renderOnWhite(panel, Material::HudWindow);
    auto *label = new QLabel(QStringLiteral("保存"), panel);
    const QColor text = label->palette().color(QPalette::WindowText);
    const QColor fill = TranslucentPanel::fillColor(Material::HudWindow, panel->palette());
    QVERIFY(qAbs(text.lightness() - fill.lightness()) > 150);
}

void TestTranslucentPanel::switchingBackToTitleBarFollowsTheWindowPaletteAgain()
{
    TranslucentPanel *panel = nullptr;
    renderOnWhite(panel, Material::HudWindow);
    panel->setMaterial(Material::TitleBar);
    QCOMPARE(panel->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(renderOnWhite(panel, Material::TitleBar).pixelColor(50, 30).lightness() > 200);
}

// Side columns read darker than the screen behind them, and a popover card
// lighter than the toolbar, so each surface stands out from its neighbour.
void TestTranslucentPanel::lightMaterialsStayApart()
{
    QPalette light;
    light.setColor(QPalette::Window, QColor(236, 236, 236));
    const auto lightness = [&light](Material material) {
        return TranslucentPanel::fillColor(material, light).lightness();
    };
    QVERIFY(lightness(Material::Sidebar) < lightness(Material::UnderWindowBackground));
    QVERIFY(lightness(Material::UnderWindowBackground) < lightness(Material::TitleBar));
    QVERIFY(lightness(Material::TitleBar) < lightness(Material::Popover));
    QVERIFY(TranslucentPanel::fillColor(Material::Popover, light).alpha()
            > TranslucentPanel::fillColor(Material::TitleBar, light).alpha());
}

QTEST_MAIN(TestTranslucentPanel)
#include "tst_translucentpanel.moc"
