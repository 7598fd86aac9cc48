#pragma once

#include <QString>

// "[Content_Types].xml": the defaults for .rels and .xml, then overrides for
// the presentation part and each of `slideCount` slide parts.
namespace ContentTypesPart {

QString text(qsizetype slideCount);

} // namespace ContentTypesPart
