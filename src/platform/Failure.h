#pragma once

#include <QString>

// Stores `message` in *error when error is not null; always returns false, so
// a failing path can end in `return fail(error, message);`.
inline bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}
