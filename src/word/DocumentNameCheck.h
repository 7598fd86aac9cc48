#pragma once

#include <QString>

// Whether `name` (without extension) can name a saved document: false with
// *reason for an empty name or one holding "/" or a control character.
bool checkDocumentName(const QString &name, QString *reason);
