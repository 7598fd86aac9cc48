#include "support/FuzzMutator.h"
#include "textsystem/PictureAttachment.h"
#include "textsystem/SvgWorkload.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

const QByteArray svgStart = R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )"
                            R"(width="200" height="100">)";

// `fan` uses of the level below on each of `depth` levels over one rectangle:
// fan^depth rectangles drawn from a few kilobytes.
QByteArray nestedUses(int fan, int depth)
{
    QByteArray svg = svgStart + R"(<rect id="l0" width="200" height="100" fill="red"/>)";
    for (int level = 1; level <= depth; ++level) {
        svg += "<g id=\"l" + QByteArray::number(level) + "\">";
        for (int i = 0; i < fan; ++i)
            svg += "<use xlink:href=\"#l" + QByteArray::number(level - 1) + "\" x=\"" + QByteArray::number(i) + "\"/>";
        svg += "</g>";
    }
    return svg + "</svg>";
}

} // namespace

// SVG pictures are costed as drawn, <use> expanded, before anything draws
// them, and drawn once at the size they are shown.
class TestSvgWorkload : public QObject
{
    Q_OBJECT

private slots:
    void drawnElements_data()
    {
        QTest::addColumn<QByteArray>("svg");
        QTest::addColumn<qint64>("drawn");
        const qint64 over = SvgWorkload::maximumDrawnElements + 1;
        QTest::newRow("shapes") << svgStart + "<rect/><circle/><g><path/></g></svg>" << qint64(5);
        QTest::newRow("a use draws what it names") << svgStart + R"(<g id="a"><rect/><rect/></g><use href="#a"/></svg>)"
                                                  << qint64(1 + 3 + 4);
        QTest::newRow("a use of nothing") << svgStart + R"(<use xlink:href="#none"/></svg>)" << qint64(2);
        // The root, the rectangle, then each level: itself and ten uses of the one below.
        QTest::newRow("nested uses, 10^3") << nestedUses(10, 3) << qint64(1 + 1 + 21 + 221 + 2221);
        QTest::newRow("nested uses, 30^4") << nestedUses(30, 4) << over;
        QTest::newRow("a use inside what it names") << svgStart + R"(<g id="a"><use href="#a"/></g></svg>)" << over;
        QTest::newRow("a use of itself") << svgStart + R"(<use id="u" href="#u"/></svg>)" << over;
        QTest::newRow("malformed") << QByteArray("<svg><rect></svg>") << over;
        QTest::newRow("empty") << QByteArray() << over;
    }

    void drawnElements()
    {
        QFETCH(QByteArray, svg);
        QFETCH(qint64, drawn);
        QCOMPARE(SvgWorkload::drawnElements(svg), drawn);
    }

    // The nested-use picture is refused at once, through every reader's decoder.
    void picturesDrawingTooMuchRefused()
    {
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!PictureAttachment::fromBytes(nestedUses(30, 4)));
        QVERIFY(PictureDecoder::decode(nestedUses(30, 4), QSizeF(20, 10)).image.isNull());
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(PictureAttachment::fromBytes(nestedUses(10, 3)));
    }

    void drawnOnceAtTheShownSize_data()
    {
        QTest::addColumn<QByteArray>("svg");
        QTest::addColumn<QSizeF>("shown");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSizeF>("bounds");
        const QByteArray small = nestedUses(2, 2);
        QTest::newRow("shown smaller") << small << QSizeF(50, 25) << QSize(50, 25) << QSizeF(50, 25);
        QTest::newRow("natural size") << small << QSizeF() << QSize(200, 100) << QSizeF(0, 0);
        QTest::newRow("shown larger than a raster may be")
            << small << QSizeF(10000, 5000)
            << QSize(PictureLimits::maximumVectorSide, PictureLimits::maximumVectorSide / 2) << QSizeF(10000, 5000);
        // 57,785 elements drawn: at most 2e10 / 57,785 pixels, the shape kept.
        QTest::newRow("many elements shown large")
            << nestedUses(30, 3) << QSizeF(4000, 2000) << QSize(831, 415) << QSizeF(4000, 2000);
    }

    void drawnOnceAtTheShownSize()
    {
        QFETCH(QByteArray, svg);
        QFETCH(QSizeF, shown);
        QFETCH(QSize, pixels);
        QFETCH(QSizeF, bounds);
        const TextAttachmentPointer picture = PictureAttachment::fromBytes(svg, shown);
        QVERIFY(picture);
        QCOMPARE(picture->image.size(), pixels);
        QCOMPARE(picture->bounds.size(), bounds);
        QCOMPARE(picture->fileType, QStringLiteral("image/svg+xml"));
    }

    // Mutated drawings (uses of ancestors, of missing ids, deep nesting) are
    // costed without a crash, and what passes is drawn in bounded time.
    void mutatedDrawingsCostedSafely()
    {
        const QList<QByteArray> tokens = {"<use href=\"#l1\"/>", "<use xlink:href=\"#l3\"/>", "<g id=\"l2\">", "</g>",
                                          "<g>", "id=\"l0\" ", "<defs>", "</defs>", "<!DOCTYPE svg>", "&lt;", "\"",
                                          // files a drawing must never open
                                          "<image width=\"9\" height=\"9\" xlink:href=\"/dev/zero\"/>",
                                          "<?xml-stylesheet href=\"/dev/zero\"?>", "href=\"/dev/zero\" ",
                                          // a drawing inside the drawing
                                          "<image width=\"9\" height=\"9\" xlink:href=\"data:,%3Csvg xmlns='http://www.w3.org/"
                                          "2000/svg' width='9' height='9'%3E%3Cuse href='%23l1'/%3E%3C/svg%3E\"/>"};
        Mutator mutator(fuzzSeed() + 11);
        QElapsedTimer timer;
        timer.start();
        const int runs = fuzzFor(300, [&](int) {
            const QByteArray svg = mutator.mutate(nestedUses(4, 4), tokens);
            const qint64 drawn = SvgWorkload::drawnElements(svg);
            QVERIFY(drawn >= 1 && drawn <= SvgWorkload::maximumDrawnElements + 1);
            PictureDecoder::decode(svg, QSizeF(40, 20));
        });
        qInfo() << runs << "mutated drawings in" << timer.elapsed() << "ms";
    }
};

QTEST_MAIN(TestSvgWorkload)
#include "tst_svgworkload.moc"
