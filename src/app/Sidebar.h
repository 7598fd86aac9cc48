#pragma once

#include "EditorTab.h"

#include <QWidget>

class QListWidget;

// The window's left column: the header with the app icon and name, the
// links to the three editors, and the About footer. At least 250 wide.
class Sidebar : public QWidget
{
    Q_OBJECT
public:
    explicit Sidebar(QWidget *parent = nullptr);

    EditorTab selectedTab() const;
    // Selects the link of `tab` (None clears the selection); emits
    // selectedTabChanged only when the selection changes.
    void setSelectedTab(EditorTab tab);

    QListWidget *links() const { return m_links; }

signals:
    // Whenever the chosen link changes, by the user or by setSelectedTab().
    void selectedTabChanged(EditorTab tab);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *createHeader();
    QListWidget *createLinks();
    QWidget *createFooter();

    QListWidget *m_links;
};
