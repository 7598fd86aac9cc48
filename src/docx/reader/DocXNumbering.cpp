#include "docx/reader/DocXNumbering.h"

#include "docx/reader/DocXStyleSheet.h"
#include "docx/reader/DocXValues.h"

#include "platform/XmlRead.h"

#include <QSet>

namespace {

constexpr int levelCount = 9;

struct AbstractDefinition {
    pugi::xml_node node;
    QString numberingStyleLink; // <w:numStyleLink>: the levels live elsewhere
};

// Where the levels of each abstract definition live: in itself, or in the
// definition its numbering style link leads to (style, instance, definition,
// and on). Each definition is resolved once and remembered, so a chain of n
// links costs n steps for all its instances together; a link that dangles or
// ends in a loop gives nothing to every definition on its way.
class LevelHolders
{
public:
    LevelHolders(const QHash<int, AbstractDefinition> &abstracts, const QHash<int, pugi::xml_node> &instances,
                 const DocXStyleSheet &styles)
        : m_abstracts(abstracts), m_instances(instances), m_styles(styles)
    {
    }

    std::optional<int> holder(std::optional<int> abstractId)
    {
        QList<int> path;
        QSet<int> onPath;
        std::optional<int> found;
        while (abstractId && m_abstracts.contains(*abstractId)) {
            if (const auto known = m_holders.constFind(*abstractId); known != m_holders.cend()) {
                found = *known;
                break;
            }
            const QString &link = m_abstracts.value(*abstractId).numberingStyleLink;
            if (link.isEmpty()) {
                found = abstractId;
                break;
            }
            if (onPath.contains(*abstractId))
                break;
            path.append(*abstractId);
            onPath.insert(*abstractId);
            abstractId = linkedDefinition(link);
        }
        for (const int id : path)
            m_holders.insert(id, found);
        return found;
    }

private:
    std::optional<int> linkedDefinition(const QString &numberingStyle) const
    {
        const auto linked = m_styles.paragraphFormat(numberingStyle).numberingId;
        const pugi::xml_node instance = linked ? m_instances.value(*linked) : pugi::xml_node();
        return DocXValues::integer(XmlRead::firstChild(instance, "w:abstractNumId"), "w:val");
    }

    const QHash<int, AbstractDefinition> &m_abstracts;
    const QHash<int, pugi::xml_node> &m_instances;
    const DocXStyleSheet &m_styles;
    QHash<int, std::optional<int>> m_holders;
};

QString bulletToken(const QString &text)
{
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'◦': case u'o': case u'○': return TextList::circle.toString();
        case u'▪': case u'■': case u'□': case u'\uF0A7': case u'\uF06E': return TextList::square.toString();
        case u'-': case u'–': case u'—': case u'⁃': return TextList::hyphen.toString();
        default: break;
        }
    }
    return TextList::disc.toString();
}

QString numberToken(const QString &format)
{
    if (format == QLatin1String("upperRoman"))
        return TextList::upperRoman.toString();
    if (format == QLatin1String("lowerRoman"))
        return TextList::lowerRoman.toString();
    if (format == QLatin1String("upperLetter"))
        return TextList::upperLatin.toString();
    if (format == QLatin1String("lowerLetter"))
        return TextList::lowerLatin.toString();
    return TextList::decimal.toString();
}

} // namespace

