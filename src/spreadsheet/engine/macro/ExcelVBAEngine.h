#pragma once

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/macro/VbaProgram.h"
#include "spreadsheet/engine/macro/VbaValue.h"

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class ExcelDocument;
class VbaWorkingCopy;

// Runs one macro, in a small line-based subset of VBA, against the working
// copy of an ExcelDocument: the lines inside Sub … End Sub blocks, with
// variables, For … Next, If … Else … End If, Cells(r, c) and Range("A1")
// reads and writes, .Font.Bold and .Interior.Color, and MsgBox. Keywords are
// case-insensitive, variable names are not. A line that matches no form is
// skipped; nothing is ever reported to the user.
//
// Belongs to the main thread. The document is held weakly: without it, cell
// reads give "" and cell writes do nothing, while variables and messages
// still work.
class ExcelVBAEngine
{
public:
    using MessageHandler = std::function<void(const QString &)>;
    using Variables = QHash<QString, VbaValue>;

    // A run stops after this many executed statements (every statement,
    // loop pass and If counts), keeping what it wrote so far, and prints one
    // line on standard output.
    static constexpr qint64 statementLimit = 10'000'000;
    // A run stops in the same way once its "&" concatenations have produced
    // this many characters in all: a text doubling in a loop would otherwise
    // exhaust memory, and one growing by a character a pass take hours.
    static constexpr qint64 textLimit = 100'000'000;
    // A run stops in the same way once the formulas it writes have read this
    // many cells in all while being evaluated: a loop writing sums over large
    // ranges would otherwise hold the window for minutes under the statement
    // limit.
    static constexpr qint64 cellReadLimit = 100'000'000;
    // Only the last this many messages of one run are delivered.
    static constexpr int messageLimit = 10'000;

    ExcelVBAEngine() = default;
    ExcelVBAEngine(const ExcelVBAEngine &) = delete;
    ExcelVBAEngine &operator=(const ExcelVBAEngine &) = delete;

    // The document the macro reads and writes; held weakly.
    QPointer<ExcelDocument> document;
    // Receives each MsgBox text, in statement order, on a later turn of the
    // main loop after the run has finished (also when the engine is gone by
    // then). A receiver that can die before that turn must guard itself.
    MessageHandler onShowMessage;
    // The macro's variables, keyed by name as written: emptied when a run
    // starts, filled when it ends.
    Variables variables;

    // Empties the variables and runs every Sub block of `code` once, in
    // source order (a Sub without End Sub runs to the end of the text). Cell
    // and style writes reach the document in one bulk write when the run
    // ends: one change of cells (one queued recalculation) and one of styles.
    void run(const QString &code);

    // Why the last run stopped before its end (the line it printed), or ""
    // when it ran to the end.
    QString stopReason() const { return m_stopReason; }

private:
    struct Loop {
        qint64 current;
        qint64 end;
    };

    void executeBlock(const QStringList &lines);
    // Each runs one instruction at `index` and gives the next index.
    int step(const VbaMessage &message, int index);
    int step(const VbaAssignment &assignment, int index);
    int step(const VbaCellAssignment &assignment, int index);
    int step(const VbaForBegin &loop, int index);
    int step(const VbaForEnd &loop, int index);
    int step(const VbaIf &condition, int index);
    int step(const VbaJump &jump, int index);
    VbaValue evaluate(const VbaExpression &expression);
    bool evaluateCondition(const VbaCondition &condition);
    // The integer of an expression's text form; 1 when it is not an integer.
    qint64 integerOf(const VbaExpression &expression);
    std::optional<CellAddress> resolve(const VbaExpression &location);
    // False once the run has stopped (or stops now, at the statement limit).
    bool countStatement();
    // False (the run stops) once the run's formulas have read more than
    // cellReadLimit cells.
    bool checkCellReads();
    // Counts a concatenation's result against textLimit; false (the run
    // stops) when it would pass the limit.
    bool countText(qint64 characters);
    void stop(const QString &reason);
    void exportVariables();
    void deliverMessages();

    // State of the current run.
    VbaWorkingCopy *m_workingCopy = nullptr;
    VbaSymbols m_symbols;
    std::vector<std::optional<VbaValue>> m_values; // by slot of m_symbols
    std::vector<Loop> m_loops;
    QStringList m_messages;
    qint64 m_statementCount = 0;
    qint64 m_textCount = 0;
    bool m_stopped = false;
    QString m_stopReason;
};
