#pragma once

#include <QByteArray>
#include <QString>

// Pulls plain text out of WordPerfect documents (.wpd): skips the header it
// recognises and scans the rest for ASCII and Shift-JIS runs exactly as
// IchitaroParser::scanShiftJis does. Never fails.
class WordPerfectParser
{
public:
    // The entry point. A UTF-8 byte-order mark, or a file without the
    // "\xFFWPC" signature that is wholly text, is read as that text untouched
    // (whatever its length). Other files under 8 bytes give "". A signed file
    // is scanned from the unsigned 32-bit offset at byte 4, or from 76 when
    // that offset is 0 or past the end; anything else from 0.
    static QString extractText(const QByteArray &data);

    // The scan from `start` (0-based); "" when start is at or past the end.
    static QString scanText(const QByteArray &data, quint64 start);
};
