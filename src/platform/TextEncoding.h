#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Conversions the file formats need beyond UTF-8.
namespace TextEncoding {

// Strict Shift-JIS (CP932) through iconv: nullopt when any character has no
// CP932 form (or is an unpaired surrogate), never a substitution. The table is
// glibc's, which also gives the customary Japanese forms of a few characters
// that CP932 lacks, such as "〜" (U+301C) as 0x8160 and "¥" as 0x5C.
std::optional<QByteArray> encodeCp932(const QString &text);

// Strict CP932 decoding: nullopt on any invalid or incomplete byte sequence.
std::optional<QString> decodeCp932(const QByteArray &bytes);

// UTF-16 little-endian; a trailing odd byte is ignored, unpaired surrogates
// become U+FFFD. A byte-order mark is kept as U+FEFF.
QString decodeUtf16LE(const QByteArray &bytes);

} // namespace TextEncoding
