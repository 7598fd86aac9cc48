#pragma once

#include "textsystem/SvgCleaner.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

// A picture file's bytes as Qt's image readers may see them, and a reader
// over them. Every reader of a document's pictures, size queries included,
// reads through one of these:
// - an SVG drawing is cleaned first (SvgCleaner), so that it opens no other
//   file; each picture it holds is made readable like this one;
// - compressed SVG is no picture here: it cannot be cleaned before Qt reads it.
// The document keeps the original bytes.
class ReadablePicture
{
public:
    explicit ReadablePicture(const QByteArray &file);
    ReadablePicture(const ReadablePicture &) = delete;
    ReadablePicture &operator=(const ReadablePicture &) = delete;

    // A reader of the readable bytes, their format set; null when the file is
    // no picture Qt reads.
    QImageReader *reader() { return m_format.isEmpty() ? nullptr : &m_reader; }
    // Qt's name of the file's format ("png", "svg"); empty for no picture.
    QByteArray format() const { return m_format; }
    // What the reader reads: the cleaned drawing of an SVG.
    const QByteArray &bytes() const { return m_bytes; }

private:
    SvgCleaner::NestedPicture nested(const QByteArray &bytes);

    QByteArray m_bytes;
    QByteArray m_format;
    QBuffer m_buffer;
    QImageReader m_reader;
};
