#pragma once

#include "textsystem/StyledText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class PictureCache;

// HTML through QTextDocument.
namespace HtmlCodec {

// Pictures taken from files beside the page are at most this large.
constexpr qint64 maximumPictureFileSize = 64 * 1024 * 1024;

// The text of an HTML page in the charset its <meta> names (UTF-8 when it
// names none). Pictures come only from data: URIs and from regular files
// under `folder` (the page's own folder; "" allows none), never from
// devices or the network. A page past HtmlBounds' limits is read within
// them; `cuts`, when given, receives one phrase for each limit that applied.
// Pictures are decoded through `pictures` when given (the document's, which
// records what it leaves out), else through a cache of the read's own.
StyledText read(const QByteArray &html, const QString &folder, QStringList *cuts = nullptr,
                PictureCache *pictures = nullptr);

// What HTML from anywhere (a file, the clipboard, a drop) must pass through
// before QTextDocument::setHtml: `html` with its nesting flattened
// (HtmlNesting) and within HtmlBounds' limits, and one phrase for each limit
// that cut something, for the screen to show.
struct BoundedHtml
{
    QString html;
    QStringList cuts;
};
BoundedHtml bounded(const QString &html);

// The page for `text`, UTF-8, font sizes in points, pictures as data: URIs.
QByteArray write(const StyledText &text);

} // namespace HtmlCodec
