#pragma once

#include <QString>

// "_rels/.rels": the one relationship to ppt/presentation.xml.
namespace PackageRelationshipsPart {

QString text();

} // namespace PackageRelationshipsPart
