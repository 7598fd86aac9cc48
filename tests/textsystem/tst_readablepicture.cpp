#include "textsystem/JpegScans.h"
#include "textsystem/PictureCache.h"
#include "textsystem/ReadablePicture.h"
#include "textsystem/StyledText.h"
#include "textsystem/TextAttributes.h"
#include "textsystem/rtf/RtfReader.h"
#include "textsystem/rtf/RtfWriter.h"

#include "support/TestImages.h"

#include <zlib.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

const QByteArray svgStart = R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )"
                            R"(width="40" height="40">)";

QByteArray dataUri(const QByteArray &bytes)
{
    return "data:;base64," + bytes.toBase64();
}

// The names of the files opened in a folder while it lives.
class OpenedFiles
{
public:
    explicit OpenedFiles(const QString &folder)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN);
    }
    ~OpenedFiles() { close(m_fd); }
    OpenedFiles(const OpenedFiles &) = delete;
    OpenedFiles &operator=(const OpenedFiles &) = delete;

    QStringList names() const
    {
        QStringList names;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->len > 0)
                    names << QFile::decodeName(event->name);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int m_fd;
};

// A GIF of one pixel on a `side` × `side` screen: Qt's reader says 1 × 1,
// decoding gives the whole screen.
QByteArray gifOnScreen(quint16 side)
{
    QByteArray gif("GIF89a");
    gif.append(char(side & 0xFF)).append(char(side >> 8)).append(char(side & 0xFF)).append(char(side >> 8));
    gif.append("\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 9);               // a two-colour table
    gif.append("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3B", 16); // one pixel, the end
    return gif;
}

QByteArray imagesOf(const QByteArray &picture, int count)
{
    QByteArray images;
    for (int i = 0; i < count; ++i)
        images += "<image width=\"40\" height=\"40\" xlink:href=\"" + dataUri(picture) + "\"/>";
    return svgStart + images + "</svg>";
}

// A progressive JPEG's markers: a greyscale frame, then `scans` scans of
// `coded` data each (no picture a decoder would show).
QByteArray jpegScans(quint16 width, quint16 height, int scans, const QByteArray &coded = QByteArray(1, '\0'))
{
    QByteArray jpeg("\xFF\xD8\xFF\xC2\x00\x0B\x08", 7);
    jpeg.append(char(height >> 8)).append(char(height & 0xFF)).append(char(width >> 8)).append(char(width & 0xFF));
    jpeg.append("\x01\x01\x11\x00", 4);
    for (int i = 0; i < scans; ++i)
        jpeg.append("\xFF\xDA\x00\x08\x01\x01\x00\x01\x3F\x00", 10).append(coded);
    return jpeg.append("\xFF\xD9");
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    chunk += type + data;
    QByteArray crc(4, '\0');
    const QByteArray covered = type + data;
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(covered.constData()), uInt(covered.size()))),
                          crc.data());
    return chunk + crc;
}

// `png` with `chunks` before its first chunk of `type`.
QByteArray withChunksBefore(QByteArray png, const QByteArray &type, const QByteArray &chunks)
{
    return png.insert(png.indexOf(type) - 4, chunks);
}

bool showsRed(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 0))
                return true;
    return false;
}

} // namespace

