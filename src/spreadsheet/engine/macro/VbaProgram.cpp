#include "spreadsheet/engine/macro/VbaProgram.h"

#include <algorithm>
#include <optional>

namespace {

bool isForLine(const QString &lower) { return lower.startsWith(QLatin1String("for ")); }
bool isNextLine(const QString &lower) { return lower.startsWith(QLatin1String("next")); }
bool isIfLine(const QString &lower) { return lower.startsWith(QLatin1String("if ")); }
bool isElseLine(const QString &lower) { return lower == QLatin1String("else"); }
bool isEndIfLine(const QString &lower) { return lower == QLatin1String("end if"); }

VbaForBegin compileForHeader(const QString &line)
{
    VbaForBegin loop;
    const QStringList pieces = line.mid(4).trimmed().split(QLatin1Char('='));
    loop.counter = pieces.first().trimmed();
    if (pieces.size() < 2)
        return loop;
    // "to" splits anywhere, even inside words; only the first two pieces count.
    const QStringList bounds = pieces.at(1).toLower().split(QLatin1String("to"));
    if (bounds.size() < 2)
        return loop;
    loop.start = VbaExpression::parse(bounds.at(0));
    loop.end = VbaExpression::parse(bounds.at(1));
    loop.hasBounds = true;
    return loop;
}

VbaIf compileIfHeader(const QString &line)
{
    QString condition = line.mid(3).trimmed();
    if (condition.toLower().endsWith(QLatin1String("then"))) {
        condition.chop(4);
        condition = condition.trimmed();
    }
    return VbaIf{VbaCondition::parse(condition), 0};
}

VbaCellAssignment compileCellAssignment(VbaExpression location, const QString &lowerTarget,
                                        VbaExpression expression)
{
    VbaCellAssignment assignment{std::move(location), VbaCellAssignment::Property::Value,
                                 std::move(expression)};
    if (lowerTarget.contains(QLatin1String(".font.bold")))
        assignment.property = VbaCellAssignment::Property::Bold;
    else if (lowerTarget.contains(QLatin1String(".interior.color")))
        assignment.property = VbaCellAssignment::Property::FillColor;
    return assignment;
}

std::optional<VbaInstruction> compileStatement(const QString &line, const QString &lower)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        if (lower.startsWith(QLatin1String("msgbox ")))
            return VbaMessage{VbaExpression::parse(line.mid(7))};
        return std::nullopt;
    }
    const QString target = line.left(equals).trimmed();
    VbaExpression expression = VbaExpression::parse(line.mid(equals + 1));
    const QString lowerTarget = target.toLower();
    if (lowerTarget.startsWith(QLatin1String("cells(")))
        return compileCellAssignment(VbaExpression::cellsLocation(target), lowerTarget,
                                     std::move(expression));
    if (lowerTarget.startsWith(QLatin1String("range(")))
        return compileCellAssignment(VbaExpression::rangeLocation(target), lowerTarget,
                                     std::move(expression));
    return VbaAssignment{target, std::move(expression)};
}

void bind(VbaExpression &expression, VbaSymbols &symbols)
{
    if (expression.kind != VbaExpression::Kind::Literal)
        expression.slot = symbols.slot(expression.text);
    for (VbaExpression &piece : expression.pieces)
        bind(piece, symbols);
}

// Gives every expression and every assigned name of an instruction its slot.
struct Binder {
    VbaSymbols &symbols;

    void operator()(VbaMessage &message) { bind(message.expression, symbols); }
    void operator()(VbaAssignment &assignment)
    {
        assignment.slot = symbols.slot(assignment.name);
        bind(assignment.expression, symbols);
    }
    void operator()(VbaCellAssignment &assignment)
    {
        bind(assignment.location, symbols);
        bind(assignment.expression, symbols);
    }
    void operator()(VbaForBegin &loop)
    {
        loop.slot = symbols.slot(loop.counter);
        bind(loop.start, symbols);
        bind(loop.end, symbols);
    }
    void operator()(VbaIf &condition)
    {
        bind(condition.condition.left, symbols);
        bind(condition.condition.right, symbols);
    }
    void operator()(VbaForEnd &) {}
    void operator()(VbaJump &) {}
};

} // namespace

int VbaSymbols::slot(const QString &name)
{
    const auto found = m_slots.constFind(name);
    if (found != m_slots.cend())
        return *found;
    const int slot = int(m_names.size());
    m_slots.insert(name, slot);
    m_names.append(name);
    return slot;
}

class VbaProgram::Compiler
{
public:
    explicit Compiler(const QStringList &lines) : m_lines(lines)
    {
        m_lower.reserve(lines.size());
        for (const QString &line : lines)
            m_lower.append(line.toLower());
        matchBlocks();
    }

