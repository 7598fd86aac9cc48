#include "textsystem/html/HtmlBounds.h"

#include "textsystem/html/HtmlCellTag.h"
#include "textsystem/html/HtmlNesting.h"
#include "textsystem/html/HtmlTableLayout.h"
#include "textsystem/html/HtmlTags.h"

#include <QHash>
#include <QRegularExpression>

#include <optional>
#include <vector>

namespace {

// A start or end tag, or the text of a <style> element.
struct Token
{
    enum class Kind { Start, End, Style };
    Kind kind;
    qsizetype from;
    qsizetype to;
    QString name; // lower case; empty for style text
};

// The page's tags; a style's text is also a token of its own, after the
// tags inside it (Qt reads those too), so that replacements come in order.
std::vector<Token> tokens(const QString &html)
{
    std::vector<Token> found;
    std::optional<Token> style;
    for (HtmlTags::Tag &tag : HtmlTags::tags(html)) {
        if (style && tag.from >= style->to) {
            found.push_back(*style);
            style.reset();
        }
        const bool startsStyle = !tag.closing && tag.name == QLatin1String("style") && !style;
        const qsizetype end = tag.to;
        found.push_back({tag.closing ? Token::Kind::End : Token::Kind::Start, tag.from, tag.to, std::move(tag.name)});
        if (startsStyle) {
            const qsizetype close = html.indexOf(QStringLiteral("</style"), end, Qt::CaseInsensitive);
            style = Token{Token::Kind::Style, end, close < 0 ? html.size() : close, QString()};
        }
    }
    if (style)
        found.push_back(*style);
    return found;
}

// The value of attribute `name` in a start tag: where it lies (without its
// quotes) and its text; from < 0 when the tag has none.
struct Attribute
{
    qsizetype from = -1;
    qsizetype to = -1;
    QStringView value;
};

enum class Named { Class, Id };

const QRegularExpression &patternFor(Named name)
{
    const auto pattern = [](const char *attributeName) {
        return QRegularExpression(
            QStringLiteral("[\\s\"'/]%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+))").arg(QLatin1String(attributeName)),
            QRegularExpression::CaseInsensitiveOption);
    };
    static const QRegularExpression patterns[] = {pattern("class"), pattern("id")};
    return patterns[int(name)];
}

Attribute attribute(QStringView tag, Named name)
{
    const QRegularExpressionMatch match = patternFor(name).match(tag);
    if (!match.hasMatch())
        return {};
    for (int group = 1; group <= 3; ++group) {
        if (match.capturedStart(group) >= 0)
            return {match.capturedStart(group), match.capturedEnd(group), match.capturedView(group)};
    }
    return {};
}

// The class names of a class attribute, split at any white space.
QList<QStringView> classNames(QStringView value)
{
    QList<QStringView> names;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= value.size(); ++i) {
        const bool space = i == value.size() || value[i].isSpace();
        if (space && start >= 0) {
            names << value.sliced(start, i - start);
            start = -1;
        } else if (!space && start < 0) {
            start = i;
        }
    }
    return names;
}

// Braces open one rule (or one block of them) each.
int rulesIn(QStringView css)
{
    return int(css.count(u'{'));
}

// How deep each element lies, as Qt nests them: void elements and those
// whose end tag HTML lets go unwritten (p, li, td, ...) hold nothing, an end
// tag closes the innermost open element of its name and those inside it.
class Nesting
{
public:
    // The depth of the element `token` starts (0 at the top).
    int enter(const Token &token, QStringView tag)
    {
        const int depth = int(m_open.size());
        if (!HtmlTags::neverNests(token.name) && !tag.endsWith(QLatin1String("/>"))) {
            m_open.push_back(token.name);
            ++m_openByName[token.name];
        }
        return qMin(depth, HtmlNesting::maximumDepth);
    }

