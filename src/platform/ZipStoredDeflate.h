#pragma once

// Part of ZipArchive; not for use outside that module.
//
// Pictures in PNG, JPEG and GIF are compressed already: deflate's search
// cannot shrink them and costs most of the time of zipping a package full of
// photographs. Such an entry is still written as deflate, but as a stream of
// deflate's stored blocks, built here and handed to libzip as compressed
// data, so every reader inflates it as any other entry.

#include <QByteArray>

#include <zip.h>

namespace ZipStoredDeflate {

// Whether `head` (the first bytes of an entry) starts a PNG, JPEG or GIF file.
bool isCompressedPicture(const QByteArray &head);

// `bytes` as a deflate stream of stored blocks (each at most 65,535 bytes).
QByteArray storedBlocks(const QByteArray &bytes);

// A source giving `bytes` to `archive` as already deflated data; nullptr
// with the archive's error set when it cannot be made.
zip_source_t *source(zip_t *archive, QByteArray bytes);

} // namespace ZipStoredDeflate
