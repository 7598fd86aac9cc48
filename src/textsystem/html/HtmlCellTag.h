#pragma once

#include <QString>

// The start tag of a table cell (<td>, <th>): the spans Qt's import takes
// from it, and the tag written again with other spans. A span is read as
// the import applies it: the last of repeated attributes, entities decoded,
// white space around it and a sign allowed; anything else is 1.
class HtmlCellTag
{
public:
    // `tag`: the tag's text from '<' to past '>'; it must outlive this.
    explicit HtmlCellTag(QStringView tag);

    qint64 columnSpan() const { return m_columnSpan; }
    qint64 rowSpan() const { return m_rowSpan; }

    // Whether any reader takes the spans exactly as written: each at most
    // once, in plain digits, and "span" nowhere else in the tag (not inside
    // another attribute's value, say).
    bool isPlain() const { return m_plain; }

    // The tag with `columns` and `rows` as its spans, each attribute written
    // once in double quotes; attributes whose names are no names are left out.
    QString withSpans(int columns, int rows) const;

private:
    QStringView m_tag;
    qint64 m_columnSpan = 1;
    qint64 m_rowSpan = 1;
    bool m_plain = true;
};
