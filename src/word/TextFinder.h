#pragma once

#include <QString>
#include <QTextCursor>

class QTextDocument;

// Finding text in the document, case-insensitively, wrapping around at the
// ends.
namespace TextFinder {

enum class Direction { Forward, Backward };

// The next match of `needle` after `from` (before it, backward), wrapping
// once around the document; a null cursor when there is none or `needle`
// is empty.
QTextCursor find(const QTextDocument *document, const QString &needle, const QTextCursor &from,
                 Direction direction);

} // namespace TextFinder
