#include "XmlElement.h"

#include <algorithm>

namespace {

bool isForbiddenBmp(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
}

enum class Escaping { None, Text, Attribute };

// Appends `text` with the characters XML forbids left out. Text escaping also
// replaces the five markup characters, line feed and carriage return (a reader
// would turn a raw CR into a line feed); attribute escaping adds the tab, which
// a reader would turn into a space.
void appendClean(QString &out, const QString &text, Escaping escaping)
{
    const bool escapeMarkup = escaping != Escaping::None;
    const qsizetype size = text.size();
    const QChar *data = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < size && QChar::isLowSurrogate(data[i + 1].unicode())) {
                out += data[i];
                out += data[++i];
            }
            continue;
        }
        if (QChar::isLowSurrogate(c) || isForbiddenBmp(c))
            continue;
        if (escapeMarkup) {
            switch (c) {
            case u'&': out += QLatin1String("&amp;"); continue;
            case u'<': out += QLatin1String("&lt;"); continue;
            case u'>': out += QLatin1String("&gt;"); continue;
            case u'\'': out += QLatin1String("&apos;"); continue;
            case u'"': out += QLatin1String("&quot;"); continue;
            case u'\n': out += QLatin1String("&#10;"); continue;
            case u'\r': out += QLatin1String("&#13;"); continue;
            case u'\t':
                if (escaping == Escaping::Attribute) {
                    out += QLatin1String("&#9;");
                    continue;
                }
                break;
            default: break;
            }
        }
        out += data[i];
    }
}

bool needsCleaning(const QString &text, Escaping escaping)
{
    const bool escapeMarkup = escaping != Escaping::None;
    return std::any_of(text.cbegin(), text.cend(), [escapeMarkup, escaping](QChar ch) {
        const char16_t c = ch.unicode();
        if (c < 0x20 || c >= 0xD800)
            return (c != u'\t' || escaping == Escaping::Attribute)
                   && (escapeMarkup || (c != u'\n' && c != u'\r'))
                   && !(c >= 0xE000 && c <= 0xFFFD);
        return escapeMarkup && (c == u'&' || c == u'<' || c == u'>' || c == u'\'' || c == u'"');
    });
}

void appendEscaped(QString &out, const QString &text, Escaping escaping)
{
    if (needsCleaning(text, escaping))
        appendClean(out, text, escaping);
    else
        out += text;
}

// The escape of an ASCII character, or nullptr when it is written as itself.
const char *asciiEscape(char16_t c, Escaping escaping)
{
    switch (c) {
    case u'&': return "&amp;";
    case u'<': return "&lt;";
    case u'>': return "&gt;";
    case u'\'': return "&apos;";
    case u'"': return "&quot;";
    case u'\n': return "&#10;";
    case u'\r': return "&#13;";
    case u'\t': return escaping == Escaping::Attribute ? "&#9;" : nullptr;
    default: return nullptr;
    }
}

char *putUtf8(char *p, char32_t c)
{
    if (c < 0x80) {
        *p++ = char(c);
    } else if (c < 0x800) {
        *p++ = char(0xC0 | (c >> 6));
        *p++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = char(0xE0 | (c >> 12));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    } else {
        *p++ = char(0xF0 | (c >> 18));
        *p++ = char(0x80 | ((c >> 12) & 0x3F));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    }
    return p;
}

// appendClean() straight into UTF-8, without a QString in between. The text
// goes in slices so the room reserved for the longest escapes stays small.
void appendCleanUtf8(QByteArray &out, const QString &text, Escaping escaping)
{
    constexpr qsizetype slice = 4096;
    constexpr qsizetype maxBytesPerUnit = 6; // "&quot;"; a surrogate pair gives 4 bytes for 2 units
    const char16_t *data = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype size = text.size();
    for (qsizetype start = 0; start < size;) {
        const qsizetype end = std::min(size, start + slice);
        const qsizetype used = out.size();
        out.resize(used + (end - start + 1) * maxBytesPerUnit);
        char *p = out.data() + used;
        qsizetype i = start;
        for (; i < end; ++i) {
            const char16_t c = data[i];
            if (c >= 0x20 && c < 0x80 && c != u'&' && c != u'<' && c != u'>' && c != u'\'' && c != u'"') {
                *p++ = char(c);
            } else if (c < 0x80) {
                if (const char *escaped = escaping != Escaping::None ? asciiEscape(c, escaping) : nullptr) {
                    while (*escaped)
                        *p++ = *escaped++;
                } else if (!isForbiddenBmp(c)) {
                    *p++ = char(c);
                }
            } else if (QChar::isHighSurrogate(c)) {
                // A pair may straddle the slice's end: the slice had room for one more unit.
                if (i + 1 < size && QChar::isLowSurrogate(data[i + 1])) {
                    p = putUtf8(p, QChar::surrogateToUcs4(c, data[i + 1]));
                    ++i;
                }
            } else if (!QChar::isLowSurrogate(c) && !isForbiddenBmp(c)) {
                p = putUtf8(p, c);
            }
        }
        out.truncate(p - out.constData());
        start = i;
    }
}

