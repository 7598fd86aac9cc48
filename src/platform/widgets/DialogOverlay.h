#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class TranslucentPanel;

// A dialog card shown inside a window: covers its parent with black at
// opacity 0.4 and centres a HUD TranslucentPanel (corner radius 12) holding
// the card's content. Hidden until open(); follows the parent's size. A card
// whose height changes while it shows keeps its top edge, so the rows under
// the pointer stay where they are.
// A click on the backdrop does nothing (the card's own buttons close it)
// unless setBackdropClick(BackdropClick::Close) was called. Mouse, wheel and
// key events that reach the overlay stop there, so nothing behind the
// backdrop reacts while the card is open; Escape closes nothing by itself.
class DialogOverlay : public QWidget
{
    Q_OBJECT
public:
    enum class BackdropClick { Ignore, Close };

    explicit DialogOverlay(QWidget *parent);

    // The panel to lay the card's content out on.
    TranslucentPanel *card() const { return m_card; }

    void open();  // shows, raises, focuses the first focusable child
    void close(); // hides, gives focus back to where it was; emits closed()
    bool isOpen() const { return isVisible(); }

    void setBackdropClick(BackdropClick click) { m_backdropClick = click; }
    // Opacity of the black backdrop, 0 to 1; 0.4 by default.
    void setBackdropOpacity(qreal opacity);
    // Blur radius in pixels of the card's black shadow at opacity 0.33;
    // 15 by default, 0 for none.
    void setShadowRadius(int radius);

signals:
    void closed();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class Placement { Centre, KeepTop };
    void placeCard(Placement placement);
    void focusFirstChild();
    bool isOnBackdrop(const QPoint &pos) const;
    const QPixmap &shadow();

    TranslucentPanel *m_card;
    BackdropClick m_backdropClick = BackdropClick::Ignore;
    qreal m_backdropOpacity = 0.4;
    int m_shadowRadius = 15;
    bool m_pressOnBackdrop = false;
    QPixmap m_shadow;
    QSize m_shadowCardSize;
    QPointer<QWidget> m_focusBeforeOpen;
};
