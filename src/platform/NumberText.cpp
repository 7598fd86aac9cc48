#include "NumberText.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <locale.h>

namespace {

// strtod_l with this object reads a point whatever LC_NUMERIC the process has.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

bool isCBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// False for a text strtod cannot read a number from: after an optional sign
// it must go on with a digit, a point, "inf" or "nan" (any case). Most texts
// of a sheet are thus refused without copying them.
bool canStartNumber(QStringView text)
{
    const qsizetype at = text.front() == u'+' || text.front() == u'-' ? 1 : 0;
    if (at >= text.size())
        return false;
    const char16_t c = text.at(at).unicode();
    return (c >= u'0' && c <= u'9') || c == u'.' || c == u'i' || c == u'I' || c == u'n' || c == u'N';
}

// The text as ASCII bytes with a terminating NUL; false when it holds any other
// character (which strtod would never consume anyway).
bool toAscii(QStringView text, QVarLengthArray<char, 64> &out)
{
    out.resize(text.size() + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == 0 || c > 0x7f)
            return false;
        out[i] = char(c);
    }
    out[text.size()] = '\0';
    return true;
}

// The value of a short plain decimal ("12", "-0.5", "3.", ".25": an optional
// minus, at most 15 digits and at most one point, nothing else); nullopt for
// any other text. Its digits make an integer below 2^53 and its point a
// power of ten that doubles hold exactly, so one division gives the
// correctly rounded value, as strtod does.
std::optional<double> shortDecimal(QStringView text)
{
    static constexpr double powersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = text.front() == u'-';
    qint64 digits = 0;
    int count = 0;
    int decimals = -1; // digits after the point; -1 before one
    for (qsizetype i = negative ? 1 : 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= u'0' && c <= u'9') {
            if (++count > 15)
                return std::nullopt;
            digits = digits * 10 + (c - u'0');
            if (decimals >= 0)
                ++decimals;
        } else if (c == u'.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0)
        return std::nullopt;
    const double magnitude = double(digits) / powersOfTen[std::max(decimals, 0)];
    return negative ? -magnitude : magnitude;
}

// Decimal exponent of a scientific text such as "1.5e+16" or "1e-05".
int exponentOf(std::string_view scientific)
{
    const auto e = scientific.find('e');
    int exponent = 0;
    std::from_chars(scientific.data() + e + 2, scientific.data() + scientific.size(), exponent);
    return scientific[e + 1] == '-' ? -exponent : exponent;
}

} // namespace

namespace NumberText {

std::optional<double> toDouble(QStringView text)
{
    if (text.isEmpty() || isCBlank(text.front().unicode()) || !canStartNumber(text))
        return std::nullopt;
    if (const auto quick = shortDecimal(text))
        return quick;
    QVarLengthArray<char, 64> ascii;
    if (!toAscii(text, ascii))
        return std::nullopt;
    // from_chars reads a plain decimal text to the same double as strtod, many
    // times faster; a '+' sign, hexadecimal, words, out-of-range values and
    // everything else it does not take whole go to strtod.
    const char first = ascii[0] == '-' ? ascii[1] : ascii[0];
    if ((first >= '0' && first <= '9') || first == '.') {
        double quick = 0;
        const auto [stop, problem] = std::from_chars(ascii.data(), ascii.data() + text.size(), quick);
        if (problem == std::errc() && stop == ascii.data() + text.size())
            return quick;
    }
    char *end = nullptr;
    const double value = strtod_l(ascii.data(), &end, cLocale());
    if (end != ascii.data() + text.size())
        return std::nullopt;
    return value;
}

bool isNumber(const QString &text)
{
    return toDouble(text).has_value();
}

std::optional<qint64> toInteger(const QString &text)
{
    qsizetype start = 0;
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        start = 1;
    }
    if (start == text.size())
        return std::nullopt;
    // Accumulate as a negative number so that the lowest value fits too.
    qint64 value = 0;
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    for (qsizetype i = start; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (lowest + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    if (value == lowest)
        return std::nullopt;
    return -value;
}

QString shortest(double value)
{
    ShortestBuffer buffer;
    return QString::fromLatin1(buffer.data(), writeShortest(value, buffer) - buffer.data());
}

char *writeShortest(double value, ShortestBuffer &buffer)
{
    const auto copied = [&buffer](std::string_view text) {
        return std::copy(text.begin(), text.end(), buffer.data());
    };
    if (std::isnan(value))
        return copied("nan");
    if (std::isinf(value))
        return copied(value < 0 ? "-inf" : "inf");
    char *const begin = buffer.data();
    char *const end = begin + buffer.size();
    // Well inside the fixed range the rounded digits cannot reach another
    // notation's exponent, so one pass is enough.
    const double magnitude = std::fabs(value);
    if (magnitude == 0 || (magnitude >= 1e-3 && magnitude < 1e14))
        return std::to_chars(begin, end, value, std::chars_format::fixed).ptr;
    // Elsewhere the shortest scientific text carries the exponent of the
    // rounded digits, which decides between the two notations.
    auto result = std::to_chars(begin, end, value, std::chars_format::scientific);
    const int exponent = exponentOf(std::string_view(begin, result.ptr - begin));
    if (exponent >= -4 && exponent <= 15)
        result = std::to_chars(begin, end, value, std::chars_format::fixed);
    return result.ptr;
}

QString fixed(double value, int decimals)
{
    // QString::number always formats in the C locale.
    return QString::number(value, 'f', qMax(decimals, 0));
}

} // namespace NumberText
