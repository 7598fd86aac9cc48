#include "XmlElement.h"

#include <algorithm>

namespace {

bool isForbiddenBmp(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
}

// Appends `text` with the characters XML forbids left out; `escapeMarkup` also
// replaces the five markup characters and the line feed.
void appendClean(QString &out, const QString &text, bool escapeMarkup)
{
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
            default: break;
            }
        }
        out += data[i];
    }
}

bool needsCleaning(const QString &text, bool escapeMarkup)
{
    return std::any_of(text.cbegin(), text.cend(), [escapeMarkup](QChar ch) {
        const char16_t c = ch.unicode();
        if (c < 0x20 || c >= 0xD800)
            return c != u'\t' && c != u'\r' && (escapeMarkup || c != u'\n')
                   && !(c >= 0xE000 && c <= 0xFFFD);
        return escapeMarkup && (c == u'&' || c == u'<' || c == u'>' || c == u'\'' || c == u'"');
    });
}

void appendEscaped(QString &out, const QString &text)
{
    if (needsCleaning(text, true))
        appendClean(out, text, true);
    else
        out += text;
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
        appendEscaped(out, value);
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
        appendEscaped(out, *m_value);
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
    appendEscaped(out, *m_value);
    writeCloseTag(out);
}

void XmlElement::writeCloseTag(QString &out) const
{
    out += QLatin1String("</");
    out += m_name;
    out += u'>';
}

namespace XmlText {

QString escape(const QString &text)
{
    if (!needsCleaning(text, true))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    appendClean(out, text, true);
    return out;
}

QString withoutForbiddenCharacters(const QString &text)
{
    if (!needsCleaning(text, false))
        return text;
    QString out;
    out.reserve(text.size());
    appendClean(out, text, false);
    return out;
}

QString declaration(const QString &encoding, const QString &standalone)
{
    return QLatin1String("<?xml version=\"1.0\" encoding=\"") + escape(encoding)
           + QLatin1String("\" standalone=\"") + escape(standalone) + QLatin1String("\"?>");
}

} // namespace XmlText
