#include "textsystem/html/HtmlNesting.h"

#include "textsystem/html/HtmlTags.h"

#include <QHash>

#include <vector>

namespace {

class Flattener
{
public:
    Flattener(const QString &html, int depth) : m_html(html), m_depth(depth) { m_out.reserve(html.size()); }

    QString run()
    {
        qsizetype at = 0;
        while (at < m_html.size()) {
            const qsizetype open = m_html.indexOf(u'<', at);
            if (open < 0) {
                m_out += QStringView(m_html).sliced(at);
                break;
            }
            m_out += QStringView(m_html).sliced(at, open - at);
            at = markup(open);
        }
        return m_out;
    }

private:
    struct Element {
        QString name;
        bool kept;
    };

    // Handles the markup starting with '<' at `at`; returns where text resumes.
    qsizetype markup(qsizetype at)
    {
        const QStringView rest = QStringView(m_html).sliced(at);
        if (rest.startsWith(u"<!--")) {
            const qsizetype close = m_html.indexOf(QStringLiteral("-->"), at + 4);
            return copy(at, close < 0 ? m_html.size() : close + 3);
        }
        const bool closing = rest.size() > 2 && rest[1] == u'/' && rest[2].isLetter();
        const qsizetype nameStart = at + (closing ? 2 : 1);
        if (rest.size() < 2 || (!closing && !rest[1].isLetter())) {
            if (rest.size() >= 2 && (rest[1] == u'!' || rest[1] == u'?')) {
                const qsizetype end = m_html.indexOf(u'>', at);
                return copy(at, end < 0 ? m_html.size() : end + 1);
            }
            return copy(at, at + 1); // a '<' of the text
        }
        const qsizetype nameEnd = HtmlTags::nameEnd(m_html, nameStart);
        const qsizetype end = HtmlTags::tagEnd(m_html, nameEnd);
        if (end < 0)
            return copy(at, m_html.size());
        const QString name = QStringView(m_html).sliced(nameStart, nameEnd - nameStart).toString().toLower();
        if (closing)
            close(name, at, end);
        else if (isRawText(name))
            return copy(at, rawTextEnd(name, end));
        else if (HtmlTags::neverNests(name) || m_html[end - 2] == u'/')
            copy(at, end);
        else
            open(name, at, end);
        return end;
    }

    // Script and style hold text, never elements, up to their end tag.
    static bool isRawText(const QString &name)
    {
        return name == QLatin1String("script") || name == QLatin1String("style");
    }

    qsizetype rawTextEnd(const QString &name, qsizetype from) const
    {
        const qsizetype close = m_html.indexOf(QStringLiteral("</") + name, from, Qt::CaseInsensitive);
        return close < 0 ? m_html.size() : close;
    }

    void open(const QString &name, qsizetype at, qsizetype end)
    {
        const bool kept = qsizetype(m_open.size()) < m_depth;
        m_open.push_back({name, kept});
        ++m_openByName[name];
        if (kept)
            copy(at, end);
    }

    // An end tag closes the innermost open element of its name and those
    // inside it; one with no such element open passes for Qt to ignore.
    void close(const QString &name, qsizetype at, qsizetype end)
    {
        if (m_openByName.value(name) == 0) {
            copy(at, end);
            return;
        }
        while (true) {
            const Element element = std::move(m_open.back());
            m_open.pop_back();
            --m_openByName[element.name];
            if (element.name == name) {
                if (element.kept)
                    copy(at, end);
                return;
            }
        }
    }

    qsizetype copy(qsizetype from, qsizetype to)
    {
        m_out += QStringView(m_html).sliced(from, to - from);
        return to;
    }

    const QString &m_html;
    const int m_depth;
    QString m_out;
    std::vector<Element> m_open;
    QHash<QString, int> m_openByName;
};

} // namespace

namespace HtmlNesting {

QString flattened(const QString &html, int depth)
{
    return Flattener(html, depth).run();
}

} // namespace HtmlNesting
