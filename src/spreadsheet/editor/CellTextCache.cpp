#include "CellTextCache.h"

#include <QTransform>
#include <algorithm>
#include <bit>
#include <cmath>

qsizetype CellTextCache::visibleLength(qreal width)
{
    constexpr qsizetype margin = 32;
    const auto pixels = qsizetype(std::ceil(std::max<qreal>(width, 0)));
    return qsizetype(std::bit_ceil(quint64(pixels + margin)));
}

const QStaticText &CellTextCache::text(const QString &text, int fontKey, const QFont &font,
                                       qreal width)
{
    qsizetype length = std::min(text.size(), visibleLength(width));
    // A surrogate pair is kept whole; what lies past the cut is never seen.
    if (length < text.size() && length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    const Key key{length < text.size() ? text.left(length) : text, fontKey};
    const auto found = m_texts.constFind(key);
    if (found != m_texts.constEnd())
        return *found;
    if (m_texts.size() >= m_capacity)
        m_texts.clear();
    QString line = key.text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    QStaticText laidOut(line);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
    laidOut.prepare(QTransform(), font);
    m_laidOutLength += line.size();
    return *m_texts.insert(key, laidOut);
}