DocXNumbering::DocXNumbering(pugi::xml_node numbering, const DocXStyleSheet &styles)
{
    QHash<int, AbstractDefinition> abstracts;
    for (pugi::xml_node node : XmlRead::children(numbering, "w:abstractNum")) {
        const auto id = DocXValues::integer(node, "w:abstractNumId");
        if (id && !abstracts.contains(*id))
            abstracts.insert(*id, {node, XmlRead::attribute(XmlRead::firstChild(node, "w:numStyleLink"), "w:val")});
    }
    QHash<int, pugi::xml_node> instances;
    for (pugi::xml_node node : XmlRead::children(numbering, "w:num")) {
        const auto id = DocXValues::integer(node, "w:numId");
        if (id && *id != 0 && !instances.contains(*id))
            instances.insert(*id, node);
    }
    LevelHolders holders(abstracts, instances, styles);
    for (auto instance = instances.cbegin(); instance != instances.cend(); ++instance) {
        const std::optional<int> abstractId =
            holders.holder(DocXValues::integer(XmlRead::firstChild(instance.value(), "w:abstractNumId"), "w:val"));
        if (!abstractId)
            continue;
        Levels levels = readLevels(abstracts.value(*abstractId).node, Levels(levelCount));
        for (pugi::xml_node override : XmlRead::children(instance.value(), "w:lvlOverride")) {
            const auto level = DocXValues::integer(override, "w:ilvl");
            if (!level || *level < 0 || *level >= levelCount)
                continue;
            levels = readLevels(override, levels);
            if (const auto start = DocXValues::integer(XmlRead::firstChild(override, "w:startOverride"), "w:val"))
                levels[*level].start = *start;
        }
        m_instances.insert(instance.key(), levels);
    }
}

DocXNumbering::Levels DocXNumbering::readLevels(pugi::xml_node parent, Levels levels)
{
    for (pugi::xml_node node : XmlRead::children(parent, "w:lvl")) {
        const auto index = DocXValues::integer(node, "w:ilvl");
        if (!index || *index < 0 || *index >= levelCount)
            continue;
        Level level;
        if (const pugi::xml_node format = XmlRead::firstChild(node, "w:numFmt"))
            level.numberFormat = XmlRead::attribute(format, "w:val");
        level.text = XmlRead::attribute(XmlRead::firstChild(node, "w:lvlText"), "w:val");
        level.start = DocXValues::integer(XmlRead::firstChild(node, "w:start"), "w:val").value_or(1);
        level.paragraph = DocXParagraphFormat::fromXml(XmlRead::firstChild(node, "w:pPr"));
        levels[*index] = level;
    }
    return levels;
}

const DocXNumbering::Levels *DocXNumbering::levels(int numberingId) const
{
    const auto found = m_instances.constFind(numberingId);
    return found == m_instances.cend() ? nullptr : &*found;
}

QList<TextList> DocXNumbering::textLists(int numberingId, int level) const
{
    const Levels *definition = levels(numberingId);
    if (!definition)
        return {};
    const int deepest = qBound(0, level, levelCount - 1);
    QList<TextList> lists;
    for (int i = 0; i <= deepest; ++i)
        lists.append(TextList{markerFormat(definition->at(i), i), definition->at(i).start});
    return lists;
}

DocXParagraphFormat DocXNumbering::levelFormat(int numberingId, int level) const
{
    const Levels *definition = levels(numberingId);
    if (!definition)
        return {};
    return definition->at(qBound(0, level, levelCount - 1)).paragraph;
}

QString DocXNumbering::markerFormat(const Level &level, int levelIndex)
{
    if (level.numberFormat == QLatin1String("bullet"))
        return bulletToken(level.text);
    // Headings numbered by an outline that shows nothing (LibreOffice writes
    // its outline numbering this way).
    if (level.numberFormat == QLatin1String("none"))
        return TextList::none.toString();
    // "%N" stands for the number of level N-1. This level's becomes the
    // token; outer levels' numbers are left out with the separator after
    // them, so "%1.%2." at the second level gives "{decimal}." and
    // "%1.(%2)" gives "({lower-latin})".
    const QString own = QLatin1Char('%') + QString::number(levelIndex + 1);
    const qsizetype at = level.text.indexOf(own);
    if (at < 0)
        return numberToken(level.numberFormat) + QLatin1Char('.');
    QString prefix = level.text.left(at);
    if (const qsizetype earlier = prefix.lastIndexOf(QLatin1Char('%')); earlier >= 0) {
        qsizetype from = earlier + 1;
        while (from < prefix.size() && (prefix.at(from).isDigit() || prefix.at(from) == u'.' || prefix.at(from) == u'-'))
            ++from;
        prefix = prefix.mid(from);
    }
    QString suffix = level.text.mid(at + own.size());
    const qsizetype next = suffix.indexOf(QLatin1Char('%'));
    if (next >= 0)
        suffix.truncate(next);
    return prefix + numberToken(level.numberFormat) + suffix;
}
