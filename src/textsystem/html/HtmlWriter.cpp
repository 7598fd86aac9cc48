#include "textsystem/html/HtmlWriter.h"

#include "textsystem/TextListMarker.h"

#include <QBuffer>
#include <QImage>

#include <cmath>
#include <vector>

namespace {

// HTML sizes pictures and blocks in CSS pixels, 96 to the inch; the text in points.
constexpr double pixelsPerPoint = 96.0 / 72.0;

bool isFinite(double value) { return std::isfinite(value); }

// A length in points, to a ten-thousandth, as CSS pixels to a
// ten-thousandth: the reader keeps these (Qt's import alone keeps whole
// pixels) and reads them as the points they came from, so a second save
// writes what the first did.
double pixels(double points)
{
    if (!isFinite(points))
        return 0;
    const double rounded = std::round(qBound(-1.0e6, points, 1.0e6) * 10'000) / 10'000;
    return std::round(rounded * pixelsPerPoint * 10'000) / 10'000;
}

QString pixelText(double pixels)
{
    QString text = QString::number(pixels, 'f', 4);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return (text == QLatin1String("-0") ? QStringLiteral("0") : text) + QLatin1String("px");
}

QString number(double value)
{
    return QString::number(isFinite(value) ? value : 0.0, 'g', 10);
}

QString escaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case 0x2028: out += QLatin1String("<br />"); break;
        case 0xFFFC: break; // a stray attachment character has no text form
        default:
            if (c.unicode() >= 0x20 || c == u'\t')
                out += c;
            break;
        }
    }
    return out;
}

QString colorText(const QColor &color)
{
    if (color.alpha() == 255)
        return color.name(QColor::HexRgb);
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(number(std::round(color.alphaF() * 1000) / 1000));
}

bool isUsable(const std::optional<QColor> &color)
{
    return color && color->isValid() && color->alpha() > 0;
}

QString listStyleType(const QString &token)
{
    if (token == TextList::decimal) return QStringLiteral("decimal");
    if (token == TextList::lowerLatin) return QStringLiteral("lower-alpha");
    if (token == TextList::upperLatin) return QStringLiteral("upper-alpha");
    if (token == TextList::lowerRoman) return QStringLiteral("lower-roman");
    if (token == TextList::upperRoman) return QStringLiteral("upper-roman");
    if (token == TextList::circle) return QStringLiteral("circle");
    if (token == TextList::square) return QStringLiteral("square");
    if (token == TextList::none) return QStringLiteral("none");
    return QStringLiteral("disc");
}

// A numbered level, or one that counts its items without showing them.
bool isOrdered(const TextListMarker &marker)
{
    return marker.isNumbered() || marker.token == TextList::none;
}

QString quotedCss(const QString &text)
{
    QString inner = text;
    inner.remove(u'\'').remove(u'"').remove(u'\\').remove(u';');
    return u'\'' + inner + u'\'';
}

class PageWriter
{
public:
    explicit PageWriter(const StyledText &text) : m_text(text) {}

    QString write()
    {
        m_out = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title></title>\n"
                               "<style type=\"text/css\">\np, li { white-space: pre-wrap; }\n</style>\n"
                               "</head>\n<body>\n");
        const QList<TextParagraph> paragraphs = m_text.paragraphs();
        for (const TextParagraph &paragraph : paragraphs)
            writeParagraph(paragraph);
        // A final line break ends in an empty paragraph of its own.
        if (!paragraphs.isEmpty() && paragraphs.last().enclosing.length > paragraphs.last().content.length)
            writeParagraph(TextParagraph{{m_text.length(), 0}, {m_text.length(), 0}});
        closeListsTo(0);
        // White space after the last block would be read as its text.
        while (m_out.endsWith(u'\n'))
            m_out.chop(1);
        m_out += QLatin1String("</body></html>");
        return m_out;
    }

