#include "CellGridView.h"

#include "CellEditor.h"
#include "CellGridPainter.h"
#include "ExcelGridMetrics.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QLineF>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

using namespace ExcelGridMetrics;

namespace {
constexpr qreal dragThreshold = 5;
}

CellGridView::CellGridView(ExcelDocument *document, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_document(document)
    , m_painter(std::make_unique<CellGridPainter>(*document, font()))
    , m_editor(new CellEditor(viewport()))
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::ClickFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(cellWidth / 4);
    verticalScrollBar()->setSingleStep(cellHeight);
    m_editor->hide();
    connect(m_editor, &CellEditor::commitRequested, this, &CellGridView::finishEditing);
    connect(m_editor, &CellEditor::cancelRequested, this, &CellGridView::cancelEditing);
    connect(m_editor, &CellEditor::stepRequested, this, &CellGridView::stepEditing);
    connectDocument();
    updateScrollRanges();
}

CellGridView::~CellGridView() = default;

void CellGridView::connectDocument()
{
    auto repaint = [this] { viewport()->update(); };
    connect(m_document, &ExcelDocument::cellsChanged, this, &CellGridView::onGridShapeChanged);
    connect(m_document, &ExcelDocument::activeSheetIndexChanged, this,
            &CellGridView::onGridShapeChanged);
    connect(m_document, &ExcelDocument::evaluatedCellsChanged, this, repaint);
    connect(m_document, &ExcelDocument::changed, this, repaint);
    connect(m_document, &ExcelDocument::cellStylesChanged, this, [this] {
        styleEditor();
        viewport()->update();
    });
    connect(m_document, &ExcelDocument::mergedRangesChanged, this, [this] {
        placeEditor();
        viewport()->update();
    });
}

void CellGridView::onGridShapeChanged()
{
    updateScrollRanges();
    if (m_editingCell
        && (m_editingCell->row >= m_document->rowCount()
            || m_editingCell->col >= m_document->columnCount()))
        cancelEditing();
    placeEditor();
    viewport()->update();
}

void CellGridView::setSelection(const GridSelection &selection)
{
    if (selection == m_selection)
        return;
    QRegion changed = m_painter->selectionArea(m_selection);
    m_selection = selection;
    changed += m_painter->selectionArea(m_selection);
    styleEditor();
    viewport()->update(changed.translated(-contentOffset()));
}

QPoint CellGridView::contentOffset() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CellGridView::scrollToContent(QPoint contentPoint)
{
    horizontalScrollBar()->setValue(contentPoint.x());
    verticalScrollBar()->setValue(contentPoint.y());
}

void CellGridView::setObjectLayer(QWidget *layer)
{
    if (m_objectLayer == layer)
        return;
    delete m_objectLayer;
    m_objectLayer = layer;
    if (!layer)
        return;
    layer->setParent(viewport());
    placeObjectLayer();
    layer->show();
    layer->raise();
}

void CellGridView::placeObjectLayer()
{
    if (!m_objectLayer)
        return;
    const QSize content = contentSize(m_document->rowCount(), m_document->columnCount());
    m_objectLayer->setGeometry(QRect(contentToViewport(QPoint(0, 0)), content));
}

void CellGridView::updateScrollRanges()
{
    const QSize content = contentSize(m_document->rowCount(), m_document->columnCount());
    const QSize view = viewport()->size();
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    placeObjectLayer();
}

// ---- painting ----

void CellGridView::paintEvent(QPaintEvent *event)
{
    // A repaint after a diagonal scroll or of two distant selections is a
    // few small rectangles whose bounding box can be the whole viewport:
    // each is painted on its own, clipped to itself, so nothing is drawn
    // twice (translucent fills would darken) and nothing outside them.
    QPainter painter(viewport());
    const QPoint offset = contentOffset();
    painter.translate(-offset);
    const QRegion &region = event->region();
    const bool byRectangle = region.rectCount() > 1 && region.rectCount() <= 8;
    const QRegion single(event->rect());
    for (const QRect &rect : byRectangle ? region : single) {
        const QRect content = rect.translated(offset);
        painter.save();
        painter.setClipRect(content, Qt::IntersectClip);
        painter.fillRect(content, Qt::white);
        m_painter->paint(painter, content, m_selection);
        painter.restore();
    }
}

void CellGridView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_painter = std::make_unique<CellGridPainter>(*m_document, font());
        styleEditor();
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(event);
}

void CellGridView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void CellGridView::scrollContentsBy(int dx, int dy)
{
    // Moves what is already drawn, children included, and repaints only the
    // strip that scrolled into view.
    viewport()->scroll(dx, dy);
    placeEditor();
    placeObjectLayer();
}

