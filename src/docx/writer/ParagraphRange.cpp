#include "ParagraphRange.h"

#include <limits>
#include <map>

namespace ParagraphRanges {

namespace {

constexpr qint64 lastListLevel = 8;

// Numbering state of one pass over a text.
class ListNumbering
{
public:
    void assign(ParagraphRange &paragraph, const ParagraphStyle *style);

private:
    void startList(DocXListStyle style);

    qint64 m_counter = 0;
    std::map<DocXListStyle, qint64> m_lastIdByStyle;
    std::map<qint64, DocXListStyle> m_levelStyles; // of the running id
    bool m_inList = false;
    qint64 m_runningId = 0;
};

void ListNumbering::startList(DocXListStyle style)
{
    ++m_counter;
    m_lastIdByStyle[style] = m_counter;
    m_levelStyles.clear();
}

void ListNumbering::assign(ParagraphRange &paragraph, const ParagraphStyle *style)
{
    if (!style || style->textLists.isEmpty()) {
        m_inList = false;
        return;
    }
    const qint64 level = style->textLists.size() - 1;
    const TextList &innermost = style->textLists.last();
    const DocXListStyle listStyle = DocXListStyles::fromMarkerFormat(innermost.markerFormat);
    paragraph.listStyle = listStyle;
    paragraph.listStart = innermost.startingItemNumber;

    if (!m_inList) {
        m_inList = true;
        const auto earlier = m_lastIdByStyle.find(listStyle);
        if (level == 0 && style->textLists.first().startingItemNumber >= 2 && earlier != m_lastIdByStyle.end()) {
            // Continues the earlier list of the same style; its level styles
            // are not known here, so a differing style cannot be told apart.
            paragraph.numberingId = earlier->second;
            paragraph.numberingLevel = 0;
            m_levelStyles.clear();
            m_levelStyles[0] = listStyle;
            m_runningId = earlier->second;
            return;
        }
        startList(listStyle);
        m_runningId = m_counter;
    } else {
        const auto recorded = m_levelStyles.find(level);
        if (recorded != m_levelStyles.end() && recorded->second != listStyle) {
            startList(listStyle);
            m_runningId = m_counter;
        }
    }
    m_levelStyles.try_emplace(level, listStyle);
    paragraph.numberingId = m_runningId;
    paragraph.numberingLevel = level;
}

TextRange lookupRange(const TextParagraph &paragraph)
{
    return paragraph.content.isEmpty() ? paragraph.enclosing : paragraph.content;
}

std::optional<QString> wholeParagraphStyleId(const StyledText &text, TextRange lookup)
{
    TextRange longest;
    const std::optional<QString> id = text.valueAt(&TextAttributes::paragraphStyleId, lookup.location, &longest, lookup);
    if (id && longest == lookup)
        return id;
    return std::nullopt;
}

} // namespace

std::optional<qint64> validNoteId(std::optional<qint64> id)
{
    if (id && *id >= 1 && *id <= std::numeric_limits<qint32>::max())
        return id;
    return std::nullopt;
}

QList<ParagraphRange> all(const StyledText &text)
{
    QList<ParagraphRange> result;
    ListNumbering numbering;
    const QList<TextParagraph> paragraphs = text.paragraphs();
    result.reserve(paragraphs.size());
    for (const TextParagraph &paragraph : paragraphs) {
        ParagraphRange record;
        record.range = paragraph.content;
        if (paragraph.enclosing.end() > paragraph.content.end())
            record.breakType = text.valueAt(&TextAttributes::breakType, paragraph.content.end()).value_or(BreakType::Wrap);
        const TextRange lookup = lookupRange(paragraph);
        record.styleId = wholeParagraphStyleId(text, lookup);
        const TextAttributes &attributes = text.attributesAt(lookup.location);
        record.footnoteBodyId = validNoteId(attributes.footnoteBodyId);
        record.endnoteBodyId = validNoteId(attributes.endnoteBodyId);
        numbering.assign(record, attributes.paragraphStyle ? &*attributes.paragraphStyle : nullptr);
        result.append(std::move(record));
    }
    return result;
}

QList<ParagraphRange> body(const QList<ParagraphRange> &all)
{
    QList<ParagraphRange> result;
    result.reserve(all.size());
    for (const ParagraphRange &paragraph : all)
        if (!paragraph.isNoteBody())
            result.append(paragraph);
    return result;
}

std::optional<XmlElement> numberingPropertiesElement(const ParagraphRange &paragraph)
{
    if (!paragraph.numberingId)
        return std::nullopt;
    const qint64 level = qBound<qint64>(0, paragraph.numberingLevel.value_or(0), lastListLevel);
    XmlElement element(QStringLiteral("w:numPr"));
    element.addChild(QStringLiteral("w:ilvl"), std::nullopt, {{QStringLiteral("w:val"), QString::number(level)}});
    element.addChild(QStringLiteral("w:numId"), std::nullopt,
                     {{QStringLiteral("w:val"), QString::number(*paragraph.numberingId)}});
    return element;
}

} // namespace ParagraphRanges
