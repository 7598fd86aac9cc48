#include "IchitaroParser.h"

#include "Cp932PairTable.h"
#include "platform/TextEncoding.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cstring>

namespace {

const QByteArray compoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
const QByteArray utf8ByteOrderMark("\xEF\xBB\xBF", 3);

constexpr bool isShiftJisLead(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool isShiftJisTrail(uchar b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
constexpr bool isAsciiText(uchar b) { return (b >= 0x20 && b <= 0x7E) || b == 0x09 || b == 0x0A || b == 0x0D; }
constexpr bool isHalfWidthKatakana(uchar b) { return b >= 0xA1 && b <= 0xDF; }

// What a byte does in the Shift-JIS scan, looked up once per byte.
enum class ByteClass : uchar { Dropped, Single, Lead };

struct ShiftJisByteClasses {
    ByteClass classes[256];
    constexpr ShiftJisByteClasses() : classes()
    {
        for (int b = 0; b < 256; ++b) {
            classes[b] = isAsciiText(uchar(b)) ? ByteClass::Single
                : isShiftJisLead(uchar(b))     ? ByteClass::Lead
                : isHalfWidthKatakana(uchar(b)) ? ByteClass::Single
                                                : ByteClass::Dropped;
        }
    }
};
constexpr ShiftJisByteClasses byteClasses;

bool isUtf16Text(char16_t unit)
{
    const uint high = unit >> 8;
    return (unit >= 0x20 && unit <= 0x7E) || unit == 0x0A || unit == 0x0D || unit == 0x09
        || (high >= 0x30 && high <= 0x9F) || (high == 0xFF && unit <= 0xFFEF);
}

// QChar::isSpace without a call for most text: every space and separator
// character of Unicode lies at or below U+3000.
bool isSpace(char16_t u)
{
    if (u < 0x80)
        return u == 0x20 || (u >= 0x09 && u <= 0x0D);
    return u <= 0x3000 && QChar::isSpace(u);
}

// The platform's newline set: LF, VT, FF, CR, NEL and the Unicode separators.
bool isNewline(char16_t u)
{
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
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
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

// Unpaired surrogates count as U+FFFD, which is no letter.
bool containsLetterDigitOrListed(QStringView text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        if (isLetterDigitOrListed(c))
            return true;
    }
    return false;
}

// Below U+0300 and without CR every unit is a cluster of its own.
bool isOneClusterPerUnit(QStringView text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x0300 || c == u'\r'; });
}

qsizetype exactCharacterCount(QStringView text)
{
    if (isOneClusterPerUnit(text))
        return text.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

// min(characterCount(text), limit), looking only at as much of a long text
// as it takes. A prefix never has more clusters than the whole: the
// boundaries inside it are the whole's, and its end is one more.
qsizetype characterCountUpTo(QStringView text, qsizetype limit)
{
    qsizetype prefix = std::min(text.size(), 4 * limit + 16);
    for (;;) {
        const qsizetype count = exactCharacterCount(text.first(prefix));
        if (count >= limit)
            return limit;
        if (prefix == text.size())
            return count;
        prefix = std::min(text.size(), 2 * prefix);
    }
}

// The scan result under construction: decoded runs, one a line, written in
// place into a buffer that grows geometrically. A run is decoded straight to
// its final position and kept or dropped afterwards.
class ExtractedLines
{
public:
    explicit ExtractedLines(QString &&text = QString())
        : m_text(std::move(text)), m_data(m_text.data()), m_length(m_text.size())
    {
    }

    // Space for up to `units` units of a run; returns where they go.
    QChar *beginRun(qsizetype units)
    {
        m_needsBreak = m_length > 0 && m_data[m_length - 1] != u'\n';
        m_runStart = m_length + (m_needsBreak ? 1 : 0);
        const qsizetype needed = m_runStart + units;
        if (needed > m_text.size()) {
            m_text.resize(std::max(needed, m_text.size() + m_text.size() / 2 + 4096));
            m_data = m_text.data();
        }
        return m_data + m_runStart;
    }

    // Keeps the `units` units written since beginRun(), after a line break
    // when one is due. `blank` runs (white space only) are dropped.
    void endRun(qsizetype units, bool blank)
    {
        if (blank)
            return;
        if (m_needsBreak)
            m_data[m_length] = u'\n';
        m_length = m_runStart + units;
    }

    QString take()
    {
        m_text.truncate(m_length);
        return std::move(m_text);
    }

private:
    QString m_text;
    QChar *m_data;
    qsizetype m_length;
    qsizetype m_runStart = 0;
    bool m_needsBreak = false;
};

void appendUtf16Units(const uchar *bytes, qsizetype units, ExtractedLines &lines)
{
    const bool kept = units >= 3 || (units > 0 && (bytes[0] | bytes[1] << 8) >= 0x3000);
    if (!kept)
        return;
    QChar *out = lines.beginRun(units);
    bool blank = true;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = char16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
        blank = blank && isSpace(unit);
        out[i] = QChar(unit);
    }
    // Surrogates never pass the unit test of the scan, so decoding cannot fail.
    lines.endRun(units, blank);
}

// A run as decoded: its length in units (-1 when it does not decode) and
// whether it is white space only.
struct DecodedRun {
    qsizetype units = -1;
    bool blank = true;
};

// Decodes a whole run through the converter into `out`; fails when it does
// not decode or would not fit the `size` units reserved for it.
DecodedRun decodeWithConverter(const uchar *bytes, qsizetype size, QChar *out)
{
    const std::optional<QString> decoded
        = TextEncoding::decodeCp932(QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), size));
    if (!decoded || decoded->size() > size)
        return {};
    std::copy(decoded->begin(), decoded->end(), out);
    return {decoded->size(), std::all_of(out, out + decoded->size(), [](QChar c) { return isSpace(c.unicode()); })};
}