private:
    // The side margins of a block in pixels, as a reader sums them:
    // an item's own add to those of the items its list is nested in.
    struct SideMargins {
        double left = 0;
        double right = 0;
    };
    struct OpenList {
        TextList list;
        bool itemOpen = false;
        SideMargins item; // of its open item
    };

    static SideMargins sideMargins(const ParagraphStyle &style)
    {
        return {pixels(style.headIndent), pixels(style.tailIndent < 0 ? -style.tailIndent : 0)};
    }

    // The margins of the item the innermost open list is nested in.
    SideMargins enclosingMargins() const
    {
        return m_lists.size() > 1 ? m_lists[m_lists.size() - 2].item : SideMargins();
    }

    void writeParagraph(const TextParagraph &paragraph)
    {
        const TextAttributes first = m_text.attributesAt(paragraph.enclosing.location);
        const ParagraphStyle style = first.paragraphStyle.value_or(ParagraphStyle());
        const bool terminated = paragraph.enclosing.length > paragraph.content.length;
        const bool pageBreak = terminated && m_text.attributesAt(paragraph.content.end()).breakType == BreakType::Page;
        const bool item = !style.textLists.isEmpty();
        openListsFor(style.textLists);
        const SideMargins enclosing = enclosingMargins();
        if (item)
            m_lists.back() = OpenList{m_lists.back().list, true, sideMargins(style)};
        m_out += QLatin1String(item ? "<li" : "<p");
        // Qt's reader knows justify only as an attribute, the others only as CSS.
        if (style.alignment == TextAlignment::Justified)
            m_out += QLatin1String(" align=\"justify\"");
        m_out += QLatin1String(" style=\"") + blockStyle(style, enclosing, pageBreak);
        if (paragraph.content.isEmpty()) {
            m_out += QLatin1String(" -qt-paragraph-type:empty;\"><br />");
        } else {
            m_out += QLatin1String("\">");
            writeRuns(paragraph.content);
        }
        if (!item)
            m_out += QLatin1String("</p>\n");
    }

    QString blockStyle(const ParagraphStyle &style, SideMargins enclosing, bool pageBreak) const
    {
        const SideMargins own = sideMargins(style);
        QString css = QStringLiteral("margin-top:%1; margin-bottom:%2; margin-left:%3; margin-right:%4; text-indent:%5;")
                          .arg(pixelText(pixels(style.spacingBefore)), pixelText(pixels(style.spacingAfter)),
                               pixelText(own.left - enclosing.left), pixelText(own.right - enclosing.right),
                               pixelText(pixels(style.firstLineHeadIndent) - own.left));
        switch (style.alignment) {
        case TextAlignment::Left: css += QLatin1String(" text-align:left;"); break;
        case TextAlignment::Right: css += QLatin1String(" text-align:right;"); break;
        case TextAlignment::Center: css += QLatin1String(" text-align:center;"); break;
        case TextAlignment::Justified: css += QLatin1String(" text-align:justify;"); break;
        case TextAlignment::Natural: break;
        }
        if (style.lineSpacing > 0 && isFinite(style.lineSpacing))
            css += QStringLiteral(" line-height:%1; -qt-line-height-type:fixed;").arg(pixelText(pixels(style.lineSpacing)));
        else if (style.lineHeightMultiple > 0 && isFinite(style.lineHeightMultiple))
            css += QStringLiteral(" line-height:%1%;").arg(qRound(qMin(style.lineHeightMultiple, 100.0) * 100));
        if (pageBreak)
            css += QLatin1String(" page-break-after:always;");
        return css;
    }

    // Lists stay open while paragraphs share their outer levels; a deeper
    // list opens inside the item before it, or inside an item without a
    // marker of its own when its level has none open. No white space is
    // written inside an item: it would be the item's text.
    void openListsFor(const QList<TextList> &lists)
    {
        qsizetype shared = 0;
        while (shared < qsizetype(m_lists.size()) && shared < lists.size() && m_lists[shared].list == lists[shared])
            ++shared;
        closeListsTo(shared);
        if (shared == lists.size() && !m_lists.empty() && m_lists.back().itemOpen) {
            m_out += QLatin1String("</li>\n"); // the same level: its item ends, the next begins
            m_lists.back().itemOpen = false;
        }
        for (qsizetype level = m_lists.size(); level < lists.size(); ++level) {
            if (!m_lists.empty() && !m_lists.back().itemOpen) {
                m_out += QLatin1String("<li style=\"list-style-type:none;\">");
                m_lists.back() = OpenList{m_lists.back().list, true, enclosingMargins()};
            }
            const TextListMarker marker = TextListMarker::of(lists[level].markerFormat);
            const bool ordered = isOrdered(marker);
            QString css = QStringLiteral("margin-top:0px; margin-bottom:0px; list-style-type:%1;").arg(listStyleType(marker.token));
            if (ordered && !marker.prefix.isEmpty())
                css += QLatin1String(" -qt-list-number-prefix:") + quotedCss(marker.prefix) + u';';
            if (ordered && !marker.suffix.isEmpty())
                css += QLatin1String(" -qt-list-number-suffix:") + quotedCss(marker.suffix) + u';';
            m_out += QLatin1String(ordered ? "<ol" : "<ul");
            if (ordered && lists[level].startingItemNumber != 1)
                m_out += QStringLiteral(" start=\"%1\"").arg(lists[level].startingItemNumber);
            m_out += QLatin1String(" style=\"") + css + QLatin1String("\">\n");
            m_lists.push_back(OpenList{lists[level], false, SideMargins()});
        }
    }

    void closeListsTo(qsizetype depth)
    {
        while (qsizetype(m_lists.size()) > depth) {
            if (m_lists.back().itemOpen)
                m_out += QLatin1String("</li>\n");
            m_out += isOrdered(TextListMarker::of(m_lists.back().list.markerFormat)) ? QLatin1String("</ol>")
                                                                                      : QLatin1String("</ul>");
            m_lists.pop_back();
            // Inside the item that holds the list, a line break would be its text.
            if (m_lists.empty())
                m_out += u'\n';
        }
    }

    void writeRuns(TextRange content)
    {
        m_text.forEachValue(content, &TextAttributes::link, [&](const std::optional<QUrl> &link, TextRange range) {
            const bool linked = link && link->isValid() && !link->isEmpty();
            std::optional<QColor> linkColor;
            if (linked) {
                // A reader shows a link blue and underlined unless it says otherwise.
                const TextAttributes first = m_text.attributesAt(range.location);
                const bool underlined = first.underlineStyle.value_or(0) != 0;
                linkColor = isUsable(first.foreground) ? *first.foreground : QColor(Qt::black);
                m_out += QLatin1String("<a href=\"") + escaped(link->toString(QUrl::FullyEncoded))
                    + QLatin1String("\" style=\"color:") + colorText(*linkColor)
                    + QLatin1String(underlined ? "; text-decoration:underline;\">" : "; text-decoration:none;\">");
            }
            m_text.forEachRun(range, [&](const TextAttributes &attributes, TextRange run) {
                writeRun(attributes, run, linkColor);
            });
            if (linked)
                m_out += QLatin1String("</a>");
        });
    }

    // `inherited`: the colour of the link around the run, which it need not repeat.
    void writeRun(TextAttributes a, TextRange range, const std::optional<QColor> &inherited)
    {
        if (a.foreground && inherited && a.foreground->rgba() == inherited->rgba())
            a.foreground.reset();
        const QString css = characterStyle(a);
        if (!css.isEmpty())
            m_out += QLatin1String("<span style=\"") + css + QLatin1String("\">");
        const QStringView characters = QStringView(m_text.string()).sliced(range.location, range.length);
        if (a.attachment) {
            qsizetype from = 0;
            for (qsizetype i = 0; i < characters.size(); ++i) {
                if (characters[i].unicode() != 0xFFFC)
                    continue;
                m_out += escaped(characters.sliced(from, i - from));
                writePicture(*a.attachment);
                from = i + 1;
            }
            m_out += escaped(characters.sliced(from));
        } else {
            m_out += escaped(characters);
        }
        if (!css.isEmpty())
            m_out += QLatin1String("</span>");
    }

    static QString characterStyle(const TextAttributes &a)
    {
        QString css;
        if (a.font) {
            const QString family = a.font->family.isEmpty() ? a.font->faceName : a.font->family;
            if (!family.isEmpty())
                css += QLatin1String(" font-family:") + quotedCss(family) + u';';
            if (isFinite(a.font->pointSize) && a.font->pointSize > 0)
                css += QLatin1String(" font-size:") + number(qMin(a.font->pointSize, 1600.0)) + QLatin1String("pt;");
            css += QLatin1String(a.font->bold ? " font-weight:700;" : " font-weight:400;");
            css += QLatin1String(a.font->italic ? " font-style:italic;" : " font-style:normal;");
        }
        if (isUsable(a.foreground))
            css += QLatin1String(" color:") + colorText(*a.foreground) + u';';
        if (isUsable(a.background))
            css += QLatin1String(" background-color:") + colorText(*a.background) + u';';
        const int underline = a.underlineStyle.value_or(0);
        const int strike = a.strikethroughStyle.value_or(0);
        if (underline || strike) {
            css += QLatin1String(" text-decoration:");
            if (underline)
                css += QLatin1String(" underline");
            if (strike)
                css += QLatin1String(" line-through");
            css += u';';
        }
        if (TextLineStyle::isDouble(underline))
            css += QLatin1String(" text-decoration-style:double;");
        if (a.baselineOffset && isFinite(*a.baselineOffset) && *a.baselineOffset != 0)
            css += QLatin1String(*a.baselineOffset > 0 ? " vertical-align:super;" : " vertical-align:sub;");
        return css.trimmed();
    }

    void writePicture(const TextAttachment &attachment)
    {
        QByteArray bytes = attachment.contents;
        QString type = attachment.fileType;
        if (!bytes.startsWith("\x89PNG") && !bytes.startsWith("\xFF\xD8\xFF") && !bytes.startsWith("GIF8")) {
            const QImage image = attachment.picture();
            if (image.isNull())
                return; // a file that is no picture has no HTML form
            bytes.clear();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            type = QStringLiteral("image/png");
        }
        if (!type.startsWith(QLatin1String("image/")))
            type = bytes.startsWith("\x89PNG") ? QStringLiteral("image/png")
                 : bytes.startsWith("GIF8")    ? QStringLiteral("image/gif")
                                               : QStringLiteral("image/jpeg");
        const QSizeF size = attachment.bounds.isEmpty() ? attachment.naturalSize() : attachment.bounds.size();
        m_out += QStringLiteral("<img src=\"data:%1;base64,%2\"").arg(type, QString::fromLatin1(bytes.toBase64()));
        if (!size.isEmpty())
            m_out += QStringLiteral(" width=\"%1\" height=\"%2\"")
                         .arg(number(size.width() * pixelsPerPoint), number(size.height() * pixelsPerPoint));
        m_out += QLatin1String(" />");
    }

    const StyledText &m_text;
    QString m_out;
    std::vector<OpenList> m_lists;
};

} // namespace

namespace HtmlWriter {

QByteArray write(const StyledText &text)
{
    return PageWriter(text).write().toUtf8();
}

} // namespace HtmlWriter
