#include "presentation/document/PowerPointDocument.h"

#include "platform/AppState.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

bool presentationUnsaved()
{
    return AppState::shared().hasUnsavedChanges(AppState::Editor::Presentation);
}

QStringList titles(const PowerPointDocument &document)
{
    QStringList titles;
    for (const Slide &slide : document.slides())
        titles << slide.title;
    return titles;
}

// A document with slides titled `names`, index `current`, unsaved state clear.
void fill(PowerPointDocument &document, const QStringList &names, int current)
{
    QList<Slide> slides;
    for (const QString &name : names) {
        Slide slide;
        slide.title = name;
        slides << slide;
    }
    document.setSlides(slides);
    document.setCurrentSlideIndex(current);
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Presentation, false);
}

} // namespace

class TestPowerPointDocument : public QObject
{
    Q_OBJECT

private slots:
    void init() { AppState::shared().setHasUnsavedChanges(AppState::Editor::Presentation, false); }

    void newDocumentHasOneSlideWithPlaceholdersAndIsClean()
    {
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Presentation, true);
        PowerPointDocument unrelated; // a new document leaves a set state alone
        QVERIFY(presentationUnsaved());
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Presentation, false);

        PowerPointDocument document;
        QVERIFY(!presentationUnsaved());
        QCOMPARE(document.currentSlideIndex(), 0);
        QCOMPARE(titles(document), QStringList{QStringLiteral("スライド 1")});
        const Slide &slide = document.slides().first();
        QCOMPARE(slide.bgColorHex, QStringLiteral("#FFFFFF"));
        QCOMPARE(slide.objects.size(), 2);
        const SlideObject &title = slide.objects[0];
        QCOMPARE(title.type, SlideObjectType::Title);
        QCOMPARE(QRectF(title.x, title.y, title.width, title.height), QRectF(50, 100, 700, 80));
        QCOMPARE(title.text, QStringLiteral("タイトルを入力してください"));
        QCOMPARE(title.colorHex, QStringLiteral("#000000"));
        QCOMPARE(title.fontSize, 40.0);
        QVERIFY(title.isBold);
        const SlideObject &body = slide.objects[1];
        QCOMPARE(body.type, SlideObjectType::Body);
        QCOMPARE(QRectF(body.x, body.y, body.width, body.height), QRectF(50, 220, 700, 250));
        QCOMPARE(body.text, QStringLiteral("・ テキストを入力..."));
        QCOMPARE(body.colorHex, QStringLiteral("#333333"));
        QCOMPARE(body.fontSize, 20.0);
        QVERIFY(!body.isBold);
        QVERIFY(title.id != body.id);
    }

    void enumerationsMatchTheirStringValuesExactly()
    {
        QStringList objectValues;
        for (const SlideObjectType type : SlideObjectTypes::all()) {
            objectValues << SlideObjectTypes::stringValue(type);
            QCOMPARE(SlideObjectTypes::fromStringValue(objectValues.last()), type);
        }
        QCOMPARE(objectValues, (QStringList{"タイトル", "本文", "四角形", "円", "テキストボックス"}));
        QStringList animationValues;
        for (const SlideAnimationType type : SlideAnimationTypes::all())
            animationValues << SlideAnimationTypes::stringValue(type);
        QCOMPARE(animationValues, (QStringList{"なし", "フェード", "スライドイン", "ズーム"}));
        QVERIFY(!SlideObjectTypes::fromStringValue(QStringLiteral(" 円")));
        QVERIFY(!SlideAnimationTypes::fromStringValue(QString()));
    }

    void addSlideCountsSlidesAndKeepsTheIndex()
    {
        PowerPointDocument document;
        document.addSlide();
        document.addSlide();
        document.setCurrentSlideIndex(1);
        document.addSlide();
        QCOMPARE(titles(document).last(), QStringLiteral("スライド 4"));
        QCOMPARE(document.currentSlideIndex(), 1);
        document.deleteSlide(1);
        document.addSlide();
        QCOMPARE(titles(document).last(), QStringLiteral("スライド 4")); // a count, not a serial
    }

    void deleteSlide_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("currentAfter");
        QTest::addColumn<bool>("changed");
        const QStringList abc{"A", "B", "C"};
        QTest::newRow("current last slide deleted") << abc << 2 << 2 << QStringList{"A", "B"} << 1 << true;
        QTest::newRow("earlier slide deleted, index clamped") << abc << 2 << 0 << QStringList{"B", "C"} << 1 << true;
        QTest::newRow("earlier slide deleted, index kept") << abc << 1 << 0 << QStringList{"B", "C"} << 1 << true;
        QTest::newRow("only slide refused") << QStringList{"A"} << 0 << 0 << QStringList{"A"} << 0 << false;
        QTest::newRow("index -1 refused") << abc << 0 << -1 << abc << 0 << false;
        QTest::newRow("index = count refused") << abc << 0 << 3 << abc << 0 << false;
    }

    void deleteSlide()
    {
        QFETCH(QStringList, before);
        QFETCH(int, current);
        QFETCH(int, index);
        PowerPointDocument document;
        fill(document, before, current);
        QSignalSpy slidesSpy(&document, &PowerPointDocument::slidesChanged);
        // Observers see the final index with the new list, never an index past it.
        int indexSeenWithSlides = -1;
        connect(&document, &PowerPointDocument::slidesChanged, this,
                [&] { indexSeenWithSlides = document.currentSlide() ? document.currentSlideIndex() : -2; });
        document.deleteSlide(index);
        QTEST(titles(document), "after");
        QTEST(document.currentSlideIndex(), "currentAfter");
        QFETCH(bool, changed);
        QCOMPARE(slidesSpy.size(), changed ? 1 : 0);
        QCOMPARE(presentationUnsaved(), changed);
        if (changed)
            QCOMPARE(indexSeenWithSlides, document.currentSlideIndex());
    }

    void addAndDeleteObjects()
    {
        PowerPointDocument document;
        document.addSlide();
        document.addObject(SlideObjectType::TextBox, 0);
        document.addObject(SlideObjectType::Circle, 0);
        const SlideObject textBox = document.slides()[0].objects[2];
        QCOMPARE(QRectF(textBox.x, textBox.y, textBox.width, textBox.height), QRectF(150, 150, 200, 80));
        QCOMPARE(textBox.text, QStringLiteral("テキスト..."));
        QCOMPARE(textBox.colorHex, QStringLiteral("#333333"));
        QCOMPARE(textBox.fontSize, 18.0);
        const SlideObject circle = document.slides()[0].objects[3];
        QCOMPARE(QRectF(circle.x, circle.y, circle.width, circle.height), QRectF(150, 150, 120, 120));
        QCOMPARE(circle.colorHex, QStringLiteral("#007AFF"));
        QVERIFY(circle.text.isEmpty());

        AppState::shared().setHasUnsavedChanges(AppState::Editor::Presentation, false);
        QSignalSpy spy(&document, &PowerPointDocument::slidesChanged);
        document.addObject(SlideObjectType::Rectangle, 2);
        document.addObject(SlideObjectType::Rectangle, -1);
        document.deleteObject(textBox.id, 1); // on another slide
        document.deleteObject(textBox.id, 5);
        QCOMPARE(spy.size(), 0);
        QVERIFY(!presentationUnsaved());
        QCOMPARE(document.slides()[0].objects.size(), 4);

        document.deleteObject(textBox.id, 0);
        QCOMPARE(spy.size(), 1);
        QVERIFY(presentationUnsaved());
        QCOMPARE(document.slides()[0].objects.size(), 3);
        QCOMPARE(document.slides()[0].objects[2].id, circle.id);
    }

    void updateObjectWritesTheElevenEditableFields()
    {
        PowerPointDocument document;
        const SlideObject original = document.slides()[0].objects[1];
        SlideObject edited = original;
        edited.type = SlideObjectType::Circle;
        edited.x = -5;
        edited.y = 1e9;
        edited.width = 10;
        edited.height = 20;
        edited.colorHex = QStringLiteral("#123456");
        edited.text = QStringLiteral(" two\nlines ");
        edited.fontSize = 99;
        edited.isBold = true;
        edited.isItalic = true;
        edited.animationType = SlideAnimationType::Zoom;
        edited.animationOrder = 3;
        QSignalSpy spy(&document, &PowerPointDocument::slidesChanged);
        document.updateObject(0, edited);
        QCOMPARE(spy.size(), 1);
        QVERIFY(presentationUnsaved());
        SlideObject expected = edited;
        expected.type = original.type; // the type never changes
        QVERIFY(document.slides()[0].objects[1] == expected);

        SlideObject stranger = edited;
        stranger.id = QUuid::createUuid();
        document.updateObject(0, stranger);
        document.updateObject(1, edited);
        QCOMPARE(spy.size(), 1);
    }

    void nonFiniteNumbersAreNotWritten()
    {
        PowerPointDocument document;
        const SlideObject original = document.slides()[0].objects[0];
        SlideObject edited = original;
        edited.x = qQNaN();
        edited.width = qInf();
        edited.fontSize = -qInf();
        edited.y = 7;
        document.updateObject(0, edited);
        const SlideObject &stored = document.slides()[0].objects[0];
        QCOMPARE(stored.x, original.x);
        QCOMPARE(stored.width, original.width);
        QCOMPARE(stored.fontSize, original.fontSize);
        QCOMPARE(stored.y, 7.0);

        QList<Slide> slides = document.slides();
        slides[0].objects[0].height = qQNaN();
        QSignalSpy spy(&document, &PowerPointDocument::slidesChanged);
        QVERIFY(!document.setSlides(slides));
        QCOMPARE(spy.size(), 0);
        QVERIFY(document.slides()[0].objects[0].hasFiniteNumbers());
    }

    void moveSlides_data()
    {
        QTest::addColumn<QList<int>>("sources");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first to end") << QList<int>{0} << 5 << QStringList{"B", "C", "D", "E", "A"};
        QTest::newRow("last to start") << QList<int>{4} << 0 << QStringList{"E", "A", "B", "C", "D"};
        QTest::newRow("down by one") << QList<int>{1} << 3 << QStringList{"A", "C", "B", "D", "E"};
        QTest::newRow("onto itself") << QList<int>{2} << 2 << QStringList{"A", "B", "C", "D", "E"};
        QTest::newRow("set, keeps its order") << QList<int>{3, 0} << 2 << QStringList{"B", "A", "D", "C", "E"};
        QTest::newRow("set around destination") << QList<int>{1, 4} << 3 << QStringList{"A", "C", "B", "E", "D"};
        QTest::newRow("out-of-range and duplicate sources dropped")
            << QList<int>{-1, 1, 1, 9} << 0 << QStringList{"B", "A", "C", "D", "E"};
        QTest::newRow("destination clamped") << QList<int>{0} << 99 << QStringList{"B", "C", "D", "E", "A"};
    }

    void moveSlides()
    {
        QFETCH(QList<int>, sources);
        QFETCH(int, destination);
        PowerPointDocument document;
        fill(document, {"A", "B", "C", "D", "E"}, 0);
        QSignalSpy slidesSpy(&document, &PowerPointDocument::slidesChanged);
        QSignalSpy indexSpy(&document, &PowerPointDocument::currentSlideIndexChanged);
        document.moveSlides(sources, destination);
        QTEST(titles(document), "after");
        QCOMPARE(slidesSpy.size(), 1);
        QCOMPARE(indexSpy.size(), 0);
        QCOMPARE(document.currentSlideIndex(), 0); // the row stays; its slide may change
        QVERIFY(presentationUnsaved());
    }

    void moveWithNothingValidIsNoWrite()
    {
        PowerPointDocument document;
        QSignalSpy spy(&document, &PowerPointDocument::slidesChanged);
        document.moveSlides({3, -2}, 0);
        document.moveSlides({}, 0);
        QCOMPARE(spy.size(), 0);
    }

    void indexWritesNeverMarkUnsaved()
    {
        PowerPointDocument document;
        QSignalSpy indexSpy(&document, &PowerPointDocument::currentSlideIndexChanged);
        QSignalSpy slidesSpy(&document, &PowerPointDocument::slidesChanged);
        document.setCurrentSlideIndex(0); // an equal value is still a write
        document.setCurrentSlideIndex(7); // not clamped
        QCOMPARE(indexSpy.size(), 2);
        QCOMPARE(slidesSpy.size(), 0);
        QCOMPARE(document.currentSlideIndex(), 7);
        QCOMPARE(document.currentSlide(), nullptr);
        QVERIFY(!presentationUnsaved());
    }

    void slideWritesFireEvenForEqualValues()
    {
        PowerPointDocument document;
        QSignalSpy spy(&document, &PowerPointDocument::slidesChanged);
        document.setSlideTitle(0, document.slides()[0].title);
        QVERIFY(presentationUnsaved());
        document.setSlideBackground(0, QStringLiteral("#FF0000"));
        document.setSlideTitle(1, QStringLiteral("x"));
        document.setSlideBackground(-1, QStringLiteral("x"));
        QCOMPARE(spy.size(), 2);
        QCOMPARE(document.slides()[0].bgColorHex, QStringLiteral("#FF0000"));
        QVERIFY(document.setSlides({}));
        QCOMPARE(spy.size(), 3);
        QCOMPARE(document.currentSlide(), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestPowerPointDocument)
#include "tst_powerpointdocument.moc"
