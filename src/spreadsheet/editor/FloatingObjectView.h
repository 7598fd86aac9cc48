#pragma once

#include "spreadsheet/engine/model/ExcelObject.h"

#include <QColor>
#include <QPointer>
#include <optional>
#include <QWidget>

class FloatingObjectToolbar;
class QPlainTextEdit;

// The view of one floating object (rectangle, circle or text box) over the
// grid. It never touches the document: a tap asks for selection, and every
// edit goes out as a whole edited copy through updateRequested.
//
// - A press and release that moves less than 10 points is a tap:
//   selectRequested.
// - A longer drag on the object moves the view live; at the release the
//   moved copy (clamped at 0) goes out once.
// - While selected: a resize handle at the bottom-trailing corner (every
//   drag step sends the size at the drag's start plus the translation, at
//   least 20 × 20), a toolbar with a colour picker and a delete button
//   (placed above the object, or below it when there is no room above),
//   and, for a text box, an in-place editor sending each text change.
//
// The view lays itself out at (x, y) in its parent's coordinates; the
// toolbar is a sibling widget owned by the view.
class FloatingObjectView : public QWidget
{
    Q_OBJECT
public:
    explicit FloatingObjectView(const ExcelObject &object, QWidget *parent);
    ~FloatingObjectView() override;

    const ExcelObject &object() const { return m_object; }
    // Takes a new copy of the object (after the document changed); an
    // editor whose text already matches is left alone, so typing goes on.
    void setObject(const ExcelObject &object);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    // The part of the parent the user can see; the toolbar goes below the
    // object when this leaves no room above it. The parent's rect at first.
    void setVisibleArea(const QRect &area);

    // The object's rectangle in the parent's coordinates, live drag included.
    QRect objectRect() const;
    // The handle's rectangle in this view's coordinates.
    QRect handleRect() const;

    // Present only while selected.
    FloatingObjectToolbar *toolbar() const;
    // Present only while a text box is selected.
    QPlainTextEdit *textEditor() const;

    // Re-lays the view and its toolbar.
    void updatePlacement();

signals:
    void selectRequested();
    void updateRequested(const ExcelObject &edited);
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    enum class DragKind { None, Move, Resize };

    bool contentContains(QPointF point) const;
    QRectF frameRect() const;
    void paintShape(QPainter &painter) const;
    void paintLabel(QPainter &painter) const;
    void paintHandle(QPainter &painter) const;
    void showToolbar();
    void hideToolbar();
    void syncTextEditor();
    void sendText();
    void sendColor(const QColor &color);

    ExcelObject m_object;
    QColor m_fill; // colorHex read once per new copy, not per paint
    bool m_selected = false;
    std::optional<QRect> m_visibleArea;
    QPointF m_dragOffset;
    DragKind m_dragKind = DragKind::None;
    bool m_dragging = false;
    QPointF m_pressGlobal;
    ExcelObject m_dragStartObject;
    QPointer<FloatingObjectToolbar> m_toolbar;
    QPlainTextEdit *m_textEditor = nullptr;
};
