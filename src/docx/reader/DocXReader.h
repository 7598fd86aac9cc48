#pragma once

#include "textsystem/StyledText.h"

#include <QString>

class PictureCache;

// Reads a WordprocessingML package (.docx, .dotx, and the macro-enabled
// kinds) into styled text: the main document's body with its styles,
// defaults, theme fonts, numbering, hyperlinks and pictures (see
// DocXBodyReader for what becomes of each element).
namespace DocXReader {

// Parts larger than this, or more data in all than maximumTotalSize, make
// the package unreadable (a compressed bomb is refused before it is unpacked).
constexpr qint64 maximumPartSize = qint64(256) * 1024 * 1024;
constexpr qint64 maximumTotalSize = qint64(768) * 1024 * 1024;

// False with *error (a message for the user) when the file is no package,
// is damaged or over the limits, holds no readable main document, or would
// take more memory than its ReadBudget (its parts' XML trees and the text
// together); `text` is then untouched. Pictures are decoded through
// `pictures` when given (the document's, which records what it leaves out),
// else through a cache of the read's own.
bool read(const QString &path, StyledText *text, QString *error, PictureCache *pictures = nullptr);

} // namespace DocXReader
