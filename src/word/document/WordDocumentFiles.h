#pragma once

#include "word/document/DocumentFormat.h"

#include "textsystem/PictureCache.h"
#include "textsystem/StyledText.h"

#include <QString>

// Reading and writing the word processor's files. Both run to completion on
// the calling thread; errors are messages for the screen's "Open error: " and
// "Save error: " lines.
namespace WordDocumentFiles {

// Files larger than this are not opened.
constexpr qint64 maximumFileSize = 512 * 1024 * 1024;

// Reads `path` into `text`, choosing the reader by the lower-cased extension
// (jwd, jxw, wpd, rtf, rtfd, doc, docx, dotx, html, htm) and, for any other
// extension, by the content (RTF, compound file, ZIP package, HTML, else
// plain text). False with *error, naming the file and the cause, on failure;
// `text` is then untouched. `notice`, when given, is set to "" or, for a file
// opened without some of its parts (a web page past the HTML reader's
// bounds, pictures too large for the document's picture budget
// `pictureBudget`), to a line naming the file and what it lost, for the screen.
bool read(const QString &path, StyledText *text, QString *error, QString *notice = nullptr,
          qint64 pictureBudget = PictureCache::memoryBudget);

// Writes `text` to `path` in `format` through a scratch file or folder that
// replaces the target only when complete. False with *error on failure; the
// old file is then as it was.
bool write(const StyledText &text, const QString &path, DocumentFormat format, QString *error);

// A copy of `text` in which runs without a font (or without a family) and
// paragraphs without a style get what the page shows for them
// (ScreenLook), so that a file's defaults cannot change how they look, and
// fully transparent backgrounds are gone.
// Every rich format is written from this copy.
StyledText withScreenDefaults(const StyledText &text);

// A copy of `text` whose file attachments holding a picture become picture
// attachments (the image decoded, the bounds kept), as the DOCX writer needs.
StyledText normalizedForDocX(const StyledText &text);

} // namespace WordDocumentFiles
