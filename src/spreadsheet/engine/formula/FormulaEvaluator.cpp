#include "spreadsheet/engine/formula/FormulaEvaluator.h"

#include "spreadsheet/engine/model/CellNumber.h"
#include "platform/NumberText.h"

#include <charconv>
#include <cmath>

namespace {

// printf's "%.Nf" in the C locale: exact ties round to even ("0.125" → "0.12").
QString printfFixed(double value, int decimals)
{
    char buffer[400]; // the largest double needs 309 digits before the point
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

FormulaFunctions::Call callOf(const CompiledFormula &formula)
{
    return {formula.function, formula.skipEmpty, formula.delimiter, formula.arguments, formula.texts};
}

} // namespace

// The cells as the text grids hold them: each number parsed where it is read.
class FormulaEvaluator::TextGridSource
{
public:
    explicit TextGridSource(const FormulaEvaluator &evaluator) : m_evaluator(evaluator) {}

    FormulaFunctions::Totals aggregate(std::span<const FormulaArgument> arguments)
    {
        FormulaFunctions::Totals totals;
        const auto add = [&totals](double number) {
            totals.sum += number;
            ++totals.count;
        };
        for (const FormulaArgument &argument : arguments) {
            if (argument.kind != FormulaArgument::Kind::Cells) {
                add(argument.number);
                continue;
            }
            visitTexts(argument.cells, [&add](const QString &text) {
                if (const auto number = cellNumber(text))
                    add(*number);
                return true;
            });
        }
        return totals;
    }

    template<typename Fn>
    bool visitTexts(const ExcelRange &range, Fn onText)
    {
        for (int r = range.startRow; r <= range.endRow; ++r) {
            for (int c = range.startCol; c <= range.endCol; ++c) {
                ++m_evaluator.m_cellReads;
                if (!onText(valueAt(m_evaluator.m_cells, m_evaluator.m_values, r, c)))
                    return false;
            }
        }
        return true;
    }

    QString cached(int row, int col) const
    {
        const CellGrid &cached = m_evaluator.m_cached;
        if (row < 0 || row >= cached.size() || col < 0 || col >= cached.at(row).size())
            return {};
        return cached.at(row).at(col);
    }

private:
    const FormulaEvaluator &m_evaluator;
};

FormulaEvaluator::FormulaEvaluator(const CellGrid &cells, const CellGrid &values, const CellGrid &cached)
    : m_cells(cells)
    , m_values(values)
    , m_cached(cached)
    , m_rowCount(int(cells.size()))
    , m_columnCount(cells.isEmpty() ? 0 : int(cells.first().size()))
    , m_dates(cells)
{
}

FormulaEvaluator::Result FormulaEvaluator::evaluateCell(const QString &raw, int row, int col) const
{
    Result result;
    if (isFormula(raw)) {
        const CompiledFormula formula = CompiledFormula::compile(raw, m_rowCount, m_columnCount);
        TextGridSource source(*this);
        FormulaFunctions::Result value = FormulaFunctions::evaluate(callOf(formula), source, row, col);
        if (value.isNumber) {
            result.value = formatNumber(value.number);
            if (std::isfinite(value.number) && value.number != std::trunc(value.number))
                result.exact = NumberText::shortest(value.number);
        } else {
            result.value = std::move(value.text);
        }
    } else {
        result.value = raw;
    }
    result.display = m_dates.display(result.value, row, col).value_or(result.value);
    return result;
}

bool FormulaEvaluator::computes(const QString &raw)
{
    return isFormula(raw) && CompiledFormula::compile(raw, 0, 0).computes();
}

CompiledFormula FormulaEvaluator::compileArguments(CompiledFormula::Function function,
                                                   const QStringList &arguments) const
{
    CompiledFormula formula;
    formula.function = function;
    for (const QString &argument : arguments)
        formula.appendArgument(argument, m_rowCount, m_columnCount);
    return formula;
}

QList<double> FormulaEvaluator::collectNumbers(const QStringList &arguments) const
{
    const CompiledFormula formula = compileArguments(CompiledFormula::Function::Sum, arguments);
    TextGridSource source(*this);
    QList<double> numbers;
    for (const FormulaArgument &argument : formula.arguments) {
        if (argument.kind != FormulaArgument::Kind::Cells) {
            numbers.append(argument.number);
            continue;
        }
        source.visitTexts(argument.cells, [&numbers](const QString &text) {
            if (const auto number = cellNumber(text))
                numbers.append(*number);
            return true;
        });
    }
    return numbers;
}

QStringList FormulaEvaluator::collectStrings(const QStringList &arguments) const
{
    const CompiledFormula formula = compileArguments(CompiledFormula::Function::Unique, arguments);
    TextGridSource source(*this);
    QStringList strings;
    FormulaFunctions::visitTexts(callOf(formula), source, [&strings](const QString &text) {
        strings.append(text);
        return true;
    });
    return strings;
}

std::optional<CellAddress> FormulaEvaluator::parseCellReference(const QString &text) const
{
    return CompiledFormula::referenceWithin(text, m_rowCount, m_columnCount);
}

std::optional<ExcelRange> FormulaEvaluator::parseRange(const QString &text) const
{
    return CompiledFormula::rangeWithin(text, m_rowCount, m_columnCount);
}

QStringList FormulaEvaluator::splitFormulaArguments(const QString &text)
{
    QStringList pieces;
    QString piece;
    int depth = 0;
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (c == u',' && !inQuotes && depth == 0) {
            pieces.append(piece.trimmed());
            piece.clear();
            continue;
        }
        piece.append(c);
    }
    if (!piece.isEmpty())
        pieces.append(piece.trimmed());
    return pieces;
}

QString FormulaEvaluator::formatNumber(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    if (value - std::trunc(value) != 0)
        return printfFixed(value, 2);
    // 2^63 is exact as a double; integral values in [-2^63, 2^63) fit qint64.
    constexpr double limit = 9223372036854775808.0;
    if (value >= -limit && value < limit)
        return QString::number(qint64(value));
    return printfFixed(value, 0);
}

const QString &FormulaEvaluator::valueAt(const CellGrid &cells, const CellGrid &values, int row, int col)
{
    return cellGridValue(cells, values, row, col);
}
