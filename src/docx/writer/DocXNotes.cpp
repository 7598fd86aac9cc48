#include "DocXNotes.h"

#include "docx/writer/DocXNamespaces.h"

#include <map>

namespace DocXNotes {

namespace {

XmlElement separatorNote(const QString &name, const QString &type, const QString &id, const QString &content)
{
    XmlElement note(name, std::nullopt, {{QStringLiteral("w:type"), type}, {QStringLiteral("w:id"), id}});
    note.addChild(QStringLiteral("w:p")).addChild(QStringLiteral("w:r")).addChild(content);
    return note;
}

// The parts declare every prefix a note's paragraphs may use: pictures (wp)
// and outlined text (w14), which readers refuse when undeclared.
XmlElement::Attributes rootAttributes()
{
    return {
        {QStringLiteral("xmlns:w"), DocXNamespace::wordMain},
        {QStringLiteral("xmlns:r"), PackageNames::relationshipsNamespace},
        {QStringLiteral("xmlns:wp"), DocXNamespace::wordprocessingDrawing},
        {QStringLiteral("xmlns:w14"), DocXNamespace::word2010},
        {QStringLiteral("xmlns:mc"), DocXNamespace::markupCompatibility},
        {QStringLiteral("mc:Ignorable"), QStringLiteral("w14")},
    };
}

std::optional<qint64> bodyId(const ParagraphRange &paragraph, NoteReferenceKind kind)
{
    return kind == NoteReferenceKind::Footnote ? paragraph.footnoteBodyId : paragraph.endnoteBodyId;
}

} // namespace

QList<DocXNoteDefinition> extract(const StyledText &text, const QList<ParagraphRange> &paragraphs,
                                  NoteReferenceKind kind)
{
    QList<DocXNoteDefinition> notes;
    std::map<qint64, qsizetype> indexOfId;
    for (const ParagraphRange &paragraph : paragraphs) {
        const auto id = bodyId(paragraph, kind);
        if (!id)
            continue;
        auto found = indexOfId.find(*id);
        if (found == indexOfId.end()) {
            found = indexOfId.emplace(*id, notes.size()).first;
            notes.append(DocXNoteDefinition{*id, {}, {}});
        }
        DocXNoteDefinition &note = notes[found->second];
        ParagraphRange rebased = paragraph;
        rebased.range = TextRange{note.text.length(), paragraph.range.length};
        rebased.breakType = paragraph.breakType;
        note.text.append(text.mid(paragraph.range));
        TextAttributes terminator;
        terminator.breakType = paragraph.breakType;
        note.text.append(QStringLiteral("\r"), terminator);
        note.paragraphs.append(rebased);
    }
    return notes;
}

QSet<qint64> ids(const QList<DocXNoteDefinition> &notes)
{
    QSet<qint64> result;
    for (const DocXNoteDefinition &note : notes)
        result.insert(note.id);
    return result;
}

StyledText joinedText(const QList<DocXNoteDefinition> &notes)
{
    StyledText joined;
    for (const DocXNoteDefinition &note : notes)
        joined.append(note.text);
    return joined;
}

XmlElement element(NoteReferenceKind kind, const QList<DocXNoteDefinition> &notes, ParagraphContext &context)
{
    const bool footnotes = kind == NoteReferenceKind::Footnote;
    const QString noteName = footnotes ? QStringLiteral("w:footnote") : QStringLiteral("w:endnote");
    XmlElement root(footnotes ? QStringLiteral("w:footnotes") : QStringLiteral("w:endnotes"), std::nullopt,
                    rootAttributes());
    root.addChild(separatorNote(noteName, QStringLiteral("separator"), QStringLiteral("-1"), QStringLiteral("w:separator")));
    root.addChild(separatorNote(noteName, QStringLiteral("continuationSeparator"), QStringLiteral("0"),
                                QStringLiteral("w:continuationSeparator")));
    for (const DocXNoteDefinition &note : notes) {
        XmlElement &noteElement = root.addChild(noteName, std::nullopt, {{QStringLiteral("w:id"), QString::number(note.id)}});
        bool first = true;
        for (const ParagraphRange &paragraph : note.paragraphs) {
            noteElement.addChild(ParagraphElement::build(paragraph, note.text, context,
                                                         first ? std::optional(kind) : std::nullopt));
            first = false;
        }
    }
    return root;
}

std::optional<DuplicateReference> duplicateReference(const StyledText &text)
{
    const std::pair<std::optional<qint64> TextAttributes::*, NoteReferenceKind> kinds[] = {
        {&TextAttributes::footnoteReferenceId, NoteReferenceKind::Footnote},
        {&TextAttributes::endnoteReferenceId, NoteReferenceKind::Endnote},
    };
    for (const auto &[field, kind] : kinds) {
        QSet<qint64> seen;
        std::optional<qint64> duplicate;
        text.forEachValue(TextRange{0, text.length()}, field, [&](const std::optional<qint64> &id, TextRange) {
            const auto valid = ParagraphRanges::validNoteId(id);
            if (!valid)
                return true;
            if (seen.contains(*valid)) {
                duplicate = valid;
                return false;
            }
            seen.insert(*valid);
            return true;
        });
        if (duplicate)
            return DuplicateReference{kind, *duplicate};
    }
    return std::nullopt;
}

} // namespace DocXNotes
