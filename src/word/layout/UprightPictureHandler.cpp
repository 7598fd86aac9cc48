#include "UprightPictureHandler.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>

UprightPictureHandler::UprightPictureHandler(QTextDocument *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_stock(document->documentLayout()->handlerForObject(QTextFormat::ImageObject))
{
    document->documentLayout()->registerHandler(QTextFormat::ImageObject, this);
}

void UprightPictureHandler::setVertical(bool vertical)
{
    if (m_vertical == vertical)
        return;
    m_vertical = vertical;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().objectType() == QTextFormat::ImageObject) {
                m_document->markContentsDirty(block.position(), block.length());
                break;
            }
        }
    }
}

QSizeF UprightPictureHandler::intrinsicSize(QTextDocument *document, int position, const QTextFormat &format)
{
    if (!m_stock)
        return {};
    const QSizeF size = m_stock->intrinsicSize(document, position, format);
    return m_vertical ? size.transposed() : size;
}

void UprightPictureHandler::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document,
                                       int position, const QTextFormat &format)
{
    if (!m_stock)
        return;
    if (!m_vertical) {
        m_stock->drawObject(painter, rect, document, position, format);
        return;
    }
    // `rect` is the turned size in the turned layout; turning back a quarter
    // about its centre stands the picture upright on the screen.
    painter->save();
    painter->translate(rect.center());
    painter->rotate(-90);
    m_stock->drawObject(painter, QRectF(-rect.height() / 2, -rect.width() / 2, rect.height(), rect.width()),
                        document, position, format);
    painter->restore();
}
