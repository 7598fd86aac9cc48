#include "spreadsheet/engine/xlsx/XlsxFunctionNames.h"

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

// Copies `formula`, handing each name that is followed by "(" to the rewrite.
QString rewriteCalls(const QString &formula, Direction direction)
{
    QString out;
    out.reserve(formula.size() + 12);
    qsizetype i = 0;
    while (i < formula.size()) {
        if (formula[i] == u'"') {
            qsizetype end = formula.indexOf(u'"', i + 1);
            end = end < 0 ? formula.size() : end + 1;
            out += QStringView(formula).mid(i, end - i);
            i = end;
            continue;
        }
        if (!isNameCharacter(formula[i])) {
            out += formula[i++];
            continue;
        }
        qsizetype end = i;
        while (end < formula.size() && isNameCharacter(formula[end]))
            ++end;
        QStringView name = QStringView(formula).mid(i, end - i);
        const bool isCall = end < formula.size() && formula[end] == u'(';
        const bool prefixed = name.startsWith(prefix, Qt::CaseInsensitive);
        if (isCall && direction == Direction::ToFile && !prefixed && isPrefixedFunction(name))
            out += prefix;
        if (isCall && direction == Direction::FromFile && prefixed
            && isPrefixedFunction(name.mid(prefix.size())))
            name = name.mid(prefix.size());
        out += name;
        i = end;
    }
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
