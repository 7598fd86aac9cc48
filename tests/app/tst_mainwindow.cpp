#include "app/ApplicationSetup.h"
#include "app/MainWindow.h"
#include "app/Sidebar.h"
#include "platform/AppState.h"
#include "platform/widgets/HorizontalScrollArea.h"
#include "platform/widgets/OpenFileCard.h"
#include "presentation/editor/MorvanePowerPointView.h"
#include "presentation/editor/SlideInspector.h"
#include "spreadsheet/editor/MorvaneExcelView.h"
#include "spreadsheet/editor/OpenWorkbookDialog.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "presentation/document/PowerPointDocument.h"
#include "presentation/editor/OpenPresentationDialog.h"
#include "word/OpenDocumentCard.h"
#include "word/WordRibbon.h"
#include "word/MorvaneWordView.h"
#include "word/layout/WordTextDocument.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

using Choice = QuitPrompt::Choice;
using Editor = AppState::Editor;

Q_DECLARE_METATYPE(EditorTab)

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void wordProcessorChosenAtLaunch();
    void neverSmallerThanTheMinimum();
    void startsWithinTheScreen_data();
    void startsWithinTheScreen();
    void everyToolbarShowsOnAFullHdScreen();
    void wheelScrollsToolbarsAndChangesNoSetting_data();
    void wheelScrollsToolbarsAndChangesNoSetting();
    void framedWindowFitsTheScreen_data();
    void framedWindowFitsTheScreen();
    void sidebarHeaderLinksAndFooter();
    void linksShowTheirScreens_data();
    void linksShowTheirScreens();
    void screensAreMadeOnceAndKept();
    void nothingChosenShowsThePlaceholder();
    void spreadsheetTurnsTheWindowLight();
    void switchingKeepsTheUnsavedState();
    void keysReachTheTextWhenTheWordScreenShows();
    void quitting_data();
    void quitting();
    void openingAsksBeforeUnsavedWorkGoes_data();
    void openingAsksBeforeUnsavedWorkGoes();
    void stockDialogsSpeakJapanese_data();
    void stockDialogsSpeakJapanese();
    void screenshot();

private:
    std::unique_ptr<MainWindow> m_window;
    int m_asked = 0;
};

