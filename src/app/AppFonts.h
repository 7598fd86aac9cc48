#pragma once

#include <QApplication>
#include <QFont>

// The application's font family at `pixelSize` logical pixels and `weight`.
inline QFont appFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}
