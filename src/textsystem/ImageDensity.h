#pragma once

#include <QByteArray>
#include <QPointF>

#include <optional>

// The resolution in dots per inch (x, y) that an image file states in its own
// header: PNG `pHYs` in pixels per metre, JFIF APP0 density in dots per inch or
// per centimetre. Nothing when the file states none (no chunk, aspect-ratio
// units only, zero density), is another format, or is truncated or malformed.
// Reads at most the header up to the first image data.
std::optional<QPointF> imageDotsPerInch(const QByteArray &fileBytes);
