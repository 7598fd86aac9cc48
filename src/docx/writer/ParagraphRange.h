#pragma once

#include "docx/writer/DocXListStyle.h"
#include "platform/XmlElement.h"
#include "textsystem/BreakType.h"
#include "textsystem/StyledText.h"
#include "textsystem/TextRange.h"

#include <QList>
#include <optional>

// One paragraph of a styled text as the writer sees it: where it lies, the
// break that ends it, its style id, its list numbering and the note body it
// belongs to.
struct ParagraphRange
{
    TextRange range;                     // content, without the terminator
    BreakType breakType = BreakType::Wrap;
    std::optional<QString> styleId;
    std::optional<qint64> numberingId;   // w:numId; set together with numberingLevel
    std::optional<qint64> numberingLevel; // 0-based
    std::optional<DocXListStyle> listStyle;
    std::optional<qint64> listStart;     // first item number of the innermost list
    std::optional<qint64> footnoteBodyId;
    std::optional<qint64> endnoteBodyId;

    bool isNoteBody() const { return footnoteBodyId || endnoteBodyId; }
};

namespace ParagraphRanges {

// Every paragraph of `text` in order, note bodies included, numbered in one
// pass: a list beginning at level 0 gets a new id unless it starts at item 2
// or later and an earlier list of its style exists (it continues that one);
// deeper and shallower levels share their list's id; a level whose marker
// style differs from the style that level already has under the running id
// starts a new id. O(paragraphs × log runs).
QList<ParagraphRange> all(const StyledText &text);

// The paragraphs of `all` that are not note bodies.
QList<ParagraphRange> body(const QList<ParagraphRange> &all);

// w:numPr (w:ilvl, w:numId) for a listed paragraph; nothing otherwise. Levels
// above the last written list level are written as that level.
std::optional<XmlElement> numberingPropertiesElement(const ParagraphRange &paragraph);

// A note id as written: 1…2^31−1; anything else counts as absent.
std::optional<qint64> validNoteId(std::optional<qint64> id);

} // namespace ParagraphRanges
