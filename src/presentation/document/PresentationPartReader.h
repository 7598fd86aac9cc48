#pragma once

#include <QtGlobal>
#include <pugixml.hpp>

// Reads "ppt/presentation.xml" of a package.
namespace PresentationPartReader {

// The number of `p:sldId` entries in the root's first `p:sldIdLst`; 0 when
// either is missing. Their ids and relationship ids are not read: entry k
// stands for "ppt/slides/slide<k>.xml".
qsizetype slideEntryCount(pugi::xml_node root);

} // namespace PresentationPartReader
