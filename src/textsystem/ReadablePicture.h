#pragma once

#include "textsystem/PictureLimits.h"
#include "textsystem/SvgCleaner.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

// A picture file's bytes as Qt's image readers may see them, and a reader
// over them. Every reader of a document's pictures, size queries included,
// reads through one of these:
// - an SVG drawing is cleaned first (SvgCleaner), so that it opens no other
//   file; each picture it holds is made readable like this one and charged
//   by the size it claims (pictures of formats whose header may understate
//   it are left out), and each drawing it holds counts in its elements;
// - a PNG loses its text chunks (PngTextChunks);
// - a JPEG whose scans would keep the decoder busy too long is refused
//   (JpegScans);
// - compressed SVG is no picture here: it cannot be cleaned before Qt reads it.
// The document keeps the original bytes.
class ReadablePicture
{
public:
    // A drawing may hold drawings this deep (1: an SVG in an SVG, no deeper);
    // one holding deeper ones is refused.
    static constexpr int maximumNesting = 1;
    // A drawing holding more pictures than this is refused: each is read.
    static constexpr int maximumNestedPictures = 10'000;

    // `file` made readable; the pictures an SVG holds may take `memory`
    // bytes together, by the sizes they claim.
    explicit ReadablePicture(const QByteArray &file, qint64 memory = PictureLimits::maximumDecodedBytes);
    ReadablePicture(const ReadablePicture &) = delete;
    ReadablePicture &operator=(const ReadablePicture &) = delete;

    // A reader of the readable bytes, their format set; null when the file is
    // no picture Qt reads or it is refused.
    QImageReader *reader() { return m_bytes.isEmpty() ? nullptr : &m_reader; }
    // Qt's name of the file's format ("png", "svg"); empty for no picture.
    QByteArray format() const { return m_format; }
    // What the reader reads: the cleaned drawing of an SVG.
    const QByteArray &bytes() const { return m_bytes; }
    // Refused for what showing it would take, not for being no picture.
    bool isTooLarge() const { return m_tooLarge; }
    // Bytes the pictures an SVG holds take while it is drawn (each parse of
    // the drawing, a size query too, decodes them), by the sizes they claim.
    qint64 nestedCost() const { return m_nestedCost; }
    // Elements drawn by the drawings an SVG holds, each counted as drawn.
    qint64 nestedElements() const { return m_nestedElements; }

private:
    ReadablePicture(const QByteArray &file, qint64 memory, int depth);
    void refuse();
    void clean(const QByteArray &svg);
    // The verdict on a picture the drawing being cleaned holds.
    SvgCleaner::NestedPicture nested(const QByteArray &bytes);

    QByteArray m_bytes;
    QByteArray m_format;
    qint64 m_memory;
    int m_depth;
    bool m_tooLarge = false;
    qint64 m_nestedCost = 0;
    qint64 m_nestedElements = 0;
    int m_nestedPictures = 0;
    QBuffer m_buffer;
    QImageReader m_reader;
};
