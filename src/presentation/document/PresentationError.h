#pragma once

#include "platform/DocumentError.h"

// The presentation package reports DocumentError values of the domain
// "PowerPointDocument": code 404 when presentation.xml is missing, 0 for
// other failures.
using PresentationError = DocumentError;

inline PresentationError presentationError(int code, QString message)
{
    return {QStringLiteral("PowerPointDocument"), code, std::move(message)};
}
