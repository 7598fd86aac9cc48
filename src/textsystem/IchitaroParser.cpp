#include "IchitaroParser.h"

#include "platform/TextEncoding.h"

#include <QList>
#include <QStringList>
#include <QTextBoundaryFinder>

namespace {

const QByteArray compoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
const QByteArray utf8ByteOrderMark("\xEF\xBB\xBF", 3);

bool isShiftJisLead(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isShiftJisTrail(uchar b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
bool isAsciiText(uchar b) { return (b >= 0x20 && b <= 0x7E) || b == 0x09 || b == 0x0A || b == 0x0D; }
bool isHalfWidthKatakana(uchar b) { return b >= 0xA1 && b <= 0xDF; }

bool isUtf16Text(char16_t unit)
{
    const uint high = unit >> 8;
    return (unit >= 0x20 && unit <= 0x7E) || unit == 0x0A || unit == 0x0D || unit == 0x09
        || (high >= 0x30 && high <= 0x9F) || (high == 0xFF && unit <= 0xFFEF);
}

// The platform's newline set: LF, VT, FF, CR, NEL and the Unicode separators.
bool isNewline(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// The nine characters of "ぁ-んァ-ヶ亜-熙" (the hyphens are characters, not ranges).
bool isListedKanaOrKanji(char32_t c)
{
    return c == U'ぁ' || c == U'-' || c == U'ん' || c == U'ァ' || c == U'ヶ' || c == U'亜' || c == U'熙';
}

// Letters include the combining marks; digits are the decimal digits.
bool isLetterDigitOrListed(char32_t c)
{
    if (isListedKanaOrKanji(c))
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

bool containsLetterDigitOrListed(const QString &text)
{
    for (char32_t c : text.toUcs4()) {
        if (isLetterDigitOrListed(c))
            return true;
    }
    return false;
}

// A decoded run joins the result on a line of its own; blank runs are skipped.
void appendDecodedRun(const QString &decoded, QString &result)
{
    if (decoded.trimmed().isEmpty())
        return;
    if (!result.isEmpty() && !result.endsWith(QLatin1Char('\n')))
        result += QLatin1Char('\n');
    result += decoded;
}

// ASCII and half-width katakana decode without a table; only runs holding
// double-byte characters need the CP932 converter.
std::optional<QString> decodeShiftJisRun(const QByteArray &run)
{
    QString text;
    text.reserve(run.size());
    for (char byte : run) {
        const uchar b = uchar(byte);
        if (b < 0x80)
            text += QLatin1Char(char(b));
        else if (isHalfWidthKatakana(b))
            text += QChar(char16_t(0xFF61 + (b - 0xA1)));
        else
            return TextEncoding::decodeCp932(run);
    }
    return text;
}

bool hasOnlyTextBytes(const QByteArray &data)
{
    for (char byte : data) {
        const uchar b = uchar(byte);
        if ((b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D) || b == 0x7F)
            return false;
    }
    return true;
}

} // namespace

QString IchitaroParser::parse(const QByteArray &data)
{
    const bool isCompoundFile = data.startsWith(compoundFileSignature);
    if (!isCompoundFile) {
        if (std::optional<QString> text = plainTextContent(data))
            return *text;
    }
    if (data.size() >= 8 && isCompoundFile)
        return scanUtf16(data);
    return scanShiftJis(data);
}

std::optional<QString> IchitaroParser::plainTextContent(const QByteArray &data)
{
    if (data.startsWith(utf8ByteOrderMark))
        return QString::fromUtf8(data.constData() + 3, data.size() - 3);
    if (!hasOnlyTextBytes(data))
        return std::nullopt;
    return TextEncoding::decodeCp932(data);
}

QString IchitaroParser::scanUtf16(const QByteArray &data)
{
    QString result;
    std::vector<char16_t> run;
    const qsizetype pairs = data.size() / 2;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    for (qsizetype i = 0; i < pairs; ++i) {
        const char16_t unit = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
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

QString IchitaroParser::scanShiftJis(const QByteArray &data, qsizetype start)
{
    QString result;
    QByteArray run;
    const qsizetype size = data.size();
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    auto flush = [&] {
        appendShiftJisRun(run, result);
        run.clear();
    };
    qsizetype i = qMax<qsizetype>(start, 0);
    while (i < size) {
        const uchar b = bytes[i];
        if (isAsciiText(b)) {
            run += char(b);
            ++i;
        } else if (i + 1 < size && isShiftJisLead(b)) {
            const uchar trail = bytes[i + 1];
            if (isShiftJisTrail(trail)) {
                run += char(b);
                run += char(trail);
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

void IchitaroParser::appendUtf16Run(const std::vector<char16_t> &run, QString &result)
{
    const bool kept = run.size() >= 3 || (!run.empty() && run.front() >= 0x3000);
    if (!kept)
        return;
    // Surrogates never pass the unit test of the scan, so decoding cannot fail.
    appendDecodedRun(QString::fromUtf16(run.data(), qsizetype(run.size())), result);
}

void IchitaroParser::appendShiftJisRun(const QByteArray &run, QString &result)
{
    const bool kept = run.size() >= 3 || (run.size() == 2 && uchar(run.at(0)) >= 0x81);
    if (!kept)
        return;
    if (const std::optional<QString> decoded = decodeShiftJisRun(run))
        appendDecodedRun(*decoded, result);
}

QString IchitaroParser::cleanExtractedText(const QString &text)
{
    QStringList kept;
    bool lastKeptWasEmpty = false;
    auto consider = [&](QStringView piece) {
        const QString trimmed = piece.trimmed().toString();
        const bool keep = trimmed.isEmpty() || characterCount(trimmed) >= 3
            || containsLetterDigitOrListed(trimmed);
        if (!keep)
            return;
        if (trimmed.isEmpty() && lastKeptWasEmpty)
            return;
        kept.append(trimmed);
        lastKeptWasEmpty = trimmed.isEmpty();
    };
    qsizetype pieceStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNewline(text.at(i))) {
            consider(QStringView(text).sliced(pieceStart, i - pieceStart));
            pieceStart = i + 1;
        }
    }
    consider(QStringView(text).sliced(pieceStart));
    return kept.join(QLatin1Char('\n')).trimmed();
}

qsizetype IchitaroParser::characterCount(const QString &text)
{
    bool simple = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x0300 || c == QLatin1Char('\r')) {
            simple = false;
            break;
        }
    }
    if (simple)
        return text.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}