namespace {

QLabel *labelWithText(const QWidget *root, const QString &text)
{
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

void clearAllShares()
{
    for (Editor editor : {Editor::Word, Editor::Spreadsheet, Editor::Presentation})
        AppState::shared().setHasUnsavedChanges(editor, false);
}

} // namespace

void TestMainWindow::initTestCase()
{
    setUpApplication(*qApp);
}

void TestMainWindow::init()
{
    clearAllShares();
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    clearAllShares();
}

void TestMainWindow::wordProcessorChosenAtLaunch()
{
    QCOMPARE(m_window->selectedTab(), EditorTab::Word);
    QVERIFY(qobject_cast<MorvaneWordView *>(m_window->currentDetail()));
    QListWidget *links = m_window->sidebar()->links();
    QCOMPARE(links->selectedItems().size(), 1);
    QCOMPARE(links->selectedItems().first()->text(), QStringLiteral("Morvane Word"));
    // Nothing else is made before the user asks for it.
    QVERIFY(!m_window->editorScreen(EditorTab::Spreadsheet));
    QVERIFY(!m_window->editorScreen(EditorTab::Presentation));
}

void TestMainWindow::neverSmallerThanTheMinimum()
{
    m_window->resize(300, 200);
    QCOMPARE(m_window->size(), QSize(900, 600));
    auto *splitter = m_window->findChild<QSplitter *>();
    splitter->setSizes({0, 900});
    QCOMPARE(m_window->sidebar()->width(), 250);
    splitter->setSizes({600, 300});
    QVERIFY(m_window->sidebar()->width() >= 250);
}

void TestMainWindow::startsWithinTheScreen_data()
{
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("start");
    QTest::newRow("small laptop: the free area") << QSize(1366, 740) << QSize(1366, 740);
    QTest::newRow("full HD: as wide as the toolbars need") << QSize(1920, 1050) << QSize(1760, 1050);
    QTest::newRow("big screen: as wide as the toolbars need") << QSize(2560, 1400) << QSize(1760, 1400);
    QTest::newRow("screen under the minimum: the minimum") << QSize(800, 500) << QSize(900, 600);
}

void TestMainWindow::startsWithinTheScreen()
{
    QFETCH(QSize, available);
    QFETCH(QSize, start);
    QCOMPARE(MainWindow::startSize(available, 1760), start);
}

// At the size the window opens at on a 1920 × 1080 screen, every editor's
// toolbar shows whole, without scrolling.
void TestMainWindow::everyToolbarShowsOnAFullHdScreen()
{
    m_window->resize(MainWindow::startSize(QSize(1920, 1080), m_window->widestToolbarWidth()));
    QVERIFY(m_window->width() <= 1920);
    for (EditorTab tab : {EditorTab::Word, EditorTab::Spreadsheet, EditorTab::Presentation}) {
        m_window->setSelectedTab(tab);
        QCoreApplication::processEvents();
        const QList<HorizontalScrollArea *> bars = m_window->editorScreen(tab)->findChildren<HorizontalScrollArea *>();
        QVERIFY(!bars.isEmpty());
        for (const HorizontalScrollArea *bar : bars) {
            QVERIFY2(bar->widget()->sizeHint().width() <= bar->viewport()->width(),
                     qPrintable(QStringLiteral("%1 > %2").arg(bar->widget()->sizeHint().width()).arg(bar->viewport()->width())));
            QCOMPARE(bar->horizontalScrollBar()->maximum(), 0);
        }
    }
}

namespace {

// What a picker, spin box or slider is set to.
QString settingOf(const QWidget *control)
{
    if (const auto *picker = qobject_cast<const QComboBox *>(control))
        return picker->currentText();
    if (const auto *box = qobject_cast<const QAbstractSpinBox *>(control))
        return box->text();
    return QString::number(qobject_cast<const QAbstractSlider *>(control)->value());
}

QList<QWidget *> settingControls(const QList<QWidget *> &panels)
{
    QList<QWidget *> controls;
    for (QWidget *panel : panels) {
        for (QWidget *child : panel->findChildren<QWidget *>()) {
            const bool slider = qobject_cast<QAbstractSlider *>(child) && !qobject_cast<QScrollBar *>(child);
            if (slider || qobject_cast<QComboBox *>(child) || qobject_cast<QAbstractSpinBox *>(child))
                controls << child;
        }
    }
    return controls;
}

void turnWheel(QWidget *over, int notches)
{
    const QPointF at = QPointF(over->rect().center());
    QWheelEvent wheel(at, over->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &wheel);
}

} // namespace

void TestMainWindow::wheelScrollsToolbarsAndChangesNoSetting_data()
{
    QTest::addColumn<EditorTab>("tab");
    QTest::addColumn<bool>("scrollsToolbar"); // its controls lie on a toolbar narrower than its row
    QTest::newRow("word ribbon") << EditorTab::Word << true;
    QTest::newRow("presentation toolbar and inspector") << EditorTab::Presentation << false;
}

// The wheel is the only way to scroll a narrow toolbar: passing over a
// picker or a slider scrolls the toolbar and changes nothing, until the user
// gives that control the focus.
void TestMainWindow::wheelScrollsToolbarsAndChangesNoSetting()
{
    QFETCH(EditorTab, tab);
    QFETCH(bool, scrollsToolbar);
    m_window->resize(900, 700);
    m_window->setSelectedTab(tab);
    QCoreApplication::processEvents();
    QWidget *screen = m_window->editorScreen(tab);
    QList<QWidget *> panels;
    for (HorizontalScrollArea *bar : screen->findChildren<HorizontalScrollArea *>())
        panels << bar;
    for (SlideInspector *inspector : screen->findChildren<SlideInspector *>())
        panels << inspector;
    const QList<QWidget *> controls = settingControls(panels);
    QVERIFY(!controls.isEmpty());
    bool scrolled = false;
    for (QWidget *control : controls) {
        const QString before = settingOf(control);
        for (int notches : {-3, 3, 3})
            turnWheel(control, notches);
        QVERIFY2(settingOf(control) == before, qPrintable(control->metaObject()->className() + (" " + before)));
        for (HorizontalScrollArea *bar : screen->findChildren<HorizontalScrollArea *>())
            scrolled = scrolled || bar->horizontalScrollBar()->value() > 0;
    }
    QCOMPARE(scrolled, scrollsToolbar);

    // A control the user chose takes the wheel as usual.
    for (QWidget *control : controls) {
        if (!control->isEnabled() || !control->isVisible() || control->focusPolicy() == Qt::NoFocus)
            continue;
        control->setFocus();
        QTRY_VERIFY(control->hasFocus());
        const QString before = settingOf(control);
        turnWheel(control, 1);
        turnWheel(control, -1);
        turnWheel(control, -1);
        QVERIFY(settingOf(control) != before);
        break;
    }
}

void TestMainWindow::framedWindowFitsTheScreen_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("start");
    QTest::addColumn<QRect>("fitted");
    const QMargins titleBar(1, 29, 1, 1);
    QTest::newRow("full HD: the title bar pushed the status bar off")
        << QRect(0, 0, 1920, 1050) << titleBar << QRect(1, 29, 1760, 1050) << QRect(1, 29, 1760, 1020);
    QTest::newRow("1600 × 1000: both sides shrink")
        << QRect(0, 0, 1600, 1000) << QMargins(4, 24, 4, 4) << QRect(4, 24, 1600, 1000) << QRect(4, 24, 1592, 972);
    QTest::newRow("placed past the right edge: moved in, size kept")
        << QRect(0, 0, 1920, 1050) << titleBar << QRect(500, 29, 1760, 900) << QRect(159, 29, 1760, 900);
    QTest::newRow("panel at the top: below it")
        << QRect(0, 40, 1920, 1040) << titleBar << QRect(1, 29, 1200, 800) << QRect(1, 69, 1200, 800);
    QTest::newRow("fits already: unchanged")
        << QRect(0, 0, 1920, 1050) << titleBar << QRect(100, 100, 1200, 800) << QRect(100, 100, 1200, 800);
    QTest::newRow("no frame: unchanged")
        << QRect(0, 0, 1920, 1050) << QMargins() << QRect(0, 0, 1760, 1050) << QRect(0, 0, 1760, 1050);
}

