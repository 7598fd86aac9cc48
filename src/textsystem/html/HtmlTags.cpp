#include "textsystem/html/HtmlTags.h"

namespace HtmlTags {

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':' || c == u'.';
}

qsizetype nameEnd(const QString &html, qsizetype from)
{
    while (from < html.size() && isNameCharacter(html[from]))
        ++from;
    return from;
}

qsizetype tagEnd(const QString &html, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return -1;
}

} // namespace HtmlTags
