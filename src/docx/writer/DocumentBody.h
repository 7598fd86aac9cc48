#pragma once

#include "docx/writer/DocXOptions.h"
#include "docx/writer/ParagraphElement.h"
#include "docx/writer/ParagraphRange.h"
#include "platform/XmlElement.h"
#include "textsystem/StyledText.h"

#include <QList>

// The main document part: w:document, w:body with the paragraphs of every
// section, a section break closing each section but the last, and the final
// section properties.
namespace DocumentBody {

enum class SectionKind { Break, Final };

// w:sectPr: note properties, then for a break w:type "nextPage"; then page
// size and margins when the options give a page, and w:textDirection "tbRl"
// for vertical text. A break repeats the page so every section keeps it.
XmlElement sectionProperties(const DocXOptions &options, bool vertical, SectionKind kind);

// True when any character of `text` asks for vertical forms.
bool isVertical(const StyledText &text);

// Where each section starts in the joined text.
struct Section
{
    qsizetype start = 0;
    qsizetype length = 0;
};

// The w:document root for the sections of `joined` (sections joined as the
// writer joins them), built from the records of one numbering pass.
XmlElement element(const StyledText &joined, const QList<Section> &sections, const QList<ParagraphRange> &paragraphs,
                   ParagraphContext &context);

} // namespace DocumentBody
