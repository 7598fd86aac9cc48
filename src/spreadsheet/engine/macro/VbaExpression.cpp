#include "spreadsheet/engine/macro/VbaExpression.h"

#include <QRegularExpression>

namespace {

bool isQuotedLiteral(const QString &text)
{
    return text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'));
}

QString literalInside(const QString &text)
{
    return text.size() < 2 ? QString() : text.mid(1, text.size() - 2);
}

const QRegularExpression &cellsPattern()
{
    static const QRegularExpression pattern(QStringLiteral("cells\\((.*),(.*)\\)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &rangePattern()
{
    static const QRegularExpression pattern(QStringLiteral("range\\(\"(.*)\"\\)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

} // namespace

VbaExpression VbaExpression::parse(const QString &text)
{
    return parse(text, 0);
}

VbaExpression VbaExpression::parse(const QString &text, int depth)
{
    VbaExpression expression;
    expression.text = text.trimmed();
    const QString &trimmed = expression.text;

    if (isQuotedLiteral(trimmed)) {
        expression.kind = Kind::Literal;
        expression.text = literalInside(trimmed);
        return expression;
    }

    struct Operator { QChar symbol; Kind kind; };
    static constexpr Operator operators[] = {
        {u'&', Kind::Concatenation}, {u'+', Kind::Sum}, {u'*', Kind::Product}};
    for (const Operator &op : operators) {
        if (!trimmed.contains(op.symbol))
            continue;
        expression.kind = op.kind;
        const QStringList pieces = trimmed.split(op.symbol);
        expression.pieces.reserve(pieces.size());
        for (const QString &piece : pieces)
            expression.pieces.push_back(parse(piece, depth));
        return expression;
    }

    const QString lower = trimmed.toLower();
    if (lower.startsWith(QLatin1String("cells(")))
        return cellsLocation(trimmed, depth);
    if (lower.startsWith(QLatin1String("range(")))
        return rangeLocation(trimmed);
    return expression;
}

VbaExpression VbaExpression::cellsLocation(const QString &text)
{
    return cellsLocation(text, 0);
}

VbaExpression VbaExpression::cellsLocation(const QString &text, int depth)
{
    VbaExpression location;
    location.kind = Kind::CellsRead;
    location.text = text.trimmed();
    if (depth >= maxCellsNesting)
        return location;
    const QRegularExpressionMatch match = cellsPattern().match(text);
    if (!match.hasMatch())
        return location;
    location.pieces.push_back(parse(match.captured(1), depth + 1));
    location.pieces.push_back(parse(match.captured(2), depth + 1));
    return location;
}

VbaExpression VbaExpression::rangeLocation(const QString &text)
{
    VbaExpression location;
    location.kind = Kind::RangeRead;
    location.text = text.trimmed();
    const QRegularExpressionMatch match = rangePattern().match(text);
    if (match.hasMatch())
        location.address = CellReference::parse(match.captured(1).trimmed().toUpper());
    return location;
}

VbaCondition VbaCondition::parse(const QString &text)
{
    struct Candidate { QLatin1String symbol; Operator op; };
    static const Candidate candidates[] = {
        {QLatin1String(">="), Operator::AtLeast}, {QLatin1String("<="), Operator::AtMost},
        {QLatin1String("<>"), Operator::NotEqual}, {QLatin1String(">"), Operator::Greater},
        {QLatin1String("<"), Operator::Less},      {QLatin1String("="), Operator::Equal}};

    VbaCondition condition;
    for (const Candidate &candidate : candidates) {
        if (text.count(candidate.symbol) != 1)
            continue;
        const qsizetype at = text.indexOf(candidate.symbol);
        condition.op = candidate.op;
        condition.left = VbaExpression::parse(text.left(at));
        condition.right = VbaExpression::parse(text.mid(at + candidate.symbol.size()));
        return condition;
    }
    return condition;
}
