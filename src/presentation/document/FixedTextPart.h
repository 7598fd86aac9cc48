#pragma once

#include <QString>
#include <utility>
#include <vector>

// A package part written as fixed text: the declaration with "UTF-8" and
// "yes", the root start tag, lines of empty elements whose attributes keep
// the order given and end in "/>", and the root's end tag with no line feed
// after it.
class FixedTextPart
{
public:
    using Attributes = std::vector<std::pair<QString, QString>>;

    FixedTextPart(const QString &root, const Attributes &rootAttributes);

    // ` name="value"`, the value escaped.
    static QString attribute(const QString &name, const QString &value);
    // `<name a="1" b="2"/>`.
    static QString emptyElement(const QString &name, const Attributes &attributes);

    // Appends `spaces` spaces, `text` and a line feed.
    void line(int spaces, const QString &text);
    QString finish() const;

private:
    QString m_root;
    QString m_text;
};
