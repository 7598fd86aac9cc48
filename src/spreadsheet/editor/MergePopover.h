#pragma once

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelRange.h"

#include <QFrame>
#include <optional>

class ExcelDocument;
class QPushButton;
class QSpinBox;

// The merge popover ("セルの結合・解除"): a Qt::Popup frame anchored to the
// toolbar's merge button.
//
// "結合する" merges the selected range, or, with a single cell selected, the
// block of the steppers' rows × columns starting at that cell. Whatever
// reaches past the grid is clipped to it; a selection whose start lies
// outside the grid merges nothing. "解除" removes the merges touching the
// selected range in one pass (ExcelDocument::unmergeRange), or those
// containing the selected cell. Both close the popover after their work.
//
// Enabling: both need a selected cell inside the grid; "解除" also needs a
// merge containing that cell. The row stepper runs 1–100 and the column
// stepper 1–26, each also stopping at the grid's edge from a selected cell
// when no range is selected.
class MergePopover : public QFrame
{
    Q_OBJECT
public:
    MergePopover(ExcelDocument *document, QWidget *parent);

    // The grid's selection: the anchor cell and the selected range, if any.
    void setSelection(std::optional<CellAddress> cell, std::optional<ExcelRange> range);
    // Loads the steppers (values are clamped to their ranges); emits nothing.
    void setMergeSize(int rows, int cols);
    int mergeRows() const;
    int mergeCols() const;

    // Shows the popover under `anchor`, centred on it and kept on screen.
    void popup(QWidget *anchor);

    void merge();
    void unmerge();

    QSpinBox *rowsStepper() const { return m_rows; }
    QSpinBox *colsStepper() const { return m_cols; }
    QPushButton *mergeButton() const { return m_mergeButton; }
    QPushButton *unmergeButton() const { return m_unmergeButton; }

    static constexpr int maxMergeRows = 100;
    static constexpr int maxMergeCols = 26;

signals:
    // A stepper was changed by the user.
    void mergeSizeChanged(int rows, int cols);
    void closed();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QSpinBox *createStepper(int maximum);
    bool isInsideGrid(const CellAddress &cell) const;
    std::optional<ExcelRange> mergeTarget() const;
    void updateState();

    ExcelDocument *m_document;
    std::optional<CellAddress> m_cell;
    std::optional<ExcelRange> m_range;
    QSpinBox *m_rows;
    QSpinBox *m_cols;
    QPushButton *m_mergeButton;
    QPushButton *m_unmergeButton;
};
