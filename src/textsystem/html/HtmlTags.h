#pragma once

#include <QList>
#include <QString>

#include <vector>

// What the passes that read a page before Qt does share: where a tag's name
// and the tag itself end, and its attributes, read the way Qt's import
// reads them.
namespace HtmlTags {

bool isNameCharacter(QChar c);

// Elements that never hold content, and those whose end tag HTML lets go
// unwritten and Qt closes when the next one starts: neither nests. `name`
// in lower case.
bool neverNests(QStringView name);

// The end of the name that starts at `from` in `html`.
qsizetype nameEnd(const QString &html, qsizetype from);

// The end of the tag whose name ends at `from` (just past its '>'); -1 when
// it never ends. A quote starts a quoted value only where a value or a name
// may start (after white space, '=' or another quoted value), as in Qt's
// import; inside a quoted value '>' ends nothing.
qsizetype tagEnd(const QString &html, qsizetype from);

struct Tag
{
    qsizetype from; // at its '<'
    qsizetype to; // past its '>'
    QString name; // lower case
    bool closing;
};

// The start and end tags of `html` in order, found as Qt's import finds
// them: white space may follow the '<', tags inside scripts and styles
// count, comments and declarations ("<!...>", "<?...>") do not, and a tag
// the page never ends runs to its end.
std::vector<Tag> tags(const QString &html);

struct Attribute
{
    QStringView name; // without quotes around it
    QStringView value; // as written, without its quotes
    bool hasValue = false;
};

// The attributes of the start tag `tag` (its text from '<'), in order.
QList<Attribute> attributes(QStringView tag);

// The decoded value of the tag's last attribute named `name` (the one Qt
// takes); null when it has none.
QString lastValue(QStringView tag, QLatin1String name);

// `value` with its character references (&#54;, &#x36;, &amp; ...) decoded.
QString decodedValue(QStringView value);

} // namespace HtmlTags
