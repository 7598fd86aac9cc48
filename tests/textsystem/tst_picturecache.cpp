#include "textsystem/PictureCache.h"

#include "platform/ReadBudget.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <QtTest>

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    return TestImages::encoded(image, format);
}

QByteArray pngBytes(int width, int height, QColor color = Qt::blue)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return encoded(image, "PNG");
}

void appendLittle16(QByteArray &bytes, int value)
{
    bytes.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

// A GIF whose one frame is 1 × 1 at the corner of a `screen` × `screen`
// logical screen: its header says 1 × 1, decoding gives the whole screen.
// `salt` makes each one distinct.
QByteArray gifWithLargeScreen(int screen, int salt)
{
    QByteArray bytes("GIF89a");
    appendLittle16(bytes, screen);
    appendLittle16(bytes, screen);
    bytes.append("\x80\x00\x00", 3);                                     // two-colour table follows
    bytes.append("\x00\x00\x00\xFF\xFF", 5).append(char(salt));           // the table
    bytes.append("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);         // a 1 × 1 frame at (0, 0)
    bytes.append("\x02\x02\x44\x01\x00\x3B", 6);                          // its pixel, the trailer
    return bytes;
}

// An icon whose directory says 1 × 1, holding `png` (any size).
QByteArray iconAround(const QByteArray &png)
{
    QByteArray bytes;
    appendLittle16(bytes, 0);
    appendLittle16(bytes, 1);
    appendLittle16(bytes, 1);
    bytes.append("\x01\x01\x00\x00", 4); // 1 × 1, no palette
    appendLittle16(bytes, 1);
    appendLittle16(bytes, 32);
    QByteArray sizes(8, '\0');
    qToLittleEndian<quint32>(quint32(png.size()), sizes.data());
    qToLittleEndian<quint32>(22, sizes.data() + 4);
    return bytes + sizes + png;
}

QByteArray wideImage(int side, QImage::Format format, const char *fileFormat, int salt)
{
    QImage image(side, side, format);
    image.fill(QColor(salt, 80, 160, 200));
    return encoded(image, fileFormat);
}

} // namespace

// The rule every reader follows for pictures: decode each distinct one once,
// and stop at a budget of memory that counts what decoding really takes.
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
        QCOMPARE(cache.bytesUsed(), 30 * 20 * 4);
        QCOMPARE(cache.picture(png, QSizeF(qQNaN(), 5))->bounds, QRectF());
    }

    void budgetCountsDistinctPictures()
    {
        PictureCache cache(10000);
        const QByteArray first = pngBytes(40, 40, Qt::red);   // 6400 bytes
        const QByteArray second = pngBytes(30, 30, Qt::green); // 3600 bytes: the budget is full
        const QByteArray third = pngBytes(2, 2, Qt::blue);
        for (int i = 0; i < 20; ++i)
            QVERIFY(cache.picture(first));
        QVERIFY(cache.picture(second));
        QVERIFY(!cache.picture(third));
        QVERIFY(cache.picture(first)); // shown again, it costs nothing
        QCOMPARE(cache.bytesUsed(), 10000);
        QVERIFY(!cache.picture("not a picture"));
        QVERIFY(!cache.picture(QByteArray()));
        // Only the picture past the budget counts as left out, once, by its format.
        QVERIFY(!cache.picture(third));
        QCOMPARE(cache.leftOutCount(), 1);
        QCOMPARE(cache.leftOutNames(), QStringList{QStringLiteral("PNG picture")});
    }

    // Pictures whose header understates what they decode to, or that decode
    // wider than 8 bits a channel: the budget holds by what decoding takes,
    // and what is kept is 8 bits a channel.
    void budgetChargesWhatDecodingTakes_data()
    {
        QTest::addColumn<QList<QByteArray>>("pictures");
        QTest::addColumn<qint64>("budget");
        QList<QByteArray> gifs, icons, deepPngs, floatTiffs;
        for (int i = 0; i < 8; ++i) {
            gifs << gifWithLargeScreen(600, i);                       // 1.44 MB each, the header says 1 pixel
            icons << iconAround(pngBytes(600, 600, QColor(i, 0, 0))); // the same, as an icon
            deepPngs << wideImage(400, QImage::Format_RGBA64, "PNG", i);       // 8 bytes a pixel
            floatTiffs << wideImage(300, QImage::Format_RGBA32FPx4, "TIFF", i); // 16 bytes a pixel
        }
        QTest::newRow("GIF frame in a larger screen") << gifs << qint64(3'000'000);
        QTest::newRow("icon around a larger PNG") << icons << qint64(3'000'000);
        QTest::newRow("16-bit PNG") << deepPngs << qint64(2'000'000);
        QTest::newRow("float TIFF") << floatTiffs << qint64(2'000'000);
    }

    void budgetChargesWhatDecodingTakes()
    {
        QFETCH(QList<QByteArray>, pictures);
        QFETCH(qint64, budget);
        PictureCache cache(budget);
        qint64 kept = 0;
        int shown = 0;
        for (const QByteArray &bytes : pictures) {
            if (const TextAttachmentPointer picture = cache.picture(bytes)) {
                ++shown;
                kept += picture->image.sizeInBytes();
                QVERIFY2(picture->image.depth() <= 32, qPrintable(QString::number(picture->image.format())));
            }
        }
        QVERIFY(shown > 0);             // pictures within the budget still show
        QVERIFY(shown < pictures.size()); // and the rest is left out
        QVERIFY2(kept <= budget, qPrintable(QStringLiteral("%1 bytes kept").arg(kept)));
        QVERIFY(kept <= cache.bytesUsed() && cache.bytesUsed() <= budget); // a wide one is charged as decoded
        QCOMPARE(cache.leftOutCount(), pictures.size() - shown); // each one left out is counted, headers notwithstanding
    }

    // A read's own budget bounds the pictures too, and is charged for them.
    void readBudgetBoundsPictures()
    {
        ReadBudget read(0, 3'000'000);
        PictureCache cache(PictureCache::memoryBudget, &read);
        int shown = 0;
        for (int i = 0; i < 8; ++i)
            shown += cache.picture(gifWithLargeScreen(600, i)) ? 1 : 0;
        QCOMPARE(shown, 2);
        QVERIFY(read.used() <= read.limit());
        QVERIFY(!read.ranOut());
    }

    // Pictures named by a package part are read once by name.
    void namedPicturesReadOnce()
    {
        PictureCache cache;
        int reads = 0;
        const auto read = [&reads]() -> std::optional<QByteArray> { ++reads; return pngBytes(4, 4); };
        QVERIFY(cache.picture(QStringLiteral("word/media/a.png"), read));
        QVERIFY(cache.picture(QStringLiteral("word/media/a.png"), read, QSizeF(8, 8)));
        QCOMPARE(reads, 1);
        QVERIFY(cache.picture(QStringLiteral("word/media/b.png"), read)); // the same bytes, decoded once
        QCOMPARE(reads, 2);
        QCOMPARE(cache.bytesUsed(), 4 * 4 * 4);
    }

    // The reader's global allocation limit is back as it was after a decode.
    void allocationLimitRestored()
    {
        const int before = QImageReader::allocationLimit();
        PictureCache cache(1'000'000);
        cache.picture(gifWithLargeScreen(600, 1));
        QCOMPARE(QImageReader::allocationLimit(), before);
    }
};

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
