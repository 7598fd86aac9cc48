#pragma once

#include "presentation/document/SlideObject.h"

#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QWidget>

class ObjectResizeHandle;
class QPainter;
class QTextEdit;

// One object on the slide canvas. It draws the object by its type, selects
// it on a tap, moves it by a drag and, while selected, resizes it by its
// handle and edits a text kind's text in place. It never writes the
// document: every change leaves as an edited copy through updateRequested,
// which the canvas writes back. setObject() hands it the document's current
// copy after every change; its in-place editor reloads only when the text
// differs from what it shows, so the caret and an IME composition survive
// the writes their own keystrokes cause.
class PowerPointObjectView : public QWidget
{
    Q_OBJECT
public:
    // Inner margin of the text kinds; the in-place editor lies inside it and
    // the margin itself still moves the object.
    static constexpr int textPadding = 8;
    // A move keeps the top-left corner at most this far right and down, so
    // the object stays on the slide where it can be selected again.
    static constexpr double maximumX = 790;
    static constexpr double maximumY = 440;
    static constexpr double minimumSize = 30;

    PowerPointObjectView(const SlideObject &object, QWidget *canvas);
    ~PowerPointObjectView() override;

    const SlideObject &object() const { return m_object; }
    void setObject(const SlideObject &object);
    bool isSelected() const { return m_selected; }
    // Shows the outline, the handle and, for a text kind, the in-place editor.
    void setSelected(bool selected);
    // Raises the view and its handle above the objects drawn before.
    void raiseWithHandle();
    // Whether the view draws its object (true) or leaves that to the canvas
    // beneath and only takes the mouse and holds the in-place editor.
    bool drawsObject() const { return m_drawsObject; }
    void setDrawsObject(bool draws);

    // Draws `object` filling `frame` as a view draws it, the outline when
    // `selected`; a selected text kind leaves its text to the in-place editor.
    static void paintObject(QPainter &painter, const SlideObject &object, const QRectF &frame,
                            bool selected, const QFont &baseFont);

    // The translation of the move drag in progress; (0, 0) between drags.
    QPointF dragOffset() const { return m_dragOffset; }
    QTextEdit *textEditor() const { return m_editor; }
    ObjectResizeHandle *resizeHandle() const;

signals:
    void selectRequested(const QUuid &objectId);
    void updateRequested(const SlideObject &edited);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool isTextKind() const;
    void placeOnCanvas();
    void ensureEditor();
    void loadEditor();
    void styleEditor();
    void editorTextChanged();
    void startResize();
    void resizeBy(QPointF translation);
    QPointF canvasPosition(const QMouseEvent *event) const;

    SlideObject m_object;
    bool m_selected = false;
    bool m_drawsObject = true;
    QPointF m_dragOffset;
    QPointF m_pressPosition;
    bool m_pressed = false;
    bool m_dragging = false;
    QSizeF m_sizeAtResizeStart;
    QPointer<ObjectResizeHandle> m_handle;
    QTextEdit *m_editor = nullptr;
};
