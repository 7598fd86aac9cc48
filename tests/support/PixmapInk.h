#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>

// Test helper: the colour of the most opaque pixel of a tinted symbol, which
// is its tint whatever the symbol's shape.
inline QColor inkOf(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    QColor ink(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > ink.alpha())
                ink = image.pixelColor(x, y);
    return ink;
}