// On X11 the frame is known only after the window manager maps the window;
// once it is, the window with its frame fits the screen's free area, so the
// status bar and the sheet tabs stay in sight.
void TestMainWindow::framedWindowFitsTheScreen()
{
    QFETCH(QRect, available);
    QFETCH(QMargins, frame);
    QFETCH(QRect, start);
    QFETCH(QRect, fitted);
    m_window->setGeometry(start);
    m_window->fitWithinScreen(available, frame);
    QCOMPARE(m_window->geometry(), fitted);
}

void TestMainWindow::sidebarHeaderLinksAndFooter()
{
    const Sidebar *sidebar = m_window->sidebar();
    QListWidget *links = sidebar->links();
    QCOMPARE(links->count(), 3);
    const QStringList titles{QStringLiteral("Morvane Word"), QStringLiteral("Morvane Excel"),
                             QStringLiteral("Morvane PowerPoint")};
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(links->item(row)->text(), titles[row]);
        QVERIFY(!links->item(row)->icon().isNull());
    }
    QVERIFY(labelWithText(sidebar, QStringLiteral("MorvaneOffice")));
    QVERIFY(labelWithText(sidebar, QStringLiteral("MorvaneOffice v1.3")));
    const QLabel *edition = labelWithText(sidebar, QStringLiteral("\"Sorrelind\" Edition"));
    QVERIFY(edition);
    const QColor blue = edition->palette().color(QPalette::WindowText);
    QVERIFY(blue.blue() > 200 && blue.red() < 60);
    QCOMPARE(edition->font().pixelSize(), 11);
    // The header comes first, the footer last, the links between.
    QVERIFY(labelWithText(sidebar, QStringLiteral("MorvaneOffice"))->mapTo(sidebar, QPoint()).y()
            < links->y());
    QVERIFY(edition->mapTo(sidebar, QPoint()).y() > links->geometry().bottom());
}