// Decodes a run of Shift-JIS bytes into `out`. Runs of the scan (text bytes,
// half-width katakana and lead-trail pairs) decode through the tables; any
// other byte, or a pair that is not a single unit, sends the whole run to the
// converter.
DecodedRun decodeShiftJis(const uchar *bytes, qsizetype size, QChar *out)
{
    QChar *next = out;
    bool blank = true;
    for (qsizetype i = 0; i < size; ++i) {
        const uchar b = bytes[i];
        if (b < 0x80) {
            blank = blank && isSpace(b);
            *next++ = QChar(char16_t(b));
        } else if (isHalfWidthKatakana(b)) {
            blank = false;
            *next++ = QChar(char16_t(0xFF61 + (b - 0xA1)));
        } else if (isShiftJisLead(b) && i + 1 < size && isShiftJisTrail(bytes[i + 1])) {
            const char16_t unit = Cp932PairTable::unit(b, bytes[++i]);
            if (unit == Cp932PairTable::invalid)
                return {};
            if (unit == Cp932PairTable::notSingleUnit)
                return decodeWithConverter(bytes, size, out);
            blank = blank && isSpace(unit);
            *next++ = QChar(unit);
        } else {
            return decodeWithConverter(bytes, size, out);
        }
    }
    return {next - out, blank};
}

void appendShiftJisBytes(const uchar *bytes, qsizetype size, ExtractedLines &lines)
{
    const bool kept = size >= 3 || (size == 2 && bytes[0] >= 0x81);
    if (!kept)
        return;
    // A run never decodes to more units than it has bytes.
    const DecodedRun run = decodeShiftJis(bytes, size, lines.beginRun(size));
    if (run.units >= 0)
        lines.endRun(run.units, run.blank);
}

void scanShiftJisInto(const QByteArray &data, qsizetype start, ExtractedLines &lines)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();
    // A run is always a contiguous stretch of the data: every byte that does
    // not join it ends it.
    qsizetype runStart = std::clamp<qsizetype>(start, 0, size);
    qsizetype i = runStart;
    auto flush = [&](qsizetype next) {
        appendShiftJisBytes(bytes + runStart, i - runStart, lines);
        runStart = i = next;
    };
    while (i < size) {
        while (i < size && byteClasses.classes[bytes[i]] == ByteClass::Single)
            ++i;
        if (i == size)
            break;
        switch (byteClasses.classes[bytes[i]]) {
        case ByteClass::Single:
            break;
        case ByteClass::Lead:
            if (i + 1 < size && isShiftJisTrail(bytes[i + 1]))
                i += 2;
            else
                flush(i + 1); // the trail byte is looked at again on its own
            break;
        case ByteClass::Dropped:
            flush(i + 1);
            break;
        }
    }
    flush(size);
}

