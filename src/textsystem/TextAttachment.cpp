#include "textsystem/TextAttachment.h"

#include "textsystem/ImageDensity.h"
#include "textsystem/PictureDecoder.h"
#include "textsystem/ReadablePicture.h"

namespace {

constexpr double pointsPerInch = 72.0;

QSize pixelSizeOf(const QByteArray &bytes)
{
    ReadablePicture readable(bytes);
    return readable.reader() ? readable.reader()->size() : QSize();
}

} // namespace

QImage TextAttachment::picture() const
{
    if (!image.isNull())
        return image;
    return contents.isEmpty() ? QImage() : PictureDecoder::decode(contents).image;
}

QSizeF TextAttachment::naturalSize() const
{
    QSize pixels = image.isNull() ? QSize() : image.size();
    if (pixels.isEmpty() && !contents.isEmpty())
        pixels = pixelSizeOf(contents);
    if (pixels.isEmpty())
        return QSizeF(0, 0);
    const auto dotsPerInch = contents.isEmpty() ? std::nullopt : imageDotsPerInch(contents);
    if (!dotsPerInch)
        return QSizeF(pixels);
    return QSizeF(pixels.width() * pointsPerInch / dotsPerInch->x(), pixels.height() * pointsPerInch / dotsPerInch->y());
}
