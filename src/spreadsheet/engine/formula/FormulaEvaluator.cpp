#include "spreadsheet/engine/formula/FormulaEvaluator.h"

#include "spreadsheet/engine/formula/AggregateMemo.h"
#include "spreadsheet/engine/model/CellNumber.h"
#include "platform/NumberText.h"

#include <QSet>
#include <algorithm>
#include <numeric>
#include <charconv>
#include <cmath>

namespace {

struct FunctionCall {
    QString name;
    QString arguments;
};

bool isNameCharacter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'1' && c <= u'9') || c == u'_';
}

// The line terminators of ICU regular expressions: LF, VT, FF, CR, NEL, LS, PS.
bool isLineTerminator(QChar c)
{
    return (c >= u'\n' && c <= u'\r') || c == QChar(0x85) || c == QChar(0x2028) || c == QChar(0x2029);
}

// "NAME(args)" as a whole: a name of letters, 1-9 and "_", then everything
// between the first "(" and a final ")". The arguments hold no line break.
std::optional<FunctionCall> matchFunctionCall(const QString &formula)
{
    qsizetype nameEnd = 0;
    while (nameEnd < formula.size() && isNameCharacter(formula.at(nameEnd)))
        ++nameEnd;
    if (nameEnd == 0 || nameEnd + 2 > formula.size() || formula.at(nameEnd) != u'('
        || formula.back() != u')')
        return std::nullopt;
    const QString arguments = formula.mid(nameEnd + 1, formula.size() - nameEnd - 2);
    if (std::any_of(arguments.cbegin(), arguments.cend(), isLineTerminator))
        return std::nullopt;
    return FunctionCall{formula.left(nameEnd).toUpper(), arguments};
}

// A reference form the evaluator cannot follow: absolute markers ("$B$2"), a
// sheet prefix ("Sheet2!A1") or whole columns or rows ("A:C", "1:3"). Read as
// text it would silently drop out of a sum, so the cell shows its cached value.
bool isUnknownReference(const QString &argument)
{
    if (argument.startsWith(u'"'))
        return false;
    if (argument.contains(u'$') || argument.contains(u'!'))
        return true;
    const qsizetype colon = argument.indexOf(u':');
    if (colon < 0)
        return false;
    const auto allOf = [](QStringView part, auto test) {
        return !part.isEmpty() && std::all_of(part.begin(), part.end(), test);
    };
    const auto isLetter = [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const QStringView left = QStringView(argument).left(colon);
    const QStringView right = QStringView(argument).mid(colon + 1);
    return (allOf(left, isLetter) && allOf(right, isLetter)) || (allOf(left, isDigit) && allOf(right, isDigit));
}

bool isKnownFunction(const QString &name)
{
    return name == u"SUM" || name == u"AVERAGE" || name == u"TEXTJOIN" || name == u"UNIQUE";
}

// True when a known function's arguments hold a reference form the evaluator
// cannot follow (TEXTJOIN's delimiter and flag are never read as references).
bool readsUnknownReference(const QString &name, const QStringList &arguments)
{
    const qsizetype firstRead = std::min<qsizetype>(name == u"TEXTJOIN" ? 2 : 0, arguments.size());
    return std::any_of(arguments.cbegin() + firstRead, arguments.cend(), isUnknownReference);
}

QString withoutQuotes(QString text)
{
    return text.remove(u'"');
}

// Joins texts with a separator while they fit in a cell: once the joined
// text would pass the limit, it takes no more and its result is "#VALUE!",
// so a join over a large grid stops early instead of building huge lists.
class TextCollector
{
public:
    explicit TextCollector(QString separator) : m_separator(std::move(separator)) {}

    // False once the limit is passed: the caller stops collecting.
    bool add(const QString &text)
    {
        m_length += (m_texts.isEmpty() ? 0 : m_separator.size()) + text.size();
        if (m_length > FormulaEvaluator::maxTextLength)
            return false;
        m_texts.append(text);
        return true;
    }

    QString result() const
    {
        return m_length > FormulaEvaluator::maxTextLength ? QStringLiteral("#VALUE!") : m_texts.join(m_separator);
    }

private:
    QString m_separator;
    QStringList m_texts;
    qsizetype m_length = 0;
};

// printf's "%.Nf" in the C locale: exact ties round to even ("0.125" → "0.12").
QString printfFixed(double value, int decimals)
{
    char buffer[400]; // the largest double needs 309 digits before the point
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace

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
        if (const auto call = matchFunctionCall(raw.mid(1).trimmed())) {
            result.value = callFunction(call->name, splitFormulaArguments(call->arguments), row, col,
                                        &result.exact);
        } else {
            result.value = cachedValue(row, col);
            if (result.value.isEmpty())
                result.value = QStringLiteral("#VALUE!");
        }
    } else {
        result.value = raw;
    }
    result.display = m_dates.display(result.value, row, col).value_or(result.value);
    return result;
}

bool FormulaEvaluator::computes(const QString &raw)
{
    if (!isFormula(raw))
        return false;
    const auto call = matchFunctionCall(raw.mid(1).trimmed());
    return call && isKnownFunction(call->name)
           && !readsUnknownReference(call->name, splitFormulaArguments(call->arguments));
}

