#pragma once

#include "platform/XmlElement.h"
#include "textsystem/RubyAnnotation.h"
#include "textsystem/TextAttributes.h"

#include <QString>
#include <optional>

namespace RubyElement {

// The size the template's default run properties give text without a font.
constexpr double defaultFontPoints = 10.5;

// The annotation's text: before, after, inline, inter-character, the first
// that exists and is not empty.
std::optional<QString> rubyText(const RubyAnnotation &annotation);
QString alignmentValue(RubyAlignment alignment);

// w:ruby for base text `baseText` with the run's attributes: w:rubyPr with its
// five children (rubyAlign, hps, hpsRaise = hpsBaseText − 2, hpsBaseText,
// lid "ja-JP"), w:rt with the ruby text at the ruby size, w:rubyBase with the
// base text. Without a usable font size the template's default counts.
// Nothing when the annotation has no text.
std::optional<XmlElement> element(const RubyAnnotation &annotation, const QString &baseText,
                                  const TextAttributes &attributes);

} // namespace RubyElement
