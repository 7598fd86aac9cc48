#include "EditorTestSupport.h"
#include "presentation/editor/MorvanePowerPointView.h"
#include "presentation/editor/PowerPointSlideShowView.h"
#include "presentation/editor/SlideInspector.h"
#include "presentation/editor/SlideShowStage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace EditorTest;

namespace {

SlideObject animated(qint64 order, SlideAnimationType type = SlideAnimationType::Fade)
{
    SlideObject object = SlideObject::inserted(SlideObjectType::Rectangle);
    object.animationType = type;
    object.animationOrder = order;
    return object;
}

Slide slideWith(QList<SlideObject> objects)
{
    Slide slide;
    slide.objects = std::move(objects);
    return slide;
}

} // namespace

class TestSlideShowView : public QObject
{
    Q_OBJECT

private:
    QWidget m_host;

    std::unique_ptr<PowerPointSlideShowView> play(QList<Slide> slides, int start)
    {
        auto show = std::make_unique<PowerPointSlideShowView>(std::move(slides), start, &m_host);
        show->show();
        return show;
    }
    static QPoint blankSpot() { return {5, 5}; }

private slots:
    void initTestCase()
    {
        m_host.resize(1200, 800);
        m_host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_host));
    }

    void clicksWalkStepsThenSlidesThenEnd()
    {
        const QList<Slide> slides{slideWith({animated(0), animated(1), animated(1), animated(2)}),
                                  slideWith({animated(2, SlideAnimationType::None)})};
        auto show = play(slides, 0);
        QSignalSpy finished(show.get(), &PowerPointSlideShowView::finished);
        QCOMPARE(show->positionLabel()->text(), QStringLiteral("スライド 1 / 2"));
        const QList<QPair<int, qint64>> expected{{0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}};
        for (const auto &[slide, step] : expected) {
            QTest::mouseClick(show.get(), Qt::LeftButton, Qt::NoModifier, blankSpot());
            QCOMPARE(show->state().currentSlideIndex(), slide);
            QCOMPARE(show->state().animationStep(), step);
        }
        QCOMPARE(show->positionLabel()->text(), QStringLiteral("スライド 2 / 2"));
        QCOMPARE(finished.count(), 0);
        QTest::mouseClick(show.get(), Qt::LeftButton, Qt::NoModifier, blankSpot());
        QCOMPARE(finished.count(), 1);
        show->advance();
        QCOMPARE(finished.count(), 1); // once only
    }

    void secondClickOfADoubleClickAdvancesToo()
    {
        auto show = play({slideWith({animated(3)})}, 0);
        // What a window system delivers for a double-click: press, release,
        // double-click, release.
        const QPointF at = blankSpot();
        const QPointF global = show->mapToGlobal(at);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(show.get(), &event);
        }
        QCOMPARE(show->state().animationStep(), qint64(2));
    }

    void backWalksDownAndStopsAtTheStart()
    {
        auto show = play({slideWith({animated(2)}), slideWith({}), slideWith({})}, 2);
        QCOMPARE(show->state().currentSlideIndex(), 2);
        show->backButton()->click();
        QCOMPARE(show->state().currentSlideIndex(), 1);
        show->backButton()->click();
        QCOMPARE(show->state().currentSlideIndex(), 0);
        QCOMPARE(show->state().animationStep(), qint64(2)); // every step played
        show->backButton()->click();
        show->backButton()->click();
        show->backButton()->click();
        QCOMPARE(show->state().currentSlideIndex(), 0);
        QCOMPARE(show->state().animationStep(), qint64(0));
        // A button does only its own action, not the layer's advance as well.
        show->forwardButton()->click();
        QCOMPARE(show->state().animationStep(), qint64(1));
    }

    void closeButtonAndEmptyShowEnd()
    {
        auto show = play({slideWith({})}, 0);
        QSignalSpy closed(show.get(), &PowerPointSlideShowView::finished);
        show->closeButton()->click();
        QCOMPARE(closed.count(), 1);

        auto empty = play({slideWith({})}, 4);
        QSignalSpy finished(empty.get(), &PowerPointSlideShowView::finished);
        QVERIFY(empty->emptyLabel()->isVisible());
        QVERIFY(!empty->closeButton()->isVisible());
        QTest::mouseClick(empty.get(), Qt::LeftButton, Qt::NoModifier, blankSpot());
        QCOMPARE(finished.count(), 1);
    }

    void stageShrinksToFitButNeverGrows_data()
    {
        QTest::addColumn<QSize>("layer");
        QTest::addColumn<bool>("fullSize");
        QTest::newRow("large window") << QSize(1600, 1000) << true;
        QTest::newRow("smallest window") << QSize(650, 600) << false;
    }
    void stageShrinksToFitButNeverGrows()
    {
        QFETCH(QSize, layer);
        QFETCH(bool, fullSize);
        auto show = play({slideWith({})}, 0);
        show->resize(layer);
        const QRect stage = show->stage()->geometry();
        QCOMPARE(stage.size() == SlideShowStage::stageSize, fullSize);
        QVERIFY(stage.width() <= 960 && stage.height() <= 540);
        QVERIFY(QRect(QPoint(), layer).contains(stage));
        QVERIFY(stage.bottom() < show->closeButton()->mapTo(show.get(), QPoint()).y());
        QVERIFY(qAbs(stage.width() * 540 - stage.height() * 960) <= 960);
    }

    void stepTimingsAndCurve()
    {
        const QEasingCurve curve = SlideShowStage::easeInOut();
        QCOMPARE(curve.valueForProgress(0.5), 0.5);
        QVERIFY(curve.valueForProgress(0.1) < 0.05);
        auto show = play({slideWith({animated(1, SlideAnimationType::Zoom)}), slideWith({})}, 0);
        QVERIFY(!show->stage()->isAnimating()); // the start is not animated
        show->advance();
        QVERIFY(show->stage()->isAnimating());
        QTRY_VERIFY_WITH_TIMEOUT(!show->stage()->isAnimating(), 2000);
    }

    void screenCoversEditingAndGivesFocusBack()
    {
        MorvanePowerPointView view;
        view.resize(1200, 800);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.document()->addSlide();
        view.document()->setCurrentSlideIndex(1);
        QLineEdit *name = view.inspector()->slideTitleField();
        name->setFocus();
        markSaved();
        const QList<Slide> before = view.document()->slides();
        view.startSlideShow();
        QVERIFY(view.slideShow());
        QCOMPARE(view.slideShowIndex(), 1);
        QCOMPARE(view.slideShow()->state().currentSlideIndex(), 1);
        QTest::keyClicks(name, QStringLiteral("abc")); // aimed under the show
        QCOMPARE(view.document()->slides(), before);
        QVERIFY(!presentationUnsaved());
        QTest::mouseClick(view.slideShow(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QTRY_VERIFY(!view.slideShow());
        QVERIFY(name->hasFocus());
        QTest::keyClicks(name, QStringLiteral("x"));
        QVERIFY(view.document()->slides()[1].title.endsWith(QLatin1Char('x')));
    }
};

QTEST_MAIN(TestSlideShowView)
#include "tst_slideshowview.moc"
