#pragma once

#include "spreadsheet/engine/macro/VbaExpression.h"

#include <QHash>
#include <QStringList>
#include <variant>
#include <vector>

// Variable names of one run, each with a slot number from 0, so that a
// running macro reaches its variables by index instead of hashing names.
class VbaSymbols
{
public:
    // The slot of `name`, made on first use. Names are case-sensitive.
    int slot(const QString &name);
    int size() const { return int(m_names.size()); }
    const QString &name(int slot) const { return m_names.at(slot); }

private:
    QHash<QString, int> m_slots;
    QStringList m_names;
};

// MsgBox expr
struct VbaMessage {
    VbaExpression expression;
};

// name = expr
struct VbaAssignment {
    QString name; // as written, trimmed; names are case-sensitive
    VbaExpression expression;
    int slot = -1;
};

// Cells(r, c)… = expr or Range("ref")… = expr
struct VbaCellAssignment {
    enum class Property { Value, Bold, FillColor };
    VbaExpression location; // Kind::CellsRead or Kind::RangeRead
    Property property = Property::Value;
    VbaExpression expression;
};

// For counter = start To end: runs the following instructions up to the
// matching VbaForEnd once per integer from start to end, none when start is
// after end or the header has no "=" or no "To".
struct VbaForBegin {
    QString counter;
    int slot = -1;
    VbaExpression start; // lower-cased bound texts
    VbaExpression end;
    bool hasBounds = false;
    int exitIndex = 0; // the instruction after the matching VbaForEnd
};

struct VbaForEnd {
    int slot = -1;     // the counter's
    int bodyIndex = 0; // the first instruction of the body
};

// If condition [Then]: falls through into the Then part or jumps to the Else
// part; the Then part ends with a VbaJump past the Else part.
struct VbaIf {
    VbaCondition condition;
    int elseIndex = 0;
};

struct VbaJump {
    int index = 0;
};

using VbaInstruction =
    std::variant<VbaMessage, VbaAssignment, VbaCellAssignment, VbaForBegin, VbaForEnd, VbaIf, VbaJump>;

// One Sub block compiled into a flat instruction list: loops and Ifs become
// jumps, so neither compiling nor running recurses however deep the nesting.
//
// Block structure follows the line forms: a For line's body runs to its
// matching Next (counting only For and Next lines; a line that merely begins
// with "next" counts), an If's to its matching End If (counting only If and
// End If lines), split at the first Else at its own depth. A block whose
// closing line is missing runs to the end of the enclosing block. The closing
// line itself is then an ordinary statement ("nextRow = 1" still assigns).
// Lines that match no statement form produce no instruction.
class VbaProgram
{
public:
    // `lines` are trimmed and non-empty. Every variable name the block may
    // read or set gets its slot in `symbols`.
    static VbaProgram compile(const QStringList &lines, VbaSymbols &symbols);

    const std::vector<VbaInstruction> &instructions() const { return m_instructions; }

private:
    class Compiler;
    std::vector<VbaInstruction> m_instructions;
};
