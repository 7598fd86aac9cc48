#include "textsystem/doc/DocTextBuilder.h"

#include <algorithm>

namespace {

constexpr char16_t fieldBegin = 0x13;
constexpr char16_t fieldSeparator = 0x14;
constexpr char16_t fieldEnd = 0x15;
constexpr char16_t pictureCharacter = 0x01;
constexpr char16_t drawnObject = 0x08;
constexpr char16_t lineBreak = 0x0B;
constexpr char16_t pageBreak = 0x0C;
constexpr char16_t nonBreakingHyphen = 0x1E;
constexpr char16_t optionalHyphen = 0x1F;
constexpr int maxFieldDepth = 64;

// The instruction's words; quoted text is one word without its quotes.
QStringList instructionWords(const QString &instruction)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (QChar c : instruction) {
        if (c == u'"') {
            if (quoted) {
                words << word;
                word.clear();
                inWord = false;
            }
            quoted = !quoted;
        } else if (c.isSpace() && !quoted) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word.append(c);
            inWord = !quoted;
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

} // namespace

std::optional<QUrl> DocTextBuilder::hyperlinkTarget(const QString &instruction)
{
    const QStringList words = instructionWords(instruction);
    if (words.isEmpty() || words.first().compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    QString target;
    QString anchor;
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (words[i] == QLatin1String("\\l") && i + 1 < words.size())
            anchor = words[++i];
        else if (words[i].startsWith(u'\\') && words[i].size() == 2)
            i += (words[i] == QLatin1String("\\o") || words[i] == QLatin1String("\\t")) ? 1 : 0;
        else if (target.isEmpty())
            target = words[i];
    }
    if (!anchor.isEmpty())
        target += u'#' + anchor;
    const QUrl url(target);
    if (target.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

bool DocTextBuilder::isVisible() const
{
    return std::all_of(m_fields.begin(), m_fields.end(), [](const Field &field) { return field.showingResult; });
}

void DocTextBuilder::addCharacters(QStringView characters, const TextAttributes &attributes, Mark mark,
                                   const TextAttachmentPointer &attachment)
{
    m_attributes = &attributes;
    m_shownValid = false;
    for (QChar c : characters) {
        const bool isMark = c == u'\r' || c == u'\a';
        addCharacter(c.unicode(), isMark ? mark : Mark::None, attachment);
    }
    m_attributes = nullptr;
}

const TextAttributes &DocTextBuilder::shownAttributes()
{
    if (!m_shownValid) {
        m_shown = *m_attributes;
        for (const Field &field : std::as_const(m_fields)) {
            if (field.link)
                m_shown.link = field.link;
        }
        m_shownValid = true;
        m_shownChanged = true;
    }
    return m_shown;
}

void DocTextBuilder::addCharacter(char16_t c, Mark mark, const TextAttachmentPointer &attachment)
{
    if (c == fieldBegin) {
        if (m_fields.size() < maxFieldDepth)
            m_fields.append(Field());
        m_shownValid = false;
        return;
    }
    if (c == fieldSeparator || c == fieldEnd) {
        if (m_fields.isEmpty())
            return;
        if (c == fieldEnd) {
            m_fields.removeLast();
        } else if (!m_fields.last().showingResult) {
            m_fields.last().showingResult = true;
            m_fields.last().link = hyperlinkTarget(m_fields.last().instruction);
        }
        m_shownValid = false;
        return;
    }
    if (!m_fields.isEmpty() && !m_fields.last().showingResult) {
        if (c >= 0x20)
            m_fields.last().instruction.append(QChar(c));
        return;
    }
    if (!isVisible())
        return;
    if (mark == Mark::None && (c == pictureCharacter || c == drawnObject)) {
        if (attachment) {
            TextAttributes picture = shownAttributes();
            picture.attachment = attachment;
            put(QChar::ObjectReplacementCharacter, picture);
        }
        return;
    }
    const TextAttributes &shown = shownAttributes();
    switch (mark) {
    case Mark::Cell:
        if (m_cellTabPending)
            put(u'\t', m_cellTabAttributes);
        m_cellTabPending = true;
        m_cellTabAttributes = shown;
        return;
    case Mark::RowEnd:
        m_cellTabPending = false;
        put(u'\n', shown);
        return;
    case Mark::Paragraph:
        put(u'\n', shown);
        return;
    case Mark::None:
        break;
    }
    switch (c) {
    case u'\t':
        put(u'\t', shown);
        break;
    case lineBreak:
        put(QChar::LineSeparator, shown);
        break;
    case pageBreak:
        put(QChar(pageBreak), shown);
        break;
    case nonBreakingHyphen:
        put(QChar(0x2011), shown);
        break;
    case optionalHyphen:
        put(QChar(QChar::SoftHyphen), shown);
        break;
    default:
        if (c >= 0x20)
            put(QChar(c), shown);
        break;
    }
}

void DocTextBuilder::put(QChar c, const TextAttributes &attributes)
{
    if (m_cellTabPending) {
        m_cellTabPending = false;
        put(u'\t', m_cellTabAttributes);
    }
    // Comparing attributes costs more than adding a character, so the
    // shown attributes are compared only after they were worked out anew.
    const bool fromShown = &attributes == &m_shown;
    const bool unchanged = fromShown && m_pendingFromShown && !m_shownChanged;
    if (!m_pending.isEmpty() && !unchanged && !(attributes == m_pendingAttributes))
        flush();
    m_pendingFromShown = fromShown;
    if (fromShown)
        m_shownChanged = false;
    if (m_pending.isEmpty())
        m_pendingAttributes = attributes;
    m_pending.append(c);
}

void DocTextBuilder::flush()
{
    if (m_pending.isEmpty())
        return;
    m_text.append(m_pending, m_pendingAttributes);
    m_pending.clear();
}

StyledText DocTextBuilder::finish()
{
    if (m_cellTabPending) {
        m_cellTabPending = false;
        put(u'\t', m_cellTabAttributes);
    }
    flush();
    return m_text;
}
