#pragma once

#include <QString>

// An I/O error of the presentation package: domain "PowerPointDocument",
// code 404 when presentation.xml is missing, 0 for other failures; message is
// what the user reads.
struct PresentationError {
    int code = 0;
    QString message;

    QString domain() const { return QStringLiteral("PowerPointDocument"); }
};
