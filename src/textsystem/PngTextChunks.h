#pragma once

#include <QByteArray>

// A PNG file without its text chunks (tEXt, zTXt, iTXt). Showing a picture
// needs none of them, yet a reader inflates every compressed one: a few
// kilobytes of zTXt can hold gigabytes of text.
namespace PngTextChunks {

// `bytes` with every text chunk left out, the other chunks as they were;
// `bytes` itself when it is no PNG or holds no text chunk. A chunk running
// past the end is kept with what follows, for the reader to judge.
QByteArray without(const QByteArray &bytes);

} // namespace PngTextChunks
