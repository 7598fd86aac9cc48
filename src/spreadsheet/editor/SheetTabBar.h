#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class HorizontalScrollArea;
class QHBoxLayout;
class QToolButton;
class SheetTab;

// The row of sheet tabs under the grid, followed by the add button. It
// keeps no sheet state: setSheets() shows the names and the active index,
// and every action is a request carrying the tab's index.
class SheetTabBar : public QWidget
{
    Q_OBJECT
public:
    explicit SheetTabBar(QWidget *parent = nullptr);

    // Updates the tabs in place (never deleting a tab during its own click),
    // with close buttons only when there are two or more sheets, and scrolls
    // the row so the active tab is in view (a new sheet's tab included).
    void setSheets(const QStringList &names, int activeIndex);

    int count() const { return int(m_tabs.size()); }
    SheetTab *tab(int index) const;
    QToolButton *addButton() const { return m_addButton; }

signals:
    void tabClicked(int index);
    void closeClicked(int index);
    void renameRequested(int index);
    void addClicked();

private:
    SheetTab *makeTab(int index);
    void revealActiveTab();

    HorizontalScrollArea *m_scrollArea;
    QWidget *m_tabStrip;
    QHBoxLayout *m_tabLayout;
    QList<SheetTab *> m_tabs;
    QToolButton *m_addButton;
    int m_activeIndex = -1;
};
