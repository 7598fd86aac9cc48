#pragma once

#include <QGraphicsView>

#include <functional>

class PageTextItem;
class UprightPictureHandler;
class WordTextDocument;

// The text area of the page: a graphics view holding the one editable text
// item. The text is laid out once at the page's design width less the
// margins and drawn scaled by the zoom, so zooming never moves a line break;
// the margin insets the text inside the scaled content.
//
// In vertical writing the item is turned a quarter clockwise: its lines are
// columns of the fixed column length, following one another right to left,
// and the view opens on the first (rightmost) column.
class TextPageView : public QGraphicsView
{
    Q_OBJECT
public:
    // The page's design width in horizontal writing, and height in vertical.
    static constexpr qreal DesignWidth = 800;

    TextPageView(WordTextDocument *document, QWidget *parent = nullptr);

    PageTextItem *textItem() const { return m_item; }

    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    qreal margin() const { return m_margin; }
    void setMargin(qreal margin);
    bool isVertical() const { return m_vertical; }
    void setVertical(bool vertical);
    // The length of a column in vertical writing before the margins are taken
    // off, in design units.
    void setColumnArea(qreal length);
    qreal columnArea() const { return m_columnArea; }

    // The text's layout width: the line length in horizontal writing, the
    // column length in vertical writing.
    qreal lineLength() const;

    // Scrolls the caret into this view's sight and returns where it shows,
    // in viewport coordinates.
    QRect showCaret();

signals:
    // A key or an input method moved the caret or changed the text: the
    // screen keeps the caret in sight.
    void caretMoved();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    // A press beside the text (in a margin, below the last line) acts as a
    // press at the nearest point of the text, so it places the caret and
    // the text keeps the focus.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // The keys the view gets always go to its text item. The scene may have
    // forgotten the item: it remembers its focus item at each focus-out, and
    // a second focus-out in a row (the first showing of a dropdown's list
    // takes the focus twice) leaves it remembering none.
    void focusInEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    void updateGeometry();
    // The caret, in the text item's coordinates.
    QRectF caretRect() const;
    // Page Up and Page Down move the caret by what shows of the text, and
    // the text with it; false for other keys.
    bool moveCaretByPage(QKeyEvent *event);
    // `position` (viewport coordinates), or the nearest point on the text
    // when it lies beside it.
    QPointF nearestTextPoint(const QPointF &position) const;
    // Passes `event` to `handler`, moved onto the text when it lies beside
    // it; true when it was moved.
    bool deliverOnText(QMouseEvent *event, const std::function<void(QMouseEvent *)> &handler);

    QGraphicsScene *m_scene;
    PageTextItem *m_item;
    UprightPictureHandler *m_pictures;
    double m_zoom = 1.0;
    qreal m_margin = 40;
    bool m_vertical = false;
    qreal m_columnArea = DesignWidth;
};
