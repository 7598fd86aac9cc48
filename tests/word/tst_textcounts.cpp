#include "word/TextCounts.h"
#include "word/layout/VerticalOrientation.h"
#include "word/ZoomLevel.h"

#include <QTest>

class TestTextCounts : public QObject
{
    Q_OBJECT
private slots:
    void counts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("characters");
        QTest::addColumn<int>("words");
        QTest::newRow("empty") << QString() << 0 << 0;
        QTest::newRow("a b") << QStringLiteral("a b") << 3 << 2;
        QTest::newRow("two spaces, two newlines") << QStringLiteral("a  b\n\n") << 6 << 2;
        QTest::newRow("abc") << QStringLiteral("abc") << 3 << 1;
        QTest::newRow("family emoji is one character")
            << QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467") << 1 << 1;
        QTest::newRow("flag") << QStringLiteral("\U0001F1EF\U0001F1F5") << 1 << 1;
        QTest::newRow("combining mark") << QStringLiteral("e\u0301") << 1 << 1;
        QTest::newRow("CRLF is one character") << QStringLiteral("a\r\nb") << 3 << 2;
        QTest::newRow("ideographic space splits words") << QStringLiteral("日本\u3000語") << 4 << 2;
        QTest::newRow("Japanese without spaces is one word") << QStringLiteral("日本語の文章") << 6 << 1;
        QTest::newRow("tab and no-break space") << QStringLiteral("a\tb\u00A0c") << 5 << 3;
        QTest::newRow("only separators") << QStringLiteral(" \n\t") << 3 << 0;
        QTest::newRow("astral letter") << QStringLiteral("\U00020BB7野家") << 3 << 1;
    }
    void counts()
    {
        QFETCH(QString, text);
        QFETCH(int, characters);
        QFETCH(int, words);
        const TextCounts counts = TextCounts::of(text);
        QCOMPARE(counts.characters, characters);
        QCOMPARE(counts.words, words);
    }

    void zoomSteps_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("presses"); // negative: zoom out
        QTest::addColumn<int>("percent");
        QTest::newRow("five out from 100") << 1.0 << -5 << 50;
        QTest::newRow("sixth out does nothing") << 1.0 << -6 << 50;
        QTest::newRow("twenty in from 100") << 1.0 << 20 << 300;
        QTest::newRow("past the top does nothing") << 1.0 << 25 << 300;
        QTest::newRow("out from a slider value goes to the tenth below") << 0.73 << -1 << 70;
        QTest::newRow("in from a slider value goes to the tenth above") << 0.73 << 1 << 80;
        QTest::newRow("out from 0.55 reaches the minimum") << 0.55 << -1 << 50;
        QTest::newRow("three out then three in") << 1.0 << -3 << 70;
    }
    void zoomSteps()
    {
        QFETCH(double, start);
        QFETCH(int, presses);
        QFETCH(int, percent);
        double zoom = start;
        for (int i = 0; i < std::abs(presses); ++i)
            zoom = presses < 0 ? ZoomLevel::zoomedOut(zoom) : ZoomLevel::zoomedIn(zoom);
        QCOMPARE(ZoomLevel::percent(zoom), percent);
        QVERIFY(zoom >= ZoomLevel::Minimum && zoom <= ZoomLevel::Maximum);
    }

    void zoomFromFiveStepsIsExactlyTheMinimum()
    {
        double zoom = 1.0;
        for (int i = 0; i < 5; ++i)
            zoom = ZoomLevel::zoomedOut(zoom);
        QCOMPARE(zoom, 0.5);
        QCOMPARE(ZoomLevel::zoomedOut(zoom), 0.5);
    }

    void percentTruncates_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("percent");
        QTest::newRow("0.999") << 0.999 << 99;
        QTest::newRow("0.7") << 0.7 << 70;
        QTest::newRow("0.29") << 0.29 << 29;
        QTest::newRow("1.5") << 1.5 << 150;
    }
    void percentTruncates()
    {
        QFETCH(double, zoom);
        QFETCH(int, percent);
        QCOMPARE(ZoomLevel::percent(zoom), percent);
    }

    void clampKeepsRange()
    {
        QCOMPARE(ZoomLevel::clamped(0.1), 0.5);
        QCOMPARE(ZoomLevel::clamped(9.0), 3.0);
        QCOMPARE(ZoomLevel::clamped(std::nan("")), 1.0);
    }

    void verticalOrientation_data()
    {
        QTest::addColumn<uint>("character");
        QTest::addColumn<int>("orientation");
        const int turned = int(VerticalOrientation::Turned);
        const int upright = int(VerticalOrientation::Upright);
        const int corner = int(VerticalOrientation::UprightUpperRight);
        QTest::newRow("kanji") << uint(U'語') << upright;
        QTest::newRow("hiragana") << uint(U'の') << upright;
        QTest::newRow("katakana") << uint(U'カ') << upright;
        QTest::newRow("full-width letter") << uint(U'Ａ') << upright;
        QTest::newRow("astral kanji") << uint(0x20BB7) << upright;
        QTest::newRow("Latin") << uint(U'A') << turned;
        QTest::newRow("digit") << uint(U'1') << turned;
        QTest::newRow("long vowel mark") << uint(U'ー') << turned;
        QTest::newRow("corner bracket") << uint(U'「') << turned;
        QTest::newRow("full-width parenthesis") << uint(U'（') << turned;
        QTest::newRow("ideographic comma") << uint(U'、') << corner;
        QTest::newRow("ideographic full stop") << uint(U'。') << corner;
        QTest::newRow("full-width comma") << uint(U'，') << corner;
    }
    void verticalOrientation()
    {
        QFETCH(uint, character);
        QFETCH(int, orientation);
        QCOMPARE(int(::verticalOrientation(char32_t(character))), orientation);
    }
};

QTEST_APPLESS_MAIN(TestTextCounts)
#include "tst_textcounts.moc"
