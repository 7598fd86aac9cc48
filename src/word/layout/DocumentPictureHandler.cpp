#include "DocumentPictureHandler.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>

namespace {

// The picture Qt shows in place of one it cannot find.
const QString MissingPicture = QStringLiteral(":/qt-project.org/styles/commonstyle/images/file-16.png");

} // namespace

DocumentPictureHandler::DocumentPictureHandler(QObject *parent)
    : QObject(parent)
{
    // Qt's handler, taken from the stock layout of a document of our own.
    auto *donor = new QTextDocument(this);
    const QObjectList children = donor->documentLayout()->children();
    for (QObject *child : children) {
        if (auto *handler = qobject_cast<QTextObjectInterface *>(child)) {
            m_qtHandler = handler;
            break;
        }
    }
}

QTextFormat DocumentPictureHandler::held(QTextDocument *document, const QTextFormat &format) const
{
    const QString name = format.toImageFormat().name();
    // Qt's handler looks a name up as this address.
    const QUrl address(name.startsWith(QLatin1String(":/")) ? QStringLiteral("qrc") + name : name);
    if (!name.isEmpty() && !document->resource(QTextDocument::ImageResource, address).isNull())
        return format;
    QTextImageFormat missing = format.toImageFormat();
    missing.setName(MissingPicture);
    return missing;
}

QSizeF DocumentPictureHandler::intrinsicSize(QTextDocument *document, int position, const QTextFormat &format)
{
    return m_qtHandler ? m_qtHandler->intrinsicSize(document, position, held(document, format)) : QSizeF();
}

void DocumentPictureHandler::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document,
                                        int position, const QTextFormat &format)
{
    if (m_qtHandler)
        m_qtHandler->drawObject(painter, rect, document, position, held(document, format));
}
