#pragma once

#include <QPixmap>
#include <QWidget>

class PageCanvas;

// The content of the page area: a column at least 900 wide with the page
// centred in it, 40 of space on every side, and the page's soft shadow. Its
// least size is the page's plus that space, so a scroll area holding it
// scrolls whichever way the page does not fit.
class PageColumn : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MinimumWidth = 900;
    static constexpr int Space = 40;

    PageColumn(PageCanvas *page, QWidget *parent = nullptr);

    PageCanvas *page() const { return m_page; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const QPixmap &shadow();
    // Where the shadow of a page with `geometry` is drawn.
    static QRect shadowRect(const QRect &geometry);

    PageCanvas *m_page;
    QPixmap m_shadow;
};