// ---- mouse ----

void CellGridView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    finishEditing();
    setFocus(Qt::MouseFocusReason);
    m_pressState = PressState::Pressed;
    m_pressPosition = event->position().toPoint();
    m_pressedCell = cellAt(viewportToContent(m_pressPosition), m_document->rowCount(),
                           m_document->columnCount());
    if (!m_pressedCell)
        return;
    if (const auto merge = m_document->mergedRange(m_pressedCell->row, m_pressedCell->col))
        m_pressedCell = CellAddress{merge->startRow, merge->startCol};
    emit cellPressed(m_pressedCell->row, m_pressedCell->col, event->modifiers());
}

void CellGridView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressState == PressState::None || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint position = event->position().toPoint();
    if (m_pressState == PressState::Pressed
        && QLineF(m_pressPosition, position).length() < dragThreshold)
        return;
    m_pressState = PressState::Dragging;
    emit dragMoved(QPointF(viewportToContent(position)), event->modifiers());
}

void CellGridView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_pressState == PressState::None) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const PressState state = m_pressState;
    m_pressState = PressState::None;
    if (state == PressState::Dragging) {
        emit dragFinished();
        return;
    }
    // Edits what a plain click selects (a Shift-click before anything was
    // selected is one); a Shift-click that spanned a range edits nothing.
    if (m_pressedCell && m_selection.cell == m_pressedCell && !m_selection.range)
        beginEditing(m_pressedCell->row, m_pressedCell->col);
}

// ---- editing ----

void CellGridView::beginEditing(int row, int col)
{
    if (row < 0 || col < 0 || row >= m_document->rowCount() || col >= m_document->columnCount())
        return;
    finishEditing();
    m_editingCell = CellAddress{row, col};
    m_editor->setFullText(m_document->cell(row, col));
    m_editor->setModified(false);
    styleEditor();
    placeEditor();
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus(Qt::MouseFocusReason);
    m_editor->selectAll();
}

void CellGridView::finishEditing()
{
    if (!m_editingCell)
        return;
    const CellAddress cell = *m_editingCell;
    const QString text = m_editor->fullText();
    closeEditor();
    if (text != m_document->cell(cell.row, cell.col))
        emit cellCommitted(cell.row, cell.col, text);
}

void CellGridView::stepEditing(int columnStep)
{
    if (!m_editingCell)
        return;
    const CellAddress cell = *m_editingCell;
    int col = cell.col + columnStep;
    if (const auto merge = m_document->mergedRange(cell.row, cell.col); merge && columnStep > 0)
        col = merge->endCol + 1;
    // A cell a merge covers is edited through the merge's top-left cell.
    if (const auto merge = m_document->mergedRange(cell.row, col); merge && columnStep < 0)
        col = merge->startCol;
    finishEditing();
    if (col < 0 || col >= m_document->columnCount())
        return;
    beginEditing(cell.row, col);
    emit editingMoved(cell.row, col);
}

void CellGridView::cancelEditing()
{
    if (m_editingCell)
        closeEditor();
}

void CellGridView::closeEditor()
{
    m_editingCell.reset();
    if (m_editor->hasFocus())
        setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    viewport()->update();
}

QRect CellGridView::editingRect() const
{
    if (!m_editingCell)
        return {};
    const CellAddress cell = *m_editingCell;
    if (const auto merge = m_document->mergedRange(cell.row, cell.col)) {
        if (merge->startRow == cell.row && merge->startCol == cell.col)
            return rangeRect({cell.row, cell.col,
                              std::min(merge->endRow, m_document->rowCount() - 1),
                              std::min(merge->endCol, m_document->columnCount() - 1)});
    }
    return cellRect(cell.row, cell.col);
}

void CellGridView::placeEditor()
{
    if (!m_editingCell)
        return;
    const QRect rect = editingRect();
    // Inside the 2-pixel selection frame; the line edit's own 2-pixel margin
    // then puts its text where the painted text stands.
    m_editor->setGeometry(QRect(contentToViewport(rect.topLeft()), rect.size())
                              .adjusted(2, 2, -2, -2));
}

void CellGridView::styleEditor()
{
    if (!m_editingCell)
        return;
    const CellAddress cell = *m_editingCell;
    const CellStyle style = m_document->cellStyle(CellReference::text(cell.row, cell.col));
    m_editor->setFont(m_painter->cellFont(style));
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Base,
                     CellGridPainter::cellBackground(cell.row, cell.col, style, m_selection));
    palette.setColor(QPalette::Text, CellGridPainter::cellTextColor(style));
    m_editor->setPalette(palette);
}
