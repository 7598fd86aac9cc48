#include "FormulaEvaluator.h"

#include "CellNumber.h"

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

QString withoutQuotes(QString text)
{
    return text.remove(u'"');
}

// `values` joined by `separator`, or "#VALUE!" when that would be longer than
// a cell holds; the length is found before anything is allocated.
QString joinedWithinCell(const QStringList &values, const QString &separator)
{
    qsizetype length = values.isEmpty() ? 0 : separator.size() * (values.size() - 1);
    for (const QString &value : values)
        length += value.size();
    if (length > FormulaEvaluator::maxTextLength)
        return QStringLiteral("#VALUE!");
    return values.join(separator);
}

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
            result.value = callFunction(call->name, splitFormulaArguments(call->arguments), row, col);
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

QString FormulaEvaluator::callFunction(const QString &name, const QStringList &arguments, int row,
                                       int col) const
{
    const bool isKnown = name == u"SUM" || name == u"AVERAGE" || name == u"TEXTJOIN" || name == u"UNIQUE";
    // TEXTJOIN's delimiter and flag are never read as references.
    const qsizetype firstRead = std::min<qsizetype>(name == u"TEXTJOIN" ? 2 : 0, arguments.size());
    if (isKnown && std::any_of(arguments.cbegin() + firstRead, arguments.cend(), isUnknownReference)) {
        const QString cached = cachedValue(row, col);
        return cached.isEmpty() ? QStringLiteral("#VALUE!") : cached;
    }
    if (name == u"SUM" || name == u"AVERAGE") {
        const QList<double> numbers = collectNumbers(arguments);
        if (numbers.isEmpty())
            return QStringLiteral("0");
        const double sum = std::accumulate(numbers.cbegin(), numbers.cend(), 0.0);
        return formatNumber(name == u"SUM" ? sum : sum / double(numbers.size()));
    }
    if (name == u"TEXTJOIN") {
        if (arguments.size() < 3)
            return QStringLiteral("#ARG!");
        const QString delimiter = withoutQuotes(arguments.at(0));
        const bool skipEmpty = arguments.at(1).toUpper() == u"TRUE" || arguments.at(1) == u"1";
        QStringList values = collectStrings(arguments.mid(2));
        if (skipEmpty)
            values.removeAll(QString());
        return joinedWithinCell(values, delimiter);
    }
    if (name == u"UNIQUE") {
        QStringList unique;
        QSet<QString> seen;
        for (const QString &value : collectStrings(arguments)) {
            if (!seen.contains(value)) {
                seen.insert(value);
                unique.append(value);
            }
        }
        return joinedWithinCell(unique, QStringLiteral(", "));
    }
    const QString cached = cachedValue(row, col);
    return cached.isEmpty() ? QStringLiteral("#NAME?") : cached;
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
                for (int c = range->startCol; c <= range->endCol; ++c)
                    onCell(valueAt(r, c));
            }
        } else if (const auto address = parseCellReference(argument)) {
            onCell(valueAt(address->row, address->col));
        } else {
            onLiteral(argument);
        }
    }
}

QList<double> FormulaEvaluator::collectNumbers(const QStringList &arguments) const
{
    QList<double> numbers;
    const auto addNumber = [&numbers](const QString &text) {
        if (const auto number = cellNumber(text))
            numbers.append(*number);
    };
    visitArguments(arguments, addNumber, addNumber);
    return numbers;
}

QStringList FormulaEvaluator::collectStrings(const QStringList &arguments) const
{
    QStringList strings;
    visitArguments(
        arguments, [&strings](const QString &text) { strings.append(text); },
        [&strings](const QString &text) { strings.append(withoutQuotes(text)); });
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

const QString &FormulaEvaluator::valueAt(int row, int col) const
{
    static const QString empty;
    if (row >= m_cells.size() || col >= m_cells.at(row).size())
        return empty;
    const QString &raw = m_cells.at(row).at(col);
    if (!isFormula(raw))
        return raw;
    if (row >= m_values.size() || col >= m_values.at(row).size())
        return empty;
    return m_values.at(row).at(col);
}
