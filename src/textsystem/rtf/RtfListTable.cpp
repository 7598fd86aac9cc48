#include "textsystem/rtf/RtfListTable.h"

#include "textsystem/TextListMarker.h"

namespace {

QString bulletToken(const QString &text)
{
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'◦': case u'o': case u'○': return TextList::circle.toString();
        case u'▪': case u'■': case u'□': case u'\uF0A7': return TextList::square.toString();
        case u'-': case u'–': case u'—': case u'⁃': return TextList::hyphen.toString();
        default: break;
        }
    }
    return TextList::disc.toString();
}

} // namespace

void RtfListTable::controlWord(Table table, QByteArrayView name, int parameter)
{
    if (table == Table::Overrides) {
        if (name == "listid")
            m_overrideListId = parameter;
        else if (name == "ls")
            m_overrideIndex = parameter;
        return;
    }
    if (name == "levelnfc" || name == "levelnfcn")
        m_level.numberFormat = parameter;
    else if (name == "levelstartat")
        m_level.startAt = parameter;
    else if (name == "listid")
        m_listId = parameter;
}

void RtfListTable::levelText(const QString &text)
{
    // The first character holds the length; the text ends at ';'.
    QString body = text.mid(1);
    if (body.endsWith(QLatin1Char(';')))
        body.chop(1);
    m_level.text = body;
}

void RtfListTable::listLevelEnded()
{
    m_list.levels.append(m_level);
    m_level = Level();
}

void RtfListTable::listEnded()
{
    m_lists.insert(m_listId, m_list);
    m_list = List();
    m_listId = 0;
}

void RtfListTable::overrideEnded()
{
    m_overrides.insert(m_overrideIndex, m_overrideListId);
    m_overrideIndex = 0;
}

QList<TextList> RtfListTable::textLists(int overrideIndex, int level) const
{
    const auto override = m_overrides.constFind(overrideIndex);
    const auto list = override == m_overrides.cend() ? m_lists.cend() : m_lists.constFind(*override);
    if (list == m_lists.cend() || list->levels.isEmpty())
        return {};
    const int deepest = qBound(0, level, int(list->levels.size()) - 1);
    QList<TextList> lists;
    for (int i = 0; i <= deepest; ++i) {
        const Level &definition = list->levels.at(i);
        lists.append(TextList{markerFormat(definition, i), definition.startAt});
    }
    return lists;
}

QString RtfListTable::markerFormat(const Level &level, int levelIndex)
{
    if (level.numberFormat == TextListMarker::wordBullet)
        return bulletToken(level.text);
    if (level.numberFormat == TextListMarker::wordNone)
        return TextList::none.toString();
    // Placeholders \'00-\'08 stand for the numbers of the levels; this
    // level's becomes the token, the others' numbers are left out.
    const QString token = TextListMarker::tokenOfWordNumberFormat(level.numberFormat);
    QString format;
    bool placed = false;
    for (QChar c : level.text) {
        if (c.unicode() < 9) {
            if (c.unicode() == levelIndex && !placed) {
                format += token;
                placed = true;
            }
            continue;
        }
        format += c;
    }
    if (!placed)
        return token + QStringLiteral(".");
    return format;
}
