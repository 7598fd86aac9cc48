#include "platform/WindowsCodePage.h"

#include "platform/TextEncoding.h"

#include <cerrno>
#include <iconv.h>
#include <optional>

namespace {

// Windows-1252 0x80-0x9F; the rest of the page is Latin-1.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2014, 0x2013, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char byte : bytes) {
        const uchar b = uchar(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? windows1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

bool isShiftJisLead(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// CP932 without failing: the whole at once, else one character at a time.
QString decodeShiftJis(const QByteArray &bytes)
{
    if (std::optional<QString> text = TextEncoding::decodeCp932(bytes))
        return *text;
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype width = isShiftJisLead(uchar(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        const std::optional<QString> piece = TextEncoding::decodeCp932(bytes.mid(i, width));
        text += piece ? *piece : QString(QChar::ReplacementCharacter);
        i += width;
    }
    return text;
}

// Any other code page through iconv ("CP1251", "MACINTOSH", ...).
std::optional<QString> decodeWithIconv(const QByteArray &bytes, const char *codec)
{
    iconv_t cd = iconv_open("UTF-16LE", codec);
    if (cd == iconv_t(-1))
        return std::nullopt;
    QByteArray out(bytes.size() * 4 + 8, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *outPointer = out.data();
    size_t outLeft = size_t(out.size());
    QString text;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPointer, &outLeft) != size_t(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        // An unmapped byte: keep what came before, mark it and go on after it.
        text += TextEncoding::decodeUtf16LE(QByteArray(out.constData(), outPointer - out.constData()));
        text += QChar::ReplacementCharacter;
        outPointer = out.data();
        outLeft = size_t(out.size());
        ++in;
        --inLeft;
    }
    text += TextEncoding::decodeUtf16LE(QByteArray(out.constData(), outPointer - out.constData()));
    iconv_close(cd);
    return text;
}

QByteArray iconvName(int codePage)
{
    if (codePage == WindowsCodePage::macRoman)
        return "MACINTOSH";
    return "CP" + QByteArray::number(codePage);
}

} // namespace

namespace WindowsCodePage {

int fromCharset(int charset)
{
    switch (charset) {
    case 77: return macRoman;
    case 128: return shiftJis;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0;
    }
}

QString decode(const QByteArray &bytes, int codePage)
{
    switch (codePage) {
    case shiftJis: return decodeShiftJis(bytes);
    case utf8: return QString::fromUtf8(bytes);
    case ansi: return decodeWindows1252(bytes);
    default:
        if (std::optional<QString> text = decodeWithIconv(bytes, iconvName(codePage).constData()))
            return *text;
        return decodeWindows1252(bytes);
    }
}

} // namespace WindowsCodePage
