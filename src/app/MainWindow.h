#pragma once

#include "EditorTab.h"
#include "QuitPrompt.h"

#include <QWidget>

#include <array>

class QLabel;
class QStackedWidget;
class Sidebar;

// The one window: the sidebar on the left, the chosen editor on the right,
// or the placeholder "Select an app" while nothing is chosen. The word
// processor is chosen at construction. Each editor screen is made the first
// time it is chosen and kept until the window goes, so its document
// survives switching. While the spreadsheet shows, the whole window uses a
// light palette; otherwise it inherits the application's.
// Closing the window and Ctrl+Q both ask the quit prompt first.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    EditorTab selectedTab() const;
    void setSelectedTab(EditorTab tab);

    // The screen of `tab`, or null while it has not been chosen yet.
    QWidget *editorScreen(EditorTab tab) const;
    // What the detail column shows now: a screen or the placeholder.
    QWidget *currentDetail() const;
    Sidebar *sidebar() const { return m_sidebar; }

    void setQuitPrompt(QuitPrompt prompt) { m_quitPrompt = std::move(prompt); }

    // The size the window starts at on a screen whose free area is
    // `available`, when showing every editor's toolbar whole takes a window
    // `toolbarWidth` wide: the free area, no wider than that, and never
    // below the minimum of 900 × 600.
    static QSize startSize(const QSize &available, int toolbarWidth);
    // Shrinks and moves the window so that, with the window manager's
    // `frame` around it, it lies inside `available` (never below the
    // minimum size); a window that already fits stays as it is.
    void fitWithinScreen(const QRect &available, const QMargins &frame);
    // Shows the window and, once the window manager has put its frame
    // around it, fits the framed window to the screen's free area.
    void showWithinScreen();
    // The window width that shows the widest editor toolbar whole beside
    // the sidebar.
    int widestToolbarWidth() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void createQuitShortcut();
    QLabel *createPlaceholder();
    void showTab(EditorTab tab);
    QWidget *ensureScreen(EditorTab tab);
    void applyAppearance(EditorTab tab);

    Sidebar *m_sidebar;
    QStackedWidget *m_detail;
    QLabel *m_placeholder;
    std::array<QWidget *, 3> m_screens{}; // Word, Spreadsheet, Presentation
    QuitPrompt m_quitPrompt;
    bool m_fitsFrameWhenMapped = false; // until the first frame the window manager gives is fitted
};
