#include "textsystem/PictureDecoder.h"

#include "textsystem/ReadablePicture.h"
#include "textsystem/SvgWorkload.h"

#include <QImageReader>

#include <cmath>

namespace {

// Holds Qt's image reader to `bytes` while it lives, then restores the limit
// that was set before. Qt counts whole megabytes (0 would mean no limit):
// the limit is rounded up, and the decoded image is measured after.
class AllocationLimit
{
public:
    explicit AllocationLimit(qint64 bytes) : m_saved(QImageReader::allocationLimit())
    {
        QImageReader::setAllocationLimit(int(qBound(qint64(1), (bytes + (1 << 20) - 1) >> 20, qint64(1) << 20)));
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(m_saved); }
    AllocationLimit(const AllocationLimit &) = delete;
    AllocationLimit &operator=(const AllocationLimit &) = delete;

private:
    int m_saved;
};

// Notes, while it lives, whether Qt's image reader refused an image for
// passing its allocation limit: Qt reports that failure as it reports
// damaged data, and tells them apart only in a warning of its own. Every
// other message goes on to the handler installed before.
class LimitRefusalWatch
{
public:
    LimitRefusalWatch()
    {
        s_refused = false;
        s_previous = qInstallMessageHandler(&LimitRefusalWatch::handle);
    }
    ~LimitRefusalWatch() { qInstallMessageHandler(s_previous); }
    LimitRefusalWatch(const LimitRefusalWatch &) = delete;
    LimitRefusalWatch &operator=(const LimitRefusalWatch &) = delete;

    bool refused() const { return s_refused; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (context.category && qstrcmp(context.category, "qt.gui.imageio") == 0
            && message.contains(QLatin1String("allocation limit"))) {
            s_refused = true;
            return;
        }
        if (s_previous)
            s_previous(type, context, message);
    }

    static inline bool s_refused = false;
    static inline QtMessageHandler s_previous = nullptr;
};

// Formats with more than 8 bits a channel: 8 or 16 bytes a pixel.
bool isWide(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_RGBX16FPx4:
    case QImage::Format_RGBA16FPx4:
    case QImage::Format_RGBA16FPx4_Premultiplied:
    case QImage::Format_RGBX32FPx4:
    case QImage::Format_RGBA32FPx4:
    case QImage::Format_RGBA32FPx4_Premultiplied:
        return true;
    default:
        return false;
    }
}

QImage toEightBits(const QImage &image)
{
    if (image.format() == QImage::Format_Grayscale16)
        return image.convertToFormat(QImage::Format_Grayscale8);
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// `size` scaled down, keeping its shape, to at most `side` on either side.
QSize atMost(QSize size, int side)
{
    if (size.width() <= side && size.height() <= side)
        return size;
    return size.scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

bool isShowable(QSizeF size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() >= 1 && size.height() >= 1
        && size.width() < 1e6 && size.height() < 1e6;
}

} // namespace

namespace PictureDecoder {

namespace {

Decoded tooLarge(const QByteArray &format = {})
{
    Decoded refused;
    refused.format = format;
    refused.tooLarge = true;
    return refused;
}

} // namespace

Decoded decode(const QByteArray &bytes, QSizeF shownSize, qint64 memory)
{
    if (bytes.isEmpty())
        return {};
    if (bytes.size() > PictureLimits::maximumBytes)
        return tooLarge();
    ReadablePicture readable(bytes, memory);
    if (readable.isTooLarge())
        return tooLarge(readable.format());
    if (!readable.reader())
        return {};
    QImageReader &reader = *readable.reader();
    Decoded decoded;
    decoded.format = readable.format();
    const QSize pixels = reader.size();
    if (!pixels.isValid() || pixels.isEmpty())
        return {};
    // What the pictures a drawing holds take is gone before it is drawn.
    memory -= readable.nestedCost();
    if (!PictureLimits::allows(pixels) || memory <= 0)
        return tooLarge(decoded.format);
    if (decoded.format == "svg") {
        const qint64 elements = SvgWorkload::drawnElements(readable.bytes()) + readable.nestedElements();
        if (elements > SvgWorkload::maximumDrawnElements)
            return tooLarge(decoded.format);
        const QSize wanted = isShowable(shownSize) ? shownSize.toSize() : pixels;
        const QSize drawn = SvgWorkload::rasterSize(atMost(wanted, PictureLimits::maximumVectorSide), elements);
        reader.setScaledSize(drawn);
        if (!isShowable(shownSize) && drawn != pixels)
            decoded.naturalSize = QSizeF(pixels);
    }
    // A wide picture needs room for its 8-bit copy beside it.
    const bool wide = isWide(reader.imageFormat());
    const qint64 allowed = wide ? memory / 3 * 2 : memory;
    QImage image;
    bool refused = false;
    {
        const AllocationLimit limit(allowed);
        const LimitRefusalWatch watch;
        image = reader.read();
        refused = watch.refused();
    }
    if (image.isNull())
        return refused || qint64(pixels.width()) * pixels.height() * 4 > allowed ? tooLarge(decoded.format) : Decoded();
    if (image.sizeInBytes() > memory)
        return tooLarge(decoded.format);
    decoded.cost = image.sizeInBytes() + readable.nestedCost();
    if (isWide(image.format()))
        image = toEightBits(image);
    if (image.isNull())
        return tooLarge(decoded.format);
    decoded.image = std::move(image);
    return decoded;
}

} // namespace PictureDecoder
