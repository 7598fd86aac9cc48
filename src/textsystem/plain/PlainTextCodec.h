#pragma once

#include "textsystem/StyledText.h"

#include <QByteArray>
#include <QString>

// The plain text the Ichitaro and WordPerfect formats are saved as.
namespace PlainTextCodec {

// Shift-JIS (CP932) when every character has a form there; otherwise UTF-8
// after a byte-order mark, so the extractors read it back as written.
QByteArray encode(const QString &text);

// The characters of `text` that a plain-text file holds: pictures and other
// attachments are left out, a line break inside a paragraph (U+2028) becomes
// a line feed.
QString plainText(const StyledText &text);

// Text of a file of unknown type: UTF-8 (byte-order mark or valid UTF-8),
// else CP932, else Windows-1252.
QString decode(const QByteArray &bytes);

} // namespace PlainTextCodec
