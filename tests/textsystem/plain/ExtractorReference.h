#pragma once

// A plain, unoptimised statement of the extraction rules, kept beside the
// tests as the oracle the extractors are compared with: every kept run is
// copied, decoded through the platform's CP932 converter and grapheme-counted
// with a fresh boundary finder; lines are split into a list and joined.

#include "platform/TextEncoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextBoundaryFinder>

#include <optional>
#include <vector>

namespace ExtractorReference {

inline bool isShiftJisLead(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool isShiftJisTrail(uchar b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
inline bool isAsciiText(uchar b) { return (b >= 0x20 && b <= 0x7E) || b == 0x09 || b == 0x0A || b == 0x0D; }
inline bool isHalfWidthKatakana(uchar b) { return b >= 0xA1 && b <= 0xDF; }

inline bool isUtf16Text(char16_t unit)
{
    const uint high = unit >> 8;
    return (unit >= 0x20 && unit <= 0x7E) || unit == 0x0A || unit == 0x0D || unit == 0x09
        || (high >= 0x30 && high <= 0x9F) || (high == 0xFF && unit <= 0xFFEF);
}

inline bool isNewline(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

inline bool isLetterDigitOrListed(char32_t c)
{
    if (QStringView(u"ぁ-んァ-ヶ亜-熙").toUcs4().contains(c))
        return true;
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
        return true;
    default:
        return false;
    }
}

inline qsizetype characterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

inline void appendDecodedRun(const QString &decoded, QString &result)
{
    if (decoded.trimmed().isEmpty())
        return;
    if (!result.isEmpty() && !result.endsWith(QLatin1Char('\n')))
        result += QLatin1Char('\n');
    result += decoded;
}

inline void appendUtf16Run(const std::vector<char16_t> &run, QString &result)
{
    if (run.size() >= 3 || (!run.empty() && run.front() >= 0x3000))
        appendDecodedRun(QString::fromUtf16(run.data(), qsizetype(run.size())), result);
}

inline void appendShiftJisRun(const QByteArray &run, QString &result)
{
    if (run.size() < 2 || (run.size() == 2 && uchar(run.at(0)) < 0x81))
        return;
    if (const std::optional<QString> decoded = TextEncoding::decodeCp932(run))
        appendDecodedRun(*decoded, result);
}

inline QString cleanExtractedText(const QString &text)
{
    QStringList pieces;
    QString piece;
    for (QChar c : text) {
        if (isNewline(c)) {
            pieces << piece;
            piece.clear();
        } else {
            piece += c;
        }
    }
    pieces << piece;
    QStringList kept;
    for (const QString &untrimmed : pieces) {
        const QString trimmed = untrimmed.trimmed();
        bool letter = false;
        for (char32_t c : trimmed.toUcs4())
            letter = letter || isLetterDigitOrListed(c);
        if (!trimmed.isEmpty() && characterCount(trimmed) < 3 && !letter)
            continue;
        if (trimmed.isEmpty() && !kept.isEmpty() && kept.last().isEmpty())
            continue;
        kept << trimmed;
    }
    return kept.join(QLatin1Char('\n')).trimmed();
}

inline QString scanShiftJis(const QByteArray &data, qsizetype start = 0)
{
    QString result;
    QByteArray run;
    auto flush = [&] {
        appendShiftJisRun(run, result);
        run.clear();
    };
    for (qsizetype i = start; i < data.size();) {
        const uchar b = uchar(data[i]);
        if (isAsciiText(b)) {
            run += char(b);
            ++i;
        } else if (i + 1 < data.size() && isShiftJisLead(b)) {
            if (isShiftJisTrail(uchar(data[i + 1]))) {
                run += data.mid(i, 2);
                i += 2;
            } else {
                flush();
                ++i;
            }
        } else if (isHalfWidthKatakana(b)) {
            run += char(b);
            ++i;
        } else {
            flush();
            ++i;
        }
    }
    flush();
    return cleanExtractedText(result);
}

inline QString scanUtf16(const QByteArray &data)
{
    QString result;
    std::vector<char16_t> run;
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        const char16_t unit = char16_t(uchar(data[i]) | (uchar(data[i + 1]) << 8));
        if (isUtf16Text(unit)) {
            run.push_back(unit);
        } else {
            appendUtf16Run(run, result);
            run.clear();
        }
    }
    appendUtf16Run(run, result);
    if (characterCount(result.trimmed()) < 10) {
        const QString shiftJis = scanShiftJis(data);
        if (characterCount(shiftJis) > characterCount(result))
            return shiftJis;
    }
    return cleanExtractedText(result);
}

inline std::optional<QString> plainTextContent(const QByteArray &data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(data.mid(3));
    for (char byte : data) {
        const uchar b = uchar(byte);
        if ((b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D) || b == 0x7F)
            return std::nullopt;
    }
    return TextEncoding::decodeCp932(data);
}

inline QString parseIchitaro(const QByteArray &data)
{
    const bool isCompoundFile = data.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    if (!isCompoundFile) {
        if (std::optional<QString> text = plainTextContent(data))
            return *text;
    }
    return isCompoundFile ? scanUtf16(data) : scanShiftJis(data);
}

inline QString extractWordPerfect(const QByteArray &data)
{
    const bool isSigned = data.startsWith("\xFFWPC");
    if (!isSigned) {
        if (std::optional<QString> text = plainTextContent(data))
            return *text;
    }
    if (data.size() < 8)
        return QString();
    quint64 start = 0;
    if (isSigned) {
        const quint64 offset = quint64(uchar(data[4])) | quint64(uchar(data[5])) << 8
            | quint64(uchar(data[6])) << 16 | quint64(uchar(data[7])) << 24;
        start = offset != 0 && offset < quint64(data.size()) ? offset : 76;
    }
    return start >= quint64(data.size()) ? QString() : scanShiftJis(data, qsizetype(start));
}

} // namespace ExtractorReference
