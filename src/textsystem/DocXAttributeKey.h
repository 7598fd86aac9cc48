#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The DOCX writer's own attributes. In StyledText they are typed fields of
// TextAttributes; these names stand for them wherever attributes are keyed by
// text (the editor's format properties, a string-keyed attribute table).
enum class DocXAttributeKey {
    Break,               // BreakType, on a paragraph's terminator
    ParagraphStyleId,    // text, on a whole paragraph
    CharacterStyleId,    // text, on a run
    FootnoteReferenceId, // 64-bit integer
    EndnoteReferenceId,  // 64-bit integer
    FootnoteBodyId,      // 64-bit integer, on the paragraphs of a footnote body
    EndnoteBodyId,       // 64-bit integer, on the paragraphs of an endnote body
};

// "com.quenfold.docx.attributedstringkey." followed by the key's suffix
// ("break", "paragraphStyleId", ...). One shared string per key, made on first
// use; the reference stays valid for the life of the process.
const QString &docXAttributeKeyName(DocXAttributeKey key);
// The key whose full name is exactly `name`; nothing for any other text.
std::optional<DocXAttributeKey> docXAttributeKeyFromName(QStringView name);
