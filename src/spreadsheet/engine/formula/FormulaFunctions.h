#pragma once

#include "spreadsheet/engine/formula/CompiledFormula.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <span>

// The four functions over a compiled formula, for any source of cell values:
// the one evaluation both a fresh evaluation of text grids (FormulaEvaluator)
// and the recalculation of a sheet (SheetCalculator) run.
namespace FormulaFunctions {

// A TEXTJOIN or UNIQUE result longer than a cell holds is "#VALUE!".
inline constexpr qsizetype maxTextLength = 32767;

// The numbers of SUM or AVERAGE added in order, starting from +0.
struct Totals {
    double sum = 0;
    qint64 count = 0;
};

// A SUM or AVERAGE gives a number (shown as formatNumber() gives it), every
// other formula a text.
struct Result {
    double number = 0;
    QString text;
    bool isNumber = false;
};

// What one evaluation reads of a compiled formula. Text arguments and the
// delimiter index `texts`.
struct Call {
    CompiledFormula::Function function;
    bool skipEmpty;
    const QString &delimiter;
    std::span<const FormulaArgument> arguments;
    const QStringList &texts;
};

// Joins texts with a separator while they fit in a cell: once the joined
// text would pass the limit, it takes no more and its result is "#VALUE!",
// so a join over a large grid stops early instead of building huge lists.
class TextCollector
{
public:
    explicit TextCollector(const QString &separator) : m_separator(separator) {}

    // False once the limit is passed: the caller stops collecting.
    bool add(const QString &text)
    {
        m_length += (m_texts.isEmpty() ? 0 : m_separator.size()) + text.size();
        if (m_length > maxTextLength)
            return false;
        m_texts.append(text);
        return true;
    }

    QString result() const
    {
        return m_length > maxTextLength ? QStringLiteral("#VALUE!") : m_texts.join(m_separator);
    }

private:
    const QString &m_separator;
    QStringList m_texts;
    qsizetype m_length = 0;
};

// Calls add with each text the arguments give in order (a range's cells
// row-major, empty ones included) until it returns false.
template<typename Source, typename Add>
void visitTexts(const Call &call, Source &source, Add add)
{
    for (const FormulaArgument &argument : call.arguments) {
        const bool goOn = argument.kind == FormulaArgument::Kind::Cells ? source.visitTexts(argument.cells, add)
                                                                      : add(call.texts.at(argument.text));
        if (!goOn)
            return;
    }
}

inline QString cachedOr(QString cached, const char16_t *fallback)
{
    return cached.isEmpty() ? QString::fromUtf16(fallback) : cached;
}

// A Source gives
//   Totals aggregate(std::span<const FormulaArgument>): the numbers the
//       arguments hold, added in order (literal numbers and cells whose value
//       is a number);
//   bool visitTexts(const ExcelRange &, Fn): each cell's value text in
//       row-major order until Fn returns false, then false;
//   QString cached(int row, int col): the value a file cached for the cell.
template<typename Source>
Result evaluate(const Call &call, Source &source, int row, int col)
{
    using Function = CompiledFormula::Function;
    Result result;
    switch (call.function) {
    case Function::Sum:
    case Function::Average: {
        const Totals totals = source.aggregate(call.arguments);
        result.isNumber = true;
        if (totals.count > 0)
            result.number = call.function == Function::Sum ? totals.sum : totals.sum / double(totals.count);
        return result;
    }
    case Function::TextJoin: {
        TextCollector joined(call.delimiter);
        visitTexts(call, source, [&](const QString &text) { return (call.skipEmpty && text.isEmpty()) || joined.add(text); });
        result.text = joined.result();
        return result;
    }
    case Function::Unique: {
        static const QString separator = QStringLiteral(", ");
        TextCollector unique(separator);
        QSet<QString> seen;
        visitTexts(call, source, [&](const QString &text) {
            if (seen.contains(text))
                return true;
            seen.insert(text);
            return unique.add(text);
        });
        result.text = unique.result();
        return result;
    }
    case Function::TooFewArguments:
        result.text = QStringLiteral("#ARG!");
        return result;
    case Function::NotACall:
        result.text = cachedOr(source.cached(row, col), u"#VALUE!");
        return result;
    case Function::UnknownName:
        result.text = cachedOr(source.cached(row, col), u"#NAME?");
        return result;
    }
    return result;
}

} // namespace FormulaFunctions
