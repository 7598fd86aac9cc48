#pragma once

#include <QString>

#include <vector>

// Follows the tables of a page through its tags and lays their cells out
// as Qt's import does: a row's cells side by side after the columns that
// row spans from above hold, a table as wide as its widest row. Qt builds
// every row as wide as the table, so a table costs its rows times its
// columns. Run twice over the same tags: a survey that counts each table's
// rows and cells, then a layout that places each cell and keeps the cost
// past the cells the page has within a budget: spans are narrowed, and a
// table whose own rows already cost more (one wide row over many narrow
// ones) is opened as paragraphs, one for each cell.
class HtmlTableLayout
{
public:
    struct Shape
    {
        int rows = 0;
        int widestRow = 0; // most cells in one row, spans not counted
        qint64 cells = 0;
    };
    struct Spans
    {
        int columns = 1;
        int rows = 1;
        bool narrowed = false; // fewer columns, or rows short of the table's last, than asked for
    };
    enum class Pass { Survey, Layout };
    enum class Role {
        Other,
        Cell, // a cell of a table laid out, to be placed
        OfParagraphTable, // table, row or cell tag of a table opened as paragraphs
    };

    // The survey fills `shapes`; the layout reads them. `cellBudget`: the
    // rows times columns all the page's tables may take together past the
    // cells they have.
    HtmlTableLayout(std::vector<Shape> *shapes, Pass pass, qint64 cellBudget = 0);

    // Follow the page's tags (names in lower case).
    Role startTag(const QString &name);
    Role endTag(const QString &name);

    // The spans the current cell keeps of those it asks for: at most
    // `maximumSpan`, no rows past the table's last, no columns past what the
    // budget leaves (a cell pushed past that spans one column and one row).
    Spans place(qint64 columns, qint64 rows, int maximumSpan);

private:
    struct Open
    {
        size_t index = 0;
        bool asParagraphs = false;
        int row = 0; // from 1; 0 before the first
        int cells = 0; // of the current row
        int column = 0; // where the current row's next cell goes
        int paidWidth = 0; // the columns the budget has paid for in every row
        std::vector<int> occupiedUntil; // by column: the first row a row span above leaves free
    };

    void openTable();
    Role structureRole(const QString &name) const;

    std::vector<Shape> *m_shapes;
    bool m_survey;
    qint64 m_cellsLeft;
    std::vector<Open> m_open;
    size_t m_nextTable = 0;
};