// Every picture reaches Qt's readers through ReadablePicture: drawings that
// name other files, pictures inside drawings, and files whose parts cost
// far more than they show.
class TestReadablePicture : public QObject
{
    Q_OBJECT

private slots:
    // Files a drawing may name: a red picture, one under a name Qt takes for
    // a file, a style sheet painting rectangles red.
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        const QByteArray red = TestImages::filled(QSize(40, 40), Qt::red);
        const QList<std::pair<QString, QByteArray>> files = {
            {QStringLiteral("private.png"), red}, {QStringLiteral("DATA:red"), red}, {QStringLiteral("style.css"), "rect { fill: #ff0000 }"}};
        for (const auto &named : files) {
            QFile file(m_folder.filePath(named.first));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(named.second) == named.second.size());
        }
    }

    void drawingsOpenNoOtherFile_data()
    {
        QTest::addColumn<QByteArray>("svg");
        const QByteArray folder = QFile::encodeName(m_folder.path());
        const auto drawing = [](const QByteArray &reference) {
            return svgStart + "<image width=\"40\" height=\"40\" xlink:href=\"" + reference + "\"/></svg>";
        };
        QTest::newRow("path") << drawing(folder + "/private.png");
        QTest::newRow("file URL") << drawing("file://" + folder + "/private.png");
        QTest::newRow("name in the working folder") << drawing("private.png");
        QTest::newRow("DATA in capitals, a name in the working folder") << drawing("DATA:red");
        QTest::newRow("href without prefix")
            << svgStart + "<image width=\"40\" height=\"40\" href=\"" + folder + "/private.png\"/></svg>";
        QTest::newRow("style sheet instruction")
            << "<?xml-stylesheet type=\"text/css\" href=\"" + folder + "/style.css\"?>" + svgStart
                   + R"(<rect width="40" height="40"/></svg>)";
        QTest::newRow("inside a drawing the drawing holds") << drawing(dataUri(drawing(folder + "/private.png")));
    }

    // The drawing opens none of the files it names, draws none, and a save
    // carries none of their pixels.
    void drawingsOpenNoOtherFile()
    {
        QFETCH(QByteArray, svg);
        const QString working = QDir::currentPath();
        QDir::setCurrent(m_folder.path());
        const OpenedFiles opened(m_folder.path());

        PictureCache pictures;
        const TextAttachmentPointer picture = pictures.picture(svg);
        QVERIFY(picture);
        QVERIFY(!showsRed(picture->image));
        TextAttachment held;
        held.contents = svg;
        QCOMPARE(held.naturalSize(), QSizeF(40, 40));
        QVERIFY(!showsRed(held.picture()));
        TextAttributes attributes;
        attributes.attachment = picture;
        StyledText text;
        text.append(QString(QChar::ObjectReplacementCharacter), attributes);
        StyledText saved;
        QString error;
        QVERIFY(RtfReader::read(RtfWriter::write(text), &saved, &error));
        const TextAttachmentPointer savedPicture = saved.attributesAt(0).attachment;
        QVERIFY(savedPicture && !savedPicture->image.isNull());
        QVERIFY(!showsRed(savedPicture->image));

        QDir::setCurrent(working);
        QCOMPARE(opened.names(), QStringList());
    }

    void picturesInsideDrawingsCharged_data()
    {
        QTest::addColumn<QByteArray>("svg");
        QTest::addColumn<qint64>("budget");
        QTest::addColumn<qint64>("charged"); // 0: left out
        const qint64 drawing = 40 * 40 * 4;
        const QByteArray gifs = imagesOf(gifOnScreen(1000), 5);
        QTest::newRow("large-screen GIFs past the budget") << gifs << qint64(10'000'000) << qint64(0);
        QTest::newRow("large-screen GIFs within it") << gifs << qint64(30'000'000) << drawing + 5 * 4'000'000;
        const QByteArray small = svgStart + "<rect width=\"40\" height=\"40\"/></svg>";
        QTest::newRow("a drawing inside a drawing") << imagesOf(small, 2) << PictureCache::memoryBudget << 3 * drawing;
        QTest::newRow("a drawing refused alone, inside a drawing")
            << imagesOf(svgStart + "<g id=\"g\"><use href=\"#g\"/></g></svg>", 1) << PictureCache::memoryBudget << qint64(0);
        QTest::newRow("drawings nested three deep")
            << imagesOf(imagesOf(small, 1), 1) << PictureCache::memoryBudget << qint64(0);
        // Each picture a drawing holds is read: their number is bounded too.
        QTest::newRow("more pictures than a drawing may hold")
            << imagesOf(gifOnScreen(1), ReadablePicture::maximumNestedPictures + 1) << PictureCache::memoryBudget
            << qint64(0);
    }

    // A picture inside a drawing is charged by the size it claims, against
    // the document's budget; a drawing inside one counts in its elements.
    void picturesInsideDrawingsCharged()
    {
        QFETCH(QByteArray, svg);
        QFETCH(qint64, budget);
        QFETCH(qint64, charged);
        PictureCache pictures(budget);
        QCOMPARE(bool(pictures.picture(svg)), charged > 0);
        QCOMPARE(pictures.bytesUsed(), charged);
        QCOMPARE(pictures.leftOutCount(), charged > 0 ? 0 : 1);
    }

    void jpegScansBounded_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<qint64>("scanPixels");
        QTest::addColumn<bool>("leftOut");
        QTest::newRow("baseline file") << TestImages::filled(QSize(64, 32), Qt::blue, "JPEG") << qint64(64 * 32) << false;
        QTest::newRow("progressive, 100 scans") << jpegScans(100, 50, 100) << qint64(100 * 5000) << false;
        QTest::newRow("stuffed zero, restart and fill in coded data")
            << jpegScans(100, 50, 3, QByteArray("\x12\xFF\x00\x34\xFF\xD3\x56\xFF", 8)) << qint64(3 * 5000) << false;
        QTest::newRow("height given later") << jpegScans(10, 0, 2) << qint64(2 * 10 * 65535) << false;
        QTest::newRow("truncated in the frame header") << jpegScans(100, 50, 3).left(8) << qint64(0) << false;
        QTest::newRow("no JPEG") << QByteArray("GIF89a") << qint64(0) << false;
        // 80 megapixels: twenty scans are allowed, not twenty-one.
        QTest::newRow("largest picture, too many scans")
            << jpegScans(16384, 4880, 21) << qint64(21) * 16384 * 4880 << true;
    }

    // Scans are counted from the markers; a JPEG asking for too many passes
    // over its pixels is left out before anything decodes it.
    void jpegScansBounded()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(qint64, scanPixels);
        QFETCH(bool, leftOut);
        QCOMPARE(JpegScans::scanPixels(jpeg), scanPixels);
        PictureCache pictures;
        pictures.picture(jpeg);
        QCOMPARE(pictures.leftOutCount(), leftOut ? 1 : 0);
    }

    void pngTextNotRead_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QByteArray>("readable");
        const QByteArray plain = TestImages::filled(QSize(8, 8), Qt::blue);
        const QByteArray zeros = qCompress(QByteArray(1 << 20, '\0')).mid(4); // the zlib stream alone
        const QByteArray compressed = pngChunk("zTXt", QByteArray("Comment\0\0", 9) + zeros);
        QTest::newRow("compressed text before the image data")
            << withChunksBefore(plain, "IDAT", compressed.repeated(3)) << plain;
        QTest::newRow("text chunks after it")
            << withChunksBefore(plain, "IEND", pngChunk("tEXt", QByteArray("Title\0a", 7)) + pngChunk("iTXt", QByteArray("T\0\0\0\0\0b", 8)))
            << plain;
        QTest::newRow("no text") << plain << plain;
        const QByteArray damaged = plain + QByteArray("\x7F\xFF\xFF\xFFzTXt", 8);
        QTest::newRow("damaged length after the end: the rest kept") << withChunksBefore(damaged, "IDAT", compressed) << damaged;
    }

    // Qt's readers are handed a PNG without its text chunks, none of which
    // showing it needs; the document keeps the file's bytes.
    void pngTextNotRead()
    {
        QFETCH(QByteArray, png);
        QFETCH(QByteArray, readable);
        QCOMPARE(ReadablePicture(png).bytes(), readable);
        const TextAttachmentPointer picture = PictureCache().picture(png);
        QVERIFY(picture && picture->image.size() == QSize(8, 8));
        QCOMPARE(picture->contents, png);
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(TestReadablePicture)
#include "tst_readablepicture.moc"
