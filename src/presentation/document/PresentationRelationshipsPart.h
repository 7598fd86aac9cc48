#pragma once

#include <QString>

// "ppt/_rels/presentation.xml.rels": relationship "rId<n>" to
// "slides/slide<n>.xml" per slide. Only the first entry line is indented
// (four spaces); the others start at column 0.
namespace PresentationRelationshipsPart {

QString text(qsizetype slideCount);

} // namespace PresentationRelationshipsPart
