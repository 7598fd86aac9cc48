#include "textsystem/doc/DocListTable.h"

#include "textsystem/TextListMarker.h"

namespace {

constexpr int listDefinitionSize = 28;
constexpr int levelHeaderSize = 28;
constexpr int overrideSize = 16;
constexpr int maxLevels = 9;

QString bulletToken(const QString &text)
{
    const char16_t c = text.isEmpty() ? 0 : text.front().unicode();
    switch (c) {
    case u'o':
    case 0x25E6:
    case 0x25CB:
    case 0xF06F:
        return TextList::circle.toString();
    case 0xF0A7:
    case 0xF06E:
    case 0x25AA:
    case 0x25A0:
        return TextList::square.toString();
    case u'-':
    case 0x2013:
    case 0x2012:
    case 0x2043:
        return TextList::hyphen.toString();
    default:
        return TextList::disc.toString();
    }
}

// The marker of level `level` from its number text, in which characters 0..8
// stand for the numbers of those levels: the literal text around its own
// number, other levels' numbers left out.
QString markerFormat(const QString &numberText, int nfc, int level)
{
    if (nfc == TextListMarker::wordBullet)
        return bulletToken(numberText);
    if (nfc == TextListMarker::wordNone)
        return TextList::none.toString();
    const qsizetype own = numberText.indexOf(QChar(level));
    if (own < 0)
        return TextListMarker::tokenOfWordNumberFormat(nfc);
    QString prefix;
    if (std::none_of(numberText.begin(), numberText.begin() + own, [](QChar c) { return c.unicode() < maxLevels; }))
        prefix = numberText.left(own);
    QString suffix;
    for (qsizetype i = own + 1; i < numberText.size() && numberText[i].unicode() >= maxLevels; ++i)
        suffix.append(numberText[i]);
    return prefix + TextListMarker::tokenOfWordNumberFormat(nfc) + suffix;
}

} // namespace

DocListTable DocListTable::parse(DocByteView table, quint32 lstAt, quint32 lstSize, quint32 lfoAt, quint32 lfoSize)
{
    DocListTable lists;
    const DocByteView lst = table.mid(lstAt, lstSize);
    const int listCount = lst.size() >= 2 ? qMax<int>(lst.i16(0), 0) : 0;
    qint64 levelAt = qint64(lstAt) + 2 + qint64(listCount) * listDefinitionSize;
    for (int i = 0; i < listCount && lst.contains(2 + qint64(i) * listDefinitionSize, listDefinitionSize); ++i) {
        const DocByteView definition = lst.mid(2 + qint64(i) * listDefinitionSize, listDefinitionSize);
        const int levelCount = (definition.u8(26) & 1) ? 1 : maxLevels;
        QList<Level> levels;
        for (int l = 0; l < levelCount && table.contains(levelAt, levelHeaderSize); ++l) {
            const DocByteView header = table.mid(levelAt, levelHeaderSize);
            const qint64 textAt = levelAt + levelHeaderSize + header.u8(24) + header.u8(25);
            const int textLength = table.u16(textAt);
            QString text;
            for (int c = 0; c < textLength && table.contains(textAt + 2 + 2 * c, 2); ++c)
                text.append(QChar(table.u16(textAt + 2 + 2 * c)));
            levels << Level{header.i32(0), markerFormat(text, header.u8(4), l)};
            levelAt = textAt + 2 + 2 * qint64(textLength);
        }
        lists.m_levelsByList.insert(definition.i32(0), levels);
    }
    const DocByteView lfo = table.mid(lfoAt, lfoSize);
    const qint64 overrideCount = qMax<qint32>(lfo.i32(0), 0);
    for (qint64 i = 0; i < overrideCount && lfo.contains(4 + i * overrideSize, overrideSize); ++i)
        lists.m_overrideLists << lfo.i32(4 + i * overrideSize);
    return lists;
}

QList<TextList> DocListTable::textLists(int ilfo, int ilvl) const
{
    if (ilfo < 1 || ilfo > m_overrideLists.size())
        return {};
    const QList<Level> levels = m_levelsByList.value(m_overrideLists[ilfo - 1]);
    QList<TextList> result;
    for (int l = 0; l <= ilvl && l < levels.size(); ++l)
        result << TextList{levels[l].markerFormat, levels[l].start};
    return result;
}
