#pragma once

#include <QString>

#include <vector>

// Follows the tables of a page through its tags and lays their cells out
// as Qt's import does: a row's cells side by side after the columns that
// row spans from above hold, a table as wide as its widest row. Run twice
// over the same tags: a survey that counts each table's rows and cells, then
// a layout that places each cell and narrows its spans so that every table
// stays within the bounds.
class HtmlTableLayout
{
public:
    struct Shape
    {
        int rows = 0;
        int widestRow = 0; // most cells in one row, spans not counted
    };
    struct Spans
    {
        int columns = 1;
        int rows = 1;
        bool narrowed = false; // fewer columns, or rows short of the table's last, than asked for
    };
    enum class Pass { Survey, Layout };

    // The survey fills `shapes`; the layout reads them. `cellBudget`: the
    // rows times columns all the page's tables may take together; a table
    // still keeps as many columns as its widest row has cells.
    HtmlTableLayout(std::vector<Shape> *shapes, Pass pass, qint64 cellBudget = 0);

    // Follows a start tag (name in lower case); true when it starts a cell
    // of an open table, which the layout pass then places.
    bool startTag(const QString &name);
    void endTag(const QString &name);

    // The spans the current cell keeps of those it asks for: at most
    // `maximumSpan`, no rows past the table's last, no columns past the
    // table's share of the budget (a cell pushed past it spans one column and
    // one row).
    Spans place(qint64 columns, qint64 rows, int maximumSpan);

private:
    struct Open
    {
        size_t index = 0;
        int row = 0; // from 1; 0 before the first
        int cells = 0; // of the current row
        int column = 0; // where the current row's next cell goes
        int width = 0;
        int widthLimit = 0;
        qint64 reserved = 0;
        std::vector<int> occupiedUntil; // by column: the first row a row span above leaves free
    };

    void openTable();
    void closeTable();

    std::vector<Shape> *m_shapes;
    bool m_survey;
    qint64 m_cellsLeft;
    std::vector<Open> m_open;
    size_t m_nextTable = 0;
};
