#include "spreadsheet/engine/macro/ExcelVBAEngine.h"

#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/macro/VbaWorkingCopy.h"
#include "platform/ConsoleLog.h"
#include "platform/Deferral.h"
#include "platform/NumberText.h"

#include <QCoreApplication>
#include <cmath>

namespace {

std::optional<double> numberOf(const VbaValue &value)
{
    if (value.isInteger())
        return double(value.integer());
    return NumberText::toDouble(value.text());
}

// Integral results are written as integers while they fit in 64 bits; the
// rest (fractions, huge values, infinities, NaN) in the shortest form that
// reads back as the same double.
QString arithmeticText(double value)
{
    constexpr double twoToThe63 = 9223372036854775808.0;
    if (value - std::trunc(value) == 0 && value >= -twoToThe63 && value < twoToThe63)
        return QString::number(qint64(value));
    return NumberText::shortest(value);
}

bool isLineComment(const QString &line)
{
    return line.startsWith(QLatin1Char('\''));
}

} // namespace

void ExcelVBAEngine::run(const QString &code)
{
    variables.clear();
    m_symbols = VbaSymbols();
    m_values.clear();
    m_messages.clear();
    m_statementCount = 0;
    m_textCount = 0;
    m_stopped = false;
    m_stopReason.clear();
    VbaWorkingCopy workingCopy(document);
    m_workingCopy = &workingCopy;

    QStringList block;
    bool insideBlock = false;
    for (QStringView rawLine : QStringView(code).split(u'\n')) {
        if (m_stopped)
            break;
        const QString line = rawLine.trimmed().toString();
        if (line.isEmpty() || isLineComment(line))
            continue;
        const QString lower = line.toLower();
        if (lower.startsWith(QLatin1String("sub "))) {
            // Lines collected before and not yet run stay in the block.
            insideBlock = true;
        } else if (lower == QLatin1String("end sub")) {
            executeBlock(block);
            block.clear();
            insideBlock = false;
        } else if (insideBlock) {
            block.append(line);
        }
    }
    if (!block.isEmpty() && !m_stopped)
        executeBlock(block);

    m_workingCopy = nullptr;
    workingCopy.commit();
    exportVariables();
    deliverMessages();
}

void ExcelVBAEngine::executeBlock(const QStringList &lines)
{
    const VbaProgram program = VbaProgram::compile(lines, m_symbols);
    m_values.resize(m_symbols.size());
    const std::vector<VbaInstruction> &code = program.instructions();
    m_loops.clear();
    int index = 0;
    while (index < int(code.size())) {
        if (!std::holds_alternative<VbaJump>(code[index]) && !countStatement())
            return;
        index = std::visit([this, index](const auto &instruction) { return step(instruction, index); },
                           code[index]);
    }
}

bool ExcelVBAEngine::countStatement()
{
    if (m_stopped)
        return false;
    if (m_statementCount < statementLimit) {
        ++m_statementCount;
        return true;
    }
    stop(QStringLiteral("Macro stopped after %1 statements; its changes so far are kept").arg(statementLimit));
    return false;
}

bool ExcelVBAEngine::checkCellReads()
{
    if (m_workingCopy->cellReads() <= cellReadLimit)
        return !m_stopped;
    stop(QStringLiteral("Macro stopped after its formulas read %1 cells; its changes so far are kept")
             .arg(cellReadLimit));
    return false;
}

bool ExcelVBAEngine::countText(qint64 characters)
{
    if (!m_stopped && characters <= textLimit - m_textCount) {
        m_textCount += characters;
        return true;
    }
    stop(QStringLiteral("Macro stopped after its texts grew past %1 characters; its changes so far are kept")
             .arg(textLimit));
    return false;
}

void ExcelVBAEngine::stop(const QString &reason)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_stopReason = reason;
    printLine(reason);
}

int ExcelVBAEngine::step(const VbaMessage &message, int index)
{
    const QString text = evaluate(message.expression).text();
    if (m_stopped)
        return index + 1;
    m_messages.append(text);
    if (m_messages.size() > messageLimit)
        m_messages.removeFirst();
    return index + 1;
}

int ExcelVBAEngine::step(const VbaAssignment &assignment, int index)
{
    VbaValue value = evaluate(assignment.expression);
    if (!m_stopped)
        m_values[assignment.slot] = std::move(value);
    return index + 1;
}

int ExcelVBAEngine::step(const VbaCellAssignment &assignment, int index)
{
    const QString text = evaluate(assignment.expression).text();
    const std::optional<CellAddress> address = resolve(assignment.location);
    if (!address || m_stopped)
        return index + 1;
    switch (assignment.property) {
    case VbaCellAssignment::Property::Bold:
        m_workingCopy->setBold(*address, text.toLower() == QLatin1String("true"));
        break;
    case VbaCellAssignment::Property::FillColor:
        m_workingCopy->setFillColor(*address, text == QLatin1String("clear")
                                                  ? std::nullopt
                                                  : std::optional<QString>(text));
        break;
    case VbaCellAssignment::Property::Value:
        m_workingCopy->setText(*address, text);
        checkCellReads();
        break;
    }
    return index + 1;
}

