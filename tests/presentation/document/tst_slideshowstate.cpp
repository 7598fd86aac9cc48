#include "presentation/document/SlideShowState.h"

#include <QtTest>

namespace {

SlideObject animated(qint64 order, SlideAnimationType type = SlideAnimationType::Fade)
{
    SlideObject object = SlideObject::inserted(SlideObjectType::Rectangle);
    object.animationType = type;
    object.animationOrder = order;
    return object;
}

Slide slideWith(const QList<SlideObject> &objects)
{
    Slide slide;
    slide.objects = objects;
    return slide;
}

// "<slide>:<step>" after each move, and the moves themselves.
QString walk(SlideShowState &state, const QString &moves)
{
    QStringList out;
    for (const QChar move : moves) {
        const SlideShowMove result = move == u'>' ? state.advance() : state.goBack();
        const char *names[] = {"nothing", "step", "next", "previous", "end"};
        out << QStringLiteral("%1 %2:%3").arg(QLatin1String(names[int(result)])).arg(state.currentSlideIndex())
                   .arg(state.animationStep());
    }
    return out.join(QStringLiteral(", "));
}

} // namespace

Q_DECLARE_METATYPE(QList<Slide>)

class TestSlideShowState : public QObject
{
    Q_OBJECT

private slots:
    void stepCount_data()
    {
        QTest::addColumn<QList<SlideObject>>("objects");
        QTest::addColumn<qint64>("count");
        QTest::newRow("no objects") << QList<SlideObject>{} << qint64(0);
        QTest::newRow("all order 0") << QList<SlideObject>{animated(0), animated(0)} << qint64(0);
        QTest::newRow("largest order") << QList<SlideObject>{animated(0), animated(1), animated(1), animated(2)}
                                       << qint64(2);
        QTest::newRow("type none counts too")
            << QList<SlideObject>{animated(3, SlideAnimationType::None)} << qint64(3);
        QTest::newRow("negative adds nothing") << QList<SlideObject>{animated(-4)} << qint64(0);
    }

    void stepCount()
    {
        QFETCH(QList<SlideObject>, objects);
        QTEST(SlideShowState::stepCount(slideWith(objects)), "count");
    }

    void objectsComeIntoViewStepByStep()
    {
        const QList<SlideObject> objects = {animated(0), animated(1), animated(1), animated(2),
                                            animated(2, SlideAnimationType::None), animated(-1)};
        SlideShowState state({slideWith(objects), slideWith({})}, 0);
        state.reset();
        const auto visible = [&] {
            QString marks;
            for (const SlideObject &object : objects)
                marks += state.isVisible(object) ? u'x' : u'.';
            return marks;
        };
        QCOMPARE(visible(), QStringLiteral("x...xx"));
        QCOMPARE(state.advance(), SlideShowMove::Step);
        QCOMPARE(visible(), QStringLiteral("xxx.xx"));
        QCOMPARE(state.advance(), SlideShowMove::Step);
        QCOMPARE(visible(), QStringLiteral("xxxxxx"));
        QCOMPARE(state.advance(), SlideShowMove::NextSlide);
    }

    void moves_data()
    {
        QTest::addColumn<QList<Slide>>("slides");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QString>("result");
        const Slide plain = slideWith({animated(0)});
        const Slide twoSteps = slideWith({animated(1), animated(2)});
        const Slide silentSteps = slideWith({animated(2, SlideAnimationType::None)});
        QTest::newRow("plain slides: one click each, then the end")
            << QList<Slide>{plain, plain} << 0 << ">>>" << "next 1:0, end 1:0, end 1:0";
        QTest::newRow("steps before the next slide")
            << QList<Slide>{twoSteps, plain} << 0 << ">>>" << "step 0:1, step 0:2, next 1:0";
        QTest::newRow("steps that show nothing still take clicks")
            << QList<Slide>{silentSteps, plain} << 0 << ">>>" << "step 0:1, step 0:2, next 1:0";
        QTest::newRow("back to the previous slide with every step played")
            << QList<Slide>{plain, twoSteps, plain} << 2 << "<<<" << "previous 1:2, step 1:1, step 1:0";
        QTest::newRow("back at the very start does nothing")
            << QList<Slide>{twoSteps} << 0 << "<" << "nothing 0:0";
        QTest::newRow("start beyond the list: forward does nothing")
            << QList<Slide>{plain, plain} << 2 << ">" << "nothing 2:0";
        QTest::newRow("start far beyond the list: back goes to the last slide")
            << QList<Slide>{plain, twoSteps} << 9 << "<" << "previous 1:2";
        QTest::newRow("negative start: nothing either way")
            << QList<Slide>{plain} << -1 << "><" << "nothing -1:0, nothing -1:0";
        QTest::newRow("no slides") << QList<Slide>{} << 0 << "><" << "nothing 0:0, nothing 0:0";
    }

    void moves()
    {
        QFETCH(QList<Slide>, slides);
        QFETCH(int, start);
        QFETCH(QString, moves);
        SlideShowState state(slides, start);
        state.reset();
        QTEST(walk(state, moves), "result");
    }

    void resetReturnsToTheStart()
    {
        SlideShowState state({slideWith({animated(1)}), slideWith({})}, 1);
        QCOMPARE(state.currentSlideIndex(), 0);
        state.reset();
        QCOMPARE(state.currentSlideIndex(), 1);
        QCOMPARE(state.positionText(), QStringLiteral("スライド 2 / 2"));
        state.goBack();
        QCOMPARE(state.animationStep(), 1);
        state.reset();
        QCOMPARE(state.currentSlideIndex(), 1);
        QCOMPARE(state.animationStep(), 0);
    }

    void stageGeometryIsScaled()
    {
        const SlideObject title = SlideObject::titlePlaceholder();
        QCOMPARE(SlideShowState::stageRect(title), QRectF(QPointF(60, 120), QPointF(900, 216)));
    }
};

QTEST_GUILESS_MAIN(TestSlideShowState)
#include "tst_slideshowstate.moc"
