#pragma once

#include "GridSelection.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <memory>
#include <optional>

class CellEditor;
class CellGridPainter;
class ExcelDocument;

// The spreadsheet grid: one painted widget in a scroll area. It paints only
// the visible part of the working sheet (headers scroll with the cells) and
// edits one cell at a time in a single line edit placed over the cell.
//
// It owns no selection logic: a press on a cell emits cellPressed with the
// cell (the top-left cell of a merged range), a drag of 5 pixels or more
// emits dragMoved for every move in content coordinates and dragFinished on
// release, and the owner pushes the resulting selection back through
// setSelection(). A click that was no drag and left the clicked cell
// selected without a range (a plain click, or a Shift-click before anything
// was selected) opens the editor on it. An edit is committed (cellCommitted) on
// Return or when focus leaves the editor, and only when its text differs
// from the cell's raw text.
class CellGridView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit CellGridView(ExcelDocument *document, QWidget *parent = nullptr);
    ~CellGridView() override;

    const GridSelection &selection() const { return m_selection; }
    void setSelection(const GridSelection &selection);

    // Opens the editor over (row, col), or over the merged range whose
    // top-left cell it is, holding the raw text, all selected. Outside the
    // grid nothing opens.
    void beginEditing(int row, int col);
    // Closes the editor, emitting cellCommitted first when the text changed.
    void finishEditing();
    // Closes the editor without writing.
    void cancelEditing();
    // Commits the edit and opens the editor `columnStep` cells along the row
    // (a merged range counts as its top-left cell); at the row's ends the edit is
    // committed and the editor closes. Emits editingMoved for the new cell.
    void stepEditing(int columnStep);
    bool isEditing() const { return m_editingCell.has_value(); }
    std::optional<CellAddress> editingCell() const { return m_editingCell; }
    CellEditor *editor() const { return m_editor; }

    // Scroll position: the content point at the viewport's top-left corner.
    QPoint contentOffset() const;
    QPoint viewportToContent(QPoint viewportPoint) const { return viewportPoint + contentOffset(); }
    QPoint contentToViewport(QPoint contentPoint) const { return contentPoint - contentOffset(); }
    // Scrolls so that the content point comes to the viewport's top-left, as
    // far as the scroll ranges allow.
    void scrollToContent(QPoint contentPoint);

    // Puts `layer` over the cells inside the viewport, sized to the whole
    // content and moved with it as the grid scrolls, so its children can be
    // placed in content coordinates. The layer decides itself which mouse
    // events it takes (a mask or WA_TransparentForMouseEvents where it shows
    // nothing); what it leaves reaches the grid. The grid takes ownership and
    // deletes a layer it held before.
    void setObjectLayer(QWidget *layer);
    QWidget *objectLayer() const { return m_objectLayer; }

signals:
    void cellPressed(int row, int col, Qt::KeyboardModifiers modifiers);
    void dragMoved(QPointF contentPosition, Qt::KeyboardModifiers modifiers);
    void dragFinished();
    void cellCommitted(int row, int col, const QString &text);
    void editingMoved(int row, int col);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;

private:
    void connectDocument();
    void onGridShapeChanged();
    void updateScrollRanges();
    void placeEditor();
    void placeObjectLayer();
    void styleEditor();
    QRect editingRect() const;
    void closeEditor();

    ExcelDocument *m_document;
    std::unique_ptr<CellGridPainter> m_painter;
    GridSelection m_selection;
    CellEditor *m_editor;
    std::optional<CellAddress> m_editingCell;
    QPointer<QWidget> m_objectLayer;

    enum class PressState { None, Pressed, Dragging };
    PressState m_pressState = PressState::None;
    QPoint m_pressPosition;
    std::optional<CellAddress> m_pressedCell; // the top-left cell of a pressed merge
};
