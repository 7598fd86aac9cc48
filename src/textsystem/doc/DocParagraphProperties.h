#pragma once

#include "textsystem/doc/DocSprm.h"

// The paragraph properties of Word 97 that the reader uses. Lengths in
// twips (1/20 point).
struct DocParagraphProperties
{
    int justification = 0; // 0 left, 1 centre, 2 right, 3 both, 4 distributed
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineOffset = 0; // relative to leftIndent
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 240;     // with lineSpacingMultiple: 240 = single
    bool lineSpacingMultiple = true;
    int listLevel = 0;
    int listFormatOverride = 0; // ilfo, 0: not in a list
    bool inTable = false;
    bool tableRowEnd = false;
    bool innerTableCell = false;
    bool innerTableRowEnd = false;
    int tableDepth = 0;

    void apply(const DocSprm::Modifier &sprm);
    void applyAll(DocByteView grpprl);
};
