#pragma once

#include <QGraphicsView>
#include <QTextCursor>

#include <functional>

class PageTextItem;
class QScrollBar;
class UprightPictureHandler;
class WordTextDocument;

// The text area of the page: a graphics view holding the one editable text
// item. The text is laid out once at the page's design width less the
// margins and drawn scaled by the zoom, so zooming never moves a line break;
// the margin insets the text inside the scaled content.
//
// The view never shows its scroll bars, so no bar lies over the text: the
// screen shows the bar that moves through the text (the vertical one, or the
// horizontal one in vertical writing) where it stays in sight.
//
// In vertical writing the item is turned a quarter clockwise: its lines are
// columns of the fixed column length, following one another right to left,
// and the view opens on the first (rightmost) column.
//
// The view holds on to a place in the text, not to a scroll offset: the
// caret's line when the caret shows, else the line at the leading edge (the
// top, or the right in vertical writing), at its distance in pixels from
// that edge. When the layout changes under it (paragraphs laid out in quiet
// time, a new line length, zoom, writing direction, a command over the whole
// text), the view scrolls so that line is where it was. The place is taken
// again whenever the user scrolls, types or clicks; while a key edits the
// text, the text before the edit stays put instead.
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
    // Where the caret shows, in viewport coordinates, without scrolling.
    QRect caretOnViewport() const;
    // Scrolls to the start of the text: its first line at the leading edge.
    void showStart();

signals:
    // A key or an input method moved the caret or changed the text: the
    // screen keeps the caret in sight.
    void caretMoved();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    // A press beside the text (in a margin, below the last line) acts as a
    // press at the nearest point of the text, so it places the caret and
    // the text keeps the focus.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // The keys the view gets always go to its text item. The scene may have
    // forgotten the item: it remembers its focus item at each focus-out, and
    // a second focus-out in a row (the first showing of a dropdown's list
    // takes the focus twice) leaves it remembering none.
    void focusInEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    // The place in the text the view holds on to: the line holding
    // `position`, its start (or, for a caret in the far half of the view,
    // its end) `offset` pixels past the viewport's leading edge. `line` is
    // where that line was last seen, in the item's coordinates. A caret's
    // line that grows or shrinks thus stays in view.
    struct Anchor
    {
        QTextCursor position;
        qreal offset = 0;
        bool byEnd = false;
        QRectF line;
    };

    // Fits the scene to the text and follows the anchor.
    void updateGeometry();
    // Sets the line length, scale, turn and scene size from the text's size.
    void fitScene();
    // Passes the layout's size on to the item when the layout has not yet
    // reported it and the viewport, reaching `end` on the line axis, would
    // show text past what the item knows of.
    void reportSizeIfShownPast(qreal end);
    // The caret at `cursor`'s position (the text cursor's by default), in the
    // text item's coordinates: its line's top and height.
    QRectF caretRect() const;
    QRectF caretRect(const QTextCursor &cursor) const;
    QScrollBar *progressBar() const;
    // The leading edge of the viewport (its top, or its right in vertical
    // writing) as a line position of the text item.
    qreal leadingEdge() const;
    void scrollLeadingEdgeTo(qreal edge);
    void captureAnchor();
    void followAnchor();
    // Where the anchor's line starts, or ends, on the line axis.
    qreal anchorPoint(const QRectF &line) const;
    // Whether the anchor's line is no longer where the view last saw it.
    bool anchorMoved() const;
    // Follows the anchor when the layout moved it unreported, drawing the
    // viewport anew: the screen still shows the text where it was.
    void putAnchorBack();
    // Lays out the paragraphs that show, as a paint would, so that the
    // anchor does not move when they are painted.
    void layOutShown() const;
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
    Anchor m_anchor;
    bool m_holding = false; // the view moves the text itself: no new anchor
    bool m_editing = false; // a key or input method edits the text
    bool m_reportingSize = false; // passes the layout's new size on to the item
};
