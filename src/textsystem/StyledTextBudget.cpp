#include "textsystem/StyledTextBudget.h"

#include "platform/ReadBudget.h"

#include <unordered_set>

qint64 StyledTextBudget::mostBytes(const StyledText &text)
{
    return 2 * qint64(text.length()) + (runBytes + attributeSetBytes) * qint64(text.runCount());
}

qint64 StyledTextBudget::heldBytes(const StyledText &text)
{
    // Runs holding equal attributes share one stored set, which forEachRun
    // hands out by reference.
    std::unordered_set<const TextAttributes *> sets;
    text.forEachRun(TextRange::everything(), [&sets](const TextAttributes &attributes, TextRange) {
        sets.insert(&attributes);
    });
    return 2 * qint64(text.length()) + runBytes * qint64(text.runCount()) + attributeSetBytes * qint64(sets.size());
}

bool StyledTextBudget::charge(const StyledText &text)
{
    if (m_ranOut)
        return false;
    const qint64 most = mostBytes(text);
    const qint64 growth = qMax<qint64>(most - m_mostSeen, 0);
    if (m_budget.fits(growth)) {
        m_budget.take(growth);
        m_charged += growth;
    } else {
        // What the text really holds is usually far less: charge that. A
        // text that leaves less than a sixteenth of the budget is refused
        // here, so the measuring (O(runs)) happens a bounded number of times.
        m_budget.giveBack(m_charged);
        m_charged = heldBytes(text);
        if (!m_budget.fits(m_charged + m_budget.limit() / 16)) {
            m_charged = 0;
            m_ranOut = true;
            return false;
        }
        m_budget.take(m_charged);
    }
    m_mostSeen = most;
    return true;
}
