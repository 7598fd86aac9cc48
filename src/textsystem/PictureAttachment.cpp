#include "textsystem/PictureAttachment.h"

#include <QBuffer>
#include <QImageReader>

namespace PictureAttachment {

TextAttachmentPointer fromBytes(const QByteArray &bytes, QSizeF size)
{
    if (bytes.isEmpty() || bytes.size() > maximumBytes)
        return nullptr;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize pixels = reader.size();
    if (!pixels.isValid() || pixels.width() > maximumSide || pixels.height() > maximumSide
        || qint64(pixels.width()) * pixels.height() > maximumPixels)
        return nullptr;
    const QByteArray format = reader.format();
    QImage image = reader.read();
    if (image.isNull())
        return nullptr;
    auto attachment = std::make_shared<TextAttachment>();
    attachment->image = std::move(image);
    attachment->contents = bytes;
    attachment->fileType = mimeTypeForFormat(format);
    if (!size.isEmpty())
        attachment->bounds = QRectF(QPointF(0, 0), size);
    return attachment;
}

QString mimeTypeForFormat(const QByteArray &format)
{
    const QByteArray name = format.toLower();
    if (name == "jpg" || name == "jpeg")
        return QStringLiteral("image/jpeg");
    if (name == "png" || name == "gif" || name == "bmp" || name == "tiff" || name == "webp")
        return QStringLiteral("image/") + QString::fromLatin1(name);
    if (name == "svg")
        return QStringLiteral("image/svg+xml");
    return QStringLiteral("application/octet-stream");
}

} // namespace PictureAttachment
