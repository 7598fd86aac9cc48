#pragma once

#include "textsystem/StyledText.h"

class ReadBudget;

// Keeps a reader's ReadBudget charged for the styled text it builds. The
// charge grows at the most a run can cost (a map node and an attribute set
// of its own); when that no longer fits, the text is measured as it is (each
// shared attribute set once) and charged at that, so only a text that really
// outgrows the budget is refused.
class StyledTextBudget
{
public:
    explicit StyledTextBudget(ReadBudget &budget) : m_budget(budget) {}
    StyledTextBudget(const StyledTextBudget &) = delete;
    StyledTextBudget &operator=(const StyledTextBudget &) = delete;

    // Charges `text` as it stands now (it only ever grows); false once it
    // does not fit, and from then on.
    bool charge(const StyledText &text);
    bool ranOut() const { return m_ranOut; }

    // What one run and one attribute set take, about.
    static constexpr qint64 runBytes = 64;
    static constexpr qint64 attributeSetBytes = sizeof(TextAttributes) + 32;
    // The memory `text` holds, each shared attribute set counted once. O(runs).
    static qint64 heldBytes(const StyledText &text);

private:
    static qint64 mostBytes(const StyledText &text);

    ReadBudget &m_budget;
    qint64 m_charged = 0;  // taken from the budget
    qint64 m_mostSeen = 0; // mostBytes() when last charged
    bool m_ranOut = false;
};
