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

namespace {

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

// Where a quote opens a quoted value or name: after white space, '=' or
// the closing quote of another; in the middle of a name or value it is text.
bool quoteMayOpenAfter(QChar previous, bool previousClosedQuote)
{
    return previousClosedQuote || previous.isSpace() || previous == u'=';
}

} // namespace

qsizetype tagEnd(const QString &html, qsizetype from)
{
    bool closedQuote = false;
    for (qsizetype i = from; i < html.size(); ++i) {
        const QChar c = html[i];
        if (isQuote(c) && i > 0 && quoteMayOpenAfter(html[i - 1], closedQuote)) {
            const qsizetype close = html.indexOf(c, i + 1);
            if (close < 0)
                return -1;
            i = close;
            closedQuote = true;
            continue;
        }
        closedQuote = false;
        if (c == u'>')
            return i + 1;
    }
    return -1;
}

namespace {

// The start of the tag name after the '<' (or "</") at `from`, white space
// skipped; -1 when no name follows.
qsizetype tagNameStart(const QString &html, qsizetype from)
{
    while (from < html.size() && html[from].isSpace())
        ++from;
    return from < html.size() && html[from].isLetter() ? from : -1;
}

} // namespace

std::vector<Tag> tags(const QString &html)
{
    std::vector<Tag> found;
    qsizetype at = 0;
    while (at < html.size()) {
        const qsizetype open = html.indexOf(u'<', at);
        if (open < 0 || open + 1 >= html.size())
            break;
        const QStringView rest = QStringView(html).sliced(open);
        if (rest.startsWith(u"<!--")) {
            const qsizetype close = html.indexOf(QStringLiteral("-->"), open + 4);
            at = close < 0 ? html.size() : close + 3;
            continue;
        }
        if (rest[1] == u'!' || rest[1] == u'?') {
            const qsizetype end = html.indexOf(u'>', open);
            at = end < 0 ? html.size() : end + 1;
            continue;
        }
        const bool closing = rest[1] == u'/';
        const qsizetype nameStart = tagNameStart(html, open + (closing ? 2 : 1));
        if (nameStart < 0) {
            at = open + 1;
            continue;
        }
        const qsizetype nameEnd = HtmlTags::nameEnd(html, nameStart);
        const qsizetype end = tagEnd(html, nameEnd);
        at = end < 0 ? html.size() : end;
        found.push_back({open, at, QStringView(html).sliced(nameStart, nameEnd - nameStart).toString().toLower(), closing});
    }
    return found;
}

QList<Attribute> attributes(QStringView tag)
{
    QList<Attribute> found;
    qsizetype i = 1;
    while (i < tag.size() && (tag[i].isSpace() || tag[i] == u'/'))
        ++i;
    while (i < tag.size() && isNameCharacter(tag[i]))
        ++i;
    // Reads a quoted run from the quote at `i`: its text, `i` past its end.
    const auto quoted = [&tag, &i]() {
        const qsizetype close = tag.indexOf(tag[i], i + 1);
        const qsizetype end = close < 0 ? tag.size() : close;
        const QStringView text = tag.sliced(i + 1, end - i - 1);
        i = qMin(end + 1, tag.size());
        return text;
    };
    const auto skipSpaces = [&tag, &i]() {
        while (i < tag.size() && tag[i].isSpace())
            ++i;
    };
    while (i < tag.size()) {
        const QChar c = tag[i];
        if (c.isSpace() || c == u'/') {
            ++i;
            continue;
        }
        if (c == u'>')
            break;
        Attribute attribute;
        if (isQuote(c)) {
            attribute.name = quoted();
        } else {
            const qsizetype start = i++;
            while (i < tag.size() && !tag[i].isSpace() && tag[i] != u'=' && tag[i] != u'>' && tag[i] != u'/')
                ++i;
            attribute.name = tag.sliced(start, i - start);
        }
        skipSpaces();
        if (i < tag.size() && tag[i] == u'=') {
            ++i;
            skipSpaces();
            attribute.hasValue = true;
            if (i < tag.size() && isQuote(tag[i])) {
                attribute.value = quoted();
            } else {
                const qsizetype start = i;
                while (i < tag.size() && !tag[i].isSpace() && tag[i] != u'>')
                    ++i;
                attribute.value = tag.sliced(start, i - start);
            }
        }
        found << attribute;
    }
    return found;
}

QString lastValue(QStringView tag, QLatin1String name)
{
    QString value;
    for (const Attribute &attribute : attributes(tag)) {
        if (attribute.name.compare(name, Qt::CaseInsensitive) == 0)
            value = attribute.hasValue ? decodedValue(attribute.value) : QStringLiteral("");
    }
    return value;
}

QString decodedValue(QStringView value)
{
    if (!value.contains(u'&'))
        return value.toString();
    static const QList<std::pair<QLatin1String, QChar>> named = {
        {QLatin1String("amp"), u'&'}, {QLatin1String("lt"), u'<'},    {QLatin1String("gt"), u'>'},
        {QLatin1String("quot"), u'"'}, {QLatin1String("apos"), u'\''}, {QLatin1String("nbsp"), QChar(0xA0)},
    };
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype semicolon = value[i] == u'&' ? value.indexOf(u';', i) : -1;
        if (semicolon < 0 || semicolon - i > 12) {
            out += value[i];
            continue;
        }
        const QStringView reference = value.sliced(i + 1, semicolon - i - 1);
        bool known = false;
        if (reference.startsWith(u'#')) {
            const bool hex = reference.size() > 1 && (reference[1] == u'x' || reference[1] == u'X');
            const uint code = reference.sliced(hex ? 2 : 1).toUInt(&known, hex ? 16 : 10);
            known = known && code > 0 && code <= 0x10FFFF;
            if (known)
                out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        } else {
            for (const auto &[name, character] : named) {
                if (reference == name) {
                    out += character;
                    known = true;
                }
            }
        }
        if (known)
            i = semicolon;
        else
            out += value[i];
    }
    return out;
}

} // namespace HtmlTags