QString FormulaEvaluator::callFunction(const QString &name, const QStringList &arguments, int row,
                                       int col, QString *exact) const
{
    if (isKnownFunction(name) && readsUnknownReference(name, arguments)) {
        const QString cached = cachedValue(row, col);
        return cached.isEmpty() ? QStringLiteral("#VALUE!") : cached;
    }
    if (name == u"SUM" || name == u"AVERAGE")
        return aggregate(name, arguments, exact);
    if (name == u"TEXTJOIN") {
        if (arguments.size() < 3)
            return QStringLiteral("#ARG!");
        const QString delimiter = withoutQuotes(arguments.at(0));
        const bool skipEmpty = arguments.at(1).toUpper() == u"TRUE" || arguments.at(1) == u"1";
        TextCollector joined(delimiter);
        const auto add = [&](const QString &text) { return (skipEmpty && text.isEmpty()) || joined.add(text); };
        visitArguments(arguments.mid(2), add, [&](const QString &text) { return add(withoutQuotes(text)); });
        return joined.result();
    }
    if (name == u"UNIQUE") {
        TextCollector unique(QStringLiteral(", "));
        QSet<QString> seen;
        const auto add = [&](const QString &text) {
            if (seen.contains(text))
                return true;
            seen.insert(text);
            return unique.add(text);
        };
        visitArguments(arguments, add, [&](const QString &text) { return add(withoutQuotes(text)); });
        return unique.result();
    }
    const QString cached = cachedValue(row, col);
    return cached.isEmpty() ? QStringLiteral("#NAME?") : cached;
}

QString FormulaEvaluator::aggregate(const QString &name, const QStringList &arguments, QString *exact) const
{
    AggregateMemo::Totals totals;
    if (m_memo) {
        const QString key = arguments.join(u',');
        const auto known = m_memo->reuse(key);
        totals = known ? *known : m_memo->compute(key, aggregateTerms(arguments), m_cellReads);
    } else {
        const QList<double> numbers = collectNumbers(arguments);
        totals = {std::accumulate(numbers.cbegin(), numbers.cend(), 0.0), numbers.size()};
    }
    if (totals.count == 0)
        return QStringLiteral("0");
    const double result = name == u"SUM" ? totals.sum : totals.sum / double(totals.count);
    if (std::isfinite(result) && result != std::trunc(result))
        *exact = NumberText::shortest(result);
    return formatNumber(result);
}

// The arguments as collectNumbers() reads them, in order.
QList<AggregateTerm> FormulaEvaluator::aggregateTerms(const QStringList &arguments) const
{
    QList<AggregateTerm> terms;
    for (const QString &argument : arguments) {
        if (argument.contains(u':')) {
            if (const auto range = parseRange(argument))
                terms.append({*range, 0, true});
        } else if (const auto address = parseCellReference(argument)) {
            terms.append({{address->row, address->col, address->row, address->col}, 0, true});
        } else if (const auto number = cellNumber(argument)) {
            terms.append({ExcelRange(), *number, false});
        }
    }
    return terms;
}

template<typename CellFn, typename LiteralFn>
void FormulaEvaluator::visitArguments(const QStringList &arguments, CellFn onCell, LiteralFn onLiteral) const
{
    for (const QString &argument : arguments) {
        if (argument.contains(u':')) {
            const auto range = parseRange(argument);
            if (!range)
                continue;
            for (int r = range->startRow; r <= range->endRow; ++r) {
                for (int c = range->startCol; c <= range->endCol; ++c) {
                    ++m_cellReads;
                    if (!onCell(valueAt(r, c)))
                        return;
                }
            }
        } else if (const auto address = parseCellReference(argument)) {
            ++m_cellReads;
            if (!onCell(valueAt(address->row, address->col)))
                return;
        } else if (!onLiteral(argument)) {
            return;
        }
    }
}

QList<double> FormulaEvaluator::collectNumbers(const QStringList &arguments) const
{
    QList<double> numbers;
    const auto addNumber = [&numbers](const QString &text) {
        if (const auto number = cellNumber(text))
            numbers.append(*number);
        return true;
    };
    visitArguments(arguments, addNumber, addNumber);
    return numbers;
}

QStringList FormulaEvaluator::collectStrings(const QStringList &arguments) const
{
    QStringList strings;
    visitArguments(
        arguments,
        [&strings](const QString &text) {
            strings.append(text);
            return true;
        },
        [&strings](const QString &text) {
            strings.append(withoutQuotes(text));
            return true;
        });
    return strings;
}

std::optional<CellAddress> FormulaEvaluator::parseCellReference(const QString &text) const
{
    const auto address = CellReference::parse(text);
    if (!address || address->row >= m_rowCount || address->col >= m_columnCount)
        return std::nullopt;
    return address;
}

std::optional<ExcelRange> FormulaEvaluator::parseRange(const QString &text) const
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0 || text.indexOf(u':', colon + 1) >= 0)
        return std::nullopt;
    const auto first = parseCellReference(text.left(colon));
    const auto second = parseCellReference(text.mid(colon + 1));
    if (!first || !second)
        return std::nullopt;
    return ExcelRange{first->row, first->col, second->row, second->col}.normalized();
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

QString FormulaEvaluator::cachedValue(int row, int col) const
{
    if (row < 0 || row >= m_cached.size() || col < 0 || col >= m_cached.at(row).size())
        return {};
    return m_cached.at(row).at(col);
}

const QString &FormulaEvaluator::valueAt(const CellGrid &cells, const CellGrid &values, int row, int col)
{
    return cellGridValue(cells, values, row, col);
}
