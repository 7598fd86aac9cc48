#include "TextFinder.h"

#include <QTextDocument>

namespace TextFinder {

QTextCursor find(const QTextDocument *document, const QString &needle, const QTextCursor &from,
                 Direction direction)
{
    if (needle.isEmpty())
        return {};
    const QTextDocument::FindFlags flags = direction == Direction::Backward ? QTextDocument::FindBackward
                                                                             : QTextDocument::FindFlags();
    QTextCursor start = from;
    if (start.isNull())
        start = QTextCursor(const_cast<QTextDocument *>(document));
    QTextCursor found = document->find(needle, start, flags);
    if (!found.isNull())
        return found;
    QTextCursor wrapped(const_cast<QTextDocument *>(document));
    wrapped.movePosition(direction == Direction::Backward ? QTextCursor::End : QTextCursor::Start);
    return document->find(needle, wrapped, flags);
}

} // namespace TextFinder
