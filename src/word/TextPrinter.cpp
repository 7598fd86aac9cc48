#include "TextPrinter.h"

#include "word/layout/PageTextItem.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace TextPrinter {

PrintDialogRunner systemPrintDialog()
{
    return [](QPrinter *printer, QWidget *parent) {
        QPrintDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
}

QList<Slice> slices(const PageTextItem *item, qreal extent)
{
    QList<Slice> result;
    if (extent <= 0)
        return result;
    const QTextDocument *document = item->document();
    qreal start = 0;
    qreal end = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        const qreal top = document->documentLayout()->blockBoundingRect(block).top();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal lineTop = top + line.y();
            const qreal lineBottom = lineTop + line.height();
            if (lineBottom - start > extent && lineTop > start) {
                result.append({start, lineTop});
                start = lineTop;
            }
            while (lineBottom - start > extent) {
                result.append({start, start + extent});
                start += extent;
            }
            end = lineBottom;
        }
    }
    if (end > start || result.isEmpty())
        result.append({start, qMax(end, start)});
    return result;
}

int print(PageTextItem *item, QPrinter *printer, qreal margin, qreal columnArea)
{
    const QRectF paper = printer->pageRect(QPrinter::DevicePixel);
    const bool vertical = item->isVertical();
    const qreal scale = vertical ? paper.height() / columnArea : paper.width() / 800.0;
    if (scale <= 0)
        return 0;
    const qreal across = (vertical ? paper.width() : paper.height()) / scale;
    const QList<Slice> pages = slices(item, across - 2 * margin);
    QPainter painter(printer);
    if (!painter.isActive())
        return 0;
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            printer->newPage();
        const Slice slice = pages.at(i);
        painter.save();
        painter.scale(scale, scale);
        if (vertical) {
            painter.translate(across - margin + slice.start, margin);
            painter.rotate(90);
        } else {
            painter.translate(margin, margin - slice.start);
        }
        const QRectF clip(-margin, slice.start, item->textWidth() + 2 * margin, slice.end - slice.start);
        painter.setClipRect(clip);
        item->paintDocument(&painter, clip);
        painter.restore();
    }
    return int(pages.size());
}

} // namespace TextPrinter