void TestMainWindow::linksShowTheirScreens_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<EditorTab>("tab");
    QTest::newRow("Morvane Word") << 0 << EditorTab::Word;
    QTest::newRow("Morvane Excel") << 1 << EditorTab::Spreadsheet;
    QTest::newRow("Morvane PowerPoint") << 2 << EditorTab::Presentation;
}

void TestMainWindow::linksShowTheirScreens()
{
    QFETCH(int, row);
    QFETCH(EditorTab, tab);
    if (row == 0)
        m_window->setSelectedTab(EditorTab::Presentation);
    QListWidget *links = m_window->sidebar()->links();
    QTest::mouseClick(links->viewport(), Qt::LeftButton, {},
                      links->visualItemRect(links->item(row)).center());
    QCOMPARE(m_window->selectedTab(), tab);
    QVERIFY(m_window->currentDetail());
    QCOMPARE(m_window->currentDetail(), m_window->editorScreen(tab));
    QVERIFY(m_window->currentDetail()->isVisible());
    switch (tab) {
    case EditorTab::Word:
        QCOMPARE(qobject_cast<MorvaneWordView *>(m_window->currentDetail())->fileName(),
                 QStringLiteral("MorvaneDocument"));
        break;
    case EditorTab::Spreadsheet:
        QVERIFY(qobject_cast<MorvaneExcelView *>(m_window->currentDetail()));
        break;
    case EditorTab::Presentation:
        QCOMPARE(qobject_cast<MorvanePowerPointView *>(m_window->currentDetail())->documentName(),
                 QStringLiteral("MorvanePresentation"));
        break;
    case EditorTab::None:
        break;
    }
}

void TestMainWindow::screensAreMadeOnceAndKept()
{
    QWidget *word = m_window->editorScreen(EditorTab::Word);
    word->setProperty("edited", true); // stands in for a document being edited
    m_window->setSelectedTab(EditorTab::Spreadsheet);
    QWidget *sheet = m_window->editorScreen(EditorTab::Spreadsheet);
    m_window->setSelectedTab(EditorTab::Presentation);
    m_window->setSelectedTab(EditorTab::Word);
    m_window->setSelectedTab(EditorTab::Spreadsheet);
    QCOMPARE(m_window->editorScreen(EditorTab::Word), word);
    QCOMPARE(m_window->editorScreen(EditorTab::Spreadsheet), sheet);
    QVERIFY(word->property("edited").toBool());
    QCOMPARE(m_window->findChildren<MorvaneWordView *>().size(), 1);
    QCOMPARE(m_window->findChildren<MorvaneExcelView *>().size(), 1);
    QCOMPARE(m_window->findChildren<MorvanePowerPointView *>().size(), 1);
}

void TestMainWindow::nothingChosenShowsThePlaceholder()
{
    QListWidget *links = m_window->sidebar()->links();
    // Ctrl+click on the chosen link is how a user clears the selection.
    QTest::mouseClick(links->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      links->visualItemRect(links->item(0)).center());
    QCOMPARE(m_window->selectedTab(), EditorTab::None);
    auto *placeholder = qobject_cast<QLabel *>(m_window->currentDetail());
    QVERIFY(placeholder);
    QCOMPARE(placeholder->text(), QStringLiteral("Select an app"));
    QVERIFY(placeholder->isVisible());
    QVERIFY(m_window->editorScreen(EditorTab::Word)); // kept for when it is chosen again
    m_window->setSelectedTab(EditorTab::Word);
    QVERIFY(qobject_cast<MorvaneWordView *>(m_window->currentDetail()));
}

