#include "CellTextCache.h"

#include <QTransform>

const QStaticText &CellTextCache::text(const QString &text, int fontKey, const QFont &font)
{
    const Key key{text, fontKey};
    const auto found = m_texts.constFind(key);
    if (found != m_texts.constEnd())
        return *found;
    if (m_texts.size() >= m_capacity)
        m_texts.clear();
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    QStaticText laidOut(line);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
    laidOut.prepare(QTransform(), font);
    return *m_texts.insert(key, laidOut);
}
