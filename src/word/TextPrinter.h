#pragma once

#include <QList>
#include <functional>

class PageTextItem;
class QPrinter;
class QWidget;

// Printing the text as it is laid out on screen: no new line breaks, scaled
// so the page's design width (the column area in vertical writing) fills the
// paper, cut between lines (columns), without header or footer.
namespace TextPrinter {

// Shows the print dialog for `printer`; true when the user confirmed.
// Tests inject their own so no dialog blocks.
using PrintDialogRunner = std::function<bool(QPrinter *printer, QWidget *parent)>;
PrintDialogRunner systemPrintDialog();

// A stretch of the layout's lines, in layout units along the line stacking.
struct Slice
{
    qreal start;
    qreal end;
};

// The stretches that fit `extent` each, cut between lines; a line longer
// than `extent` gets a stretch of its own, cut where it must.
QList<Slice> slices(const PageTextItem *item, qreal extent);

// Prints the item's text on `printer`; returns the number of pages.
int print(PageTextItem *item, QPrinter *printer, qreal margin, qreal columnArea);

} // namespace TextPrinter
