#include "ColorHex.h"

#include <QTextBoundaryFinder>

#include <limits>

namespace {

// Alphanumerics as the platform's character sets define them: the general
// categories of letters (L*), marks (M*) and numbers (N*).
bool isAlphanumeric(char32_t ucs4)
{
    return QChar::isLetterOrNumber(ucs4) || QChar::isMark(ucs4);
}

bool isAlphanumericAt(const QString &text, qsizetype index, qsizetype *width)
{
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        *width = 2;
        return isAlphanumeric(QChar::surrogateToUcs4(c, text.at(index + 1)));
    }
    *width = 1;
    return isAlphanumeric(c.unicode());
}

bool isAlphanumericBefore(const QString &text, qsizetype end, qsizetype *width)
{
    const QChar c = text.at(end - 1);
    if (c.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate())
        return isAlphanumericAt(text, end - 2, width);
    return isAlphanumericAt(text, end - 1, width);
}

// Drops every code point that is not alphanumeric from both ends; the inside
// of the text is left alone.
QString trimToAlphanumerics(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    qsizetype width = 0;
    while (begin < end && !isAlphanumericAt(text, begin, &width))
        begin += width;
    while (end > begin && !isAlphanumericBefore(text, end, &width))
        end -= width;
    return text.mid(begin, end - begin);
}

// User-perceived characters, so a letter with a combining mark counts once.
int characterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Reads hexadecimal digits from the start, after an optional "0x"/"0X", up
// to the first other character. Nothing readable gives 0; a value past 64
// bits saturates.
quint64 scanHex(const QString &text)
{
    qsizetype i = 0;
    if (text.size() > 2 && text.at(0) == u'0' && (text.at(1) == u'x' || text.at(1) == u'X')
        && hexDigitValue(text.at(2)) >= 0)
        i = 2;
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit = hexDigitValue(text.at(i));
        if (digit < 0)
            break;
        if (value > (std::numeric_limits<quint64>::max() >> 4))
            value = std::numeric_limits<quint64>::max();
        else
            value = (value << 4) | quint64(digit);
    }
    return value;
}

// 16-bit channel to 0-255, truncating: exactly (int)(channel / 65535 * 255)
// without the rounding error of going through a double.
int truncatedByte(int channel16)
{
    return channel16 / 257;
}

} // namespace

namespace ColorHex {

QColor colorFromHex(const QString &hex)
{
    const QString trimmed = trimToAlphanumerics(hex);
    const quint64 v = scanHex(trimmed);
    switch (characterCount(trimmed)) {
    case 3:
        return QColor::fromRgb(int((v >> 8) & 0xF) * 17, int((v >> 4) & 0xF) * 17,
                               int(v & 0xF) * 17);
    case 6:
        return QColor::fromRgb(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF));
    case 8:
        return QColor::fromRgb(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF),
                               int((v >> 24) & 0xFF));
    default:
        return QColor::fromRgb(1, 1, 0, 1);
    }
}

QString toHex(const QColor &color)
{
    if (!color.isValid())
        return QStringLiteral("#FFFFFF");
    const QRgba64 rgb = color.toRgb().rgba64();
    return QStringLiteral("#%1%2%3")
        .arg(truncatedByte(rgb.red()), 2, 16, QLatin1Char('0'))
        .arg(truncatedByte(rgb.green()), 2, 16, QLatin1Char('0'))
        .arg(truncatedByte(rgb.blue()), 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace ColorHex
