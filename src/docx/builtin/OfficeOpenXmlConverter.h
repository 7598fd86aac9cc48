#pragma once

#include "platform/package/PackageFolder.h"
#include "textsystem/StyledText.h"

#include <QString>

// Stands in for the platform's own Office Open XML text converter: turns a
// styled text into an unpacked .docx package tree on its own terms, the way
// a system converter does. It writes paragraphs with their alignment; runs
// with font family, size, bold, italic, underline, strikethrough, text and
// background colours; pictures inline at their displayed size; and its own
// styles, settings, content types and core properties. Like the converter it
// stands for, it knows no ruby (the base text is written alone), no lists,
// notes or links, and none of the DOCX writer's own attributes.
namespace OfficeOpenXmlConverter {

// Writes every part of the package into `package`: "[Content_Types].xml",
// "_rels/.rels", "docProps/core.xml", "word/document.xml",
// "word/_rels/document.xml.rels", "word/styles.xml", "word/settings.xml" and
// "word/media/imageN.<ext>" per picture. False with *error when a part
// cannot be written.
bool writePackage(const StyledText &text, PackageFolder &package, QString *error);

} // namespace OfficeOpenXmlConverter
