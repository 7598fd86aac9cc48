#include "textsystem/PictureCache.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

namespace {

QByteArray pngBytes(int width, int height, QColor color = Qt::blue)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

// The rule every reader follows for pictures: decode each distinct one once,
// and stop at a budget of pixels counted from the headers.
class TestPictureCache : public QObject
{
    Q_OBJECT

private slots:
    void eachDistinctPictureDecodedOnce()
    {
        PictureCache cache;
        const QByteArray png = pngBytes(30, 20);
        const TextAttachmentPointer natural = cache.picture(png);
        const TextAttachmentPointer shown = cache.picture(QByteArray(png), QSizeF(60, 40));
        QVERIFY(natural && shown);
        QCOMPARE(shown->image.cacheKey(), natural->image.cacheKey());
        QVERIFY(natural->bounds.isEmpty());
        QCOMPARE(shown->bounds.size(), QSizeF(60, 40));
        QCOMPARE(cache.pixelsUsed(), 600);
        QCOMPARE(cache.picture(png, QSizeF(qQNaN(), 5))->bounds, QRectF());
    }

    void budgetCountsDistinctPictures()
    {
        PictureCache cache(2500);
        const QByteArray first = pngBytes(40, 40, Qt::red);   // 1600 pixels
        const QByteArray second = pngBytes(30, 30, Qt::green); // 900 pixels: the budget is full
        const QByteArray third = pngBytes(2, 2, Qt::blue);
        for (int i = 0; i < 20; ++i)
            QVERIFY(cache.picture(first));
        QVERIFY(cache.picture(second));
        QVERIFY(!cache.picture(third));
        QVERIFY(cache.picture(first)); // shown again, it costs nothing
        QCOMPARE(cache.pixelsUsed(), 2500);
        QVERIFY(!cache.picture("not a picture"));
        QVERIFY(!cache.picture(QByteArray()));
    }
};

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
