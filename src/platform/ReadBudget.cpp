#include "platform/ReadBudget.h"

#include <limits>

ReadBudget::ReadBudget(qint64 fileSize, qint64 minimum)
    : m_limit(qMax(minimum, fileSize > std::numeric_limits<qint64>::max() / 3 ? std::numeric_limits<qint64>::max()
                                                                               : 3 * fileSize))
{
}

bool ReadBudget::take(qint64 bytes)
{
    if (!fits(bytes)) {
        m_ranOut = true;
        return false;
    }
    m_used += bytes;
    return true;
}

void ReadBudget::giveBack(qint64 bytes)
{
    m_used -= qBound<qint64>(0, bytes, m_used);
}

QString ReadBudget::ranOutMessage() const
{
    return QStringLiteral("opening it would need more than %1 MB of memory").arg(m_limit / (1024 * 1024));
}
