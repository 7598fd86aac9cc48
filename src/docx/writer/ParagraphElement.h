#pragma once

#include "docx/writer/DocXOptions.h"
#include "docx/writer/ParagraphRange.h"
#include "docx/writer/PartRelationships.h"
#include "platform/XmlElement.h"
#include "textsystem/StyledText.h"

#include <QSet>
#include <optional>

enum class NoteReferenceKind { Footnote, Endnote };

// What the paragraphs of one part share while they are built.
struct ParagraphContext
{
    const PartRelationships &relationships;
    const DocXOptions &options;
    // Note ids that have a body; a reference to any other id is plain text.
    const QSet<qint64> &footnoteIds;
    const QSet<qint64> &endnoteIds;
    // The next wp:docPr / pic:cNvPr id; unique over the whole package.
    qint64 &nextDrawingId;
};

// The w:p of one paragraph: w:pPr (style, numbering, spacing, indentation,
// alignment, and a section break last), the note's own reference mark for
// the first paragraph of a note, one element per attribute run, and a page or
// column break run when the paragraph ends in one.
namespace ParagraphElement {

XmlElement build(const ParagraphRange &paragraph, const StyledText &text, ParagraphContext &context,
                 std::optional<NoteReferenceKind> leadingNoteMark = std::nullopt,
                 const XmlElement *sectionBreak = nullptr);

// w:r with the run's properties and w:footnoteReference or w:endnoteReference.
XmlElement noteReferenceRun(qint64 id, NoteReferenceKind kind, const TextAttributes &attributes);

} // namespace ParagraphElement