void appendIndent(QString &out, int depth)
{
    out.resize(out.size() + depth, u'\t');
}

} // namespace

XmlElement::XmlElement(QString name, std::optional<QString> value, Attributes attributes)
    : m_name(std::move(name)), m_value(std::move(value)), m_attributes(std::move(attributes))
{
}

void XmlElement::setAttribute(const QString &name, const QString &value)
{
    m_attributes[name] = value;
}

XmlElement &XmlElement::addChild(XmlElement child)
{
    m_children.push_back(std::move(child));
    return m_children.back();
}

XmlElement &XmlElement::addChild(QString name, std::optional<QString> value, Attributes attributes)
{
    m_children.emplace_back(std::move(name), std::move(value), std::move(attributes));
    return m_children.back();
}

int XmlElement::removeChildren(const QString &name)
{
    return int(std::erase_if(m_children, [&name](const XmlElement &child) { return child.name() == name; }));
}

QString XmlElement::toIndentedString() const
{
    QString out;
    write(out, Layout::Indented, 0);
    return out;
}

QString XmlElement::toCompactString() const
{
    QString out;
    write(out, Layout::Compact, 0);
    return out;
}

void XmlElement::writeOpenTag(QString &out) const
{
    out += u'<';
    out += m_name;
    for (const auto &[name, value] : m_attributes) {
        out += u' ';
        out += name;
        out += QLatin1String("=\"");
        appendEscaped(out, value, Escaping::Attribute);
        out += u'"';
    }
}

void XmlElement::write(QString &out, Layout layout, int depth) const
{
    const bool indented = layout == Layout::Indented;
    if (indented)
        appendIndent(out, depth);
    writeOpenTag(out);
    if (m_children.empty()) {
        writeLeafEnd(out);
        return;
    }
    out += u'>';
    if (m_value)
        appendEscaped(out, *m_value, Escaping::Text);
    for (const XmlElement &child : m_children) {
        if (indented)
            out += u'\n';
        child.write(out, layout, depth + 1);
    }
    if (indented) {
        out += u'\n';
        appendIndent(out, depth);
    }
    writeCloseTag(out);
}

void XmlElement::writeLeafEnd(QString &out) const
{
    if (!m_value) {
        out += QLatin1String(" />");
        return;
    }
    out += u'>';
    appendEscaped(out, *m_value, Escaping::Text);
    writeCloseTag(out);
}

void XmlElement::writeCloseTag(QString &out) const
{
    out += QLatin1String("</");
    out += m_name;
    out += u'>';
}

namespace XmlText {

namespace {

QString cleaned(const QString &text, Escaping escaping)
{
    if (!needsCleaning(text, escaping))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    appendClean(out, text, escaping);
    return out;
}

} // namespace

QString escape(const QString &text)
{
    return cleaned(text, Escaping::Text);
}

QString escapeAttribute(const QString &text)
{
    return cleaned(text, Escaping::Attribute);
}

void appendEscapedText(QString &out, const QString &text)
{
    appendEscaped(out, text, Escaping::Text);
}

void appendEscapedAttribute(QString &out, const QString &text)
{
    appendEscaped(out, text, Escaping::Attribute);
}

void appendEscapedTextUtf8(QByteArray &out, const QString &text)
{
    appendCleanUtf8(out, text, Escaping::Text);
}

QString withoutForbiddenCharacters(const QString &text)
{
    return cleaned(text, Escaping::None);
}

QString declaration(const QString &encoding, const QString &standalone)
{
    return QLatin1String("<?xml version=\"1.0\" encoding=\"") + escapeAttribute(encoding)
           + QLatin1String("\" standalone=\"") + escapeAttribute(standalone) + QLatin1String("\"?>");
}

} // namespace XmlText
