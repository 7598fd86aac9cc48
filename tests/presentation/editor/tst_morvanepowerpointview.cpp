#include "EditorTestSupport.h"
#include "presentation/editor/MorvanePowerPointView.h"
#include "presentation/editor/ObjectSelection.h"
#include "presentation/editor/PowerPointObjectView.h"
#include "presentation/editor/PresentationToolbar.h"
#include "presentation/editor/SlideCanvas.h"
#include "presentation/editor/SlideCanvasArea.h"
#include "presentation/editor/SlideInspector.h"
#include "presentation/editor/SlideListModel.h"
#include "presentation/editor/SlideListView.h"
#include "presentation/editor/SlideRowDelegate.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace EditorTest;

namespace {

// Records which rows the slide list paints.
class RowPaintRecorder : public SlideRowDelegate
{
public:
    using SlideRowDelegate::SlideRowDelegate;
    mutable QList<int> paintedRows;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        paintedRows.append(index.row());
        SlideRowDelegate::paint(painter, option, index);
    }
};

} // namespace

// The screen as a whole: toolbar state, slide list, canvas and selection.
class TestMorvanePowerPointView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MorvanePowerPointView> m_view;
    PowerPointDocument *document() const { return m_view->document(); }

    QPoint rowCentre(int row) const
    {
        SlideListView *list = m_view->slideList();
        return list->visualRect(list->model()->index(row, 0)).center();
    }
    QStringList titles() const
    {
        QStringList result;
        for (const Slide &slide : document()->slides())
            result.append(slide.title);
        return result;
    }

