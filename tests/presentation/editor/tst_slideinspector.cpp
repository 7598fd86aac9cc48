#include "EditorTestSupport.h"
#include "platform/widgets/ColorSwatchButton.h"
#include "presentation/editor/ObjectSelection.h"
#include "presentation/editor/SlideInspector.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

using namespace EditorTest;

class TestSlideInspector : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PowerPointDocument> m_document;
    std::unique_ptr<ObjectSelection> m_selection;
    std::unique_ptr<SlideInspector> m_inspector;

    SlideObject select(SlideObjectType type)
    {
        if (firstObject(*m_document, type).id.isNull()) {
            m_document->addObject(type, 0);
            markSaved();
        }
        const SlideObject object = firstObject(*m_document, type);
        m_selection->setSelectedObjectId(object.id);
        return object;
    }
    SlideObject stored(const QUuid &id) const
    {
        const Slide *slide = m_document->currentSlide();
        return slide->objects.value(slide->indexOfObject(id));
    }

private slots:
    void init()
    {
        m_document = std::make_unique<PowerPointDocument>();
        m_selection = std::make_unique<ObjectSelection>();
        m_inspector = std::make_unique<SlideInspector>(m_document.get(), m_selection.get());
        QObject::connect(m_document.get(), &PowerPointDocument::slidesChanged, m_inspector.get(),
                         &SlideInspector::refresh);
        m_inspector->resize(250, 800);
        m_inspector->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_inspector.get()));
        markSaved();
    }
    void cleanup()
    {
        m_inspector.reset();
        m_selection.reset();
        m_document.reset();
    }

    void rowsPerObjectType_data()
    {
        QTest::addColumn<SlideObjectType>("type");
        QTest::addColumn<QString>("header");
        QTest::addColumn<bool>("hasTextRows");
        QTest::newRow("title") << SlideObjectType::Title << "オブジェクト設定 (タイトル)" << true;
        QTest::newRow("body") << SlideObjectType::Body << "オブジェクト設定 (本文)" << true;
        QTest::newRow("text box") << SlideObjectType::TextBox << "オブジェクト設定 (テキストボックス)" << true;
        QTest::newRow("rectangle") << SlideObjectType::Rectangle << "オブジェクト設定 (四角形)" << false;
        QTest::newRow("circle") << SlideObjectType::Circle << "オブジェクト設定 (円)" << false;
    }
    void rowsPerObjectType()
    {
        QFETCH(SlideObjectType, type);
        QFETCH(QString, header);
        QFETCH(bool, hasTextRows);
        select(type);
        QVERIFY(m_inspector->objectBlock()->isVisible());
        QVERIFY(!m_inspector->hintLabel()->isVisible());
        QCOMPARE(m_inspector->objectHeader()->text(), header);
        QCOMPARE(m_inspector->textEditor()->isVisible(), hasTextRows);
        QCOMPARE(m_inspector->fontSizeSlider()->isVisible(), hasTextRows);
        QCOMPARE(m_inspector->boldBox()->isVisible(), hasTextRows);
        QVERIFY(m_inspector->colorButton()->isVisible());
        QVERIFY(m_inspector->animationPicker()->isVisible());
        QCOMPARE(m_inspector->orderPicker()->count(), 11);
        QCOMPARE(m_inspector->orderPicker()->itemText(0), QStringLiteral("最初から表示"));
        QCOMPARE(m_inspector->orderPicker()->itemText(3), QStringLiteral("3番目"));
        QVERIFY(m_inspector->deleteButton()->isVisible());
        QVERIFY(!presentationUnsaved());
    }

    void hintWithoutAMatchingObjectAndNothingWithoutASlide()
    {
        QVERIFY(m_inspector->hintLabel()->isVisible());
        QVERIFY(m_inspector->slideBlock()->isVisible());
        m_selection->setSelectedObjectId(QUuid::createUuid());
        QVERIFY(m_inspector->hintLabel()->isVisible());
        QVERIFY(!m_inspector->objectBlock()->isVisible());
        m_document->setCurrentSlideIndex(5);
        m_inspector->refresh();
        QVERIFY(!m_inspector->slideBlock()->isVisible());
        QVERIFY(!m_inspector->hintLabel()->isVisible());
    }

    void loadingOddStoredValuesWritesNothing_data()
    {
        QTest::addColumn<double>("fontSize");
        QTest::addColumn<qint64>("order");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("orderIndex");
        QTest::newRow("below the slider") << 5.0 << qint64(3) << "5pt" << 3;
        QTest::newRow("above the slider, order past the list") << 200.0 << qint64(15) << "200pt" << -1;
        QTest::newRow("fraction truncates, negative order") << 18.9 << qint64(-2) << "18pt" << -1;
        QTest::newRow("huge size saturates") << 1e30 << qint64(0) << "9223372036854775807pt" << 0;
    }
    void loadingOddStoredValuesWritesNothing()
    {
        QFETCH(double, fontSize);
        QFETCH(qint64, order);
        QFETCH(QString, label);
        QFETCH(int, orderIndex);
        SlideObject title = firstObject(*m_document, SlideObjectType::Title);
        title.fontSize = fontSize;
        title.animationOrder = order;
        title.colorHex = QStringLiteral("nonsense");
        m_document->updateObject(0, title);
        m_document->setSlideTitle(0, QStringLiteral("  表紙  "));
        markSaved();
        const QList<Slide> before = m_document->slides();
        QSignalSpy writes(m_document.get(), &PowerPointDocument::slidesChanged);
        m_selection->setSelectedObjectId(title.id);
        QCOMPARE(m_inspector->fontSizeLabel()->text(), label);
        QCOMPARE(m_inspector->orderPicker()->currentIndex(), orderIndex);
        QCOMPARE(m_inspector->slideTitleField()->text(), QStringLiteral("  表紙  "));
        QCOMPARE(writes.count(), 0);
        QCOMPARE(m_document->slides(), before);
        QVERIFY(!presentationUnsaved());
    }

    void userChangesWriteOneFieldEach()
    {
        const SlideObject body = select(SlideObjectType::Body);
        m_inspector->boldBox()->click();
        QCOMPARE(stored(body.id).isBold, true);
        m_inspector->fontSizeSlider()->setValue(425);
        QCOMPARE(stored(body.id).fontSize, 42.5);
        QCOMPARE(m_inspector->fontSizeLabel()->text(), QStringLiteral("42pt"));
        m_inspector->animationPicker()->setCurrentIndex(2);
        emit m_inspector->animationPicker()->activated(2);
        QCOMPARE(stored(body.id).animationType, SlideAnimationType::SlideIn);
        emit m_inspector->orderPicker()->activated(4);
        QCOMPARE(stored(body.id).animationOrder, qint64(4));
        m_inspector->colorButton()->setColorChooser([](QWidget *, const QColor &) { return QColor(0x12, 0x34, 0x56, 10); });
        m_inspector->colorButton()->click();
        QCOMPARE(stored(body.id).colorHex, QStringLiteral("#123456"));
        const SlideObject after = stored(body.id);
        QCOMPARE(after.text, body.text);
        QCOMPARE(after.isItalic, body.isItalic);
        QVERIFY(presentationUnsaved());
    }

    void typingKeepsFocusAndCaret()
    {
        const SlideObject title = select(SlideObjectType::Title);
        QPlainTextEdit *editor = m_inspector->textEditor();
        editor->setFocus();
        editor->moveCursor(QTextCursor::Start);
        typeThroughInputMethod(editor, QStringLiteral("新"));
        QVERIFY(editor->hasFocus());
        QCOMPARE(editor->textCursor().position(), 1);
        QCOMPARE(stored(title.id).text, QStringLiteral("新") + title.text);

        QLineEdit *name = m_inspector->slideTitleField();
        name->setFocus();
        name->setCursorPosition(0);
        typeThroughInputMethod(name, QStringLiteral("第"));
        QVERIFY(name->hasFocus());
        QCOMPARE(name->cursorPosition(), 1);
        QCOMPARE(m_document->slides()[0].title, QStringLiteral("第スライド 1"));
    }

    void deleteClearsSelectionAndShowsHint()
    {
        const SlideObject circle = select(SlideObjectType::Circle);
        m_inspector->deleteButton()->click();
        QCOMPARE(m_document->currentSlide()->indexOfObject(circle.id), -1);
        QVERIFY(m_selection->selectedObjectId().isNull());
        QVERIFY(m_inspector->hintLabel()->isVisible());
    }
};

QTEST_MAIN(TestSlideInspector)
#include "tst_slideinspector.moc"
