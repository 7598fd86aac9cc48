#include "textsystem/plain/IchitaroParser.h"

#include "textsystem/plain/Cp932DecodeTable.h"
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

// What a byte is to the Shift-JIS scan, one lookup per byte: a character by
// itself (ASCII text, half-width katakana), a lead byte, a trail byte.
enum ShiftJisByte : uchar { SingleByte = 1, LeadByte = 2, TrailByte = 4 };

struct ShiftJisByteTable {
    uchar flags[256];
    constexpr ShiftJisByteTable() : flags()
    {
        for (int b = 0; b < 256; ++b) {
            flags[b] = uchar((isAsciiText(uchar(b)) || isHalfWidthKatakana(uchar(b)) ? SingleByte : 0)
                             | (isShiftJisLead(uchar(b)) ? LeadByte : 0) | (isShiftJisTrail(uchar(b)) ? TrailByte : 0));
        }
    }
};
constexpr ShiftJisByteTable shiftJisBytes;

constexpr bool isUtf16Text(char16_t unit)
{
    const uint high = unit >> 8;
    return (unit >= 0x20 && unit <= 0x7E) || unit == 0x0A || unit == 0x0D || unit == 0x09
        || (high >= 0x30 && high <= 0x9F) || (high == 0xFF && unit <= 0xFFEF);
}

// isUtf16Text() of every unit, one bit each, so the scan tests a unit
// without branching on it.
struct Utf16TextUnits {
    quint64 bits[0x10000 / 64];
    constexpr Utf16TextUnits() : bits()
    {
        for (uint unit = 0; unit < 0x10000; ++unit) {
            if (isUtf16Text(char16_t(unit)))
                bits[unit / 64] |= quint64(1) << (unit % 64);
        }
    }
    bool contains(uint unit) const { return (bits[unit / 64] >> (unit % 64)) & 1; }
};
constexpr Utf16TextUnits utf16TextUnits;

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

