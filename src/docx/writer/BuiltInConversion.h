#pragma once

#include "docx/writer/DocXSavingError.h"
#include "textsystem/StyledText.h"

#include <QString>

// A .docx made by the built-in Office Open XML converter, mended where that
// converter cannot say what the text holds: when the text has ruby, the main
// part is the DOCX writer's own, and the converter's relationships of the main
// part are kept with the writer's hyperlink and picture relationships added.
// Every other part stays as the converter made it.
namespace BuiltInConversion {

// Builds the package in this process's scratch folder (removed on every
// path) and replaces `path` only with the complete archive, through the one
// save path.
DocXSavingError write(const StyledText &text, const QString &path);

} // namespace BuiltInConversion
