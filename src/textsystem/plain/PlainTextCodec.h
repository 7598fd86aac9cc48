#pragma once

#include <QByteArray>
#include <QString>

// The plain text the Ichitaro and WordPerfect formats are saved as.
namespace PlainTextCodec {

// Shift-JIS (CP932) when every character has a form there; otherwise UTF-8
// after a byte-order mark, so the extractors read it back as written.
QByteArray encode(const QString &text);

// Text of a file of unknown type: UTF-8 (byte-order mark or valid UTF-8),
// else CP932, else Windows-1252.
QString decode(const QByteArray &bytes);

} // namespace PlainTextCodec
