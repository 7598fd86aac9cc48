#pragma once

#include <QWidget>

class PageTextItem;
class QLineEdit;
class QToolButton;

// The find bar atop the text area: a field with the placeholder "検索",
// previous and next buttons and a close button. Return finds the next match
// (Shift+Return the previous), the search wraps around, Escape closes the bar
// and gives the focus back to the text.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    FindBar(PageTextItem *item, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }

    // Shows the bar with the field focused and its text selected.
    void open();
    void close();
    // Selects the next or previous match in the text; false when none.
    bool findNext();
    bool findPrevious();

signals:
    void closed();
    // A match was selected; the screen brings it into sight.
    void matchSelected();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool find(bool backward);
    QToolButton *createButton(const QString &symbol, const QString &toolTip);

    PageTextItem *m_item;
    QLineEdit *m_field;
    QToolButton *m_previous;
    QToolButton *m_next;
    QToolButton *m_close;
};
