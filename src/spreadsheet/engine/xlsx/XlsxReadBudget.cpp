#include "spreadsheet/engine/xlsx/XlsxReadBudget.h"

XlsxReadBudget::XlsxReadBudget(qint64 fileSize, const XlsxReadLimits &limits)
    : m_memory(fileSize, limits.minimumMemory), m_maxText(limits.maxTextLength)
{
}

bool XlsxReadBudget::takeMemory(qint64 bytes)
{
    return m_memory.take(bytes);
}

bool XlsxReadBudget::takeText(qint64 units)
{
    if (units < 0 || units > m_maxText - m_textUsed) {
        m_textRanOut = true;
        return false;
    }
    m_textUsed += units;
    return true;
}

void XlsxReadBudget::returnTo(const Usage &usage)
{
    giveBackMemory(m_memory.used() - usage.memory);
    giveBackText(m_textUsed - usage.text);
}

qint64 XlsxReadBudget::newTextBytes(const QString &text)
{
    // Header and allocation overhead, then two bytes a unit.
    return text.isEmpty() || !text.isDetached() ? 0 : 32 + 2 * qint64(text.size());
}

QString XlsxReadBudget::ranOutMessage() const
{
    if (m_textRanOut)
        return QStringLiteral("it holds more text than %1 MiB").arg(m_maxText >> 20);
    return m_memory.ranOutMessage();
}
