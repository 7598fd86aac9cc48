#include "word/FindBar.h"
#include "word/MorvaneWordView.h"
#include "word/PageCanvas.h"
#include "word/layout/PageTextItem.h"
#include "word/RibbonButtons.h"
#include "platform/widgets/ColorSwatchButton.h"
#include "word/layout/TextFormatProperty.h"
#include "word/TextPageView.h"
#include "word/WordRibbon.h"
#include "word/WordStatusBar.h"
#include "word/layout/WordTextDocument.h"

#include "platform/AppState.h"
#include "support/TestImages.h"

#include <QAbstractButton>
#include <QToolButton>
#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QWindow>
#include <QAbstractItemView>
#include <functional>
#include <memory>

namespace {

using Edit = std::function<void(MorvaneWordView &)>;

bool wordUnsaved()
{
    return AppState::shared().hasUnsavedChanges(AppState::Editor::Word);
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void selectAll(MorvaneWordView &view)
{
    QTextCursor cursor(view.document());
    cursor.select(QTextCursor::Document);
    view.textItem()->setTextCursor(cursor);
}

QByteArray pngBytes(const QSize &size)
{
    return TestImages::filled(size, Qt::darkGreen, "png", QImage::Format_ARGB32);
}

// The bounding box of the dark pixels of `image`.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) > 128 && qGray(pixel) < 100)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// `widget`'s rect in `window`, and the part of it its parents show.
QRect inWindow(QWidget *window, QWidget *widget)
{
    return QRect(widget->mapTo(window, QPoint()), widget->size());
}

QRect shownInWindow(QWidget *window, QWidget *widget)
{
    QRect shown = inWindow(window, widget);
    for (QWidget *parent = widget->parentWidget(); parent && parent != window; parent = parent->parentWidget())
        shown &= inWindow(window, parent);
    return shown;
}

void showText(MorvaneWordView &view, const QString &text)
{
    view.showDocument([&text](WordTextDocument *document) { document->setPlainText(text); });
}

struct ShownScreen
{
    ShownScreen()
    {
        view.resize(1200, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.page()->textView()->setFocus();
        settle();
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, false);
    }
    MorvaneWordView view;
};

} // namespace

class TestMorvaneWordView : public QObject
{
    Q_OBJECT
private slots:
    // A text shown anew (cleared, then filled piece by piece) after typing
    // in a long one: the count's bookkeeping of the typed span freed a
    // cursor the document still listed, and the new text crashed.
    void showingANewTextAfterTyping()
    {
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        const auto fill = [](WordTextDocument *document) {
            document->clear();
            QTextCursor cursor(document);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            for (int paragraph = 0; paragraph < 4720; ++paragraph) {
                if (paragraph > 0)
                    cursor.insertBlock();
                cursor.insertText(QStringLiteral("The quick brown fox jumps over the lazy dog; "), QTextCharFormat());
                cursor.insertText(QStringLiteral("bold words"), bold);
                cursor.insertText(QStringLiteral("The quick brown fox jumps over the lazy dog; "), QTextCharFormat());
            }
        };
        view.showDocument(fill);
        settle();
        QTest::keyClicks(view.page()->textView()->viewport(), QStringLiteral("ab"));
        settle();
        view.showDocument(fill);
        settle();
        QCOMPARE(view.document()->blockCount(), 4720);
        QCOMPARE(view.charCount(), view.document()->characterCount() - 1);
    }
    void startState()
    {
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, false);
        MorvaneWordView view;
        QCOMPARE(view.document()->toPlainText(), MorvaneWordView::sampleText());
        QCOMPARE(view.charCount(), 0); // counted on the next turn
        QCOMPARE(view.fileName(), QStringLiteral("MorvaneDocument"));
        QCOMPARE(view.zoomLevel(), 1.0);
        QCOMPARE(view.marginSize(), 40.0);
        QCOMPARE(view.page()->size(), QSize(800, 1130));
        QCOMPARE(view.statusBar()->percentLabel()->text(), QStringLiteral("100%"));
        QCOMPARE(view.ribbon()->marginLabel()->text(), QStringLiteral("余白:40"));
        QCOMPARE(view.selectedFontFamily(), QStringLiteral("Helvetica"));
        QCOMPARE(view.selectedStyle(), QStringLiteral("本文"));
        settle();
        QCOMPARE(view.charCount(), int(MorvaneWordView::sampleText().size()));
        QCOMPARE(view.wordCount(), 1);
        QCOMPARE(view.statusBar()->charactersLabel()->text(), QStringLiteral("文字数: 21"));
        // Showing the document never marks it changed.
        QVERIFY(!wordUnsaved());
        QVERIFY(!view.document()->isUndoAvailable());
    }

