#pragma once

#include <QString>

// What the passes that read a page before Qt does share: where a tag's name
// and the tag itself end.
namespace HtmlTags {

bool isNameCharacter(QChar c);

// Elements that never hold content, and those whose end tag HTML lets go
// unwritten and Qt closes when the next one starts: neither nests. `name`
// in lower case.
bool neverNests(QStringView name);

// The end of the name that starts at `from` in `html`.
qsizetype nameEnd(const QString &html, qsizetype from);

// The end of the tag whose name ends at `from` (just past its '>'), quoted
// attribute values respected; -1 when it never ends.
qsizetype tagEnd(const QString &html, qsizetype from);

} // namespace HtmlTags
