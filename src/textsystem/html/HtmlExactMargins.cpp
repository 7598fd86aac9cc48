#include "textsystem/html/HtmlExactMargins.h"

#include "textsystem/html/HtmlTags.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace {

using Margin = HtmlExactMargins::Margin;

// User states of the blocks marked, far from those pages give themselves.
constexpr int firstMark = 0x6D000000;

// Qt's import keeps a margin in whole pixels, a text indent as given.
enum class Kept { WholePixels, Pixels };

// A length of a block's style: what the page gives in pixels, and what Qt
// keeps of it; none for lengths Qt reads in other ways (em, %, ...).
std::optional<Margin> blockLength(QStringView text, Kept kept)
{
    static const QRegularExpression length(QStringLiteral("^([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+))(px|pt|pc|in|cm|mm)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = length.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const double number = match.capturedView(1).toDouble();
    if (!std::isfinite(number) || std::abs(number) > 1.0e6)
        return std::nullopt;
    const QString unit = match.captured(2).toLower();
    if (unit.isEmpty() || unit == QLatin1String("px"))
        return Margin{kept == Kept::WholePixels ? qRound(number) : number, number};
    const double pixelsPerUnit = unit == QLatin1String("pt") ? 96.0 / 72
                               : unit == QLatin1String("pc") ? 16.0
                               : unit == QLatin1String("in") ? 96.0
                               : unit == QLatin1String("cm") ? 96.0 / 2.54
                                                             : 96.0 / 25.4;
    return Margin{0, number * pixelsPerUnit}; // Qt keeps nothing of these units
}

std::optional<Margin> marginLength(QStringView text)
{
    return blockLength(text, Kept::WholePixels);
}

struct SideMargins
{
    std::optional<Margin> indent; // of the first line
    std::optional<Margin> top;
    std::optional<Margin> right;
    std::optional<Margin> bottom;
    std::optional<Margin> left;
};

// The margins a style attribute's declarations give, later ones winning; a
// side whose length is of another kind is left out.
SideMargins declaredMargins(const QString &style)
{
    SideMargins margins;
    for (const QStringView declaration : QStringView(style).split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon <= 0)
            continue;
        const QString name = declaration.first(colon).trimmed().toString().toLower();
        const QStringView value = declaration.sliced(colon + 1).trimmed();
        if (name == QLatin1String("margin")) {
            const QList<QStringView> parts = value.split(u' ', Qt::SkipEmptyParts);
            std::vector<std::optional<Margin>> lengths;
            for (const QStringView part : parts)
                lengths.push_back(marginLength(part));
            if (lengths.empty() || lengths.size() > 4)
                continue;
            // CSS: top, right, bottom, left; missing ones repeat the opposite side.
            margins.top = lengths[0];
            margins.right = lengths.size() > 1 ? lengths[1] : lengths[0];
            margins.bottom = lengths.size() > 2 ? lengths[2] : lengths[0];
            margins.left = lengths.size() > 3 ? lengths[3] : margins.right;
        } else if (name == QLatin1String("margin-top")) {
            margins.top = marginLength(value);
        } else if (name == QLatin1String("margin-right")) {
            margins.right = marginLength(value);
        } else if (name == QLatin1String("margin-bottom")) {
            margins.bottom = marginLength(value);
        } else if (name == QLatin1String("margin-left")) {
            margins.left = marginLength(value);
        } else if (name == QLatin1String("text-indent")) {
            margins.indent = blockLength(value, Kept::Pixels);
        }
    }
    return margins;
}

bool loses(const std::optional<Margin> &margin)
{
    return margin && std::abs(margin->exact - margin->kept) > 1.0e-9;
}

Margin operator+(Margin a, const std::optional<Margin> &b)
{
    return b ? Margin{a.kept + b->kept, a.exact + b->exact} : a;
}

bool isBlock(const QString &name)
{
    static const QStringList names = {
        QStringLiteral("p"),  QStringLiteral("li"), QStringLiteral("div"), QStringLiteral("h1"),
        QStringLiteral("h2"), QStringLiteral("h3"), QStringLiteral("h4"),  QStringLiteral("h5"),
        QStringLiteral("h6"), QStringLiteral("blockquote"), QStringLiteral("pre"), QStringLiteral("dd"),
        QStringLiteral("dt"), QStringLiteral("center"), QStringLiteral("address"),
    };
    return names.contains(name);
}

bool isVoid(const QString &name)
{
    static const QStringList names = {
        QStringLiteral("area"), QStringLiteral("base"), QStringLiteral("br"),    QStringLiteral("col"),
        QStringLiteral("embed"), QStringLiteral("hr"),  QStringLiteral("img"),   QStringLiteral("input"),
        QStringLiteral("link"), QStringLiteral("meta"), QStringLiteral("param"), QStringLiteral("source"),
        QStringLiteral("track"), QStringLiteral("wbr"),
    };
    return names.contains(name);
}

} // namespace

// Follows the elements of a page, each with the side margins it and the
// elements around it give, and marks the blocks that would lose some.
class HtmlExactMargins::Marker
{
public:
    Marker(const QString &html, std::vector<Noted> *noted) : m_html(html), m_noted(noted) {}

