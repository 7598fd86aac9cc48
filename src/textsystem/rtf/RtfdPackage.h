#pragma once

#include "textsystem/StyledText.h"

#include <QString>
#include <QStringList>

class PictureCache;

// RTFD: a folder holding TXT.rtf and one file per attachment (a picture or
// any other file), each named in TXT.rtf by an attachment group
// {{\NeXTGraphic NAME \widthN \heightN}} followed by the attachment character.
namespace RtfdPackage {

// Files of the package larger than this are not read, nor files past this
// many bytes of attachments read together.
constexpr qint64 maximumFileSize = 256 * 1024 * 1024;
constexpr qint64 maximumAttachmentBytes = 512 * 1024 * 1024;

// Reads the package folder at `path`. False with *error when it holds no
// readable TXT.rtf; `text` is then untouched. Attachment names are plain file
// names inside the folder (regular files only). Pictures are decoded as
// RtfReader::read decodes them, through `pictures` when given, which also
// records those left out for their size; other files become file
// attachments holding their bytes. The names of files TXT.rtf names that are
// missing, unreadable or past the limits above (pictures left out aside) are
// added to `leftOutFiles` when given.
bool read(const QString &path, StyledText *text, QString *error, PictureCache *pictures = nullptr,
          QStringList *leftOutFiles = nullptr);

// Writes TXT.rtf and the attachment files into the empty folder `path`:
// pictures as PNG or JPEG, other file attachments with their own bytes under
// their own names (made unique and kept inside the folder).
bool write(const StyledText &text, const QString &path, QString *error);

} // namespace RtfdPackage
