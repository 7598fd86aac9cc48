#include "PicturePlace.h"

#include <QTextBlock>
#include <QTextDocument>

QList<PicturePlace> picturesIn(const QTextDocument &document, int start, int end)
{
    QList<PicturePlace> places;
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            const int first = qMax(fragment.position(), start);
            const int last = qMin(fragment.position() + fragment.length(), end);
            for (int position = first; position < last; ++position)
                places.append({position, fragment.charFormat().toImageFormat()});
        }
    }
    return places;
}