void TestMainWindow::spreadsheetTurnsTheWindowLight()
{
    const QPalette application = QApplication::palette(m_window.get());
    m_window->setSelectedTab(EditorTab::Spreadsheet);
    const QWidget *parts[] = {m_window->sidebar(), m_window->currentDetail()};
    for (const QWidget *part : parts) {
        QVERIFY(part->palette().color(QPalette::Window).lightness() > 200);
        QVERIFY(part->palette().color(QPalette::WindowText).lightness() < 60);
        QVERIFY(part->palette().color(QPalette::Base).lightness() > 240);
    }
    QVERIFY(m_window->sidebar()->grab().toImage().pixelColor(5, 5).lightness() > 200);
    m_window->setSelectedTab(EditorTab::Presentation);
    QVERIFY(!m_window->testAttribute(Qt::WA_SetPalette));
    QCOMPARE(m_window->sidebar()->palette().color(QPalette::Window),
             application.color(QPalette::Window));
}

void TestMainWindow::switchingKeepsTheUnsavedState()
{
    AppState::shared().setHasUnsavedChanges(Editor::Word, true);
    m_window->setSelectedTab(EditorTab::Spreadsheet);
    m_window->setSelectedTab(EditorTab::None);
    m_window->setSelectedTab(EditorTab::Word);
    QVERIFY(AppState::shared().hasUnsavedChanges(Editor::Word));
}

void TestMainWindow::keysReachTheTextWhenTheWordScreenShows()
{
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    auto *word = qobject_cast<MorvaneWordView *>(m_window->editorScreen(EditorTab::Word));
    QTest::keyClick(m_window->windowHandle(), 'a');
    m_window->setSelectedTab(EditorTab::Spreadsheet);
    m_window->setSelectedTab(EditorTab::Word);
    QTest::keyClick(m_window->windowHandle(), 'b');
    // A card that closes gives the keys back to the text, wherever they were.
    m_window->sidebar()->links()->setFocus();
    word->setShowingSaveDialog(true);
    word->setShowingSaveDialog(false);
    QTest::keyClick(m_window->windowHandle(), 'c');
    QVERIFY2(word->document()->toPlainText().startsWith(QStringLiteral("abc")),
             qPrintable(word->document()->toPlainText()));
}

void TestMainWindow::quitting_data()
{
    QTest::addColumn<bool>("shortcut");
    QTest::addColumn<bool>("unsaved");
    QTest::addColumn<Choice>("answer");
    QTest::addColumn<bool>("closes");
    for (bool shortcut : {false, true}) {
        const char *how = shortcut ? "Ctrl+Q" : "close";
        QTest::addRow("%s, nothing unsaved", how) << shortcut << false << Choice::Cancel << true;
        QTest::addRow("%s, unsaved, save", how) << shortcut << true << Choice::Save << false;
        QTest::addRow("%s, unsaved, cancel", how) << shortcut << true << Choice::Cancel << false;
        QTest::addRow("%s, unsaved, don't save", how) << shortcut << true << Choice::DontSave << true;
    }
}

void TestMainWindow::quitting()
{
    QFETCH(bool, shortcut);
    QFETCH(bool, unsaved);
    QFETCH(Choice, answer);
    QFETCH(bool, closes);
    AppState::shared().setHasUnsavedChanges(Editor::Spreadsheet, unsaved);
    m_asked = 0;
    m_window->setQuitPrompt(QuitPrompt([this, answer](QWidget *) {
        ++m_asked;
        return answer;
    }));
    if (shortcut) {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window->sidebar()->links(), Qt::Key_Q, Qt::ControlModifier);
    } else {
        m_window->close();
    }
    QCOMPARE(m_asked, unsaved ? 1 : 0);
    QCOMPARE(m_window->isVisible(), !closes);
}

