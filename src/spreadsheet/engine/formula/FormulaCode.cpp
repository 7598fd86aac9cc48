#include "spreadsheet/engine/formula/FormulaCode.h"

#include <cstring>

namespace {

enum class Tag : char { Cell, Range, Number, Text };

constexpr qsizetype minCompactedBytes = 64 * 1024;

} // namespace

template<typename T>
void FormulaCode::put(const T &value)
{
    const size_t at = m_bytes.size();
    m_bytes.resize(at + sizeof(T));
    std::memcpy(m_bytes.data() + at, &value, sizeof(T));
}

template<typename T>
T FormulaCode::get(qint32 &offset) const
{
    T value;
    std::memcpy(&value, m_bytes.data() + offset, sizeof(T));
    offset += qint32(sizeof(T));
    return value;
}

qint32 FormulaCode::append(std::span<const FormulaArgument> arguments, const QString *delimiter,
                           const QStringList &texts)
{
    const auto offset = qint32(m_bytes.size());
    put(qint32(arguments.size()));
    put(qint32(delimiter ? m_texts.size() : -1));
    if (delimiter)
        m_texts.append(*delimiter);
    for (const FormulaArgument &argument : arguments) {
        switch (argument.kind) {
        case FormulaArgument::Kind::Cells: {
            const ExcelRange &cells = argument.cells;
            const bool single = cells.startRow == cells.endRow && cells.startCol == cells.endCol;
            put(single ? Tag::Cell : Tag::Range);
            put(qint32(cells.startRow));
            put(qint32(cells.startCol));
            if (!single) {
                put(qint32(cells.endRow));
                put(qint32(cells.endCol));
            }
            break;
        }
        case FormulaArgument::Kind::Number:
            put(Tag::Number);
            put(argument.number);
            break;
        case FormulaArgument::Kind::Text:
            put(Tag::Text);
            put(qint32(m_texts.size()));
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
    const auto count = get<qint32>(offset);
    delimiter = get<qint32>(offset);
    arguments.resize(count);
    for (FormulaArgument &argument : arguments) {
        argument = FormulaArgument();
        switch (get<Tag>(offset)) {
        case Tag::Cell:
            argument.cells.startRow = argument.cells.endRow = get<qint32>(offset);
            argument.cells.startCol = argument.cells.endCol = get<qint32>(offset);
            break;
        case Tag::Range:
            argument.cells.startRow = get<qint32>(offset);
            argument.cells.startCol = get<qint32>(offset);
            argument.cells.endRow = get<qint32>(offset);
            argument.cells.endCol = get<qint32>(offset);
            break;
        case Tag::Number:
            argument.kind = FormulaArgument::Kind::Number;
            argument.number = get<double>(offset);
            break;
        case Tag::Text:
            argument.kind = FormulaArgument::Kind::Text;
            argument.text = get<qint32>(offset);
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
