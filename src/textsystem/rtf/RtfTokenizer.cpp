#include "textsystem/rtf/RtfTokenizer.h"

#include <limits>

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

RtfToken RtfTokenizer::next()
{
    RtfToken token;
    if (m_pendingBinary >= 0) {
        const qsizetype length = qMin(m_pendingBinary, m_data.size() - m_position);
        m_pendingBinary = -1;
        token.type = RtfToken::Type::Binary;
        token.bytes = m_data.sliced(m_position, length);
        m_position += length;
        return token;
    }
    while (m_position < m_data.size()) {
        const char c = m_data[m_position];
        if (c == '\r' || c == '\n') {
            ++m_position;
            continue;
        }
        if (c == '{' || c == '}') {
            ++m_position;
            token.type = c == '{' ? RtfToken::Type::GroupStart : RtfToken::Type::GroupEnd;
            return token;
        }
        if (c == '\\')
            return readControl();
        return readText();
    }
    return token;
}

RtfToken RtfTokenizer::readControl()
{
    RtfToken token;
    const qsizetype size = m_data.size();
    ++m_position; // the backslash
    if (m_position >= size)
        return token;
    const char first = m_data[m_position];
    if (!isLetter(first)) {
        ++m_position;
        if (first == '\\' || first == '{' || first == '}') {
            token.type = RtfToken::Type::Text;
            token.bytes = m_data.sliced(m_position - 1, 1);
        } else if (first == '\'') {
            const int high = m_position < size ? hexValue(m_data[m_position]) : -1;
            const int low = m_position + 1 < size ? hexValue(m_data[m_position + 1]) : -1;
            if (high < 0 || low < 0) {
                token.type = RtfToken::Type::Text; // a broken escape is dropped
                return token;
            }
            m_position += 2;
            token.type = RtfToken::Type::HexByte;
            token.byte = uchar(high * 16 + low);
        } else {
            token.type = RtfToken::Type::ControlSymbol;
            token.symbol = first == '\r' ? '\n' : first;
        }
        return token;
    }

    const qsizetype nameStart = m_position;
    while (m_position < size && isLetter(m_data[m_position]))
        ++m_position;
    token.type = RtfToken::Type::ControlWord;
    token.name = m_data.sliced(nameStart, m_position - nameStart);

    bool negative = false;
    if (m_position + 1 < size && m_data[m_position] == '-' && isDigit(m_data[m_position + 1])) {
        negative = true;
        ++m_position;
    }
    if (m_position < size && isDigit(m_data[m_position])) {
        qint64 value = 0;
        while (m_position < size && isDigit(m_data[m_position])) {
            value = qMin<qint64>(value * 10 + (m_data[m_position] - '0'), qint64(1) << 32);
            ++m_position;
        }
        value = negative ? -value : value;
        value = qBound(qint64(std::numeric_limits<int>::min()), value, qint64(std::numeric_limits<int>::max()));
        token.parameter = int(value);
    }
    if (m_position < size && m_data[m_position] == ' ')
        ++m_position;
    if (token.name == "bin")
        m_pendingBinary = qMax(0, token.parameter.value_or(0));
    return token;
}

RtfToken RtfTokenizer::readText()
{
    RtfToken token;
    token.type = RtfToken::Type::Text;
    const qsizetype start = m_position;
    while (m_position < m_data.size()) {
        const char c = m_data[m_position];
        if (c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n')
            break;
        ++m_position;
    }
    token.bytes = m_data.sliced(start, m_position - start);
    return token;
}
