#include "PictureDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QUrl>

namespace PictureDecoder {

QImage decode(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > MaximumBytes)
        return {};
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaximumSide || size.height() > MaximumSide
        || qint64(size.width()) * size.height() > MaximumPixels)
        return {};
    reader.setAllocationLimit(int(MaximumPixels * 4 / (1024 * 1024)) + 1);
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

QByteArray dataUriBytes(const QString &uri)
{
    if (!uri.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return {};
    // Base64 grows by a third; anything longer cannot hold an allowed picture.
    if (uri.size() > MaximumBytes / 3 * 4 + 1024)
        return {};
    const qsizetype comma = uri.indexOf(u',');
    if (comma < 0)
        return {};
    const QStringView header = QStringView(uri).mid(5, comma - 5);
    const QByteArray payload = uri.mid(comma + 1).toLatin1();
    if (header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)) {
        auto decoded = QByteArray::fromBase64Encoding(
            QByteArray::fromPercentEncoding(payload), QByteArray::AbortOnBase64DecodingErrors);
        return decoded ? *decoded : QByteArray();
    }
    return QByteArray::fromPercentEncoding(payload);
}

} // namespace PictureDecoder
