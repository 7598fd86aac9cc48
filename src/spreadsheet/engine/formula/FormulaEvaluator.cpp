#include "spreadsheet/engine/formula/FormulaEvaluator.h"

#include "spreadsheet/engine/model/CellGridValue.h"
#include "spreadsheet/engine/model/CellNumber.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// printf's "%.2f" in the C locale for a finite value with a fraction (so below
// 2^52 in magnitude): the exact binary value rounded to the nearest
// hundredth, an exact tie to even ("0.125" → "0.12", "-0.001" → "-0.00").
// Several times quicker than the general conversion.
char *writeHundredths(double value, char *out, char *last)
{
    const double magnitude = std::fabs(value);
    double whole = std::floor(magnitude);
    const double fraction = magnitude - whole; // exact
    // fraction × 100 is exactly scaled + error.
    const double scaled = fraction * 100;
    const double error = std::fma(fraction, 100, -scaled);
    double cents = std::floor(scaled);
    // What lies above the cents is a multiple of scaled's last place, and
    // |error| is at most half of one: only at exactly one half does the
    // error (or, without one, the tie rule) decide.
    const double above = scaled - cents;
    if (above > 0.5 || (above == 0.5 && (error > 0 || (error == 0 && std::fmod(cents, 2) != 0))))
        cents += 1;
    if (cents >= 100) {
        cents -= 100;
        whole += 1;
    }
    if (std::signbit(value))
        *out++ = '-';
    out = std::to_chars(out, last, quint64(whole)).ptr;
    const int hundredths = int(cents);
    *out++ = '.';
    *out++ = char('0' + hundredths / 10);
    *out++ = char('0' + hundredths % 10);
    return out;
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
                if (!onText(cellGridValue(m_evaluator.m_cells, m_evaluator.m_values, r, c)))
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
    if (isFormulaText(raw)) {
        const CompiledFormula formula = CompiledFormula::compile(raw, m_rowCount, m_columnCount);
        TextGridSource source(*this);
        FormulaFunctions::Result value = FormulaFunctions::evaluate(callOf(formula), source, row, col);
        if (value.isNumber) {
            result.value = formatNumber(value.number);
            if (std::isfinite(value.number) && value.number != std::trunc(value.number))
                result.exact = value.number;
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
    return isFormulaText(raw) && CompiledFormula::compile(raw, 0, 0).computes();
}

QString FormulaEvaluator::formatNumber(double value)
{
    NumberBuffer buffer;
    const char *end = writeNumber(value, buffer);
    return QString::fromLatin1(buffer.data(), end - buffer.data());
}

char *FormulaEvaluator::writeNumber(double value, NumberBuffer &buffer)
{
    const auto put = [&buffer](const char *text) {
        const size_t length = std::strlen(text);
        std::memcpy(buffer.data(), text, length);
        return buffer.data() + length;
    };
    if (std::isnan(value))
        return put("nan");
    if (std::isinf(value))
        return put(value > 0 ? "inf" : "-inf");
    char *const first = buffer.data();
    char *const last = first + buffer.size();
    if (value - std::trunc(value) != 0)
        return writeHundredths(value, first, last);
    // 2^63 is exact as a double; integral values in [-2^63, 2^63) fit qint64
    // (and -0 becomes 0).
    constexpr double limit = 9223372036854775808.0;
    if (value >= -limit && value < limit)
        return std::to_chars(first, last, qint64(value)).ptr;
    return std::to_chars(first, last, value, std::chars_format::fixed, 0).ptr;
}
