#include "textsystem/ImageDensity.h"
#include "textsystem/TextAttachment.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QtTest>

namespace {

QByteArray encode(const QImage &image, const char *format)
{
    return TestImages::encoded(image, format);
}

QImage pictureAt(double dotsPerInch)
{
    QImage image(100, 50, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    return image;
}

QByteArray pngWithoutDensity()
{
    QByteArray bytes = encode(pictureAt(96), "PNG");
    const qsizetype chunk = bytes.indexOf("pHYs") - 4;
    return bytes.remove(chunk, 4 + 4 + 9 + 4);
}

// The JFIF segment follows the start-of-image marker: units at byte 13,
// densities at 14 and 16.
QByteArray jpegWithUnits(int units, quint16 density)
{
    QByteArray bytes = encode(pictureAt(96), "JPEG");
    bytes[13] = char(units);
    for (int at : {14, 16}) {
        bytes[at] = char(density >> 8);
        bytes[at + 1] = char(density & 0xFF);
    }
    return bytes;
}

} // namespace

class TestTextAttachment : public QObject
{
    Q_OBJECT

private slots:
    void dotsPerInch_data();
    void dotsPerInch();
    void naturalSize_data();
    void naturalSize();
};

void TestTextAttachment::dotsPerInch_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QPointF>("dotsPerInch"); // (0, 0): none stated

    QTest::newRow("PNG pHYs") << encode(pictureAt(144), "PNG") << QPointF(144, 144);
    QTest::newRow("PNG without pHYs") << pngWithoutDensity() << QPointF();
    QTest::newRow("JFIF dots per inch") << encode(pictureAt(144), "JPEG") << QPointF(144, 144);
    QTest::newRow("JFIF dots per centimetre") << jpegWithUnits(2, 100) << QPointF(254, 254);
    QTest::newRow("JFIF aspect ratio only") << jpegWithUnits(0, 1) << QPointF();
    QTest::newRow("JFIF zero density") << jpegWithUnits(1, 0) << QPointF();
    QTest::newRow("BMP") << encode(pictureAt(144), "BMP") << QPointF();
    QTest::newRow("empty") << QByteArray() << QPointF();
    QTest::newRow("PNG signature only") << QByteArray("\x89PNG\r\n\x1a\n") << QPointF();
    QTest::newRow("PNG cut inside pHYs") << encode(pictureAt(144), "PNG").left(40) << QPointF();
    QTest::newRow("PNG chunk length past the end") << QByteArray("\x89PNG\r\n\x1a\n\xff\xff\xff\xffpHYs", 16) << QPointF();
    QTest::newRow("JPEG cut after the marker") << QByteArray("\xFF\xD8\xFF\xE0\x00", 5) << QPointF();
    QTest::newRow("JPEG segment length too short") << QByteArray("\xFF\xD8\xFF\xE0\x00\x01JFIF", 10) << QPointF();
}

void TestTextAttachment::dotsPerInch()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QPointF, dotsPerInch);

    const QPointF found = imageDotsPerInch(bytes).value_or(QPointF());
    QVERIFY2(qAbs(found.x() - dotsPerInch.x()) < 0.05 && qAbs(found.y() - dotsPerInch.y()) < 0.05,
             qPrintable(QStringLiteral("%1, %2").arg(found.x()).arg(found.y())));
}

void TestTextAttachment::naturalSize_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QSizeF>("size");

    QTest::newRow("PNG at 144 dpi") << encode(pictureAt(144), "PNG") << QImage() << QSizeF(50, 25);
    QTest::newRow("PNG without a stated resolution") << pngWithoutDensity() << QImage() << QSizeF(100, 50);
    QTest::newRow("JPEG at 144 dpi") << encode(pictureAt(144), "JPEG") << QImage() << QSizeF(50, 25);
    // A decoded picture always reports some resolution; only a file states one.
    QTest::newRow("picture without a file") << QByteArray() << pictureAt(144) << QSizeF(100, 50);
    QTest::newRow("picture with its file") << encode(pictureAt(144), "PNG") << pictureAt(144) << QSizeF(50, 25);
    QTest::newRow("not a picture") << QByteArray("plain text") << QImage() << QSizeF(0, 0);
    QTest::newRow("nothing") << QByteArray() << QImage() << QSizeF(0, 0);
}

void TestTextAttachment::naturalSize()
{
    QFETCH(QByteArray, contents);
    QFETCH(QImage, image);
    QFETCH(QSizeF, size);

    TextAttachment attachment;
    attachment.contents = contents;
    attachment.image = image;
    const QSizeF found = attachment.naturalSize();
    QVERIFY2(qAbs(found.width() - size.width()) < 0.05 && qAbs(found.height() - size.height()) < 0.05,
             qPrintable(QStringLiteral("%1 x %2").arg(found.width()).arg(found.height())));
}

QTEST_GUILESS_MAIN(TestTextAttachment)
#include "tst_textattachment.moc"
