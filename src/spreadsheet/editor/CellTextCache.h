#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

// Laid-out cell texts kept between paints, so scrolling over the same texts
// shapes each of them once. Texts are drawn on one line: line breaks show as
// spaces. The cache empties itself when it holds `capacity` texts.
//
// A cell shows only the start of its text, as much as fits its width, so
// only a prefix that can reach past that width is laid out: a cell holding
// millions of characters costs what a short one does.
class CellTextCache
{
public:
    explicit CellTextCache(int capacity = 8192)
        : m_capacity(capacity)
    {
    }

    // The start of `text` laid out in `font`, long enough to fill `width`
    // pixels (all of a shorter text); `fontKey` names the font (the same key
    // must always come with the same font).
    const QStaticText &text(const QString &text, int fontKey, const QFont &font, qreal width);

    // How many characters a text drawn in `width` pixels can show at most:
    // one per pixel (only marks and the thinnest spaces advance less), plus a margin,
    // rounded up to a power of two so that nearby widths share their layouts.
    static qsizetype visibleLength(qreal width);

    // Characters laid out since construction, for measuring the work done.
    qsizetype laidOutLength() const { return m_laidOutLength; }

private:
    struct Key {
        QString text;
        int fontKey;
        friend bool operator==(const Key &, const Key &) = default;
        friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.text, key.fontKey); }
    };

    QHash<Key, QStaticText> m_texts;
    int m_capacity;
    qsizetype m_laidOutLength = 0;
};
