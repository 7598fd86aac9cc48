#include "spreadsheet/engine/files/LotusParser.h"

#include "platform/NumberText.h"
#include "platform/TextEncoding.h"

#include <QStringDecoder>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

enum Opcode : quint16 { BeginningOfFile = 0x00, Integer = 0x0D, Number = 0x0E, Label = 0x0F };

constexpr int headerSize = 4;
constexpr int addressSize = 5; // format byte, column, row

quint16 readUInt16LE(const char *bytes)
{
    return quint16(quint8(bytes[0]) | (quint8(bytes[1]) << 8));
}

QString decodeText(const QByteArray &bytes)
{
    if (const auto text = TextEncoding::decodeCp932(bytes))
        return *text;
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = strict.decode(bytes);
    if (!strict.hasError())
        return text;
    return QString::fromUtf8(bytes);
}

bool isAlignmentPrefix(QChar c)
{
    return c == u'\'' || c == u'"' || c == u'^' || c == u'\\';
}

} // namespace

QList<LotusCell> LotusParser::parse(const QByteArray &data) const
{
    QList<LotusCell> cells;
    forEachCell(data, [&cells](const LotusRecord &record) {
        cells.append({record.row, record.col, cellText(record)});
    });
    return cells;
}

void LotusParser::forEachCell(const QByteArray &data, const std::function<void(const LotusRecord &)> &visit) const
{
    qsizetype position = 0;
    while (position + headerSize <= data.size()) {
        const char *header = data.constData() + position;
        const quint16 opcode = readUInt16LE(header);
        const quint16 length = readUInt16LE(header + 2);
        const qsizetype bodyStart = position + headerSize;
        if (bodyStart + length > data.size())
            break;
        if ((opcode == Label && length >= 6) || (opcode == Number && length >= 13)
            || (opcode == Integer && length >= 7)) {
            const char *body = data.constData() + bodyStart;
            visit({readUInt16LE(body + 3), readUInt16LE(body + 1), opcode, QByteArrayView(body, length)});
        }
        position = bodyStart + length;
    }
}

QString LotusParser::cellText(const LotusRecord &record)
{
    const char *value = record.body.data() + addressSize;
    switch (record.opcode) {
    case Label:
        return labelText(QByteArray(value, record.body.size() - addressSize));
    case Number: {
        const quint64 bits = readUInt64LE(QByteArray::fromRawData(value, 8), 0);
        double number = 0;
        std::memcpy(&number, &bits, sizeof number);
        return numberText(number);
    }
    case Integer:
        return QString::number(qint16(readUInt16LE(value)));
    default:
        return {};
    }
}

bool LotusParser::hasBeginningOfFile(const QByteArray &data)
{
    return data.size() >= headerSize && readUInt16LE(data.constData()) == BeginningOfFile
           && readUInt16LE(data.constData() + 2) == 2;
}

quint64 LotusParser::readUInt64LE(const QByteArray &data, qsizetype offset)
{
    if (offset < 0 || offset > data.size() - 8)
        return 0;
    quint64 value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | quint8(data[offset + i]);
    return value;
}

QString LotusParser::labelText(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    QString text = decodeText(zero < 0 ? bytes : bytes.left(zero));
    if (!text.isEmpty() && isAlignmentPrefix(text[0]))
        text.remove(0, 1);
    return text;
}

QString LotusParser::numberText(double value)
{
    if (std::isfinite(value) && value == std::trunc(value)) {
        // printf's "%.0f": exact digits, and "-0" for negative zero.
        char buffer[400]; // the largest double has 309 digits
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0).ptr;
        return QString::fromLatin1(buffer, end - buffer);
    }
    return NumberText::shortest(value);
}
