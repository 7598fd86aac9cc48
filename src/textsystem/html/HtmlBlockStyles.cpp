#include "textsystem/html/HtmlBlockStyles.h"

#include "textsystem/html/HtmlTags.h"

namespace {

// The value of the last declaration of `property` in the style attribute
// `style`; null when it has none.
QString lastDeclaration(const QString &style, QLatin1String property)
{
    QString value;
    for (const QStringView declaration : QStringView(style).split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon > 0 && declaration.first(colon).trimmed().compare(property, Qt::CaseInsensitive) == 0)
            value = declaration.sliced(colon + 1).trimmed().toString();
    }
    return value;
}

} // namespace

namespace HtmlBlockStyles {

QString withJustifyAttributes(const QString &html)
{
    if (!html.contains(QLatin1String("justify"), Qt::CaseInsensitive))
        return html;
    QString out;
    qsizetype copied = 0;
    for (const HtmlTags::Tag &tag : HtmlTags::tags(html)) {
        const QStringView text = QStringView(html).sliced(tag.from, tag.to - tag.from);
        if (tag.closing || !text.endsWith(u'>') || !text.contains(QLatin1String("justify"), Qt::CaseInsensitive))
            continue;
        const QString style = HtmlTags::lastValue(text, QLatin1String("style"));
        if (lastDeclaration(style, QLatin1String("text-align")).compare(QLatin1String("justify"), Qt::CaseInsensitive) != 0)
            continue;
        // Last, so that it wins over an align attribute of the tag's own.
        const qsizetype end = tag.to - (text.endsWith(QLatin1String("/>")) ? 2 : 1);
        out += QStringView(html).sliced(copied, end - copied);
        out += QLatin1String(" align=\"justify\"");
        copied = end;
    }
    out += QStringView(html).sliced(copied);
    return out;
}

} // namespace HtmlBlockStyles