namespace {

// One editor's open path as a user meets it: a change of theirs, a file the
// open card lists, and which document the screen holds.
struct OpenScreen
{
    OpenFileCard *card = nullptr;
    QString file;
    std::function<void()> edit;
    std::function<bool()> editShows;
    std::function<QString()> fileName;
};

const QString unsavedWork = QStringLiteral("IMPORTANT UNSAVED WORK");

OpenScreen openScreen(MainWindow &window, EditorTab tab, const QString &folder)
{
    window.setSelectedTab(tab);
    QWidget *view = window.editorScreen(tab);
    OpenScreen s;
    if (auto *word = qobject_cast<MorvaneWordView *>(view)) {
        s = {word->openCard(), folder + QStringLiteral("/letter.html"),
             [word] { QTextCursor(word->document()).insertText(unsavedWork); },
             [word] { return word->document()->toPlainText().contains(unsavedWork); },
             [word] { return word->fileName(); }};
        QFile file(s.file);
        file.open(QIODevice::WriteOnly) && file.write("<p>opened</p>");
        word->ribbon()->button(WordRibbon::Action::Open)->click();
    } else if (auto *sheet = qobject_cast<MorvaneExcelView *>(view)) {
        s = {sheet->openDialog(), folder + QStringLiteral("/book.csv"),
             [sheet] { sheet->document()->setCell(0, 0, unsavedWork); },
             [sheet] { return sheet->document()->cell(0, 0) == unsavedWork; }, [sheet] { return sheet->fileName(); }};
        QFile file(s.file);
        file.open(QIODevice::WriteOnly) && file.write("opened\n");
        sheet->showOpenDialog();
    } else if (auto *slides = qobject_cast<MorvanePowerPointView *>(view)) {
        slides->setSelectedSaveLocation(folder);
        slides->savePresentation();
        const qsizetype saved = slides->document()->slideCount();
        s = {slides->openDialog(), folder + QStringLiteral("/deck.pptx"),
             [slides] { slides->document()->addSlide(); },
             [slides, saved] { return slides->document()->slideCount() == saved + 1; },
             [slides] { return slides->documentName(); }};
        QFile::rename(folder + u'/' + slides->documentName() + QStringLiteral(".pptx"), s.file);
        slides->showOpenDialog();
    }
    return s;
}

} // namespace

void TestMainWindow::openingAsksBeforeUnsavedWorkGoes_data()
{
    QTest::addColumn<EditorTab>("tab");
    QTest::addColumn<bool>("unsaved");
    QTest::addColumn<Choice>("answer");
    QTest::addColumn<bool>("messageBox"); // the real question, answered by a click
    const std::pair<EditorTab, const char *> tabs[] = {
        {EditorTab::Word, "word"}, {EditorTab::Spreadsheet, "spreadsheet"}, {EditorTab::Presentation, "presentation"}};
    for (const auto &[tab, name] : tabs) {
        QTest::addRow("%s, nothing unsaved", name) << tab << false << Choice::Cancel << false;
        QTest::addRow("%s, unsaved, save", name) << tab << true << Choice::Save << false;
        QTest::addRow("%s, unsaved, cancel", name) << tab << true << Choice::Cancel << false;
        QTest::addRow("%s, unsaved, don't save", name) << tab << true << Choice::DontSave << false;
    }
    QTest::newRow("word, unsaved, message box cancel") << EditorTab::Word << true << Choice::Cancel << true;
}

