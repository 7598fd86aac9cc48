#pragma once

#include "textsystem/StyledText.h"

#include <QByteArray>
#include <QString>

#include <optional>

class PictureCache;

// Reads Word 97-2004 documents (.doc): the main text with its character and
// paragraph formatting, fields by their result (HYPERLINK as a link), tables
// as tab-separated lines, lists as the paragraph style's text lists, and
// inline PNG and JPEG pictures. Headers, footers, notes, comments, text boxes
// and floating shapes are not read.
namespace DocReader {

// The document held in `bytes`, or nothing with *error set to a sentence a
// user can read: not a compound file, no WordDocument stream, older than
// Word 97, encrypted, or damaged. Pictures are decoded through `pictures`
// when given (the document's, which records what it leaves out), else
// through a cache of the read's own.
std::optional<StyledText> read(const QByteArray &bytes, QString *error, PictureCache *pictures = nullptr);

// The same for the file at `path`.
std::optional<StyledText> readFile(const QString &path, QString *error);

} // namespace DocReader
