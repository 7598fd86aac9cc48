#pragma once

#include "textsystem/StyledText.h"

#include <QByteArray>

// Writes styled text as an HTML page (UTF-8) that browsers show as the text
// looks and that HtmlCodec reads back as it was: every paragraph with its
// own margins, nested lists inside their parent item, each link with its
// own colour and underline, fonts in points, margins, indents and fixed line
// heights in whole CSS pixels (96 to the inch), pictures as data: URIs sized
// in CSS pixels. The page depends on nothing but the text.
namespace HtmlWriter {

QByteArray write(const StyledText &text);

} // namespace HtmlWriter