    void leave(const QString &name)
    {
        if (m_openByName.value(name) == 0)
            return;
        while (!m_open.empty()) {
            const QString closed = std::move(m_open.back());
            m_open.pop_back();
            --m_openByName[closed];
            if (closed == name)
                return;
        }
    }

private:
    std::vector<QString> m_open;
    QHash<QString, int> m_openByName;
};

// What matching the page's elements against one style rule costs Qt, in
// units of about 15 ns (measured): each element costs its classes times its
// depth, and a rule with a combinator ("div p", "ul > li") walks the
// ancestors of each element its last part matches, costing that element
// its depth again.
class StyleCost
{
public:
    void element(const QString &tag, QStringView id, const QList<QStringView> &classes, int depth)
    {
        const qint64 weight = qint64(1 + classes.size()) * (1 + depth);
        m_simple += weight;
        const qint64 walked = weight * (1 + depth);
        m_walkedAll += walked;
        m_walkedByTag[tag] += walked;
        if (!id.isEmpty())
            m_walkedById[id.toString()] += walked;
        for (const QStringView name : classes)
            m_walkedByClass[name.toString()] += walked;
    }

    // The cost of the rule whose selectors are `selectors` (an at-rule's
    // block costs nothing itself).
    qint64 rule(QStringView selectors) const
    {
        selectors = selectors.trimmed();
        if (selectors.startsWith(u'@'))
            return 0;
        qint64 cost = 0;
        for (const QStringView selector : selectors.split(u',', Qt::SkipEmptyParts)) {
            const QStringView trimmed = selector.trimmed();
            const qsizetype last = lastCompoundAt(trimmed);
            cost += m_simple + (last > 0 ? walkedFor(trimmed.sliced(last)) : 0);
        }
        return cost;
    }

private:
    // Where the last compound selector of `selector` starts (after its last
    // combinator; 0 when it has none).
    static qsizetype lastCompoundAt(QStringView selector)
    {
        qsizetype start = 0;
        int nested = 0;
        for (qsizetype i = 0; i < selector.size(); ++i) {
            const QChar c = selector[i];
            if (c == u'[' || c == u'(')
                ++nested;
            else if ((c == u']' || c == u')') && nested > 0)
                --nested;
            else if (nested == 0 && (c.isSpace() || c == u'>' || c == u'+' || c == u'~'))
                start = i + 1;
        }
        return start;
    }

    // The ancestor walks for the elements `compound` can match: by its
    // first class, else its id, else its tag name; every element's for "*"
    // and the like.
    qint64 walkedFor(QStringView compound) const
    {
        const auto nameAfter = [&compound](qsizetype at) {
            qsizetype end = at;
            while (end < compound.size() && HtmlTags::isNameCharacter(compound[end]) && compound[end] != u'.'
                   && compound[end] != u':')
                ++end;
            return compound.sliced(at, end - at).toString();
        };
        if (const qsizetype dot = compound.indexOf(u'.'); dot >= 0)
            return m_walkedByClass.value(nameAfter(dot + 1));
        if (const qsizetype hash = compound.indexOf(u'#'); hash >= 0)
            return m_walkedById.value(nameAfter(hash + 1));
        if (!compound.isEmpty() && compound.front().isLetter())
            return m_walkedByTag.value(nameAfter(0).toLower());
        return m_walkedAll;
    }

    qint64 m_simple = 0;
    qint64 m_walkedAll = 0;
    QHash<QString, qint64> m_walkedByTag;
    QHash<QString, qint64> m_walkedById;
    QHash<QString, qint64> m_walkedByClass;
};

class Bounder
{
public:
    Bounder(const QString &html, qint64 tableCells) : m_html(html), m_tokens(tokens(html)), m_tableCells(tableCells) {}

