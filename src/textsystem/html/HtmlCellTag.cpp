#include "textsystem/html/HtmlCellTag.h"

#include "textsystem/html/HtmlTags.h"

#include <algorithm>

namespace {

bool isColumnSpan(QStringView name)
{
    return name.compare(QLatin1String("colspan"), Qt::CaseInsensitive) == 0;
}

bool isRowSpan(QStringView name)
{
    return name.compare(QLatin1String("rowspan"), Qt::CaseInsensitive) == 0;
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A span's number: white space around it and a sign allowed; 1 for
// anything else or below 1, large numbers saturating.
qint64 spanNumber(QStringView value)
{
    QString text = HtmlTags::decodedValue(value).trimmed();
    if (text.startsWith(u'+'))
        text.remove(0, 1);
    if (text.isEmpty())
        return 1;
    qint64 number = 0;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return 1;
        number = qMin<qint64>(number * 10 + c.digitValue(), 1'000'000'000'000);
    }
    return qMax<qint64>(number, 1);
}

bool isPlainNumber(QStringView value)
{
    return !value.isEmpty() && value.size() <= 9 && std::all_of(value.begin(), value.end(), isAsciiDigit);
}

bool isName(QStringView name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), HtmlTags::isNameCharacter);
}

} // namespace

HtmlCellTag::HtmlCellTag(QStringView tag) : m_tag(tag)
{
    const qsizetype mentions = tag.count(QLatin1String("span"), Qt::CaseInsensitive);
    if (mentions == 0)
        return;
    int columnSpans = 0;
    int rowSpans = 0;
    for (const HtmlTags::Attribute &attribute : HtmlTags::attributes(tag)) {
        const bool column = isColumnSpan(attribute.name);
        if (!column && !isRowSpan(attribute.name))
            continue;
        ++(column ? columnSpans : rowSpans);
        (column ? m_columnSpan : m_rowSpan) = attribute.hasValue ? spanNumber(attribute.value) : 1;
        m_plain = m_plain && attribute.hasValue && isPlainNumber(attribute.value);
    }
    m_plain = m_plain && columnSpans <= 1 && rowSpans <= 1 && columnSpans + rowSpans == mentions;
}

QString HtmlCellTag::withSpans(int columns, int rows) const
{
    qsizetype nameStart = 1;
    while (nameStart < m_tag.size() && m_tag[nameStart].isSpace())
        ++nameStart;
    qsizetype nameEnd = nameStart;
    while (nameEnd < m_tag.size() && HtmlTags::isNameCharacter(m_tag[nameEnd]))
        ++nameEnd;
    QString tag = u'<' + m_tag.sliced(nameStart, nameEnd - nameStart).toString();
    for (const HtmlTags::Attribute &attribute : HtmlTags::attributes(m_tag)) {
        if (isColumnSpan(attribute.name) || isRowSpan(attribute.name) || !isName(attribute.name))
            continue;
        tag += u' ' + attribute.name.toString();
        if (attribute.hasValue)
            tag += QLatin1String("=\"") + attribute.value.toString().replace(u'"', QLatin1String("&quot;")) + u'"';
    }
    if (columns > 1)
        tag += QStringLiteral(" colspan=\"%1\"").arg(columns);
    if (rows > 1)
        tag += QStringLiteral(" rowspan=\"%1\"").arg(rows);
    return tag + u'>';
}
