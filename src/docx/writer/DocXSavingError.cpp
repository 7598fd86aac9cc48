#include "DocXSavingError.h"

QString DocXSavingError::text() const
{
    if (!isError())
        return QString();
    return step.isEmpty() ? message : step + QStringLiteral(": ") + message;
}

DocXSavingError DocXSavingError::duplicateNoteId(const QString &noteKind, qint64 id)
{
    DocXSavingError error;
    error.kind = Kind::DuplicateNoteId;
    error.step = QStringLiteral("notes");
    error.message = QStringLiteral("The %1 reference id %2 is used in two places").arg(noteKind).arg(id);
    error.noteKind = noteKind;
    error.noteId = id;
    return error;
}

DocXSavingError DocXSavingError::failure(Kind kind, const QString &step, const QString &message)
{
    DocXSavingError error;
    error.kind = kind;
    error.step = step;
    error.message = message;
    return error;
}