int ExcelVBAEngine::step(const VbaForBegin &loop, int index)
{
    if (!loop.hasBounds)
        return loop.exitIndex;
    const qint64 start = integerOf(loop.start);
    const qint64 end = integerOf(loop.end);
    if (start > end)
        return loop.exitIndex;
    m_values[loop.slot] = start;
    m_loops.push_back({start, end});
    return index + 1;
}

int ExcelVBAEngine::step(const VbaForEnd &loop, int index)
{
    Q_ASSERT(!m_loops.empty());
    if (m_loops.empty())
        return index + 1;
    Loop &current = m_loops.back();
    // Compared before incrementing, so an end of INT64_MAX cannot overflow.
    if (current.current == current.end) {
        m_loops.pop_back();
        return index + 1;
    }
    ++current.current;
    m_values[loop.slot] = current.current;
    return loop.bodyIndex;
}

int ExcelVBAEngine::step(const VbaIf &condition, int index)
{
    return evaluateCondition(condition.condition) ? index + 1 : condition.elseIndex;
}

int ExcelVBAEngine::step(const VbaJump &jump, int)
{
    return jump.index;
}

VbaValue ExcelVBAEngine::evaluate(const VbaExpression &expression)
{
    using Kind = VbaExpression::Kind;
    if (expression.kind == Kind::Literal)
        return expression.text;
    if (expression.slot >= 0 && m_values[expression.slot])
        return *m_values[expression.slot];

    switch (expression.kind) {
    case Kind::Concatenation: {
        QStringList texts;
        qint64 length = 0;
        for (const VbaExpression &piece : expression.pieces) {
            texts.append(evaluate(piece).text());
            length += texts.last().size();
        }
        // Counted before the joined text is allocated.
        if (!countText(length))
            return QString();
        return texts.join(QString());
    }
    case Kind::Sum: {
        double sum = 0;
        for (const VbaExpression &piece : expression.pieces)
            sum += numberOf(evaluate(piece)).value_or(0);
        return arithmeticText(sum);
    }
    case Kind::Product: {
        double product = 1;
        for (const VbaExpression &piece : expression.pieces)
            product *= numberOf(evaluate(piece)).value_or(1);
        return arithmeticText(product);
    }
    case Kind::CellsRead:
    case Kind::RangeRead: {
        const std::optional<CellAddress> address = resolve(expression);
        return address ? m_workingCopy->displayText(*address) : QString();
    }
    case Kind::Literal:
    case Kind::Text:
        break;
    }
    return expression.text;
}

bool ExcelVBAEngine::evaluateCondition(const VbaCondition &condition)
{
    using Operator = VbaCondition::Operator;
    if (condition.op == Operator::None)
        return false;
    const QString left = evaluate(condition.left).text();
    const QString right = evaluate(condition.right).text();
    const std::optional<double> leftNumber = NumberText::toDouble(left);
    const std::optional<double> rightNumber = NumberText::toDouble(right);
    if (leftNumber && rightNumber) {
        const double a = *leftNumber;
        const double b = *rightNumber;
        switch (condition.op) {
        case Operator::AtLeast: return a >= b;
        case Operator::AtMost: return a <= b;
        case Operator::NotEqual: return a != b;
        case Operator::Greater: return a > b;
        case Operator::Less: return a < b;
        case Operator::Equal: return a == b;
        case Operator::None: return false;
        }
    }
    if (condition.op == Operator::Equal)
        return left == right;
    if (condition.op == Operator::NotEqual)
        return left != right;
    return false;
}

qint64 ExcelVBAEngine::integerOf(const VbaExpression &expression)
{
    const VbaValue value = evaluate(expression);
    if (value.isInteger())
        return value.integer();
    return NumberText::toInteger(value.text()).value_or(1);
}

std::optional<CellAddress> ExcelVBAEngine::resolve(const VbaExpression &location)
{
    if (!m_workingCopy || !m_workingCopy->hasDocument())
        return std::nullopt;
    if (location.kind == VbaExpression::Kind::RangeRead)
        return m_workingCopy->checked(location.address);
    if (location.pieces.size() != 2)
        return std::nullopt;
    return m_workingCopy->cellAt(integerOf(location.pieces[0]), integerOf(location.pieces[1]));
}

void ExcelVBAEngine::exportVariables()
{
    for (int slot = 0; slot < int(m_values.size()); ++slot) {
        if (m_values[slot])
            variables.insert(m_symbols.name(slot), *m_values[slot]);
    }
}

void ExcelVBAEngine::deliverMessages()
{
    QStringList messages = std::exchange(m_messages, {});
    QCoreApplication *application = QCoreApplication::instance();
    if (messages.isEmpty() || !onShowMessage || !application)
        return;
    deferToNextTurn(application, [handler = onShowMessage, messages = std::move(messages)] {
        for (const QString &message : messages)
            handler(message);
    });
}
