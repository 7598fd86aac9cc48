#pragma once

#include "textsystem/StyledText.h"

#include <QString>

class PictureCache;

// RTFD: a folder holding TXT.rtf and one file per picture, each named in
// TXT.rtf by an attachment group {{\NeXTGraphic NAME \widthN \heightN}}
// followed by the attachment character.
namespace RtfdPackage {

// Files of the package larger than this are not read.
constexpr qint64 maximumFileSize = 256 * 1024 * 1024;

// Reads the package folder at `path`. False with *error when it holds no
// readable TXT.rtf; `text` is then untouched. Attachment names are plain file
// names inside the folder (regular files only). Pictures are decoded as
// RtfReader::read decodes them, through `pictures` when given.
bool read(const QString &path, StyledText *text, QString *error, PictureCache *pictures = nullptr);

// Writes TXT.rtf and the picture files into the empty folder `path`.
bool write(const StyledText &text, const QString &path, QString *error);

} // namespace RtfdPackage