    QString run()
    {
        if (!m_html.contains(QLatin1String("margin"), Qt::CaseInsensitive)
            && !m_html.contains(QLatin1String("text-indent"), Qt::CaseInsensitive))
            return m_html;
        for (const HtmlTags::Tag &tag : HtmlTags::tags(m_html)) {
            if (tag.closing)
                close(tag.name);
            else
                start(tag);
        }
        m_out += QStringView(m_html).sliced(m_copied);
        return m_out;
    }

private:
    struct Open
    {
        QString name;
        Margin left; // its own and those around it
        Margin right;
    };

    void start(const HtmlTags::Tag &tag)
    {
        const QStringView text = QStringView(m_html).sliced(tag.from, tag.to - tag.from);
        if (isVoid(tag.name) || !text.endsWith(u'>') || text.endsWith(QLatin1String("/>")))
            return;
        closeImplied(tag.name);
        const SideMargins own = text.contains(QLatin1String("style"), Qt::CaseInsensitive)
            ? declaredMargins(HtmlTags::lastValue(text, QLatin1String("style")))
            : SideMargins();
        const Open around = m_open.empty() ? Open() : m_open.back();
        m_open.push_back({tag.name, around.left + own.left, around.right + own.right});
        if (!isBlock(tag.name))
            return;
        Noted noted;
        noted.indent = loses(own.indent) ? own.indent : std::nullopt;
        noted.top = loses(own.top) ? own.top : std::nullopt;
        noted.bottom = loses(own.bottom) ? own.bottom : std::nullopt;
        noted.left = loses(m_open.back().left) ? std::optional(m_open.back().left) : std::nullopt;
        noted.right = loses(m_open.back().right) ? std::optional(m_open.back().right) : std::nullopt;
        if (noted.indent || noted.top || noted.bottom || noted.left || noted.right) {
            mark(tag, text, firstMark + int(m_noted->size()));
            m_noted->push_back(noted);
        }
    }

    // Blocks close an open paragraph; an item closes the one before it.
    void closeImplied(const QString &name)
    {
        if (isBlock(name) && !m_open.empty() && m_open.back().name == QLatin1String("p"))
            m_open.pop_back();
        const bool item = name == QLatin1String("li") || name == QLatin1String("dd") || name == QLatin1String("dt");
        if (item && !m_open.empty() && m_open.back().name == name)
            m_open.pop_back();
    }

    void close(const QString &name)
    {
        const auto open = std::find_if(m_open.rbegin(), m_open.rend(), [&name](const Open &o) { return o.name == name; });
        if (open != m_open.rend())
            m_open.erase(std::next(open).base(), m_open.end());
    }

    // Ends the tag's (last) style attribute with the mark, or gives it one.
    void mark(const HtmlTags::Tag &tag, QStringView text, int state)
    {
        std::optional<HtmlTags::Attribute> style;
        for (const HtmlTags::Attribute &attribute : HtmlTags::attributes(text)) {
            if (attribute.name.compare(QLatin1String("style"), Qt::CaseInsensitive) == 0)
                style = attribute;
        }
        const QString declaration = QStringLiteral("-qt-user-state:%1").arg(state);
        if (style && style->hasValue) {
            insert(tag.from + (style->value.data() - text.data()) + style->value.size(), u';' + declaration);
        } else {
            insert(tag.to - 1, QLatin1String(" style=\"") + declaration + u'"');
        }
    }

    void insert(qsizetype at, const QString &text)
    {
        m_out += QStringView(m_html).sliced(m_copied, at - m_copied);
        m_out += text;
        m_copied = at;
    }

    const QString &m_html;
    std::vector<Noted> *m_noted;
    std::vector<Open> m_open;
    QString m_out;
    qsizetype m_copied = 0;
};

HtmlExactMargins::HtmlExactMargins(const QString &html)
{
    m_markedHtml = Marker(html, &m_noted).run();
}

void HtmlExactMargins::restore(QTextDocument &document) const
{
    if (m_noted.empty())
        return;
    // A margin is put back only where Qt kept what was foreseen.
    const auto put = [](const std::optional<Margin> &margin, qreal kept, auto set) {
        if (margin && std::abs(kept - margin->kept) < 1.0e-9)
            set(margin->exact);
    };
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const qint64 index = qint64(block.userState()) - firstMark;
        if (index < 0 || index >= qint64(m_noted.size()))
            continue;
        const Noted &noted = m_noted[size_t(index)];
        QTextBlockFormat format = block.blockFormat();
        put(noted.indent, format.textIndent(), [&format](qreal v) { format.setTextIndent(v); });
        put(noted.top, format.topMargin(), [&format](qreal v) { format.setTopMargin(v); });
        put(noted.bottom, format.bottomMargin(), [&format](qreal v) { format.setBottomMargin(v); });
        put(noted.left, format.leftMargin(), [&format](qreal v) { format.setLeftMargin(v); });
        put(noted.right, format.rightMargin(), [&format](qreal v) { format.setRightMargin(v); });
        QTextCursor(block).setBlockFormat(format);
        block.setUserState(-1);
    }
}
