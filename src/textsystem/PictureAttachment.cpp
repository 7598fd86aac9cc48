#include "textsystem/PictureAttachment.h"

namespace PictureAttachment {

TextAttachmentPointer attachmentFor(const PictureDecoder::Decoded &decoded, const QByteArray &bytes)
{
    if (decoded.image.isNull())
        return nullptr;
    auto attachment = std::make_shared<TextAttachment>();
    attachment->image = decoded.image;
    attachment->contents = bytes;
    attachment->fileType = mimeTypeForFormat(decoded.format);
    if (!decoded.naturalSize.isEmpty())
        attachment->bounds = QRectF(QPointF(0, 0), decoded.naturalSize);
    return attachment;
}

TextAttachmentPointer fromBytes(const QByteArray &bytes, QSizeF size, qint64 memory)
{
    const TextAttachmentPointer natural = attachmentFor(PictureDecoder::decode(bytes, size, memory), bytes);
    if (!natural || size.isEmpty())
        return natural;
    auto shown = std::make_shared<TextAttachment>(*natural);
    shown->bounds = QRectF(QPointF(0, 0), size);
    return shown;
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