    HtmlBounds::Result run()
    {
        survey();
        HtmlBounds::Result result;
        result.html = rewrite(result);
        return result;
    }

private:
    // What the page holds: its tables' shapes, its rules, and what matching
    // them costs, which decides how many rules are kept.
    void survey()
    {
        HtmlTableLayout tables(&m_shapes, HtmlTableLayout::Pass::Survey);
        Nesting nesting;
        StyleCost cost;
        std::vector<QStringView> styles;
        for (const Token &token : m_tokens) {
            if (token.kind == Token::Kind::Style) {
                styles.push_back(QStringView(m_html).sliced(token.from, token.to - token.from));
                continue;
            }
            if (token.kind == Token::Kind::End) {
                tables.endTag(token.name);
                nesting.leave(token.name);
                continue;
            }
            tables.startTag(token.name);
            const QStringView tag = tagText(token);
            QList<QStringView> classes;
            if (tag.contains(QLatin1String("class"), Qt::CaseInsensitive))
                classes = classNames(attribute(tag, Named::Class).value);
            if (classes.size() > HtmlBounds::maximumClasses)
                classes.resize(HtmlBounds::maximumClasses);
            const QStringView id = tag.contains(QLatin1String("id"), Qt::CaseInsensitive) ? attribute(tag, Named::Id).value
                                                                                          : QStringView();
            cost.element(token.name, id, classes, nesting.enter(token, tag));
        }
        keepRulesWithin(styles, cost);
    }

    // Keeps the page's rules in order while they fit the bounds.
    void keepRulesWithin(const std::vector<QStringView> &styles, const StyleCost &cost)
    {
        qint64 spent = 0;
        bool full = false;
        for (const QStringView css : styles) {
            qsizetype selectorStart = 0;
            for (qsizetype i = 0; i < css.size(); ++i) {
                const QChar c = css[i];
                if (c == u'}' || c == u';') {
                    selectorStart = i + 1;
                } else if (c == u'{') {
                    ++m_rules;
                    spent += cost.rule(css.sliced(selectorStart, i - selectorStart));
                    full = full || spent > HtmlBounds::maximumStyleWork || m_rules > HtmlBounds::maximumStyleRules;
                    if (!full)
                        ++m_rulesKept;
                    selectorStart = i + 1;
                }
            }
        }
    }

    QString rewrite(HtmlBounds::Result &result)
    {
        HtmlTableLayout tables(&m_shapes, HtmlTableLayout::Pass::Layout, m_tableCells);
        QString out;
        out.reserve(m_html.size());
        qsizetype copied = 0;
        int pictures = 0;
        int rules = 0;
        const auto replace = [&](qsizetype from, qsizetype to, const QString &with) {
            out += QStringView(m_html).sliced(copied, from - copied);
            out += with;
            copied = to;
        };
        for (const Token &token : m_tokens) {
            if (token.kind == Token::Kind::Style) {
                // Tags inside the text left out went before, bounded where they had to be.
                const QStringView css = QStringView(m_html).sliced(token.from, token.to - token.from);
                const qsizetype kept = keptCss(css, m_rulesKept - rules);
                rules += rulesIn(css.first(kept));
                if (kept < css.size() && copied < token.to)
                    replace(qMax(copied, token.from + kept), token.to, QString());
                continue;
            }
            const bool ending = token.kind == Token::Kind::End;
            const HtmlTableLayout::Role role = ending ? tables.endTag(token.name) : tables.startTag(token.name);
            if (role == HtmlTableLayout::Role::OfParagraphTable) {
                // Its cells become paragraphs; its other structure goes.
                const bool cell = token.name == QLatin1String("td") || token.name == QLatin1String("th");
                replace(token.from, token.to, cell ? QString(ending ? QStringLiteral("</p>") : QStringLiteral("<p>")) : QString());
                if (!ending && token.name == QLatin1String("table"))
                    ++result.tablesAsParagraphs;
                continue;
            }
            if (ending)
                continue;
            const bool cell = role == HtmlTableLayout::Role::Cell;
            if (token.name == QLatin1String("img") && ++pictures > HtmlBounds::maximumPictures) {
                replace(token.from, token.to, QString());
                ++result.picturesLeftOut;
                continue;
            }
            const QString tag = boundedTag(token, cell ? &tables : nullptr, result);
            if (!tag.isNull())
                replace(token.from, token.to, tag);
        }
        out += QStringView(m_html).sliced(copied);
        result.rulesLeftOut = m_rules - rules;
        return out;
    }

