#pragma once

#include "docx/builtin/OfficeOpenXmlPictures.h"
#include "platform/XmlElement.h"
#include "textsystem/StyledText.h"

// The converter's main part: w:document with one w:p per paragraph of the
// text (alignment in w:pPr), one w:r per attribute run (w:rPr from the font,
// colours, underline and strikethrough), tabs as w:tab, line separators as
// w:br, form feeds as page breaks, pictures through `pictures`, and final
// section properties for an A4 page.
namespace OfficeOpenXmlBody {

XmlElement document(const StyledText &text, OfficeOpenXmlPictures &pictures);

} // namespace OfficeOpenXmlBody
