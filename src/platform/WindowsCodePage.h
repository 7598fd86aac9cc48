#pragma once

#include <QByteArray>
#include <QString>

// Windows code pages by number, and the charsets of font tables that name
// them: the byte encodings of RTF text, of HTML pages that declare one, and
// of plain text that is not UTF-8.
namespace WindowsCodePage {

constexpr int ansi = 1252;
constexpr int macRoman = 10000;
constexpr int shiftJis = 932;
constexpr int utf8 = 65001;

// The code page of a font's \fcharsetN; 0 when the charset names none of its
// own (ANSI and default charsets use the document's \ansicpg).
int fromCharset(int charset);

// `bytes` decoded in `codePage`. Never fails: a byte (or double-byte pair)
// that the code page does not map becomes U+FFFD, an unknown code page reads
// as Windows-1252. In code page 932 a lead byte may pair with a following
// literal byte.
QString decode(const QByteArray &bytes, int codePage);

} // namespace WindowsCodePage
