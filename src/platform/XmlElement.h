#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>
#include <vector>

// A small element tree for writing XML with exact byte forms. Attributes are
// always written in ascending order of their names (by UTF-16 code unit).
class XmlElement
{
public:
    using Attributes = std::map<QString, QString>;

    explicit XmlElement(QString name, std::optional<QString> value = std::nullopt,
                        Attributes attributes = {});

    const QString &name() const { return m_name; }
    const std::optional<QString> &value() const { return m_value; }
    void setValue(std::optional<QString> value) { m_value = std::move(value); }
    const Attributes &attributes() const { return m_attributes; }
    void setAttribute(const QString &name, const QString &value);
    const std::vector<XmlElement> &children() const { return m_children; }

    // Appends a child and returns a reference to it, valid until the next
    // change of this element's children.
    XmlElement &addChild(XmlElement child);
    XmlElement &addChild(QString name, std::optional<QString> value = std::nullopt,
                         Attributes attributes = {});
    // Removes every direct child with this name; returns how many went.
    int removeChildren(const QString &name);

    // Indented form: one tab per depth level, "<name />" for an element with
    // neither value nor children, "<f></f>" for an empty value.
    // This element has no indentation; each child sits on a line of its own
    // and the closing tag of an element with children on its own line at the
    // element's indentation. No line feed follows the last closing tag; the
    // caller writes the declaration and its line feed before it. A value of an
    // element with children is written right after its opening tag.
    QString toIndentedString() const;
    // The same without any line break or indentation.
    QString toCompactString() const;

private:
    enum class Layout { Indented, Compact };
    void write(QString &out, Layout layout, int depth) const;
    void writeOpenTag(QString &out) const;
    void writeLeafEnd(QString &out) const;
    void writeCloseTag(QString &out) const;

    QString m_name;
    std::optional<QString> m_value;
    Attributes m_attributes;
    std::vector<XmlElement> m_children;
};

namespace XmlText {

// Escapes text content: "&" first, then "<", ">", "'", '"', line feed as
// "&#10;" and carriage return as "&#13;"; drops characters XML 1.0 forbids
// (controls other than tab, LF and CR, unpaired surrogates, U+FFFE, U+FFFF).
QString escape(const QString &text);
// The same for an attribute value, where tab is also written as "&#9;".
QString escapeAttribute(const QString &text);
// Appending forms of escape() and escapeAttribute() for streaming writers.
void appendEscapedText(QString &out, const QString &text);
void appendEscapedAttribute(QString &out, const QString &text);
// appendEscapedText() to UTF-8 bytes, for writers that build a part's bytes
// directly.
void appendEscapedTextUtf8(QByteArray &out, const QString &text);

// Drops the characters XML 1.0 forbids, changing nothing else.
QString withoutForbiddenCharacters(const QString &text);

// `<?xml version="1.0" encoding="<encoding>" standalone="<standalone>"?>`
QString declaration(const QString &encoding, const QString &standalone);

} // namespace XmlText