// Opening a file from the open card while the screen's own document holds
// unsaved changes asks first; only "保存しない" lets the open replace them.
void TestMainWindow::openingAsksBeforeUnsavedWorkGoes()
{
    QFETCH(EditorTab, tab);
    QFETCH(bool, unsaved);
    QFETCH(Choice, answer);
    QFETCH(bool, messageBox);
    QTemporaryDir folder;
    const OpenScreen screen = openScreen(*m_window, tab, folder.path());
    QVERIFY(screen.card->isOpen());
    if (unsaved)
        screen.edit();
    QCoreApplication::processEvents();
    QCOMPARE(AppState::shared().hasUnsavedChanges(), unsaved);
    const QString nameBefore = screen.fileName();

    m_asked = 0;
    QStringList boxTexts;
    if (messageBox) {
        QTimer::singleShot(0, this, [this, &boxTexts] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            ++m_asked;
            boxTexts << box->text() << box->informativeText();
            box->escapeButton()->click();
        });
    } else {
        screen.card->setUnsavedChangesAsker([this, answer](QWidget *) {
            ++m_asked;
            return answer;
        });
    }
    emit screen.card->fileList()->fileClicked(screen.file);
    QCoreApplication::processEvents(); // the word screen shows an opened file on the next turn

    const bool opens = !unsaved || answer == Choice::DontSave;
    QCOMPARE(m_asked, unsaved ? 1 : 0);
    if (messageBox)
        QCOMPARE(boxTexts, QStringList({QStringLiteral("開く前にドキュメントを保存しますか？"),
                                        QStringLiteral("保存しない場合、変更内容は失われます。")}));
    QCOMPARE(screen.fileName(), opens ? QFileInfo(screen.file).completeBaseName() : nameBefore);
    QCOMPARE(screen.card->isOpen(), !opens);
    QCOMPARE(screen.editShows(), unsaved && !opens);
    QCOMPARE(AppState::shared().hasUnsavedChanges(), unsaved && !opens);
}

void TestMainWindow::stockDialogsSpeakJapanese_data()
{
    QTest::addColumn<QByteArray>("context");
    QTest::addColumn<QByteArray>("source");
    QTest::newRow("colour dialog title") << QByteArray("QColorDialog") << QByteArray("Select Color");
    QTest::newRow("file dialog folder field") << QByteArray("QFileDialog") << QByteArray("Directory:");
    QTest::newRow("dialog buttons") << QByteArray("QPlatformTheme") << QByteArray("Cancel");
}

void TestMainWindow::stockDialogsSpeakJapanese()
{
    QFETCH(QByteArray, context);
    QFETCH(QByteArray, source);
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ja.qm"))
        QSKIP("Qt's Japanese translation is not installed (qt6-translations-l10n)");
    const QString translated = QCoreApplication::translate(context.constData(), source.constData());
    QVERIFY2(translated != QLatin1String(source), qPrintable(translated));
    QVERIFY2(std::any_of(translated.cbegin(), translated.cend(),
                         [](QChar c) { return c.unicode() >= 0x3000; }),
             qPrintable(translated));
}

// Saves what the window looks like when MORVANE_SCREENSHOT_DIR names a folder.
void TestMainWindow::screenshot()
{
    const QString folder = qEnvironmentVariable("MORVANE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("MORVANE_SCREENSHOT_DIR not set");
    const auto save = [&](const QString &name) {
        QVERIFY(m_window->grab().save(QDir(folder).filePath(name)));
    };
    save(QStringLiteral("window-word.png"));
    auto *word = qobject_cast<MorvaneWordView *>(m_window->currentDetail());
    word->setShowingOpenDialog(true);
    save(QStringLiteral("window-word-open.png"));
    word->setShowingOpenDialog(false);
    m_window->setSelectedTab(EditorTab::Spreadsheet);
    save(QStringLiteral("window-spreadsheet.png"));
    auto *sheet = qobject_cast<MorvaneExcelView *>(m_window->currentDetail());
    sheet->showOpenDialog();
    save(QStringLiteral("window-spreadsheet-open.png"));
    m_window->setSelectedTab(EditorTab::Presentation);
    save(QStringLiteral("window-presentation.png"));
    qobject_cast<MorvanePowerPointView *>(m_window->currentDetail())->showOpenDialog();
    save(QStringLiteral("window-presentation-open.png"));
    m_window->setSelectedTab(EditorTab::None);
    save(QStringLiteral("window-nothing.png"));
    std::unique_ptr<QMessageBox> prompt(QuitPrompt::createMessageBox(m_window.get()));
    prompt->setWindowModality(Qt::NonModal);
    prompt->show();
    QVERIFY(QTest::qWaitForWindowExposed(prompt.get()));
    QVERIFY(prompt->grab().save(QDir(folder).filePath(QStringLiteral("quit-prompt.png"))));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
