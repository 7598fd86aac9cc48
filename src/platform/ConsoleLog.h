#pragma once

#include <QString>

// Writes `line` and a line feed to standard output in UTF-8, flushed at once.
void printLine(const QString &line);
