#include "spreadsheet/engine/formula/FormulaCode.h"

#include <cmath>
#include <cstring>

namespace {

enum class Tag : char { Cell, Range, Integer, Number, Text };

constexpr qsizetype minCompactedBytes = 64 * 1024;

// An integral number that fits a varint exactly (not -0).
bool isSmallInteger(double value)
{
    return value >= -2147483648.0 && value < 2147483648.0 && value == double(qint64(value))
        && !(value == 0 && std::signbit(value));
}

} // namespace

// Seven bits a byte, the high bit set on all but the last.
void FormulaCode::putUnsigned(quint32 value)
{
    while (value >= 0x80) {
        m_bytes.push_back(char(value | 0x80));
        value >>= 7;
    }
    m_bytes.push_back(char(value));
}

quint32 FormulaCode::getUnsigned(qint32 &offset) const
{
    quint32 value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = quint8(m_bytes[size_t(offset++)]);
        value |= quint32(byte & 0x7f) << shift;
        if (byte < 0x80)
            return value;
    }
}

void FormulaCode::putDouble(double value)
{
    const size_t at = m_bytes.size();
    m_bytes.resize(at + sizeof value);
    std::memcpy(m_bytes.data() + at, &value, sizeof value);
}

double FormulaCode::getDouble(qint32 &offset) const
{
    double value = 0;
    std::memcpy(&value, m_bytes.data() + offset, sizeof value);
    offset += qint32(sizeof value);
    return value;
}

qint32 FormulaCode::append(std::span<const FormulaArgument> arguments, const QString *delimiter,
                           const QStringList &texts)
{
    const auto offset = qint32(m_bytes.size());
    putUnsigned(quint32(arguments.size()));
    putUnsigned(delimiter ? quint32(m_texts.size()) + 1 : 0);
    if (delimiter)
        m_texts.append(*delimiter);
    for (const FormulaArgument &argument : arguments) {
        switch (argument.kind) {
        case FormulaArgument::Kind::Cells: {
            const ExcelRange &cells = argument.cells;
            const bool single = cells.startRow == cells.endRow && cells.startCol == cells.endCol;
            m_bytes.push_back(char(single ? Tag::Cell : Tag::Range));
            putUnsigned(quint32(cells.startRow));
            putUnsigned(quint32(cells.startCol));
            if (!single) {
                putUnsigned(quint32(cells.endRow));
                putUnsigned(quint32(cells.endCol));
            }
            break;
        }
        case FormulaArgument::Kind::Number:
            if (isSmallInteger(argument.number)) {
                const auto integer = qint32(argument.number);
                m_bytes.push_back(char(Tag::Integer));
                putUnsigned((quint32(integer) << 1) ^ quint32(integer >> 31)); // zigzag
            } else {
                m_bytes.push_back(char(Tag::Number));
                putDouble(argument.number);
            }
            break;
        case FormulaArgument::Kind::Text:
            m_bytes.push_back(char(Tag::Text));
            putUnsigned(quint32(m_texts.size()));
            m_texts.append(texts.at(argument.text));
            break;
        }
    }
    return offset;
}

qint32 FormulaCode::append(const CompiledFormula &formula)
{
    const bool joins = formula.function == CompiledFormula::Function::TextJoin;
    return append(formula.arguments, joins ? &formula.delimiter : nullptr, formula.texts);
}

qint32 FormulaCode::read(qint32 offset, Arguments &arguments, qint32 &delimiter) const
{
    const quint32 count = getUnsigned(offset);
    delimiter = qint32(getUnsigned(offset)) - 1;
    arguments.resize(count);
    for (FormulaArgument &argument : arguments) {
        argument = FormulaArgument();
        switch (Tag(m_bytes[size_t(offset++)])) {
        case Tag::Cell:
            argument.cells.startRow = argument.cells.endRow = int(getUnsigned(offset));
            argument.cells.startCol = argument.cells.endCol = int(getUnsigned(offset));
            break;
        case Tag::Range:
            argument.cells.startRow = int(getUnsigned(offset));
            argument.cells.startCol = int(getUnsigned(offset));
            argument.cells.endRow = int(getUnsigned(offset));
            argument.cells.endCol = int(getUnsigned(offset));
            break;
        case Tag::Integer: {
            const quint32 zigzag = getUnsigned(offset);
            argument.kind = FormulaArgument::Kind::Number;
            argument.number = double(qint32(zigzag >> 1) ^ -qint32(zigzag & 1));
            break;
        }
        case Tag::Number:
            argument.kind = FormulaArgument::Kind::Number;
            argument.number = getDouble(offset);
            break;
        case Tag::Text:
            argument.kind = FormulaArgument::Kind::Text;
            argument.text = qint32(getUnsigned(offset));
            break;
        }
    }
    return offset;
}

void FormulaCode::release(qint32 offset)
{
    Arguments arguments;
    qint32 delimiter = -1;
    m_deadBytes += read(offset, arguments, delimiter) - offset;
}

bool FormulaCode::wantsCompaction() const
{
    return m_deadBytes > minCompactedBytes && m_deadBytes > qsizetype(m_bytes.size()) / 2;
}

void FormulaCode::clear()
{
    m_bytes.clear();
    m_texts.clear();
    m_deadBytes = 0;
}
