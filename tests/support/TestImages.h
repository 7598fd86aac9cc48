#pragma once

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>

// Picture files made in memory for the tests.
namespace TestImages {

// `image` written in `format` (a Qt image format name); empty when it
// cannot be.
inline QByteArray encoded(const QImage &image, const char *format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

// A picture of `size` in one `color`, written in `format`.
inline QByteArray filled(QSize size, const QColor &color, const char *format = "PNG",
                         QImage::Format pixels = QImage::Format_RGB32)
{
    QImage image(size, pixels);
    image.fill(color);
    return encoded(image, format);
}

} // namespace TestImages
