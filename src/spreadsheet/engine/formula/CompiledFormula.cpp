#include "spreadsheet/engine/formula/CompiledFormula.h"

#include "spreadsheet/engine/model/CellNumber.h"
#include "spreadsheet/engine/model/CellReference.h"

#include <QVarLengthArray>
#include <algorithm>
#include <optional>
#include <string_view>

namespace {

using Function = CompiledFormula::Function;

bool isNameCharacter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'1' && c <= u'9') || c == u'_';
}

// The line terminators of ICU regular expressions: LF, VT, FF, CR, NEL, LS, PS.
bool isLineTerminator(QChar c)
{
    return (c >= u'\n' && c <= u'\r') || c == QChar(0x85) || c == QChar(0x2028) || c == QChar(0x2029);
}

bool isLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool allOf(QStringView part, bool (*test)(QChar))
{
    return !part.isEmpty() && std::all_of(part.begin(), part.end(), test);
}

// A reference form the evaluator cannot follow: absolute markers ("$B$2"), a
// sheet prefix ("Sheet2!A1") or whole columns or rows ("A:C", "1:3"). Read as
// text it would silently drop out of a sum, so the cell shows its cached value.
bool isUnknownReference(QStringView argument)
{
    if (argument.startsWith(u'"'))
        return false;
    qsizetype colon = -1;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const char16_t c = argument[i].unicode();
        if (c == u'$' || c == u'!')
            return true;
        if (c == u':' && colon < 0)
            colon = i;
    }
    if (colon < 0)
        return false;
    const QStringView left = argument.left(colon);
    const QStringView right = argument.mid(colon + 1);
    return (allOf(left, isLetter) && allOf(right, isLetter)) || (allOf(left, isDigit) && allOf(right, isDigit));
}

// True when `name` is `upper` in any case (`upper` is upper-case ASCII).
bool isNamed(QStringView name, std::u16string_view upper)
{
    if (size_t(name.size()) != upper.size())
        return false;
    for (size_t i = 0; i < upper.size(); ++i) {
        if ((name[qsizetype(i)].unicode() & ~0x20) != upper[i]) // the name holds letters, digits and "_" only
            return false;
    }
    return true;
}

Function functionNamed(QStringView name)
{
    if (isNamed(name, u"SUM"))
        return Function::Sum;
    if (isNamed(name, u"AVERAGE"))
        return Function::Average;
    if (isNamed(name, u"TEXTJOIN"))
        return Function::TextJoin;
    if (isNamed(name, u"UNIQUE"))
        return Function::Unique;
    return Function::UnknownName;
}

QString withoutQuotes(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c != u'"')
            result.append(c);
    }
    return result;
}

class Compiler
{
public:
    Compiler(CompiledFormula &formula, int rows, int columns)
        : m_formula(formula)
        , m_rows(rows)
        , m_columns(columns)
    {
    }

    // The argument's cells: a valid range when it holds ":" (else nothing),
    // a valid reference, or else a literal.
    void add(QStringView argument, bool numbers)
    {
        if (argument.contains(u':')) {
            if (const auto range = parseRange(argument))
                m_formula.arguments.push_back({*range, 0, -1, FormulaArgument::Kind::Cells});
        } else if (const auto address = parseReference(argument)) {
            const ExcelRange cell{address->row, address->col, address->row, address->col};
            m_formula.arguments.push_back({cell, 0, -1, FormulaArgument::Kind::Cells});
        } else if (numbers) {
            if (const auto number = cellNumber(argument))
                m_formula.arguments.push_back({ExcelRange(), *number, -1, FormulaArgument::Kind::Number});
        } else {
            m_formula.texts.append(withoutQuotes(argument));
            const auto index = qint32(m_formula.texts.size() - 1);
            m_formula.arguments.push_back({ExcelRange(), 0, index, FormulaArgument::Kind::Text});
        }
    }

private:
    std::optional<CellAddress> parseReference(QStringView text) const
    {
        return CellReference::parseWithin(text, m_rows, m_columns);
    }

    std::optional<ExcelRange> parseRange(QStringView text) const
    {
        return CellReference::parseRangeWithin(text, m_rows, m_columns);
    }

    CompiledFormula &m_formula;
    int m_rows;
    int m_columns;
};

} // namespace

FormulaArgumentTexts splitFormulaArguments(QStringView text)
{
    FormulaArgumentTexts pieces;
    qsizetype start = 0;
    int depth = 0;
    bool inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (c == u',' && !inQuotes && depth == 0) {
            pieces.append(text.mid(start, i - start).trimmed());
            start = i + 1;
        }
    }
    if (start < text.size())
        pieces.append(text.mid(start).trimmed());
    return pieces;
}

CompiledFormula CompiledFormula::compile(QStringView raw, int rows, int columns)
{
    CompiledFormula formula;
    formula.recompile(raw, rows, columns);
    return formula;
}

void CompiledFormula::recompile(QStringView raw, int rows, int columns)
{
    CompiledFormula &formula = *this;
    formula.function = Function::NotACall;
    formula.skipEmpty = false;
    formula.delimiter.clear();
    formula.arguments.clear();
    formula.texts.clear();
    if (raw.size() > maxLength)
        return;
    // "NAME(args)" as a whole: a name of letters, 1-9 and "_", then everything
    // between the first "(" and a final ")". The arguments hold no line break.
    const QStringView text = raw.mid(1).trimmed();
    qsizetype nameEnd = 0;
    while (nameEnd < text.size() && isNameCharacter(text[nameEnd]))
        ++nameEnd;
    if (nameEnd == 0 || nameEnd + 2 > text.size() || text[nameEnd] != u'(' || text.back() != u')')
        return;
    const QStringView argumentText = text.mid(nameEnd + 1, text.size() - nameEnd - 2);
    if (std::any_of(argumentText.begin(), argumentText.end(), isLineTerminator))
        return;
    formula.function = functionNamed(text.left(nameEnd));
    if (formula.function == Function::UnknownName)
        return;
    const FormulaArgumentTexts pieces = splitFormulaArguments(argumentText);
    // TEXTJOIN's delimiter and flag are never read as references.
    const qsizetype firstRead = std::min<qsizetype>(formula.function == Function::TextJoin ? 2 : 0, pieces.size());
    if (std::any_of(pieces.begin() + firstRead, pieces.end(), isUnknownReference)) {
        formula.function = Function::NotACall;
        return;
    }
    if (formula.function == Function::TextJoin && pieces.size() < 3) {
        formula.function = Function::TooFewArguments;
        return;
    }
    const bool numbers = formula.function == Function::Sum || formula.function == Function::Average;
    if (formula.function == Function::TextJoin) {
        formula.delimiter = withoutQuotes(pieces[0]);
        formula.skipEmpty = pieces[1].compare(u"TRUE", Qt::CaseInsensitive) == 0 || pieces[1] == u"1";
    }
    formula.arguments.reserve(size_t(pieces.size() - firstRead));
    Compiler compiler(formula, rows, columns);
    for (qsizetype i = firstRead; i < pieces.size(); ++i)
        compiler.add(pieces[i], numbers);
}
