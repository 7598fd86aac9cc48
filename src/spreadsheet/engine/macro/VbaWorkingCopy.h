#pragma once

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QPointer>
#include <optional>

class ExcelDocument;

// What one macro run reads and writes of a document: private copies of the
// raw grid, the display grid and the styles, written back by commit() with
// one bulk write each, so a loop of thousands of cell writes queues a single
// recalculation. Reads see the run's own earlier writes.
//
// Without a document (none given, or gone) reads give "" and writes do
// nothing.
class VbaWorkingCopy
{
public:
    explicit VbaWorkingCopy(ExcelDocument *document);

    bool hasDocument() const { return !m_document.isNull(); }
    int rowCount() const { return int(m_cells.size()); }
    // Length of the first row, or 50 without rows.
    int columnCount() const;

    // The zero-based address of the 1-based (row, column), or nullopt when it
    // lies outside the grid or there is no document.
    std::optional<CellAddress> cellAt(qint64 row, qint64 column) const;
    // `address` when it lies inside the grid and there is a document.
    std::optional<CellAddress> checked(std::optional<CellAddress> address) const;

    // Display text at an address inside the grid.
    QString displayText(CellAddress address) const;
    // Stores raw text as if typed and evaluates it against the copies, so a
    // formula sees the run's earlier writes.
    void setText(CellAddress address, const QString &text);
    // Cells the evaluations of setText() have read so far.
    qint64 cellReads() const { return m_cellReads; }
    // Style edits keep the cell's other style fields; the style is stored
    // under the canonical reference ("A1").
    void setBold(CellAddress address, bool bold);
    void setFillColor(CellAddress address, const std::optional<QString> &colorHex);

    // Writes back what the run changed: the raw grid (the document marks
    // unsaved and queues one recalculation), then the styles (marking
    // unsaved and announcing the change). Nothing when nothing changed or
    // the document is gone.
    void commit();

private:
    CellStyle &styleAt(CellAddress address);

    QPointer<ExcelDocument> m_document;
    CellGrid m_cells;
    CellGrid m_evaluatedCells;
    CellGrid m_cachedEvaluatedCells;
    // What formulas read of each cell: its raw text, or a formula's value
    // before its date display.
    CellGrid m_values;
    CellStyleMap m_cellStyles;
    qint64 m_cellReads = 0;
    bool m_cellsWritten = false;
    bool m_stylesWritten = false;
};
