#pragma once

#include "spreadsheet/engine/formula/CompiledFormula.h"
#include "spreadsheet/engine/formula/FormulaFunctions.h"
#include "spreadsheet/engine/model/CellDateFormat.h"
#include "spreadsheet/engine/model/CellGridValue.h"
#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelRange.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QList>
#include <QString>
#include <QStringList>
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
        // For a numeric result that `value` rounds: the shortest round-trip
        // text of the unrounded number ("617.250005"); empty otherwise.
        QString exact;
    };

    FormulaEvaluator(const CellGrid &cells, const CellGrid &values, const CellGrid &cached);

    Result evaluateCell(const QString &raw, int row, int col) const;
    QString evaluate(const QString &raw, int row, int col) const { return evaluateCell(raw, row, col).display; }

    // Numbers of the arguments in order: cells of a range ("A1:B2", row-major)
    // and of a reference when their value is a number, else the argument text
    // itself when it is a number. A quoted number is no number.
    QList<double> collectNumbers(const QStringList &arguments) const;
    // Texts of the arguments in order: every cell value of a range (empty ones
    // too), a reference's value, else the argument with its double quotes
    // removed. An argument with ":" that is no valid range gives nothing.
    QStringList collectStrings(const QStringList &arguments) const;

    // Cells read by this evaluator's evaluations so far (each cell of a range
    // and each reference counts once per read): the measure of their work.
    qint64 cellReads() const { return m_cellReads; }

    // A reference inside the grid (rows of `cells`, columns of its first row).
    std::optional<CellAddress> parseCellReference(const QString &text) const;
    // The normalised rectangle of "A1:B2" (corners in any order), both corners
    // inside the grid; nullopt otherwise.
    std::optional<ExcelRange> parseRange(const QString &text) const;

    // Splits an argument list at commas outside double quotes and parentheses;
    // pieces are trimmed, empty ones kept, a blank-free empty last piece is
    // dropped: "A1," → ["A1"], "A1, " → ["A1", ""], "" → [].
    static QStringList splitFormulaArguments(const QString &text);
    // True for a formula this evaluator computes itself: a call of SUM,
    // AVERAGE, TEXTJOIN or UNIQUE whose arguments use no reference form it
    // cannot follow. Other formulas show the file's cached value.
    static bool computes(const QString &raw);
    // True for raw text that starts with "=".
    static bool isFormula(const QString &raw) { return isFormulaText(raw); }
    // "2.50" for values with a fraction (and "inf", "-inf", "nan"); integral
    // values as integers ("3", "0" for -0), also beyond the 64-bit range.
    static QString formatNumber(double value);
    // The text references read at (row, col): a plain cell's raw text, a
    // formula's entry in `values`; "" outside either grid.
    static const QString &valueAt(const CellGrid &cells, const CellGrid &values, int row, int col);

private:
    class TextGridSource;
    // The compiled form of the arguments, as a call of `function` reads them.
    CompiledFormula compileArguments(CompiledFormula::Function function, const QStringList &arguments) const;

    const CellGrid &m_cells;
    const CellGrid &m_values;
    const CellGrid &m_cached;
    int m_rowCount = 0;
    int m_columnCount = 0;
    CellDateFormat m_dates;
    mutable qint64 m_cellReads = 0;
};
