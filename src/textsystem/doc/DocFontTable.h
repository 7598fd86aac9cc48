#pragma once

#include "textsystem/doc/DocByteView.h"

#include <QStringList>

// The font table (SttbfFfn) of a Word document: font names by index.
namespace DocFontTable {

// The names in table order; a damaged entry ends the list.
QStringList parse(DocByteView sttbf);

// The table for `names`, each a TrueType font with default character set.
QByteArray build(const QStringList &names);

} // namespace DocFontTable
