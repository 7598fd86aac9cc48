#pragma once

#include "spreadsheet/engine/formula/CompiledFormula.h"
#include "spreadsheet/engine/formula/FormulaFunctions.h"
#include "spreadsheet/engine/model/CellDateFormat.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QString>
#include <array>
#include <optional>

// Evaluates the raw text of one cell of a working grid into its display text.
// Formulas are "=NAME(arguments)" with SUM, AVERAGE, TEXTJOIN and UNIQUE;
// anything else falls back to the cell's cached file value, else "#VALUE!"
// (not a call) or "#NAME?" (unknown name). A TEXTJOIN or UNIQUE result longer
// than a cell holds (maxTextLength) is "#VALUE!", so formulas joining each
// other's results cannot grow without bound. Numbers from 40000 to 50000 may
// show as dates (CellDateFormat).
//
// References read `values`: what each cell evaluated to before its date
// display (a plain cell's value is its raw text). All three grids are held by
// reference; the caller keeps them alive and may update `values` between
// calls. Out-of-grid indices read as "", never out of bounds. This is the
// evaluation of one cell afresh from the text grids; a sheet's recalculation
// runs the same functions over compiled formulas (SheetCalculator).
class FormulaEvaluator
{
public:
    static constexpr qsizetype maxTextLength = FormulaFunctions::maxTextLength;

    struct Result {
        QString display; // what the cell shows
        QString value;   // the same before the date display; what references read
        // The unrounded number of a numeric result with a fraction, which
        // `value` shows rounded (617.250005 as "617.25"); nullopt otherwise.
        std::optional<double> exact;
    };

    FormulaEvaluator(const CellGrid &cells, const CellGrid &values, const CellGrid &cached);

    Result evaluateCell(const QString &raw, int row, int col) const;

    // Cells read by this evaluator's evaluations so far (each cell of a range
    // and each reference counts once per read): the measure of their work.
    qint64 cellReads() const { return m_cellReads; }

    // True for a formula this evaluator computes itself: a call of SUM,
    // AVERAGE, TEXTJOIN or UNIQUE whose arguments use no reference form it
    // cannot follow. Other formulas show the file's cached value.
    static bool computes(const QString &raw);
    // "2.50" for values with a fraction (and "inf", "-inf", "nan"); integral
    // values as integers ("3", "0" for -0), also beyond the 64-bit range.
    static QString formatNumber(double value);
    // Room for any formatNumber() text: the largest double has 309 digits.
    using NumberBuffer = std::array<char, 400>;
    // formatNumber() as Latin-1 bytes at the start of `buffer`; returns the
    // end of the text.
    static char *writeNumber(double value, NumberBuffer &buffer);

private:
    class TextGridSource;

    const CellGrid &m_cells;
    const CellGrid &m_values;
    const CellGrid &m_cached;
    int m_rowCount = 0;
    int m_columnCount = 0;
    CellDateFormat m_dates;
    mutable qint64 m_cellReads = 0;
};