    void editsMarkUnsaved_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::newRow("typing") << Edit([](MorvaneWordView &v) {
            QTest::keyClicks(v.page()->textView()->viewport(), QStringLiteral("abc"));
        });
        QTest::newRow("paste") << Edit([](MorvaneWordView &v) {
            QMimeData data;
            data.setText(QStringLiteral("pasted"));
            v.textItem()->insertFromMimeData(&data);
        });
        QTest::newRow("drop of a picture") << Edit([](MorvaneWordView &v) {
            QMimeData data;
            data.setData(QStringLiteral("image/png"), pngBytes(QSize(8, 8)));
            v.textItem()->insertFromMimeData(&data);
        });
        QTest::newRow("bold over a selection, attributes only") << Edit([](MorvaneWordView &v) {
            selectAll(v);
            v.ribbon()->button(WordRibbon::Action::Bold)->click();
        });
        QTest::newRow("list command") << Edit([](MorvaneWordView &v) {
            v.ribbon()->button(WordRibbon::Action::BulletList)->click();
        });
        QTest::newRow("undo") << Edit([](MorvaneWordView &v) {
            QTextCursor(v.document()).insertText(QStringLiteral("x"));
            settle();
            AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, false);
            v.document()->undo();
        });
        QTest::newRow("redo") << Edit([](MorvaneWordView &v) {
            QTextCursor(v.document()).insertText(QStringLiteral("x"));
            v.document()->undo();
            settle();
            AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, false);
            v.document()->redo();
        });
    }
    void editsMarkUnsaved()
    {
        QFETCH(Edit, edit);
        ShownScreen shown;
        QVERIFY(!wordUnsaved());
        edit(shown.view);
        settle();
        QVERIFY(wordUnsaved());
        QCOMPARE(shown.view.counts(), TextCounts::of(shown.view.document()->toPlainText()));
    }

    void showingADocumentClearsHistoryAndMarksNothing()
    {
        MorvaneWordView view;
        settle();
        QTextCursor(view.document()).insertText(QStringLiteral("typed "));
        settle();
        QVERIFY(wordUnsaved());
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, false);
        // Same plain text, other formats: what is shown is what was opened.
        view.showDocument([](WordTextDocument *document) {
            document->setHtml(QStringLiteral("<b>typed ここにドチャクソかっこいい文章を入力...</b>"));
        });
        settle();
        QVERIFY(!wordUnsaved());
        QVERIFY(!view.document()->isUndoAvailable());
        QTextCursor bold(view.document());
        bold.setPosition(2);
        QCOMPARE(bold.charFormat().fontWeight(), int(QFont::Bold));
    }

    void commandsActOnlyWhenTheTextHadFocusLast()
    {
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        selectAll(view);
        view.page()->headerField()->setFocus();
        settle();
        QVERIFY(!view.focusedTextItem());
        QAbstractButton *bold = view.ribbon()->button(WordRibbon::Action::Bold);
        bold->click();
        view.ribbon()->button(WordRibbon::Action::AlignRight)->click();
        QCOMPARE(view.ribbon()->button(WordRibbon::Action::Print)->focusPolicy(), Qt::NoFocus);
        QTextCursor probe(view.document());
        probe.setPosition(1);
        QVERIFY(probe.charFormat().fontWeight() < QFont::Bold);
        QVERIFY(view.document()->firstBlock().blockFormat().alignment() != Qt::AlignRight);

        view.page()->textView()->setFocus();
        settle();
        QCOMPARE(view.focusedTextItem(), view.textItem());
        // A ribbon click keeps the focus in the text.
        QTest::mouseClick(bold, Qt::LeftButton);
        QVERIFY(view.page()->textView()->hasFocus());
        probe.setPosition(1);
        QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));
    }

    void shortcutsOnlyWhileTheScreenShows()
    {
        QStackedWidget stack;
        auto *view = new MorvaneWordView;
        auto *other = new QLineEdit;
        stack.addWidget(view);
        stack.addWidget(other);
        stack.resize(1200, 900);
        stack.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stack));
        stack.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&stack));
        view->page()->textView()->setFocus();
        selectAll(*view);
        QTest::keyClick(view->page()->textView()->viewport(), Qt::Key_B, Qt::ControlModifier);
        QTextCursor probe(view->document());
        probe.setPosition(1);
        QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));

        stack.setCurrentWidget(other);
        other->setFocus();
        QTest::keyClick(other, Qt::Key_I, Qt::ControlModifier);
        QVERIFY(!probe.charFormat().fontItalic());
        stack.setCurrentWidget(view);
        view->page()->textView()->setFocus();
        QTest::keyClick(view->page()->textView()->viewport(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(probe.charFormat().fontItalic());
    }

    void pickersApplyTheShownItemButLoadingAppliesNothing()
    {
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        selectAll(view);
        QTextCursor probe(view.document());
        probe.setPosition(1);
        WordRibbon *ribbon = view.ribbon();
        ribbon->setSelectedFontSize(72);
        ribbon->setSelectedStyle(QStringLiteral("タイトル"));
        ribbon->setTextColor(Qt::green);
        QVERIFY(!probe.charFormat().hasProperty(QTextFormat::FontPixelSize));
        QVERIFY(!view.document()->isUndoAvailable());

        ribbon->setSelectedFontSize(14);
        const int index = ribbon->fontSizePicker()->currentIndex();
        emit ribbon->fontSizePicker()->activated(index); // the item already shown
        QCOMPARE(probe.charFormat().intProperty(QTextFormat::FontPixelSize), 14);
        QCOMPARE(view.selectedFontSize(), 14.0);

        ribbon->textColorWell()->setColorChooser([](QWidget *, const QColor &initial) { return initial; });
        ribbon->textColorWell()->setColor(Qt::blue);
        ribbon->textColorWell()->click(); // picks the colour the well holds
        QCOMPARE(probe.charFormat().foreground().color(), QColor(Qt::blue));

        const int styles = ribbon->stylePicker()->findData(QStringLiteral("見出し1"));
        emit ribbon->stylePicker()->activated(styles);
        QCOMPARE(probe.charFormat().intProperty(QTextFormat::FontPixelSize), 24);
        QCOMPARE(view.selectedStyle(), QStringLiteral("見出し1"));

        QMenu *menu = ribbon->wordArtButton()->menu();
        QCOMPARE(menu->actions().size(), 5);
        QCOMPARE(menu->actions().at(3)->text(), QStringLiteral("クラシックポップ"));
        menu->actions().at(3)->trigger();
        QCOMPARE(probe.charFormat().foreground().color(), QColor(Qt::red));
    }

    void ribbonHasItsControlsInOrder()
    {
        MorvaneWordView view;
        WordRibbon *ribbon = view.ribbon();
        QCOMPARE(ribbon->fontFamilyPicker()->width(), 150);
        QCOMPARE(ribbon->fontSizePicker()->width(), 60);
        QCOMPARE(ribbon->stylePicker()->width(), 90);
        QCOMPARE(ribbon->wordArtButton()->sizeHint().width(), 40);
        QCOMPARE(ribbon->wordArtButton()->toolTip(), QStringLiteral("ワードアート風に装飾"));
        QStringList sizes;
        for (int i = 0; i < ribbon->fontSizePicker()->count(); ++i)
            sizes << ribbon->fontSizePicker()->itemText(i);
        QCOMPARE(sizes.join(u' '), QStringLiteral("9 10 11 12 14 18 24 36 48 64 72 96 144"));
        QCOMPARE(ribbon->stylePicker()->itemText(0), QStringLiteral("本文"));
        QCOMPARE(ribbon->stylePicker()->count(), 5);
        // Left to right, as the row lays them out.
        ribbon->resize(ribbon->sizeHint());
        ribbon->show();
        QWidget *previous = ribbon->stylePicker();
        for (WordRibbon::Action action : {WordRibbon::Action::Bold, WordRibbon::Action::Italic,
                                          WordRibbon::Action::Underline, WordRibbon::Action::Strikethrough,
                                          WordRibbon::Action::AlignLeft, WordRibbon::Action::AlignCenter,
                                          WordRibbon::Action::AlignRight, WordRibbon::Action::InsertImage,
                                          WordRibbon::Action::BulletList, WordRibbon::Action::NumberedList,
                                          WordRibbon::Action::Find, WordRibbon::Action::Print,
                                          WordRibbon::Action::Open, WordRibbon::Action::Save}) {
            QWidget *button = ribbon->button(action);
            QVERIFY(button->x() > previous->x());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            previous = button;
        }
        QVERIFY(ribbon->verticalSwitch()->x() < ribbon->button(WordRibbon::Action::Open)->x());
        QVERIFY(ribbon->marginSlider()->parentWidget()->x() > ribbon->button(WordRibbon::Action::Print)->x());
    }

    void randomEditingNeverCrashes_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::newRow("horizontal") << false;
        QTest::newRow("vertical") << true;
    }
    void randomEditingNeverCrashes()
    {
        QFETCH(bool, vertical);
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        view.setVertical(vertical);
        view.setImageChooser([](QWidget *) { return QString(); });
        QWidget *viewport = view.page()->textView()->viewport();
        QRandomGenerator random(vertical ? 7 : 11);
        const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End,
                            Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_PageDown, Qt::Key_PageUp};
        const WordRibbon::Action actions[] = {
            WordRibbon::Action::Bold, WordRibbon::Action::Italic, WordRibbon::Action::Underline,
            WordRibbon::Action::Strikethrough, WordRibbon::Action::AlignCenter, WordRibbon::Action::BulletList,
            WordRibbon::Action::NumberedList, WordRibbon::Action::InsertImage};
        const QStringList texts{QStringLiteral("a"), QStringLiteral("日本"), QStringLiteral("。"),
                                QStringLiteral("😀"), QStringLiteral(" "), QStringLiteral("1. ")};
        for (int step = 0; step < 400; ++step) {
            switch (random.bounded(6)) {
            case 0: {
                QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, texts.at(random.bounded(int(texts.size()))));
                QCoreApplication::sendEvent(viewport, &typed);
                break;
            }
            case 1: {
                const auto modifiers = random.bounded(3) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
                QTest::keyClick(viewport, Qt::Key(keys[random.bounded(int(std::size(keys)))]), modifiers);
                break;
            }
            case 2:
                view.ribbon()->button(actions[random.bounded(int(std::size(actions)))])->click();
                break;
            case 3: {
                // Composition: preedit text, then a commit or a cancel.
                QInputMethodEvent preedit(QStringLiteral("にほん"), {});
                QCoreApplication::sendEvent(viewport, &preedit);
                QCoreApplication::processEvents();
                QInputMethodEvent commit;
                commit.setCommitString(random.bounded(2) ? QStringLiteral("日本") : QString());
                QCoreApplication::sendEvent(viewport, &commit);
                break;
            }
            case 4: {
                QMimeData data;
                data.setData(QStringLiteral("image/png"), pngBytes(QSize(5, 5)));
                view.textItem()->insertFromMimeData(&data);
                break;
            }
            case 5:
                if (random.bounded(4) == 0)
                    view.document()->undo();
                else
                    QTest::keyClick(viewport, Qt::Key_A, Qt::ControlModifier);
                break;
            }
            if (step % 20 == 0)
                settle();
        }
        settle();
        QCOMPARE(view.counts(), TextCounts::of(view.document()->toPlainText()));
        viewport->grab();
    }

    void zoomButtonsStayInRange()
    {
        MorvaneWordView view;
        QAbstractButton *out = view.statusBar()->zoomOutButton();
        QStringList shown;
        for (int i = 0; i < 6; ++i) {
            out->click();
            shown << view.statusBar()->percentLabel()->text();
        }
        QCOMPARE(shown, (QStringList{"90%", "80%", "70%", "60%", "50%", "50%"}));
        QCOMPARE(view.zoomLevel(), 0.5);
        QCOMPARE(view.page()->size(), QSize(400, 565));
        for (int i = 0; i < 30; ++i)
            view.statusBar()->zoomInButton()->click();
        QCOMPARE(view.statusBar()->percentLabel()->text(), QStringLiteral("300%"));
        view.setZoomLevel(1.5);
        QCOMPARE(view.page()->size(), QSize(1200, 1695));
        view.setVertical(true);
        QCOMPARE(view.page()->size(), QSize(1695, 1200));
        view.statusBar()->zoomSlider()->setValue(999);
        QCOMPARE(view.statusBar()->percentLabel()->text(), QStringLiteral("99%"));
    }

    // What shows after each step of zooming out is what a fresh paint of
    // the screen shows: no shadow or outline of the bigger page stays.
    void zoomingOutLeavesNothingOfTheOldPage()
    {
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        QApplication::focusWidget()->clearFocus(); // no blinking caret
        const QRect area(view.pageArea()->mapTo(&view, QPoint()), view.pageArea()->size());
        const auto shownAsFresh = [&] {
            const QImage onScreen = view.screen()->grabWindow(view.winId()).toImage().copy(area);
            const QImage fresh = view.grab(area).toImage();
            return onScreen.convertToFormat(QImage::Format_RGB32) == fresh.convertToFormat(QImage::Format_RGB32);
        };
        for (int i = 0; i < 5; ++i) {
            view.zoomOut();
            // However long the repaint takes; what it leaves stays.
            QTRY_VERIFY_WITH_TIMEOUT(shownAsFresh(), 20000);
        }
    }

    void zoomNeverMovesALineBreak()
    {
        MorvaneWordView view;
        view.resize(1200, 900);
        view.show();
        QTextCursor cursor(view.document());
        cursor.insertText(QStringLiteral("The quick brown fox jumps over the lazy dog. ").repeated(40));
        auto breaks = [&] {
            QList<int> starts;
            const QTextLayout *layout = view.document()->firstBlock().layout();
            for (int i = 0; i < layout->lineCount(); ++i)
                starts << layout->lineAt(i).textStart();
            return starts;
        };
        const QList<int> atStart = breaks();
        QVERIFY(atStart.size() > 5);
        for (double zoom : {0.5, 1.3, 3.0}) {
            view.setZoomLevel(zoom);
            settle();
            QCOMPARE(breaks(), atStart);
        }
        QCOMPARE(view.textItem()->textWidth(), 800.0 - 2 * 40);
        view.setMarginSize(100);
        QCOMPARE(view.textItem()->textWidth(), 600.0);
    }

    void marginLabelAndRange_data()
    {
        QTest::addColumn<double>("margin");
        QTest::addColumn<QString>("label");
        QTest::addColumn<double>("kept");
        QTest::newRow("left end") << 10.0 << QStringLiteral("余白:10") << 10.0;
        QTest::newRow("fraction dropped") << 40.7 << QStringLiteral("余白:40") << 40.7;
        QTest::newRow("right end") << 100.0 << QStringLiteral("余白:100") << 100.0;
        QTest::newRow("below range") << 2.0 << QStringLiteral("余白:10") << 10.0;
    }
    void marginLabelAndRange()
    {
        QFETCH(double, margin);
        QFETCH(QString, label);
        QFETCH(double, kept);
        MorvaneWordView view;
        view.setMarginSize(margin);
        QCOMPARE(view.ribbon()->marginLabel()->text(), label);
        QCOMPARE(view.marginSize(), kept);
        // The header keeps its inset whatever the zoom.
        view.setZoomLevel(2.0);
        QCOMPARE(view.page()->headerField()->contentsMargins().left(), int(std::lround(kept)));
    }

    void verticalWritingFollowsTheColumns()
    {
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        showText(view, QStringLiteral("縦書きの文章。").repeated(800));
        view.setVertical(true);
        settle();
        QCOMPARE(view.page()->size(), QSize(1130, 800));
        const QScrollBar *bar = view.page()->textView()->horizontalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum()); // opens on the first column
        QWidget *viewport = view.page()->textView()->viewport();
        QTest::keyClick(viewport, Qt::Key_Down);
        QCOMPARE(view.textItem()->textCursor().position(), 1);
        QTest::keyClick(viewport, Qt::Key_Up);
        QCOMPARE(view.textItem()->textCursor().position(), 0);
        QTest::keyClick(viewport, Qt::Key_Left); // the next column
        const int next = view.textItem()->textCursor().position();
        const QTextLayout *layout = view.document()->firstBlock().layout();
        QCOMPARE(layout->lineForTextPosition(next).lineNumber(), 1);
        QTest::keyClick(viewport, Qt::Key_Right);
        QCOMPARE(view.textItem()->textCursor().position(), 0);
        view.setVertical(false);
        QCOMPARE(view.page()->size(), QSize(800, 1130));
        QCOMPARE(view.document()->toPlainText(), QStringLiteral("縦書きの文章。").repeated(800));
    }

    void verticalGlyphsStandAsTypeset_data()
    {
        QTest::addColumn<QString>("character");
        QTest::addColumn<bool>("wide"); // ink wider than tall in vertical writing
        QTest::newRow("kanji one stays upright") << QStringLiteral("一") << true;
        QTest::newRow("long vowel mark turns") << QStringLiteral("ー") << false;
        QTest::newRow("hyphen turns") << QStringLiteral("-") << false;
        QTest::newRow("picture stays upright") << QString(QChar::ObjectReplacementCharacter) << true;
    }
    void verticalGlyphsStandAsTypeset()
    {
        QFETCH(QString, character);
        QFETCH(bool, wide);
        MorvaneWordView view;
        view.resize(1400, 900);
        view.showDocument([&](WordTextDocument *document) {
            QTextCharFormat big;
            big.setProperty(QTextFormat::FontPixelSize, 80);
            document->clear();
            QTextCursor(document).insertText(character == QChar::ObjectReplacementCharacter ? QString() : character, big);
        });
        if (character == QChar::ObjectReplacementCharacter) {
            QImage picture(90, 30, QImage::Format_RGB32);
            picture.fill(Qt::black);
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
            QVERIFY(view.textItem()->insertPicture(png));
        }
        view.setVertical(true);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // The caret, drawn across the column, would count as ink.
        view.page()->headerField()->setFocus();
        settle();
        const QImage shot = view.page()->textView()->viewport()->grab().toImage();
        if (qEnvironmentVariableIsSet("SHOTS"))
            shot.save(qEnvironmentVariable("SHOTS") + QStringLiteral("/glyph-%1.png").arg(QTest::currentDataTag()));
        const QRect ink = inkBounds(shot);
        QVERIFY2(ink.isValid(), "nothing drawn");
        QCOMPARE(ink.width() > ink.height(), wide);
    }

    // A click anywhere on the page puts the caret at the nearest position,
    // and what is typed next lands there.
    void clicksOnThePagePlaceTheCaret_data()
    {
        using Where = std::function<QPoint(const PageCanvas *)>;
        QTest::addColumn<Where>("where");
        QTest::addColumn<QString>("result");
        auto inText = [](int x, int y) {
            return Where([x, y](const PageCanvas *page) { return page->textView()->geometry().topLeft() + QPoint(x, y); });
        };
        QTest::newRow("left margin beside the first line") << inText(12, 46) << QStringLiteral("Xfirst line\nsecond line");
        QTest::newRow("right margin beside the first line") << inText(785, 46) << QStringLiteral("first lineX\nsecond line");
        QTest::newRow("top margin above the text") << inText(41, 8) << QStringLiteral("Xfirst line\nsecond line");
        QTest::newRow("below the last line") << inText(400, 500) << QStringLiteral("first line\nsecond lineX");
        QTest::newRow("on the rule above the footer") << Where([](const PageCanvas *page) {
            const QRect text = page->textView()->geometry();
            return QPoint(text.center().x(), text.bottom() + 1);
        }) << QStringLiteral("first line\nsecond lineX");
        QTest::newRow("on the desk beside the page: the caret stays")
            << Where([](const PageCanvas *) { return QPoint(-20, 100); }) << QStringLiteral("firXst line\nsecond line");
    }
    void clicksOnThePagePlaceTheCaret()
    {
        using Where = std::function<QPoint(const PageCanvas *)>;
        QFETCH(Where, where);
        QFETCH(QString, result);
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        showText(view, QStringLiteral("first line\nsecond line"));
        QTextCursor middle(view.document());
        middle.setPosition(3);
        view.textItem()->setTextCursor(middle);
        PageCanvas *page = view.page();
        const QPoint point = where(page);
        QWidget *target = !page->rect().contains(point) ? view.pageArea()->widget()
                          : page->childAt(point)        ? page->childAt(point)
                                                        : page;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFromGlobal(page->mapToGlobal(point)));
        QTest::keyClick(view.windowHandle(), 'X');
        QCOMPARE(view.document()->toPlainText(), result);
    }

    // The bar that moves through the text shows whole in the window at any
    // zoom, and no scroll bar lies over the text's lines.
    void textScrollBarStaysInSight_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<qreal>("margin");
        QTest::addColumn<bool>("vertical");
        QTest::newRow("100 %, margin 10") << 1.0 << qreal(10) << false;
        QTest::newRow("300 %") << 3.0 << qreal(40) << false;
        QTest::newRow("300 %, margin 10") << 3.0 << qreal(10) << false;
        QTest::newRow("vertical at 300 %") << 3.0 << qreal(40) << true;
    }
    void textScrollBarStaysInSight()
    {
        QFETCH(double, zoom);
        QFETCH(qreal, margin);
        QFETCH(bool, vertical);
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        showText(view, QStringLiteral("段落の文章が続きます。").repeated(9).append(u'\n').repeated(200));
        view.setVertical(vertical);
        view.setMarginSize(margin);
        view.setZoomLevel(zoom);
        settle();
        TextPageView *text = view.page()->textView();
        QScrollBar *progress = vertical ? text->horizontalScrollBar() : text->verticalScrollBar();
        QVERIFY(progress->maximum() > progress->minimum());
        const QRectF lines = view.textItem()->mapRectToScene(view.textItem()->boundingRect());
        const QRect textArea = QRect(text->mapTo(&view, text->mapFromScene(lines).boundingRect().topLeft()),
                                     text->mapFromScene(lines).boundingRect().size())
                               & shownInWindow(&view, text);
        QList<QScrollBar *> wholeBars;
        for (QScrollBar *bar : view.findChildren<QScrollBar *>()) {
            if (!bar->isVisible())
                continue;
            QVERIFY2(!shownInWindow(&view, bar).intersects(textArea), qPrintable(bar->objectName()));
            if (shownInWindow(&view, bar) == inWindow(&view, bar))
                wholeBars << bar;
        }
        QScrollBar *mover = nullptr;
        for (QScrollBar *bar : std::as_const(wholeBars)) {
            const int before = progress->value();
            const int was = bar->value();
            bar->setValue(was == bar->maximum() ? bar->minimum() : bar->maximum());
            if (progress->value() != before)
                mover = bar;
            bar->setValue(was);
        }
        QVERIFY(mover);
    }

    // A selection goes to the selection clipboard, and a middle click pastes
    // that clipboard where it clicks, a picture as a picture. Where the
    // system has no selection clipboard, the item is given what it holds.
    void middleClickPastesTheSelection_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("result");
        QTest::newRow("text") << "text/plain" << QByteArray("XY") << QStringLiteral("first line\nXYsecond line");
        QTest::newRow("picture") << "image/png" << pngBytes(QSize(12, 8))
                                 << QStringLiteral("first line\n\uFFFCsecond line");
    }
    void middleClickPastesTheSelection()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, result);
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        showText(view, QStringLiteral("first line\nsecond line"));
        QWidget *viewport = view.page()->textView()->viewport();
        QTest::keyClick(viewport, Qt::Key_End, Qt::ShiftModifier);
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection())
            QCOMPARE(clipboard->mimeData(QClipboard::Selection)->text(), QStringLiteral("first line"));

        auto *selection = new QMimeData;
        selection->setData(format, bytes);
        std::unique_ptr<QMimeData> owned;
        if (clipboard->supportsSelection()) {
            clipboard->setMimeData(selection, QClipboard::Selection);
        } else {
            owned.reset(selection);
            view.textItem()->setSelectionSource([selection] { return selection; });
        }
        // Just inside the start of the second line.
        const QTextBlock second = view.document()->lastBlock();
        const QRectF line = view.document()->documentLayout()->blockBoundingRect(second);
        const QPointF inItem(line.left() + 1, line.center().y());
        const QPoint at = view.page()->textView()->mapFromScene(view.textItem()->mapToScene(inItem));
        QTest::mouseClick(viewport, Qt::MiddleButton, {}, at);
        QCOMPARE(view.document()->toPlainText(), result);
    }

    // The page is taller than the window: typing and moving the caret
    // scroll both the text and the page area so that the caret shows.
    void caretStaysInSight_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<bool>("longText");
        auto keys = [](QList<QKeyCombination> presses, QString typed = QString()) {
            return Edit([presses, typed](MorvaneWordView &v) {
                QWidget *viewport = v.page()->textView()->viewport();
                for (QKeyCombination press : presses)
                    QTest::keyClick(viewport, press.key(), press.keyboardModifiers());
                QTest::keyClicks(viewport, typed);
            });
        };
        QTest::newRow("typing 60 returns and text") << keys(QList<QKeyCombination>(60, Qt::Key_Return), "end") << false;
        QTest::newRow("Ctrl+End and typing") << keys({Qt::CTRL | Qt::Key_End}, "x") << true;
        QTest::newRow("Ctrl+Home after Ctrl+End")
            << keys({Qt::CTRL | Qt::Key_End, Qt::CTRL | Qt::Key_Home, Qt::Key_Down}) << true;
        QTest::newRow("arrows down") << keys(QList<QKeyCombination>(70, Qt::Key_Down)) << true;
        QTest::newRow("Page Down") << keys({Qt::Key_PageDown, Qt::Key_PageDown}) << true;
        QTest::newRow("Page Up after Ctrl+End") << keys({Qt::CTRL | Qt::Key_End, Qt::Key_PageUp}) << true;
        QTest::newRow("find") << Edit([](MorvaneWordView &v) {
            QTest::keyClick(v.page()->textView()->viewport(), Qt::Key_F, Qt::ControlModifier);
            QTest::keyClicks(v.findBar()->field(), QStringLiteral("needle"));
            QTest::keyClick(v.findBar()->field(), Qt::Key_Return);
        }) << true;
    }
    void caretStaysInSight()
    {
        QFETCH(Edit, edit);
        QFETCH(bool, longText);
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        view.showDocument([longText](WordTextDocument *document) {
            QString text;
            for (int i = 0; longText && i < 400; ++i)
                text += QStringLiteral("Line %1 of a long text\n").arg(i);
            document->setPlainText(text + (longText ? QStringLiteral("needle") : QString()));
        });
        const int before = view.textItem()->textCursor().position();
        edit(view);
        settle();
        QVERIFY(view.textItem()->textCursor().position() != before);
        TextPageView *text = view.page()->textView();
        const QTextCursor caret = view.textItem()->textCursor();
        const QTextLayout *layout = caret.block().layout();
        const QTextLine line = layout->lineForTextPosition(caret.positionInBlock());
        const QRectF inItem = QRectF(line.cursorToX(caret.positionInBlock()), line.y(), 1, line.height())
                                  .translated(layout->position());
        const QRect inText = text->mapFromScene(view.textItem()->mapRectToScene(inItem)).boundingRect();
        QVERIFY2(text->viewport()->rect().contains(inText), qPrintable(QString::number(inText.y())));
        QWidget *area = view.pageArea()->viewport();
        const QRect onScreen(text->viewport()->mapTo(area, inText.topLeft()), inText.size());
        QVERIFY2(area->rect().contains(onScreen), qPrintable(QString::number(onScreen.y())));
    }

    void findBarWrapsAndEscapeCloses()
    {
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        showText(view, QStringLiteral("apple banana apple cherry"));
        QTest::keyClick(view.page()->textView()->viewport(), Qt::Key_F, Qt::ControlModifier);
        FindBar *bar = view.findBar();
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->field()->placeholderText(), QStringLiteral("検索"));
        QVERIFY(bar->field()->hasFocus());
        QTest::keyClicks(bar->field(), QStringLiteral("APPLE"));
        QTest::keyClick(bar->field(), Qt::Key_Return);
        QCOMPARE(view.textItem()->textCursor().selectionStart(), 0);
        QTest::keyClick(bar->field(), Qt::Key_Return);
        QCOMPARE(view.textItem()->textCursor().selectionStart(), 13);
        QTest::keyClick(bar->field(), Qt::Key_Return); // wraps
        QCOMPARE(view.textItem()->textCursor().selectionStart(), 0);
        QTest::keyClick(bar->field(), Qt::Key_Return, Qt::ShiftModifier); // back, wrapping
        QCOMPARE(view.textItem()->textCursor().selectionStart(), 13);
        bar->field()->setText(QStringLiteral("durian"));
        QVERIFY(!bar->findNext());
        QTest::keyClick(bar->field(), Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QVERIFY(view.page()->textView()->hasFocus());
    }

    void printsTheTextWithoutHeader()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        view.page()->headerField()->setText(QStringLiteral("HEADERTEXT"));
        view.showDocument([](WordTextDocument *document) {
            QString text;
            for (int i = 0; i < 120; ++i)
                text += QStringLiteral("Line number %1 of the printed text\n").arg(i);
            document->setPlainText(text + QStringLiteral("LASTLINE"));
        });
        int dialogs = 0;
        view.setPrintDialogRunner([&](QPrinter *printer, QWidget *) {
            ++dialogs;
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return true;
        });
        QVERIFY(view.print());
        QCOMPARE(dialogs, 1);
        QVERIFY(QFileInfo(pdf).size() > 0);

        // With the focus in the footer, print does nothing.
        view.page()->footerField()->setFocus();
        settle();
        QVERIFY(!view.print());
        QCOMPARE(dialogs, 1);

        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        QProcess process;
        process.start(pdftotext, {pdf, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(30000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY(text.contains(QStringLiteral("Line number 0 of the printed text")));
        QVERIFY(text.contains(QStringLiteral("LASTLINE")));
        QVERIFY(!text.contains(QStringLiteral("HEADERTEXT")));
        QVERIFY(text.count(QChar(u'\f')) >= 2); // more than one page, cut between lines
        for (int i = 0; i < 120; ++i)
            QVERIFY2(text.contains(QStringLiteral("Line number %1 of").arg(i)), qPrintable(QString::number(i)));
    }

    void insertImageThroughTheChooser()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("p.png"));
        const QString notPicture = dir.filePath(QStringLiteral("n.png"));
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(pngBytes(QSize(10, 6)));
        file.close();
        QFile bad(notPicture);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a picture");
        bad.close();
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        QString chosen = notPicture;
        view.setImageChooser([&](QWidget *) { return chosen; });
        const QString before = view.document()->toPlainText();
        view.ribbon()->button(WordRibbon::Action::InsertImage)->click();
        QCOMPARE(view.document()->toPlainText(), before);
        chosen = picture;
        view.ribbon()->button(WordRibbon::Action::InsertImage)->click();
        QCOMPARE(view.document()->toPlainText(), QChar(0xFFFC) + before);
        QTextCursor probe(view.document());
        probe.setPosition(1);
        const auto attachment = probe.charFormat().property(TextFormatProperty::Attachment).value<TextAttachmentPointer>();
        QVERIFY(attachment);
        QCOMPARE(attachment->contents, pngBytes(QSize(10, 6)));
    }

    // A pick from a ribbon dropdown, made as a user makes it, leaves the
    // keys with the text, the first pick after start included (the first
    // showing of a dropdown took the focus from the text view twice, and the
    // scene then forgot its focused item).
    void keysReachTheTextAfterADropdownPick_data()
    {
        QTest::addColumn<int>("picker");
        QTest::addColumn<bool>("withMouse");
        const char *names[] = {"family", "size", "style"};
        for (int picker = 0; picker < 3; ++picker) {
            QTest::addRow("%s, mouse", names[picker]) << picker << true;
            QTest::addRow("%s, keys", names[picker]) << picker << false;
        }
    }
    void keysReachTheTextAfterADropdownPick()
    {
        QFETCH(int, picker);
        QFETCH(bool, withMouse);
        ShownScreen shown;
        MorvaneWordView &view = shown.view;
        WordRibbon *ribbon = view.ribbon();
        QComboBox *box = QList<QComboBox *>{ribbon->fontFamilyPicker(), ribbon->fontSizePicker(),
                                            ribbon->stylePicker()}.at(picker);
        QWindow *window = view.window()->windowHandle();
        for (int pick = 0; pick < 2; ++pick) {
            showText(view, QStringLiteral("abc def"));
            selectAll(view);
            QTest::mouseClick(box, Qt::LeftButton);
            QAbstractItemView *list = box->view();
            QTRY_VERIFY(list->isVisible());
            // The item below the one the dropdown opened on.
            const int target = qMax(list->currentIndex().row(), 0) + 1;
            if (withMouse) {
                list->scrollTo(box->model()->index(target, 0));
                const QPoint at(list->viewport()->width() / 2,
                                list->visualRect(box->model()->index(target, 0)).center().y());
                QTest::mouseMove(list->viewport(), at);
                // A release right after the dropdown opened would be taken
                // for the end of the click that opened it.
                QTest::qWait(QApplication::doubleClickInterval() + 50);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            } else {
                QTest::keyClick(list->window()->windowHandle(), Qt::Key_Down);
                QTest::keyClick(list->window()->windowHandle(), Qt::Key_Return);
            }
            QTRY_VERIFY(!list->isVisible());
            QCOMPARE(box->currentIndex(), target);
            settle();
            // Keys as the window gets them: End collapses the selection to
            // the end of the line, and a letter follows it.
            QTest::keyClick(window, Qt::Key_End);
            QTest::keyClick(window, Qt::Key_X);
            QCOMPARE(view.document()->toPlainText(), QStringLiteral("abc defx"));
        }
    }

    void loadFilesListsTheTenFormats()
    {
        QTemporaryDir dir;
        for (const char *name : {"A.DOCX", "b.txt", "c.Rtf", "d.rtfd", ".hidden.wpd", "e.jxw", "noext"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        MorvaneWordView view;
        view.setSelectedSaveLocation(dir.path());
        view.loadFiles();
        QStringList names;
        for (const QString &path : view.openFiles())
            names << QFileInfo(path).fileName();
        names.sort();
        QCOMPARE(names, (QStringList{".hidden.wpd", "A.DOCX", "c.Rtf", "d.rtfd", "e.jxw"}));
        view.setSelectedSaveLocation(dir.filePath(QStringLiteral("missing")));
        view.loadFiles();
        QVERIFY(view.openFiles().isEmpty());
    }
};

QTEST_MAIN(TestMorvaneWordView)
#include "tst_morvanewordview.moc"