    std::vector<VbaInstruction> compile()
    {
        m_frames.push_back({0, int(m_lines.size()), Part::Whole, -1, 0, 0});
        while (!m_frames.empty()) {
            if (m_frames.back().next >= m_frames.back().end)
                finishFrame();
            else
                compileLine();
        }
        return std::move(m_code);
    }

private:
    enum class Part { Whole, ForBody, ThenPart, ElsePart };
    // A range of lines being compiled. `owner` is the instruction the range
    // belongs to (the VbaForBegin, the VbaIf, or the Then part's VbaJump).
    struct Frame {
        int next;
        int end;
        Part part;
        int owner;
        int elseStart;
        int elseEnd;
    };

    // The closing line of every For and If (bracket matching over the whole
    // block gives the same pairs as counting depth from each opening line),
    // and every If's first Else at its own depth.
    void matchBlocks()
    {
        const int count = int(m_lines.size());
        m_blockEnd.assign(count, count);
        m_firstElse.assign(count, count);
        std::vector<int> openFors;
        std::vector<int> openIfs;
        for (int index = 0; index < count; ++index) {
            const QString &lower = m_lower.at(index);
            if (isForLine(lower)) {
                openFors.push_back(index);
            } else if (isNextLine(lower) && !openFors.empty()) {
                m_blockEnd[openFors.back()] = index;
                openFors.pop_back();
            }
            if (isIfLine(lower)) {
                openIfs.push_back(index);
            } else if (isElseLine(lower) && !openIfs.empty()) {
                m_firstElse[openIfs.back()] = std::min(m_firstElse[openIfs.back()], index);
            } else if (isEndIfLine(lower) && !openIfs.empty()) {
                m_blockEnd[openIfs.back()] = index;
                openIfs.pop_back();
            }
        }
    }

    void compileLine()
    {
        Frame &frame = m_frames.back();
        const int index = frame.next;
        const QString &lower = m_lower.at(index);
        if (isForLine(lower)) {
            const int end = std::min(m_blockEnd[index], frame.end);
            frame.next = end; // the walk resumes at the Next line itself
            const int owner = int(m_code.size());
            m_code.push_back(compileForHeader(m_lines.at(index)));
            m_frames.push_back({index + 1, end, Part::ForBody, owner, 0, 0});
        } else if (isIfLine(lower)) {
            const int end = std::min(m_blockEnd[index], frame.end);
            const int elseLine = m_firstElse[index] < end ? m_firstElse[index] : end;
            frame.next = end;
            const int owner = int(m_code.size());
            m_code.push_back(compileIfHeader(m_lines.at(index)));
            m_frames.push_back({index + 1, elseLine, Part::ThenPart, owner,
                                std::min(elseLine + 1, end), end});
        } else {
            if (std::optional<VbaInstruction> statement = compileStatement(m_lines.at(index), lower))
                m_code.push_back(std::move(*statement));
            ++frame.next;
        }
    }

    void finishFrame()
    {
        const Frame done = m_frames.back();
        m_frames.pop_back();
        switch (done.part) {
        case Part::ForBody: {
            std::get<VbaForBegin>(m_code[done.owner]).exitIndex = int(m_code.size()) + 1;
            m_code.push_back(VbaForEnd{-1, done.owner + 1});
            break;
        }
        case Part::ThenPart: {
            const int jump = int(m_code.size());
            m_code.push_back(VbaJump{});
            std::get<VbaIf>(m_code[done.owner]).elseIndex = int(m_code.size());
            m_frames.push_back({done.elseStart, done.elseEnd, Part::ElsePart, jump, 0, 0});
            break;
        }
        case Part::ElsePart:
            std::get<VbaJump>(m_code[done.owner]).index = int(m_code.size());
            break;
        case Part::Whole:
            break;
        }
    }

    const QStringList &m_lines;
    QStringList m_lower;
    std::vector<int> m_blockEnd;
    std::vector<int> m_firstElse;
    std::vector<Frame> m_frames;
    std::vector<VbaInstruction> m_code;
};

VbaProgram VbaProgram::compile(const QStringList &lines, VbaSymbols &symbols)
{
    VbaProgram program;
    program.m_instructions = Compiler(lines).compile();
    for (VbaInstruction &instruction : program.m_instructions) {
        std::visit(Binder{symbols}, instruction);
        // A loop's end shares its counter's slot with the loop's start.
        if (VbaForEnd *end = std::get_if<VbaForEnd>(&instruction))
            end->slot = std::get<VbaForBegin>(program.m_instructions[end->bodyIndex - 1]).slot;
    }
    return program;
}
