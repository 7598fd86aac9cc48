#pragma once

#include "textsystem/StyledText.h"

#include <QList>
#include <QString>

// Turns the characters of a Word document's main text, with the attributes
// the reader worked out for them, into styled text: fields show their
// result (a HYPERLINK field's result carries the link), table cells become
// tab-separated lines, special characters become their text forms, and the
// document's final paragraph mark is dropped.
class DocTextBuilder
{
public:
    enum class Mark { None, Paragraph, Cell, RowEnd };

    // Adds characters of the document that share `attributes`. `mark` says
    // what a paragraph or cell mark (0x0D, 0x07) among them ends;
    // `attachment` is the picture of their picture characters.
    void addCharacters(QStringView characters, const TextAttributes &attributes, Mark mark,
                       const TextAttachmentPointer &attachment = {});

    // The text so far, with pending characters flushed.
    StyledText finish();

private:
    struct Field {
        QString instruction;
        bool showingResult = false;
        std::optional<QUrl> link;
    };

    void addCharacter(char16_t c, Mark mark, const TextAttachmentPointer &attachment);
    bool isVisible() const;
    // The attributes characters get inside the current fields.
    const TextAttributes &shownAttributes();
    void put(QChar c, const TextAttributes &attributes);
    void flush();
    static std::optional<QUrl> hyperlinkTarget(const QString &instruction);

    StyledText m_text;
    QString m_pending;
    TextAttributes m_pendingAttributes;
    bool m_pendingFromShown = false;
    QList<Field> m_fields;
    const TextAttributes *m_attributes = nullptr;
    TextAttributes m_shown;
    bool m_shownValid = false;
    bool m_shownChanged = false;
    bool m_cellTabPending = false;
    TextAttributes m_cellTabAttributes;
};
