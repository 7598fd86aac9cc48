#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

// Laid-out cell texts kept between paints, so scrolling over the same texts
// shapes each of them once. Texts are drawn on one line: line breaks show as
// spaces. The cache empties itself when it holds `capacity` texts.
class CellTextCache
{
public:
    explicit CellTextCache(int capacity = 8192)
        : m_capacity(capacity)
    {
    }

    // The text laid out in `font`; `fontKey` names the font (the same key
    // must always come with the same font).
    const QStaticText &text(const QString &text, int fontKey, const QFont &font);

private:
    struct Key {
        QString text;
        int fontKey;
        friend bool operator==(const Key &, const Key &) = default;
        friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.text, key.fontKey); }
    };

    QHash<Key, QStaticText> m_texts;
    int m_capacity;
};
