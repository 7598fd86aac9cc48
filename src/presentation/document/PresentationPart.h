#pragma once

#include <QString>

// "ppt/presentation.xml": the slide list, slide n (1-based) with id 255 + n
// and relationship "rId<n>". Only the first entry line is indented (eight
// spaces); the others start at column 0.
namespace PresentationPart {

QString text(qsizetype slideCount);

} // namespace PresentationPart
