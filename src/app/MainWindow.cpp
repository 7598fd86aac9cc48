#include "MainWindow.h"

#include "AppFonts.h"
#include "platform/widgets/LightPalette.h"
#include "Sidebar.h"
#include "presentation/editor/MorvanePowerPointView.h"
#include "presentation/editor/PresentationToolbar.h"
#include "spreadsheet/editor/ExcelToolbar.h"
#include "spreadsheet/editor/MorvaneExcelView.h"
#include "word/MorvaneWordView.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>

namespace {

constexpr QSize smallestWindowSize(900, 600);
constexpr QSize fallbackScreenSize(1200, 800); // when there is no screen to measure
constexpr int startSidebarWidth = 260;
constexpr int splitterHandleWidth = 1;

int slotOf(EditorTab tab)
{
    return int(tab) - 1;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
    , m_sidebar(new Sidebar(this))
    , m_detail(new QStackedWidget(this))
    , m_placeholder(createPlaceholder())
{
    setMinimumSize(smallestWindowSize);
    m_detail->addWidget(m_placeholder);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(splitterHandleWidth); // drawn as nothing, grabbed over a few pixels
    splitter->addWidget(m_sidebar);
    splitter->addWidget(m_detail);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    createQuitShortcut();
    connect(m_sidebar, &Sidebar::selectedTabChanged, this, &MainWindow::showTab);
    setSelectedTab(EditorTab::Word);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = startSize(screen ? screen->availableGeometry().size() : fallbackScreenSize,
                                 widestToolbarWidth());
    resize(size);
    splitter->setSizes({startSidebarWidth, size.width() - startSidebarWidth - splitterHandleWidth});
}

QSize MainWindow::startSize(const QSize &available, int toolbarWidth)
{
    return QSize(qMin(available.width(), toolbarWidth), available.height()).expandedTo(smallestWindowSize);
}

void MainWindow::fitWithinScreen(const QRect &available, const QMargins &frame)
{
    const QRect now = geometry(); // the inner area, without the frame
    if (available.contains(now.marginsAdded(frame)))
        return;
    const QRect inner = available.marginsRemoved(frame);
    const QSize size = now.size().boundedTo(inner.size()).expandedTo(minimumSize());
    const auto clampedTo = [](int start, int length, int areaStart, int areaLength) {
        return qMax(areaStart, qMin(start, areaStart + areaLength - length));
    };
    const QPoint topLeft(clampedTo(now.x(), size.width(), inner.left(), inner.width()),
                         clampedTo(now.y(), size.height(), inner.top(), inner.height()));
    setGeometry(QRect(topLeft, size));
}

int MainWindow::widestToolbarWidth() const
{
    // The word screen is made at start; the other screens' toolbars, which
    // have no side padding around them, are measured on their own.
    int widest = qMax(ExcelToolbar().sizeHint().width(), PresentationToolbar().sizeHint().width());
    if (const QWidget *word = editorScreen(EditorTab::Word))
        widest = qMax(widest, word->sizeHint().width());
    return startSidebarWidth + splitterHandleWidth + widest;
}

QLabel *MainWindow::createPlaceholder()
{
    auto *label = new QLabel(QStringLiteral("Select an app"), this);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(appFont(22, QFont::Normal)); // the title text style
    label->setForegroundRole(QPalette::PlaceholderText); // the secondary text colour
    return label;
}

void MainWindow::createQuitShortcut()
{
    auto *quit = new QAction(this);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::WindowShortcut);
    addAction(quit);
    // close() runs closeEvent, which asks the quit prompt.
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

EditorTab MainWindow::selectedTab() const
{
    return m_sidebar->selectedTab();
}

void MainWindow::setSelectedTab(EditorTab tab)
{
    m_sidebar->setSelectedTab(tab);
}

QWidget *MainWindow::editorScreen(EditorTab tab) const
{
    return tab == EditorTab::None ? nullptr : m_screens[slotOf(tab)];
}

QWidget *MainWindow::currentDetail() const
{
    return m_detail->currentWidget();
}

void MainWindow::showTab(EditorTab tab)
{
    applyAppearance(tab);
    m_detail->setCurrentWidget(tab == EditorTab::None ? m_placeholder : ensureScreen(tab));
}

QWidget *MainWindow::ensureScreen(EditorTab tab)
{
    QWidget *&screen = m_screens[slotOf(tab)];
    if (screen)
        return screen;
    switch (tab) {
    case EditorTab::Word:
        screen = new MorvaneWordView(m_detail);
        break;
    case EditorTab::Spreadsheet:
        screen = new MorvaneExcelView(m_detail);
        break;
    case EditorTab::Presentation:
        screen = new MorvanePowerPointView(m_detail);
        break;
    case EditorTab::None:
        return m_placeholder;
    }
    m_detail->addWidget(screen);
    return screen;
}

void MainWindow::applyAppearance(EditorTab tab)
{
    // An empty palette resolves no role, so the window inherits the
    // application's palette again.
    setPalette(tab == EditorTab::Spreadsheet ? lightPalette() : QPalette());
}

void MainWindow::showWithinScreen()
{
    m_fitsFrameWhenMapped = true;
    show();
}

bool MainWindow::event(QEvent *event)
{
    // On X11 the frame is known only once the window manager has mapped the
    // window; the first move or resize after that brings it.
    const bool geometryEvent = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (geometryEvent && m_fitsFrameWhenMapped && isVisible()) {
        const QRect frame = frameGeometry();
        const QRect inner = geometry();
        const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                               frame.right() - inner.right(), frame.bottom() - inner.bottom());
        if (!margins.isNull()) {
            m_fitsFrameWhenMapped = false;
            if (const QScreen *shown = screen())
                fitWithinScreen(shown->availableGeometry(), margins);
        }
    }
    return QWidget::event(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_quitPrompt.mayQuit(this))
        event->accept();
    else
        event->ignore();
}
