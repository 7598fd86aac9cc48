#include "textsystem/doc/DocListWriter.h"

#include "textsystem/TextListMarker.h"
#include "textsystem/doc/DocBytes.h"
#include "textsystem/doc/DocSprm.h"

namespace {

using DocBytes::append16;
using DocBytes::append32;

constexpr qint32 firstListId = 0x4D4F0001;
constexpr quint16 noStyle = 0x0FFF;

// One level: its header (LVLF), indents, no character properties, and its
// number text, in which the character `level` stands for its own number.
QByteArray levelRecord(const TextList &list, int level)
{
    const TextListMarker marker = TextListMarker::of(list.markerFormat);
    const quint8 nfc = quint8(marker.wordNumberFormat());
    QString text;
    quint8 numberAt = 0;
    if (nfc == TextListMarker::wordBullet) {
        text = marker.bulletCharacter();
    } else if (nfc != TextListMarker::wordNone) {
        text = marker.prefix.left(30) + QChar(char16_t(level)) + marker.suffix.left(30);
        numberAt = quint8(marker.prefix.left(30).size() + 1);
    }
    QByteArray papx;
    DocSprm::append(papx, DocSprm::pDxaLeft, quint16(720 + 360 * level));
    DocSprm::append(papx, DocSprm::pDxaLeft1, quint16(qint16(-360)));

    QByteArray out;
    append32(out, quint32(qBound(qint64(0), list.startingItemNumber, qint64(0x7FFF))));
    out.append(char(nfc));
    out.append(char(0)); // left aligned
    QByteArray numbers(9, '\0');
    numbers[0] = char(numberAt);
    out += numbers;
    out.append(char(0)); // a tab follows the number
    append32(out, 0);
    append32(out, 0);
    out.append(char(0)); // character properties
    out.append(char(papx.size()));
    out.append(char(0));
    out.append(char(0));
    out += papx;
    append16(out, quint16(text.size()));
    for (QChar c : std::as_const(text))
        append16(out, c.unicode());
    return out;
}

} // namespace

std::pair<quint16, quint8> DocListWriter::add(const QList<TextList> &lists)
{
    if (lists.isEmpty())
        return {0, 0};
    qsizetype index = 0;
    while (index < m_lists.size() && !(m_lists[index].first() == lists.first()))
        ++index;
    if (index == m_lists.size())
        m_lists.append(QList<TextList>{lists.first()});
    QList<TextList> &levels = m_lists[index];
    const int depth = int(qMin<qsizetype>(lists.size(), levelCount));
    for (int level = int(levels.size()); level < depth; ++level)
        levels.append(lists[level]);
    return {quint16(index + 1), quint8(depth - 1)};
}

QByteArray DocListWriter::definitions(quint32 *definitionsSize) const
{
    QByteArray out;
    append16(out, quint16(m_lists.size()));
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        append32(out, quint32(firstListId + i));
        append32(out, 0); // no template
        for (int level = 0; level < levelCount; ++level)
            append16(out, noStyle);
        out.append(char(0)); // nine levels, not a simple list
        out.append(char(0));
    }
    *definitionsSize = quint32(out.size());
    for (const QList<TextList> &levels : m_lists) {
        for (int level = 0; level < levelCount; ++level)
            out += levelRecord(level < levels.size() ? levels[level] : TextList{TextList::decimal.toString() + u'.', 1},
                               level);
    }
    return out;
}

QByteArray DocListWriter::overrides() const
{
    QByteArray out;
    append32(out, quint32(m_lists.size()));
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        append32(out, quint32(firstListId + i));
        append32(out, 0);
        append32(out, 0);
        append32(out, 0); // no level overrides
    }
    for (qsizetype i = 0; i < m_lists.size(); ++i)
        append32(out, 0xFFFFFFFF);
    return out;
}