bool isBlank(const QChar *text, qsizetype size)
{
    return std::all_of(text, text + size, [](QChar c) { return isSpace(c.unicode()); });
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

    // Room for `units` more units at once, for a scan that knows its bound.
    void reserve(qsizetype units)
    {
        if (m_length + units > m_text.size()) {
            m_text.resize(m_length + units);
            m_data = m_text.data();
        }
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
    return {decoded->size(), isBlank(out, decoded->size())};
}

// Decodes a run of Shift-JIS bytes into `out`. Text bytes, half-width
// katakana and lead-trail pairs decode through the table; a run with a pair
// that has no character does not decode; a run with any other byte (only
// runs not made by the scan have them), a lead byte at its end or a pair that
// is not one unit goes to the converter whole.
DecodedRun decodeShiftJis(const uchar *bytes, qsizetype size, QChar *out)
{
    const Cp932DecodeTable &table = Cp932DecodeTable::instance();
    qsizetype units = 0;
    bool marked = false;
    qsizetype i = 0;
    for (; i + 1 < size; ++units) {
        const uchar b = bytes[i];
        const char16_t unit = table.unit(b, bytes[i + 1]);
        out[units] = QChar(unit);
        marked |= unit >= Cp932DecodeTable::notSingleUnit;
        i += 1 + (shiftJisBytes.flags[b] & LeadByte ? 1 : 0);
    }
    if (i < size) {
        const uchar b = bytes[i];
        if (shiftJisBytes.flags[b] & LeadByte)
            return decodeWithConverter(bytes, size, out);
        const char16_t unit = table.unit(b, 0);
        out[units++] = QChar(unit);
        marked |= unit >= Cp932DecodeTable::notSingleUnit;
    }
    if (marked) {
        QChar *end = out + units;
        if (std::find(out, end, QChar(Cp932DecodeTable::invalid)) != end)
            return {};
        return decodeWithConverter(bytes, size, out);
    }
    return {units, isBlank(out, units)};
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

// True when all eight bytes of `x` are printable ASCII (0x20 to 0x7E): no
// byte goes below 0x20 when 0x20 is taken off, nor reaches 0x80 when 1 is
// added. A borrow or carry only comes from a byte that fails already.
bool isPrintableAscii8(quint64 x)
{
    return (((x - 0x2020202020202020ull) | (x + 0x0101010101010101ull) | x) & 0x8080808080808080ull) == 0;
}

quint64 loadEight(const uchar *bytes)
{
    quint64 eight;
    std::memcpy(&eight, bytes, 8);
    return eight;
}

// The Shift-JIS scan, decoding as it walks: each run's units go straight to
// their place in the result, and the run is kept or dropped at its end.
void scanShiftJisInto(const QByteArray &data, qsizetype start, ExtractedLines &lines)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();
    const Cp932DecodeTable &table = Cp932DecodeTable::instance();
    qsizetype i = std::clamp<qsizetype>(start, 0, size);
    // Kept runs are followed by a dropped byte (or the end), so the result,
    // line breaks included, has at most one unit more than the bytes scanned.
    lines.reserve(size - i + 2);

    qsizetype runStart = i; // a run is always a contiguous stretch of the data
    QChar *out = lines.beginRun(0);
    qsizetype units = 0;
    bool marked = false; // a unit from the table is one of its markers
    auto endRun = [&](qsizetype end) {
        const qsizetype length = end - runStart;
        if (length >= 3 || (length == 2 && bytes[runStart] >= 0x81)) {
            if (!marked)
                lines.endRun(units, isBlank(out, units));
            else if (std::find(out, out + units, QChar(Cp932DecodeTable::invalid)) == out + units)
                appendShiftJisBytes(bytes + runStart, length, lines); // through the converter
        }
        runStart = end + 1;
        units = 0;
        marked = false;
        out = lines.beginRun(0);
    };
    while (i + 1 < size) {
        if (i + 8 <= size && isPrintableAscii8(loadEight(bytes + i))) {
            for (int k = 0; k < 8; ++k)
                out[units + k] = QChar(char16_t(bytes[i + k]));
            units += 8;
            i += 8;
            continue;
        }
        const uchar b = bytes[i];
        const uchar next = bytes[i + 1];
        const uint flags = shiftJisBytes.flags[b];
        const uint pair = (flags / LeadByte) & (shiftJisBytes.flags[next] / TrailByte) & 1;
        if (!(flags & SingleByte) && !pair) {
            // Neither a character nor the lead of a pair: the run ends and
            // the byte is dropped (a lead byte's follower is looked at again).
            endRun(i);
            ++i;
            continue;
        }
        const char16_t unit = table.unit(b, next);
        out[units++] = QChar(unit);
        marked |= unit >= Cp932DecodeTable::notSingleUnit;
        i += 1 + pair;
    }
    if (i < size) {
        // The last byte has no follower, so a lead byte there ends the run too.
        if (shiftJisBytes.flags[bytes[i]] & SingleByte)
            out[units++] = QChar(table.unit(bytes[i], 0));
        else
            endRun(i);
    }
    endRun(size);
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
    // Scans reserve room for the worst case; give back what was not used.
    if (text.capacity() > 2 * written + 4096)
        text.squeeze();
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
    // A run is a contiguous stretch of text units. The units that end runs
    // are collected a block at a time, then the runs between them are
    // flushed. Where the last block had many ends (binary data, which would
    // defeat branch prediction) the next is read without branching on the
    // data; in text, where ends are rare, a branch is cheaper.
    qsizetype runStart = 0;
    constexpr qsizetype blockUnits = 1024;
    qsizetype ends[blockUnits];
    qsizetype count = 0;
    for (qsizetype i = 0; i < units;) {
        const qsizetype blockEnd = std::min(units, i + blockUnits);
        const bool manyEnds = count > blockUnits / 32;
        count = 0;
        if (manyEnds) {
            for (; i < blockEnd; ++i) {
                ends[count] = i;
                count += !utf16TextUnits.contains(bytes[2 * i] | bytes[2 * i + 1] << 8);
            }
        } else {
            for (; i < blockEnd; ++i) {
                if (!utf16TextUnits.contains(bytes[2 * i] | bytes[2 * i + 1] << 8))
                    ends[count++] = i;
            }
        }
        for (qsizetype k = 0; k < count; ++k) {
            appendUtf16Units(bytes + 2 * runStart, ends[k] - runStart, lines);
            runStart = ends[k] + 1;
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
    const bool kept = run.size() >= 3 || (!run.empty() && run.front() >= 0x3000);
    if (!kept)
        return;
    // Units from anywhere, not only the scan's: decoded as UTF-16 text,
    // where a leading byte-order mark is no character.
    const QString decoded = QString::fromUtf16(run.data(), qsizetype(run.size()));
    ExtractedLines lines(std::move(result));
    std::copy(decoded.begin(), decoded.end(), lines.beginRun(decoded.size()));
    lines.endRun(decoded.size(), isBlank(decoded.constData(), decoded.size()));
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
