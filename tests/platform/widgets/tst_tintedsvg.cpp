#include "platform/widgets/TintedSvg.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

// A 20 × 20 drawing: an opaque black left half, a half-transparent black
// bottom-right quarter, nothing top right.
static const QByteArray halfAndQuarter =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"20\" viewBox=\"0 0 20 20\">"
    "<rect x=\"0\" y=\"0\" width=\"10\" height=\"20\" fill=\"black\"/>"
    "<rect x=\"10\" y=\"10\" width=\"10\" height=\"10\" fill=\"black\" fill-opacity=\"0.5\"/></svg>";

class TestTintedSvg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tintKeepsShapeAndAlpha();
    void sizeFollowsTheDeviceRatio_data();
    void sizeFollowsTheDeviceRatio();
    void unusableInputGivesNull_data();
    void unusableInputGivesNull();

private:
    QString write(const QString &name, const QByteArray &content);
    QTemporaryDir m_dir;
};

QString TestTintedSvg::write(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return path;
}

void TestTintedSvg::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestTintedSvg::tintKeepsShapeAndAlpha()
{
    const QColor red(220, 30, 40);
    const QImage image =
        TintedSvg::pixmap(write("shape.svg", halfAndQuarter), red, 20, 1.0).toImage();
    QCOMPARE(image.size(), QSize(20, 20));
    QCOMPARE(image.pixelColor(5, 10), red);
    QCOMPARE(image.pixelColor(15, 5).alpha(), 0);
    // Premultiplied storage rounds the half-covered pixel by a level or two.
    const QColor half = image.pixelColor(15, 15);
    for (auto [actual, expected] : {std::pair{half.alpha(), 128}, {half.red(), red.red()},
                                    {half.green(), red.green()}, {half.blue(), red.blue()}})
        QVERIFY2(qAbs(actual - expected) <= 2, qPrintable(half.name(QColor::HexArgb)));
}

void TestTintedSvg::sizeFollowsTheDeviceRatio_data()
{
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("deviceSide");
    QTest::newRow("1x") << 18 << 1.0 << 18;
    QTest::newRow("2x") << 18 << 2.0 << 36;
    QTest::newRow("fractional ratio rounds") << 18 << 1.25 << 23;
}

void TestTintedSvg::sizeFollowsTheDeviceRatio()
{
    QFETCH(int, pixelSize);
    QFETCH(qreal, ratio);
    QFETCH(int, deviceSide);
    const QPixmap pixmap = TintedSvg::pixmap(write("size.svg", halfAndQuarter), Qt::blue, pixelSize, ratio);
    QCOMPARE(pixmap.size(), QSize(deviceSide, deviceSide));
    QCOMPARE(pixmap.devicePixelRatio(), ratio);
}

void TestTintedSvg::unusableInputGivesNull_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<int>("pixelSize");
    QTest::newRow("missing file") << QByteArray() << 16;
    QTest::newRow("not SVG") << QByteArray("PNG? no.") << 16;
    QTest::newRow("truncated SVG") << halfAndQuarter.left(60) << 16;
    QTest::newRow("zero size") << halfAndQuarter << 0;
    QTest::newRow("negative size") << halfAndQuarter << -4;
}

void TestTintedSvg::unusableInputGivesNull()
{
    QFETCH(QByteArray, content);
    QFETCH(int, pixelSize);
    const QString path =
        content.isEmpty() ? m_dir.filePath("absent.svg") : write("input.svg", content);
    QVERIFY(TintedSvg::pixmap(path, Qt::black, pixelSize, 2.0).isNull());
}

QTEST_MAIN(TestTintedSvg)
#include "tst_tintedsvg.moc"
