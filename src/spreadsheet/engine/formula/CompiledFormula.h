#pragma once

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelRange.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>
#include <vector>

// The pieces of a formula's argument list, as views of its text.
using FormulaArgumentTexts = QVarLengthArray<QStringView, 8>;

// Splits an argument list at commas outside double quotes and parentheses
// (parentheses count inside quotes too); pieces are trimmed, empty ones kept,
// and an empty last piece is dropped unless it held blanks: "A1," → ["A1"],
// "A1, " → ["A1", ""], "" → []. Quotes stay in the pieces.
FormulaArgumentTexts splitFormulaArguments(QStringView text);

// One argument of a compiled formula as the evaluation reads it: the cells of
// a range (a reference is a one-cell range), a literal number (SUM, AVERAGE)
// or a literal text without its double quotes (TEXTJOIN, UNIQUE; `text`
// indexes the formula's texts).
struct FormulaArgument {
    enum class Kind : quint8 { Cells, Number, Text };

    ExcelRange cells;
    double number = 0;
    qint32 text = -1;
    Kind kind = Kind::Cells;

    friend bool operator==(const FormulaArgument &, const FormulaArgument &) = default;
};

// A formula's text parsed once: which function it calls and what each
// argument reads, with references checked against the grid's size. Arguments
// that add nothing are left out: a ":" that is no valid range, and in SUM and
// AVERAGE a literal that is no number.
class CompiledFormula
{
public:
    enum class Function : quint8 {
        Sum,
        Average,
        TextJoin,
        Unique,
        TooFewArguments, // TEXTJOIN with fewer than 3 arguments: "#ARG!"
        // Not "NAME(arguments)", a call reading a reference form the
        // evaluator cannot follow ($A$1, Sheet2!A1, A:C), or a formula longer
        // than maxLength: the cached value, else "#VALUE!".
        NotACall,
        UnknownName, // the cached value, else "#NAME?"
    };

    // The longest formula text computed, the most a cell holds: longer ones
    // (no spreadsheet program writes them) would cost their whole length on
    // every change and their arguments' storage for as long as they stand.
    static constexpr qsizetype maxLength = 32767;

    // `raw` is formula text ("=..."); references are valid inside a grid of
    // `rows` × `columns` cells.
    static CompiledFormula compile(QStringView raw, int rows, int columns);
    // The same into this object, reusing its storage.
    void recompile(QStringView raw, int rows, int columns);

    // True for the functions this program computes itself.
    bool computes() const { return function <= Function::TooFewArguments; }

    Function function = Function::NotACall;
    bool skipEmpty = false; // TEXTJOIN's second argument
    QString delimiter;      // TEXTJOIN's first argument, quotes removed
    std::vector<FormulaArgument> arguments;
    QStringList texts;
};
