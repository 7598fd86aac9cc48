#include "spreadsheet/engine/model/TextPool.h"

namespace {
constexpr size_t initialSlots = 1024; // a power of two

bool sameText(const QString &text, QByteArrayView ascii)
{
    const QChar *units = text.constData();
    for (qsizetype i = 0; i < ascii.size(); ++i) {
        if (units[i].unicode() != static_cast<unsigned char>(ascii[i]))
            return false;
    }
    return true;
}
}

QString TextPool::text(QByteArrayView ascii)
{
    if (ascii.isEmpty() || ascii.size() > maxLength)
        return QString::fromLatin1(ascii);
    if (m_slots.empty())
        m_slots.resize(initialSlots);
    const quint32 hash = hashOf(ascii);
    Slot &slot = slotFor(ascii, hash);
    if (slot.size)
        return slot.text;
    QString text = QString::fromLatin1(ascii);
    if (m_count >= maxTexts)
        return text;
    slot = {hash, quint32(ascii.size()), text};
    // At most half full, so probes stay short and a free slot always exists.
    if (++m_count * 2 > qsizetype(m_slots.size()))
        grow();
    return text;
}

// FNV-1a: the keys are a few bytes long, where it beats a general hash.
quint32 TextPool::hashOf(QByteArrayView ascii)
{
    quint32 hash = 2166136261u;
    for (const char c : ascii) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

// The slot holding `ascii`, or the free one where it belongs.
TextPool::Slot &TextPool::slotFor(QByteArrayView ascii, quint32 hash)
{
    const size_t mask = m_slots.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        Slot &slot = m_slots[at];
        if (!slot.size || (slot.hash == hash && slot.size == quint32(ascii.size()) && sameText(slot.text, ascii)))
            return slot;
    }
}

void TextPool::grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (Slot &slot : old) {
        if (!slot.size)
            continue;
        size_t at = slot.hash & mask;
        while (m_slots[at].size)
            at = (at + 1) & mask;
        m_slots[at] = std::move(slot);
    }
}
