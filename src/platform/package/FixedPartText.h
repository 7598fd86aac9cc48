#pragma once

#include <QString>
#include <utility>
#include <vector>

// The text of a package part written line by line in a fixed layout: the
// declaration `<?xml version="1.0" encoding="UTF-8" standalone="yes"?>`, the
// root's start tag with its namespace (none when `xmlns` is empty, for roots
// that declare prefixed namespaces only) on the next line, then lines indented
// by the spaces the caller gives, attributes in the order given with "/>"
// right after the last, and no line feed after the root's end tag.
class FixedPartText
{
public:
    using Attributes = std::vector<std::pair<QString, QString>>;

    FixedPartText(const QString &root, const QString &xmlns, const Attributes &extraRootAttributes = {});

    // ` name="value"` with the value escaped (XmlText::escapeAttribute).
    static QString attribute(const QString &name, const QString &value);

    // `<name a="1" b="2"/>`, for callers that join entries themselves.
    static QString emptyTag(const QString &name, const Attributes &attributes);

    // One line: `spaces` blanks, then `tag` as given.
    void line(int spaces, const QString &tag);
    // One line `<name a="1" b="2"/>`.
    void emptyElement(int spaces, const QString &name, const Attributes &attributes);

    // The whole text, the root's end tag appended.
    QString finish() const;

private:
    QString m_root;
    QString m_text;
};
