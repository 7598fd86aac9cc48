#pragma once

#include "platform/XmlElement.h"

#include <QString>

// The content of a run for a piece of text: w:t with xml:space "preserve" for
// ordinary characters, w:tab for a tab, w:br for a line break (VT, U+2028,
// U+0085 and a stray line feed or carriage return), w:br w:type "page" for a
// form feed. Other control characters and the object replacement character
// U+FFFC are dropped: a raw control character makes readers refuse the part.
namespace RunText {

void append(XmlElement &run, const QString &text);

// True when `text` holds nothing append() would write.
bool isBlank(const QString &text);

} // namespace RunText
