#include "spreadsheet/engine/xlsx/XlsxFunctionNames.h"

#include <optional>

namespace {

const QLatin1String prefix("_xlfn.");

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'.';
}

bool isPrefixedFunction(QStringView name)
{
    return name.compare(QLatin1String("TEXTJOIN"), Qt::CaseInsensitive) == 0
           || name.compare(QLatin1String("UNIQUE"), Qt::CaseInsensitive) == 0;
}

enum class Direction { ToFile, FromFile };

// The name that `direction` writes for a call of `name`, or nullopt when it
// stays as it is.
std::optional<QStringView> rewrittenName(QStringView name, Direction direction)
{
    const bool prefixed = name.startsWith(prefix, Qt::CaseInsensitive);
    if (direction == Direction::ToFile && !prefixed && isPrefixedFunction(name))
        return name; // written after the prefix
    if (direction == Direction::FromFile && prefixed && isPrefixedFunction(name.mid(prefix.size())))
        return name.mid(prefix.size());
    return std::nullopt;
}

// `formula` with each name followed by "(" outside double-quoted texts
// rewritten. Calls are found by their "(" and quotes by a search for each,
// each part of the text searched once, so a long formula costs a few scans
// rather than work per character, and one with nothing to rewrite is
// returned as it is, sharing its text.
QString rewriteCalls(const QString &formula, Direction direction)
{
    const QStringView text(formula);
    QString out;
    bool rewritten = false;
    qsizetype copied = 0; // formula[0, copied) is in `out`
    qsizetype at = 0;     // where the next name may start
    qsizetype quote = text.indexOf(u'"');
    qsizetype open = text.indexOf(u'(');
    while (open >= 0) {
        if (quote >= 0 && quote < open) {
            const qsizetype close = text.indexOf(u'"', quote + 1);
            if (close < 0)
                break;
            at = close + 1;
            quote = text.indexOf(u'"', at);
            if (open < at)
                open = text.indexOf(u'(', at);
            continue;
        }
        qsizetype start = open;
        while (start > at && isNameCharacter(text[start - 1]))
            --start;
        const QStringView call = text.sliced(start, open - start);
        const qsizetype nameEnd = open;
        at = open + 1;
        open = text.indexOf(u'(', at);
        const auto name = rewrittenName(call, direction);
        if (!name)
            continue;
        if (!rewritten)
            out.reserve(formula.size() + 12);
        rewritten = true;
        out += text.sliced(copied, start - copied);
        if (direction == Direction::ToFile)
            out += prefix;
        out += *name;
        copied = nameEnd;
    }
    if (!rewritten)
        return formula;
    out += text.sliced(copied);
    return out;
}

} // namespace

QString XlsxFunctionNames::toFile(const QString &formula)
{
    return rewriteCalls(formula, Direction::ToFile);
}

QString XlsxFunctionNames::fromFile(const QString &formula)
{
    return rewriteCalls(formula, Direction::FromFile);
}