bool hasOnlyTextBytes(const QByteArray &data)
{
    return std::all_of(data.begin(), data.end(), [](char byte) {
        const uchar b = uchar(byte);
        return (b >= 0x20 || b == 0x09 || b == 0x0A || b == 0x0D) && b != 0x7F;
    });
}

// cleanExtractedText() in place: the kept pieces never start before the
// text they are copied from, so they move towards the front of the buffer.
QString cleanInPlace(QString text)
{
    QChar *data = text.data();
    const qsizetype size = text.size();
    qsizetype written = 0;
    bool lastKeptWasEmpty = false;
    bool blankLineDue = false;
    auto consider = [&](qsizetype begin, qsizetype end) {
        while (begin < end && isSpace(data[begin].unicode()))
            ++begin;
        while (end > begin && isSpace(data[end - 1].unicode()))
            --end;
        const QStringView piece(data + begin, end - begin);
        if (piece.isEmpty()) {
            // Blank lines collapse to one, and none is kept at either end.
            if (!lastKeptWasEmpty && written > 0)
                blankLineDue = true;
            lastKeptWasEmpty = true;
            return;
        }
        const bool keep = containsLetterDigitOrListed(piece)
            || (piece.size() >= 3 && characterCountUpTo(piece, 3) == 3);
        if (!keep)
            return;
        if (written > 0)
            data[written++] = u'\n';
        if (blankLineDue)
            data[written++] = u'\n';
        std::memmove(data + written, piece.data(), size_t(piece.size()) * sizeof(QChar));
        written += piece.size();
        lastKeptWasEmpty = blankLineDue = false;
    };
    qsizetype pieceStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (isNewline(data[i].unicode())) {
            consider(pieceStart, i);
            pieceStart = i + 1;
        }
    }
    consider(pieceStart, size);
    text.truncate(written);
    return text;
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
    ExtractedLines lines;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype units = data.size() / 2;
    // As in the Shift-JIS scan, a run is a contiguous stretch of units.
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < units; ++i) {
        if (!isUtf16Text(char16_t(bytes[2 * i] | bytes[2 * i + 1] << 8))) {
            appendUtf16Units(bytes + 2 * runStart, i - runStart, lines);
            runStart = i + 1;
        }
    }
    appendUtf16Units(bytes + 2 * runStart, units - runStart, lines);
    QString result = lines.take();

    if (characterCountUpTo(QStringView(result).trimmed(), 10) < 10) {
        const qsizetype resultCount = characterCount(result);
        QString shiftJis = scanShiftJis(data);
        if (characterCountUpTo(shiftJis, resultCount + 1) > resultCount)
            return shiftJis;
    }
    return cleanInPlace(std::move(result));
}

QString IchitaroParser::scanShiftJis(const QByteArray &data, qsizetype start)
{
    ExtractedLines lines;
    scanShiftJisInto(data, start, lines);
    return cleanInPlace(lines.take());
}

void IchitaroParser::appendUtf16Run(const std::vector<char16_t> &run, QString &result)
{
    QByteArray bytes(qsizetype(run.size()) * 2, Qt::Uninitialized);
    for (size_t i = 0; i < run.size(); ++i) {
        bytes[qsizetype(2 * i)] = char(run[i] & 0xFF);
        bytes[qsizetype(2 * i + 1)] = char(run[i] >> 8);
    }
    ExtractedLines lines(std::move(result));
    appendUtf16Units(reinterpret_cast<const uchar *>(bytes.constData()), qsizetype(run.size()), lines);
    result = lines.take();
}

void IchitaroParser::appendShiftJisRun(const QByteArray &run, QString &result)
{
    ExtractedLines lines(std::move(result));
    appendShiftJisBytes(reinterpret_cast<const uchar *>(run.constData()), run.size(), lines);
    result = lines.take();
}

QString IchitaroParser::cleanExtractedText(const QString &text)
{
    return cleanInPlace(text);
}

qsizetype IchitaroParser::characterCount(const QString &text)
{
    return exactCharacterCount(text);
}
