#include "textsystem/doc/DocParagraphProperties.h"

void DocParagraphProperties::apply(const DocSprm::Modifier &sprm)
{
    using namespace DocSprm;
    switch (sprm.code) {
    case pJc80:
    case pJc:
        justification = sprm.byte();
        break;
    case pDxaLeft80:
    case pDxaLeft:
        leftIndent = sprm.signedWord();
        break;
    case pDxaRight80:
    case pDxaRight:
        rightIndent = sprm.signedWord();
        break;
    case pDxaLeft180:
    case pDxaLeft1:
        firstLineOffset = sprm.signedWord();
        break;
    case pDyaBefore:
        spaceBefore = sprm.word();
        break;
    case pDyaAfter:
        spaceAfter = sprm.word();
        break;
    case pDyaLine:
        lineSpacing = sprm.operand.i16(0);
        lineSpacingMultiple = sprm.operand.i16(2) != 0;
        break;
    case pIlvl:
        listLevel = qMin<int>(sprm.byte(), 8);
        break;
    case pIlfo:
        listFormatOverride = sprm.signedWord();
        break;
    case pFInTable:
        inTable = sprm.byte() != 0;
        break;
    case pFTtp:
        tableRowEnd = sprm.byte() != 0;
        break;
    case pFInnerTableCell:
        innerTableCell = sprm.byte() != 0;
        break;
    case pFInnerTtp:
        innerTableRowEnd = sprm.byte() != 0;
        break;
    case pItap:
        tableDepth = sprm.operand.i32(0);
        break;
    default:
        break;
    }
}

void DocParagraphProperties::applyAll(DocByteView grpprl)
{
    DocSprm::forEach(grpprl, [this](const DocSprm::Modifier &sprm) { apply(sprm); });
}
