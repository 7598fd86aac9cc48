#pragma once

#include "spreadsheet/engine/model/CellReference.h"

#include <QString>
#include <optional>
#include <vector>

// A macro expression, parsed once from its text. Only the variable lookup
// depends on the run, so everything else is decided here:
//   "…"          a literal: the text between the first and last quote
//   a & b        concatenation (binds loosest), then a + b (sum), then a * b
//   Cells(r, c)  a cell read; Range("B3") a cell read by reference
//   anything     else its own trimmed text
// At run time a non-literal whose trimmed text names a variable is that
// variable, before any of the forms above applies.
struct VbaExpression {
    enum class Kind { Literal, Concatenation, Sum, Product, CellsRead, RangeRead, Text };

    Kind kind = Kind::Text;
    // Literal: the text inside the quotes. Otherwise the trimmed expression,
    // which is also the variable name looked up first.
    QString text;
    // Concatenation, Sum, Product: the pieces in order. CellsRead: the row
    // and column expressions, or none when the text has no Cells(…, …) form.
    std::vector<VbaExpression> pieces;
    // RangeRead: the reference inside Range("…"), not yet checked against
    // any grid; none when it is malformed.
    std::optional<CellAddress> address;
    // The variable slot of `text` (see VbaSymbols); -1 for a literal or
    // before binding.
    int slot = -1;

    // Cells(…) nested deeper than this inside row or column arguments reads
    // as the empty text, so hostile input cannot exhaust the stack.
    static constexpr int maxCellsNesting = 32;

    static VbaExpression parse(const QString &text);
    // The location part of a Cells(row, column) text, found anywhere in it
    // (the last comma before the last ")" separates row from column).
    static VbaExpression cellsLocation(const QString &text);
    // The location part of a Range("ref") text, found anywhere in it; the
    // reference is trimmed and upper-cased before it is parsed.
    static VbaExpression rangeLocation(const QString &text);

private:
    static VbaExpression parse(const QString &text, int depth);
    static VbaExpression cellsLocation(const QString &text, int depth);
};

// A condition: the first of ">=", "<=", "<>", ">", "<", "=" that splits the
// text into exactly two pieces decides; with none, the condition is false.
struct VbaCondition {
    enum class Operator { None, AtLeast, AtMost, NotEqual, Greater, Less, Equal };

    Operator op = Operator::None;
    VbaExpression left;
    VbaExpression right;

    static VbaCondition parse(const QString &text);
};
