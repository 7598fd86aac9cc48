#pragma once

#include <QList>
#include <QTextFormat>

class QTextDocument;

// One picture of a document: the position of its character and its format.
struct PicturePlace
{
    int position;
    QTextImageFormat format;
};

// The pictures between positions `start` and `end` of `document`, in order.
QList<PicturePlace> picturesIn(const QTextDocument &document, int start, int end);