    // The start tag with its classes and spans bounded; null when unchanged.
    QString boundedTag(const Token &token, HtmlTableLayout *table, HtmlBounds::Result &result) const
    {
        QString tag = tagText(token).toString();
        bool changed = false;
        if (tag.contains(QLatin1String("class"), Qt::CaseInsensitive)) {
            const Attribute classes = attribute(tag, Named::Class);
            const QList<QStringView> names = classNames(classes.value);
            if (names.size() > HtmlBounds::maximumClasses) {
                QStringList kept;
                for (int i = 0; i < HtmlBounds::maximumClasses; ++i)
                    kept << names[i].toString();
                tag.replace(classes.from, classes.to - classes.from, kept.join(u' '));
                ++result.elementsWithClassesLeftOut;
                changed = true;
            }
        }
        if (table) {
            const HtmlCellTag cell(tag);
            const HtmlTableLayout::Spans spans = table->place(cell.columnSpan(), cell.rowSpan(), HtmlBounds::maximumSpan);
            if (spans.narrowed)
                ++result.spansNarrowed;
            if (!cell.isPlain() || spans.columns != cell.columnSpan() || spans.rows != cell.rowSpan()) {
                tag = cell.withSpans(spans.columns, spans.rows);
                changed = true;
            }
        }
        return changed ? tag : QString();
    }

    // How much of `css` to keep so that at most `rules` rules are kept:
    // all of it, or up to the end of the last whole rule (or block) within.
    static qsizetype keptCss(QStringView css, int rules)
    {
        int opened = 0;
        int depth = 0;
        qsizetype lastWhole = 0;
        for (qsizetype i = 0; i < css.size(); ++i) {
            if (css[i] == u'{') {
                if (++opened > rules)
                    return lastWhole;
                ++depth;
            } else if (css[i] == u'}' && depth > 0 && --depth == 0) {
                lastWhole = i + 1;
            }
        }
        return css.size();
    }

    QStringView tagText(const Token &token) const
    {
        return QStringView(m_html).sliced(token.from, token.to - token.from);
    }

    const QString &m_html;
    const std::vector<Token> m_tokens;
    const qint64 m_tableCells;
    std::vector<HtmlTableLayout::Shape> m_shapes;
    int m_rules = 0;
    int m_rulesKept = 0;
};

} // namespace

namespace HtmlBounds {

QStringList Result::cuts() const
{
    QStringList phrases;
    if (picturesLeftOut > 0)
        phrases << QStringLiteral("%1 pictures past the first %2 were left out").arg(picturesLeftOut).arg(maximumPictures);
    if (rulesLeftOut > 0)
        phrases << QStringLiteral("%1 style rules were left out").arg(rulesLeftOut);
    if (elementsWithClassesLeftOut > 0)
        phrases << QStringLiteral("%1 elements kept only their first %2 classes")
                       .arg(elementsWithClassesLeftOut)
                       .arg(maximumClasses);
    if (tablesAsParagraphs > 0)
        phrases << QStringLiteral("%1 tables with rows far shorter than their widest were opened as paragraphs, a cell each")
                       .arg(tablesAsParagraphs);
    if (spansNarrowed > 0)
        phrases << QStringLiteral("%1 table cells spanning more columns or rows than a table may have were narrowed")
                       .arg(spansNarrowed);
    return phrases;
}

Result bounded(const QString &html, qint64 tableCells)
{
    return Bounder(html, tableCells).run();
}

} // namespace HtmlBounds
