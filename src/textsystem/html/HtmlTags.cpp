#include "textsystem/html/HtmlTags.h"

#include <QStringList>

namespace HtmlTags {

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':' || c == u'.';
}

bool neverNests(QStringView name)
{
    static const QStringList names = {
        QStringLiteral("area"),  QStringLiteral("base"),    QStringLiteral("br"),    QStringLiteral("col"),
        QStringLiteral("embed"), QStringLiteral("hr"),      QStringLiteral("img"),   QStringLiteral("input"),
        QStringLiteral("link"),  QStringLiteral("meta"),    QStringLiteral("param"), QStringLiteral("source"),
        QStringLiteral("track"), QStringLiteral("wbr"),     QStringLiteral("p"),     QStringLiteral("li"),
        QStringLiteral("dt"),    QStringLiteral("dd"),      QStringLiteral("tr"),    QStringLiteral("td"),
        QStringLiteral("th"),    QStringLiteral("thead"),   QStringLiteral("tbody"), QStringLiteral("tfoot"),
        QStringLiteral("caption"),
    };
    return names.contains(name);
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
