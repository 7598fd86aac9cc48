#pragma once

#include "docx/writer/ParagraphElement.h"
#include "docx/writer/ParagraphRange.h"
#include "textsystem/StyledText.h"

#include <QList>
#include <QSet>

// The body of one footnote or endnote: its paragraphs in text order, each
// followed by one "\r" carrying the paragraph's break, and their records from
// the document's numbering pass, rebased onto this text.
struct DocXNoteDefinition
{
    qint64 id = 0;
    StyledText text;
    QList<ParagraphRange> paragraphs;
};

namespace DocXNotes {

// The note bodies of `kind`, in order of their ids' first appearance, cut out
// of `text` with its paragraph records (`paragraphs`, from one pass over it).
QList<DocXNoteDefinition> extract(const StyledText &text, const QList<ParagraphRange> &paragraphs,
                                  NoteReferenceKind kind);

QSet<qint64> ids(const QList<DocXNoteDefinition> &notes);

// The bodies of `notes` one after another (for the part's relationships).
StyledText joinedText(const QList<DocXNoteDefinition> &notes);

// The w:footnotes or w:endnotes root: the separator and continuation
// separator notes (ids -1 and 0), then one note per definition whose first
// paragraph starts with the note's reference mark.
XmlElement element(NoteReferenceKind kind, const QList<DocXNoteDefinition> &notes, ParagraphContext &context);

// A footnote or endnote id that stands in two separate places; nothing when
// every id of both kinds stands in one place (footnotes are checked first).
struct DuplicateReference
{
    NoteReferenceKind kind;
    qint64 id;
};
std::optional<DuplicateReference> duplicateReference(const StyledText &text);

} // namespace DocXNotes
