#pragma once

#include <QByteArrayView>
#include <QString>
#include <vector>

// Gives repeated short ASCII texts (numbers, labels) as one shared string, so
// a sheet's cells cost one allocation per distinct text rather than one each.
class TextPool
{
public:
    // `ascii` as a string, shared with earlier equal texts while the pool
    // holds fewer than maxTexts; texts longer than maxLength are never pooled.
    QString text(QByteArrayView ascii);

    static constexpr qsizetype maxLength = 48;
    static constexpr qsizetype maxTexts = 1 << 16;

private:
    // One place of an open-addressed table probed in order; a slot of size
    // 0 is free. Looked up once per cell while reading, so it keeps the hash
    // beside the text and compares characters only when both match; the
    // text itself is the key, as the bytes it came from are seldom cached.
    struct Slot {
        quint32 hash = 0;
        quint32 size = 0;
        QString text;
    };

    static quint32 hashOf(QByteArrayView ascii);
    Slot &slotFor(QByteArrayView ascii, quint32 hash);
    void grow();

    std::vector<Slot> m_slots;
    qsizetype m_count = 0;
};
