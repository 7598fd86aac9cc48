#include "MergePopover.h"

#include "platform/widgets/Controls.h"
#include "platform/widgets/Popup.h"
#include "platform/widgets/TextStyles.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QHBoxLayout *stepperRow(const QString &caption, QSpinBox *stepper, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->addWidget(TextStyles::label(caption, TextStyle::Body, parent));
    row->addWidget(stepper, 1);
    return row;
}

} // namespace

MergePopover::MergePopover(ExcelDocument *document, QWidget *parent)
    : QFrame(nullptr)
    , m_document(document)
    , m_rows(createStepper(maxMergeRows))
    , m_cols(createStepper(maxMergeCols))
    , m_mergeButton(new QPushButton(QStringLiteral("結合する"), this))
    , m_unmergeButton(new QPushButton(QStringLiteral("解除"), this))
{
    QVBoxLayout *layout = Popup::setUp(this, parent, 12);
    setFixedWidth(220);
    Controls::makeProminent(m_mergeButton);
    layout->addWidget(TextStyles::label(QStringLiteral("セルの結合・解除"), TextStyle::Headline, this), 0,
                      Qt::AlignHCenter);
    layout->addWidget(Controls::divider(this));
    layout->addLayout(stepperRow(QStringLiteral("行数:"), m_rows, this));
    layout->addLayout(stepperRow(QStringLiteral("列数:"), m_cols, this));
    layout->addWidget(Controls::divider(this));
    layout->addLayout(Controls::centredRow({m_mergeButton, m_unmergeButton}, 12));

    connect(m_mergeButton, &QPushButton::clicked, this, &MergePopover::merge);
    connect(m_unmergeButton, &QPushButton::clicked, this, &MergePopover::unmerge);
    connect(m_document, &ExcelDocument::mergedRangesChanged, this, &MergePopover::updateState);
    connect(m_document, &ExcelDocument::cellsChanged, this, &MergePopover::updateState);
    updateState();
}

QSpinBox *MergePopover::createStepper(int maximum)
{
    auto *stepper = new QSpinBox(this);
    stepper->setRange(1, maximum);
    stepper->setValue(2);
    QFont bold = stepper->font();
    bold.setBold(true);
    stepper->setFont(bold);
    connect(stepper, &QSpinBox::valueChanged, this, [this] { emit mergeSizeChanged(mergeRows(), mergeCols()); });
    return stepper;
}

void MergePopover::setSelection(std::optional<CellAddress> cell, std::optional<ExcelRange> range)
{
    m_cell = cell;
    m_range = range ? std::optional(range->normalized()) : std::nullopt;
    updateState();
}

void MergePopover::setMergeSize(int rows, int cols)
{
    const QSignalBlocker rowsBlocker(m_rows);
    const QSignalBlocker colsBlocker(m_cols);
    m_rows->setValue(rows);
    m_cols->setValue(cols);
}

int MergePopover::mergeRows() const
{
    return m_rows->value();
}

int MergePopover::mergeCols() const
{
    return m_cols->value();
}

void MergePopover::popup(QWidget *anchor)
{
    updateState();
    adjustSize();
    Popup::show(this, anchor, Popup::Placement::Below);
}

bool MergePopover::isInsideGrid(const CellAddress &cell) const
{
    return cell.row >= 0 && cell.col >= 0 && cell.row < m_document->rowCount()
           && cell.col < m_document->columnCount();
}

// The rectangle "結合する" would merge, clipped to the grid; none when the
// selection starts outside it.
std::optional<ExcelRange> MergePopover::mergeTarget() const
{
    if (!m_cell)
        return std::nullopt;
    ExcelRange target = m_range ? *m_range
                                : ExcelRange{m_cell->row, m_cell->col, m_cell->row + mergeRows() - 1,
                                             m_cell->col + mergeCols() - 1};
    if (!isInsideGrid({target.startRow, target.startCol}))
        return std::nullopt;
    target.endRow = std::min(target.endRow, m_document->rowCount() - 1);
    target.endCol = std::min(target.endCol, m_document->columnCount() - 1);
    return target;
}

void MergePopover::merge()
{
    const std::optional<ExcelRange> target = mergeTarget();
    if (!target)
        return;
    m_document->mergeCells(target->startRow, target->startCol, target->endRow, target->endCol);
    hide();
}

void MergePopover::unmerge()
{
    if (m_range)
        m_document->unmergeRange(*m_range);
    else if (m_cell)
        m_document->unmergeCells(m_cell->row, m_cell->col);
    else
        return;
    hide();
}

void MergePopover::updateState()
{
    const bool cellInGrid = m_cell && isInsideGrid(*m_cell);
    m_mergeButton->setEnabled(cellInGrid && mergeTarget().has_value());
    m_unmergeButton->setEnabled(cellInGrid && m_document->mergedRange(m_cell->row, m_cell->col).has_value());

    // Without a range the steppers size a block from the cell: stop at the grid's edge.
    const bool blockFromCell = cellInGrid && !m_range;
    const QSignalBlocker rowsBlocker(m_rows);
    const QSignalBlocker colsBlocker(m_cols);
    m_rows->setMaximum(blockFromCell ? std::clamp(m_document->rowCount() - m_cell->row, 1, maxMergeRows)
                                     : maxMergeRows);
    m_cols->setMaximum(blockFromCell ? std::clamp(m_document->columnCount() - m_cell->col, 1, maxMergeCols)
                                     : maxMergeCols);
}

void MergePopover::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    emit closed();
}
