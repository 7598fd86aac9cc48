#pragma once

#include "platform/AppState.h"
#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QCoreApplication>

// Test helper: a grid of `rows` × `columns` filled from "A1=a|C1=c" (cells
// separated by "|", each a reference, "=" and the text; the text may hold
// "=" itself, as in "B2==SUM(1)").
inline CellGrid gridFromEntries(const QString &entries, int rows = 10, int columns = 5)
{
    CellGrid grid = makeEmptyGrid(rows, columns);
    if (entries.isEmpty())
        return grid;
    for (const QString &entry : entries.split(u'|')) {
        const qsizetype equals = entry.indexOf(u'=');
        const auto address = CellReference::parse(entry.left(equals));
        Q_ASSERT(address && address->row < rows && address->col < columns);
        grid[address->row][address->col] = entry.mid(equals + 1);
    }
    return grid;
}

// The spreadsheet's share of the unsaved-changes state.
inline bool unsaved()
{
    return AppState::shared().hasUnsavedChanges(AppState::Editor::Spreadsheet);
}

inline void setUnsaved(bool value)
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, value);
}

// Runs the document's deferred save-and-recalculate tasks.
inline void drainDeferredWork()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}
