#pragma once

#include <QWidget>

class TranslucentPanel;

// A dialog card shown inside a window: covers its parent with black at
// opacity 0.4 and centres a HUD TranslucentPanel (corner radius 12) holding
// the card's content. Hidden until open(); follows the parent's size.
// A click on the backdrop does nothing (the card's own buttons close it).
class DialogOverlay : public QWidget
{
    Q_OBJECT
public:
    explicit DialogOverlay(QWidget *parent);

    // The panel to lay the card's content out on.
    TranslucentPanel *card() const { return m_card; }

    void open();  // shows, raises, focuses the first focusable child
    void close(); // hides; emits closed()
    bool isOpen() const { return isVisible(); }

signals:
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    TranslucentPanel *m_card;
};
