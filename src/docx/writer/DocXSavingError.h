#pragma once

#include <QString>
#include <QtGlobal>

// Why a DOCX write failed: the kind, the step that failed ("numbering",
// "archive", ...) and a message a user can read. A default value is success.
struct DocXSavingError
{
    enum class Kind {
        None,
        DuplicateNoteId,   // a note reference id stands in two separate places
        NoBlankDocument,   // the template is missing or incomplete
        CompressionFailed, // the archive could not be made
        File,              // reading or writing a file failed
        Xml,               // a part is not well-formed XML
    };

    Kind kind = Kind::None;
    QString step;
    QString message;
    // For DuplicateNoteId: "footnote" or "endnote", and the id met twice.
    QString noteKind;
    qint64 noteId = 0;

    bool isError() const { return kind != Kind::None; }
    // "<step>: <message>", or "" for success.
    QString text() const;

    static DocXSavingError duplicateNoteId(const QString &noteKind, qint64 id);
    static DocXSavingError failure(Kind kind, const QString &step, const QString &message);
};
