#pragma once

#include "textsystem/StyledText.h"

#include <QByteArray>
#include <QString>

// Writes Word 97-2004 documents (.doc): the text as one UTF-16 piece, its
// character formatting (font, size, bold, italic, underline, strike,
// colours, super- and subscript), links as HYPERLINK fields, each
// paragraph's alignment, indents, spacing and list (list tables and
// overrides), and pictures as PNG or JPEG blips in the Data stream at their
// shown size. An empty text gives a document of one empty paragraph.
namespace DocWriter {

// The whole file.
QByteArray write(const StyledText &text);

// Writes the file to `path` through a scratch file swapped in when complete.
// Returns false and sets *error on failure; the old file is then untouched.
bool writeFile(const StyledText &text, const QString &path, QString *error);

} // namespace DocWriter
