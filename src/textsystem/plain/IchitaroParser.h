#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Pulls plain text out of Ichitaro documents (.jwd, .jxw) without parsing
// them: runs of bytes that look like text become lines of the result. Never
// fails; unreadable input gives less text or "". Lengths the rules compare
// are user-perceived characters (grapheme clusters).
class IchitaroParser
{
public:
    // The entry point. A UTF-8 byte-order mark, or a file without the
    // compound-file signature that is wholly text (strict CP932 without any
    // control byte but tab, LF and CR), is read as that text untouched, so the
    // plain text this system saves reads back as written. Anything else goes
    // through the scans: compound files through scanUtf16, the rest through
    // scanShiftJis.
    static QString parse(const QByteArray &data);

    // UTF-16LE runs over the whole file; falls back to scanShiftJis when the
    // result is shorter than 10 characters and the fallback finds more.
    static QString scanUtf16(const QByteArray &data);
    // ASCII and Shift-JIS runs from `start` (0-based byte offset) on, cleaned.
    static QString scanShiftJis(const QByteArray &data, qsizetype start = 0);

    // Appends a kept run (3+ units, or 1-2 from U+3000 on) as a line of `result`.
    static void appendUtf16Run(const std::vector<char16_t> &run, QString &result);
    // Appends a kept run (3+ bytes, or one double-byte character) decoded
    // from Shift-JIS; a run that does not decode is dropped.
    static void appendShiftJisRun(const QByteArray &run, QString &result);
    // Trims every line, drops 1-2 character lines without a letter, digit or
    // kana, collapses blank lines and trims the whole.
    static QString cleanExtractedText(const QString &text);

    // The plain-text reading shared with WordPerfectParser: the text after a
    // UTF-8 byte-order mark, or the CP932 text of bytes that are wholly text;
    // nothing for binary data.
    static std::optional<QString> plainTextContent(const QByteArray &data);

    // Number of grapheme clusters of `text`.
    static qsizetype characterCount(const QString &text);
};