private slots:
    void init()
    {
        markSaved();
        m_view = std::make_unique<MorvanePowerPointView>();
        m_view->resize(1300, 800);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() { m_view.reset(); }

    void newScreenIsSavedAndShowsOneSlide()
    {
        QVERIFY(!presentationUnsaved());
        QCOMPARE(m_view->documentName(), QStringLiteral("MorvanePresentation"));
        QCOMPARE(m_view->slideList()->model()->rowCount(), 1);
        QCOMPARE(m_view->canvas()->objectViews().size(), 2);
        QCOMPARE(m_view->canvas()->size(), QSize(800, 450));
        QVERIFY(m_view->canvasArea()->widget()->minimumSize().width() >= 880);
        QVERIFY(m_view->canvasArea()->widget()->minimumSize().height() >= 530);
    }

    void deleteSlideEnabledOnlyWithTwoSlides()
    {
        QToolButton *remove = m_view->toolbar()->deleteSlideButton();
        QVERIFY(!remove->isEnabled());
        m_view->toolbar()->addSlideButton()->click();
        QVERIFY(remove->isEnabled());
        QCOMPARE(document()->currentSlideIndex(), 0); // adding does not select
        remove->click();
        QVERIFY(!remove->isEnabled());
        QCOMPARE(document()->slideCount(), 1);
    }

    void insertGoesToTheCurrentSlideUnselected_data()
    {
        QTest::addColumn<SlideObjectType>("type");
        for (SlideObjectType type : SlideObjectTypes::all())
            QTest::newRow(qPrintable(SlideObjectTypes::stringValue(type))) << type;
    }
    void insertGoesToTheCurrentSlideUnselected()
    {
        QFETCH(SlideObjectType, type);
        document()->addSlide();
        QTest::mouseClick(m_view->slideList()->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(1));
        m_view->toolbar()->insertButton(type)->click();
        QCOMPARE(document()->slides()[1].objects.size(), 3);
        QCOMPARE(document()->slides()[1].objects.last().type, type);
        QCOMPARE(document()->slides()[0].objects.size(), 2);
        QVERIFY(m_view->selection()->selectedObjectId().isNull());
        QCOMPARE(m_view->canvas()->objectViews().size(), 3);
    }

    void selectionRules()
    {
        document()->addSlide();
        const QUuid title = document()->currentSlide()->objects[0].id;
        PowerPointObjectView *view = m_view->canvas()->objectView(title);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(300, 40));
        QCOMPARE(m_view->selection()->selectedObjectId(), title);
        QVERIFY(m_view->inspector()->objectBlock()->isVisible());
        // An empty spot of the slide clears it.
        QTest::mouseClick(m_view->canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QVERIFY(m_view->selection()->selectedObjectId().isNull());
        QVERIFY(!view->isSelected());
        // A row tap switches slides and clears it.
        m_view->selection()->setSelectedObjectId(title);
        QTest::mouseClick(m_view->slideList()->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(1));
        QCOMPARE(document()->currentSlideIndex(), 1);
        QVERIFY(m_view->selection()->selectedObjectId().isNull());
        QVERIFY(!presentationUnsaved() || document()->slideCount() == 2);
    }

    void rowDragReordersAndKeepsTheIndex_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("toRow");
        QTest::addColumn<bool>("belowRow");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first below the last") << 0 << 0 << 2 << true << QStringList{"B", "C", "A"};
        QTest::newRow("last above the first") << 2 << 2 << 0 << false << QStringList{"C", "A", "B"};
        QTest::newRow("onto itself moves nothing") << 0 << 1 << 1 << true << QStringList{"A", "B", "C"};
    }
    void rowDragReordersAndKeepsTheIndex()
    {
        QFETCH(int, current);
        QFETCH(int, from);
        QFETCH(int, toRow);
        QFETCH(bool, belowRow);
        QFETCH(QStringList, expected);
        document()->addSlide();
        document()->addSlide();
        for (int i = 0; i < 3; ++i)
            document()->setSlideTitle(i, QString(QChar(u'A' + i)));
        document()->setCurrentSlideIndex(current);
        QSignalSpy writes(document(), &PowerPointDocument::slidesChanged);
        QWidget *viewport = m_view->slideList()->viewport();
        const QRect target = m_view->slideList()->visualRect(m_view->slideList()->model()->index(toRow, 0));
        const QPoint drop = belowRow ? target.bottomLeft() + QPoint(20, -3) : target.topLeft() + QPoint(20, 3);
        drag(viewport, viewport, rowCentre(from), drop, 6);
        QCOMPARE(titles(), expected);
        const bool moved = expected != QStringList{"A", "B", "C"};
        QCOMPARE(writes.count(), moved ? 1 : 0);
        QCOMPARE(document()->currentSlideIndex(), current);
        QCOMPARE(m_view->slideList()->model()->index(current, 0).data().toString(), expected[current]);
        QCOMPARE(m_view->slideList()->model()->index(current, 0).data(SlideListModel::IsCurrentRole).toBool(), true);
    }

    void listRefreshReportsOnlyChangedRows()
    {
        for (int i = 0; i < 9; ++i)
            document()->addSlide();
        QSignalSpy changed(m_view->slideList()->model(), &QAbstractItemModel::dataChanged);
        QSignalSpy reset(m_view->slideList()->model(), &QAbstractItemModel::modelReset);
        document()->setSlideTitle(6, QStringLiteral("改名"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 6);
        QCOMPARE(changed[0][1].toModelIndex().row(), 6);
        QCOMPARE(reset.count(), 0);
    }

    // A write repaints the rows it changed and no other row of the list.
    void writeRepaintsOnlyItsRows_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("title") << 0 << QList<int>{2};
        QTest::newRow("background") << 1 << QList<int>{5};
        // Neighbours: the list paints the bounding box of what is dirty.
        QTest::newRow("current slide") << 2 << QList<int>{0, 1};
    }
    void writeRepaintsOnlyItsRows()
    {
        QFETCH(int, kind);
        QFETCH(QList<int>, expected);
        for (int i = 0; i < 30; ++i)
            document()->addSlide();
        SlideListView *list = m_view->slideList();
        auto *recorder = new RowPaintRecorder(list);
        list->setItemDelegate(recorder);
        list->viewport()->update();
        QTRY_VERIFY(recorder->paintedRows.contains(7)); // the first screenful is drawn
        QTest::qWait(50);
        recorder->paintedRows.clear();

        if (kind == 0)
            document()->setSlideTitle(2, QStringLiteral("改名"));
        else if (kind == 1)
            document()->setSlideBackground(5, QStringLiteral("#336699"));
        else
            document()->setCurrentSlideIndex(1);
        QTRY_VERIFY(!recorder->paintedRows.isEmpty());
        QTest::qWait(50);
        QList<int> painted = recorder->paintedRows;
        std::sort(painted.begin(), painted.end());
        painted.erase(std::unique(painted.begin(), painted.end()), painted.end());
        QCOMPARE(painted, expected);
    }

    void outOfRangeIndexShowsTheMessageAndARowTapBringsTheCanvasBack()
    {
        document()->setCurrentSlideIndex(7);
        QVERIFY(m_view->canvasArea()->noSlideLabel()->isVisible());
        QVERIFY(!m_view->canvas()->isVisible());
        m_view->insertObject(SlideObjectType::Circle); // does nothing
        QCOMPARE(document()->slides()[0].objects.size(), 2);
        QTest::mouseClick(m_view->slideList()->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(0));
        QVERIFY(m_view->canvas()->isVisible());
    }

    void objectViewsSurviveEveryWrite()
    {
        const QList<PowerPointObjectView *> views = m_view->canvas()->objectViews();
        SlideObject body = document()->currentSlide()->objects[1];
        body.colorHex = QStringLiteral("#FF0000");
        document()->updateObject(0, body);
        document()->setSlideBackground(0, QStringLiteral("#000000"));
        document()->addObject(SlideObjectType::Rectangle, 0);
        QCOMPARE(m_view->canvas()->objectViews().mid(0, 2), views);
        QCOMPARE(views[1]->object().colorHex, QStringLiteral("#FF0000"));
    }

    void toolbarScrollsInsteadOfWidening()
    {
        m_view->resize(650, 600);
        QVERIFY(m_view->minimumSizeHint().width() <= 650);
        QVERIFY(m_view->toolbar()->width() <= 650);
    }
};

QTEST_MAIN(TestMorvanePowerPointView)
#include "tst_morvanepowerpointview.moc"
