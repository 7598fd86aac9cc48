#pragma once

#include <QString>

// An I/O error of a document reader or writer: the document kind that failed
// ("ExcelDocument", "PowerPointDocument", ...), a code within that kind (404
// for a missing part, 0 for any other failure unless the kind says more) and
// the message the user reads.
struct DocumentError {
    QString domain;
    int code = 0;
    QString message;

    // The line printed after "Open error: " / "Save error: ": the message alone.
    QString toString() const { return message; }
};

// Stores `value` in *target when target is not null; always returns false,
// so a failing path can end in `return reportFailure(error, {...});`.
inline bool reportFailure(DocumentError *target, DocumentError value)
{
    if (target)
        *target = std::move(value);
    return false;
}
