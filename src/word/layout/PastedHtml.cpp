#include "PastedHtml.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// A set-aside tag is held in the text as these two noncharacters around its
// number: text passes the bounds unchanged, and no page may hold them (a
// page that does has nothing set aside).
constexpr QChar SetAsideStart(0xFDD0);
constexpr QChar SetAsideEnd(0xFDD1);

// An <img> tag as this program's HTML writes it: the source, then only a
// size and an inline style; anything else is left to the bounds.
const QRegularExpression &ownPictureTag()
{
    static const char pattern[] = R"re(<img\s+src="([^"<>]*)"(?:\s+(?:width|height|style)="[^"<>]*")*\s*/?>)re";
    static const QRegularExpression tag(QString::fromLatin1(pattern), QRegularExpression::CaseInsensitiveOption);
    return tag;
}

const QRegularExpression &setAsideMark()
{
    static const QRegularExpression mark(QString(SetAsideStart) + QStringLiteral("([0-9]+)") + SetAsideEnd);
    return mark;
}

// `html` with each matching tag replaced by `replacement(match)`.
template <typename Replace>
QString replaced(const QString &html, const QRegularExpression &pattern, Replace replacement)
{
    QString result;
    result.reserve(html.size());
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = pattern.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += QStringView(html).sliced(from, match.capturedStart() - from);
        result += replacement(match);
        from = match.capturedEnd();
    }
    result += QStringView(html).sliced(from);
    return result;
}

} // namespace

namespace PastedHtml {

HtmlCodec::BoundedHtml bounded(const QString &html, const QSet<QString> &carriedNames, qsizetype setAsideLimit)
{
    if (carriedNames.isEmpty() || html.contains(SetAsideStart))
        return HtmlCodec::bounded(html);
    QStringList setAside;
    const QString marked = replaced(html, ownPictureTag(), [&](const QRegularExpressionMatch &match) {
        if (setAside.size() >= setAsideLimit || !carriedNames.contains(match.captured(1)))
            return match.captured(0);
        setAside.append(match.captured(0));
        return SetAsideStart + QString::number(setAside.size() - 1) + SetAsideEnd;
    });
    HtmlCodec::BoundedHtml page = HtmlCodec::bounded(marked);
    if (!setAside.isEmpty()) {
        page.html = replaced(page.html, setAsideMark(), [&](const QRegularExpressionMatch &match) {
            return setAside.value(match.captured(1).toInt());
        });
    }
    return page;
}

} // namespace PastedHtml
