#include "textsystem/StyledTextDocument.h"

#include "textsystem/PictureCache.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <cmath>

namespace StyledTextDocument {
namespace {

const QString attachmentScheme = QStringLiteral("morvane-attachment");

QTextCharFormat::UnderlineStyle qtUnderline(int style)
{
    switch (style & 0x700) {
    case TextLineStyle::patternDot: return QTextCharFormat::DotLine;
    case TextLineStyle::patternDash: return QTextCharFormat::DashUnderline;
    case TextLineStyle::patternDashDot: return QTextCharFormat::DashDotLine;
    case TextLineStyle::patternDashDotDot: return QTextCharFormat::DashDotDotLine;
    default: return QTextCharFormat::SingleUnderline;
    }
}

int underlineBits(QTextCharFormat::UnderlineStyle style)
{
    switch (style) {
    case QTextCharFormat::NoUnderline: return 0;
    case QTextCharFormat::DotLine: return TextLineStyle::single | TextLineStyle::patternDot;
    case QTextCharFormat::DashUnderline: return TextLineStyle::single | TextLineStyle::patternDash;
    case QTextCharFormat::DashDotLine: return TextLineStyle::single | TextLineStyle::patternDashDot;
    case QTextCharFormat::DashDotDotLine: return TextLineStyle::single | TextLineStyle::patternDashDotDot;
    default: return TextLineStyle::single;
    }
}

QTextListFormat::Style qtListStyle(const QString &format)
{
    if (format.contains(TextList::none)) return QTextListFormat::ListStyleUndefined; // draws no marker
    if (format.contains(TextList::decimal)) return QTextListFormat::ListDecimal;
    if (format.contains(TextList::lowerLatin)) return QTextListFormat::ListLowerAlpha;
    if (format.contains(TextList::upperLatin)) return QTextListFormat::ListUpperAlpha;
    if (format.contains(TextList::lowerRoman)) return QTextListFormat::ListLowerRoman;
    if (format.contains(TextList::upperRoman)) return QTextListFormat::ListUpperRoman;
    if (format.contains(TextList::circle)) return QTextListFormat::ListCircle;
    if (format.contains(TextList::square)) return QTextListFormat::ListSquare;
    return QTextListFormat::ListDisc;
}

QString markerFormat(QTextListFormat::Style style, const QString &prefix, const QString &suffix)
{
    QStringView token = TextList::disc;
    switch (style) {
    case QTextListFormat::ListDecimal: token = TextList::decimal; break;
    case QTextListFormat::ListLowerAlpha: token = TextList::lowerLatin; break;
    case QTextListFormat::ListUpperAlpha: token = TextList::upperLatin; break;
    case QTextListFormat::ListLowerRoman: token = TextList::lowerRoman; break;
    case QTextListFormat::ListUpperRoman: token = TextList::upperRoman; break;
    case QTextListFormat::ListCircle: return TextList::circle.toString();
    case QTextListFormat::ListSquare: return TextList::square.toString();
    case QTextListFormat::ListStyleUndefined: return TextList::none.toString();
    default: return TextList::disc.toString();
    }
    return prefix + token.toString() + suffix;
}

QStringList encodeLists(const QList<TextList> &lists)
{
    QStringList encoded;
    for (const TextList &list : lists)
        encoded << QString::number(list.startingItemNumber) + QLatin1Char('|') + list.markerFormat;
    return encoded;
}

QList<TextList> decodeLists(const QStringList &encoded)
{
    QList<TextList> lists;
    for (const QString &entry : encoded) {
        const qsizetype bar = entry.indexOf(QLatin1Char('|'));
        lists.append(TextList{entry.mid(bar + 1), entry.left(bar).toLongLong()});
    }
    return lists;
}

template<typename T>
void setOptional(QTextFormat &format, int property, const std::optional<T> &value)
{
    if (value)
        format.setProperty(property, QVariant::fromValue(*value));
}

template<typename T>
std::optional<T> optionalProperty(const QTextFormat &format, int property)
{
    if (!format.hasProperty(property))
        return std::nullopt;
    return format.property(property).value<T>();
}

QTextCharFormat characterFormat(const TextAttributes &a, FontUnit unit)
{
    QTextCharFormat format;
    if (a.font) {
        if (!a.font->family.isEmpty())
            format.setFontFamilies({a.font->family});
        format.setProperty(FontFaceName, a.font->faceName);
        const double size = a.font->pointSize;
        format.setProperty(FontPointSize, size);
        if (std::isfinite(size) && size > 0) {
            if (unit == FontUnit::Points)
                format.setFontPointSize(qMin(size, 1600.0));
            else
                format.setProperty(QTextFormat::FontPixelSize, qMax(1, qRound(qMin(size, 1600.0))));
        }
        format.setFontWeight(a.font->bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(a.font->italic);
    }
    if (a.foreground)
        format.setForeground(*a.foreground);
    if (a.background && a.background->alpha() > 0)
        format.setBackground(*a.background);
    if (a.underlineStyle) {
        format.setProperty(UnderlineStyle, *a.underlineStyle);
        if (*a.underlineStyle)
            format.setUnderlineStyle(qtUnderline(*a.underlineStyle));
    }
    if (a.underlineColor)
        format.setUnderlineColor(*a.underlineColor);
    if (a.strikethroughStyle) {
        format.setProperty(StrikethroughStyle, *a.strikethroughStyle);
        format.setFontStrikeOut(*a.strikethroughStyle != 0);
    }
    setOptional(format, StrokeWidth, a.strokeWidth);
    setOptional(format, StrokeColor, a.strokeColor);
    if (a.shadow) {
        format.setProperty(ShadowColor, a.shadow->color);
        format.setProperty(ShadowOffset, a.shadow->offset);
        format.setProperty(ShadowBlurRadius, a.shadow->blurRadius);
    }
    if (a.baselineOffset) {
        format.setProperty(BaselineOffset, *a.baselineOffset);
        if (*a.baselineOffset > 0)
            format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else if (*a.baselineOffset < 0)
            format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    }
    setOptional(format, Obliqueness, a.obliqueness);
    if (a.link) {
        format.setAnchor(true);
        format.setAnchorHref(a.link->toString());
    }
    setOptional(format, ImageUrl, a.imageUrl);
    setOptional(format, VerticalForms, a.verticalForms);
    setOptional(format, InlinePresentationIntent, a.inlinePresentationIntent);
    if (a.attachment)
        format.setProperty(Attachment, QVariant::fromValue(a.attachment));
    if (a.ruby)
        format.setProperty(Ruby, QVariant::fromValue(a.ruby));
    setOptional(format, ParagraphStyleId, a.paragraphStyleId);
    setOptional(format, CharacterStyleId, a.characterStyleId);
    setOptional(format, FootnoteReferenceId, a.footnoteReferenceId);
    setOptional(format, EndnoteReferenceId, a.endnoteReferenceId);
    setOptional(format, FootnoteBodyId, a.footnoteBodyId);
    setOptional(format, EndnoteBodyId, a.endnoteBodyId);
    return format;
}

std::optional<FontDescriptor> fontOf(const QTextCharFormat &format)
{
    const bool hasFont = format.hasProperty(FontPointSize) || format.hasProperty(QTextFormat::FontFamilies)
        || format.hasProperty(QTextFormat::FontPointSize) || format.hasProperty(QTextFormat::FontPixelSize)
        || format.hasProperty(QTextFormat::FontWeight) || format.hasProperty(QTextFormat::FontItalic);
    if (!hasFont)
        return std::nullopt;
    FontDescriptor font;
    const QStringList families = format.fontFamilies().toStringList();
    font.family = families.value(0);
    font.faceName = format.stringProperty(FontFaceName);
    if (format.hasProperty(FontPointSize))
        font.pointSize = format.doubleProperty(FontPointSize);
    else if (format.hasProperty(QTextFormat::FontPointSize))
        font.pointSize = format.fontPointSize();
    else if (format.hasProperty(QTextFormat::FontPixelSize))
        font.pointSize = format.intProperty(QTextFormat::FontPixelSize);
    font.bold = format.fontWeight() >= QFont::DemiBold;
    font.italic = format.fontItalic();
    return font;
}

TextAttributes attributesOf(const QTextCharFormat &format, const QTextDocument &document, PictureCache &pictures)
{
    TextAttributes a;
    a.font = fontOf(format);
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        a.foreground = format.foreground().color();
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush)
        a.background = format.background().color();
    if (format.hasProperty(UnderlineStyle))
        a.underlineStyle = format.intProperty(UnderlineStyle);
    else if (format.underlineStyle() != QTextCharFormat::NoUnderline)
        a.underlineStyle = underlineBits(format.underlineStyle());
    if (format.hasProperty(QTextFormat::TextUnderlineColor))
        a.underlineColor = format.underlineColor();
    if (format.hasProperty(StrikethroughStyle))
        a.strikethroughStyle = format.intProperty(StrikethroughStyle);
    else if (format.fontStrikeOut())
        a.strikethroughStyle = TextLineStyle::single;
    a.strokeWidth = optionalProperty<double>(format, StrokeWidth);
    a.strokeColor = optionalProperty<QColor>(format, StrokeColor);
    if (format.hasProperty(ShadowColor)) {
        a.shadow = TextShadow{format.colorProperty(ShadowColor), format.property(ShadowOffset).toPointF(),
                              format.doubleProperty(ShadowBlurRadius)};
    }
    if (format.hasProperty(BaselineOffset))
        a.baselineOffset = format.doubleProperty(BaselineOffset);
    else if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        a.baselineOffset = (a.font ? a.font->pointSize : 12.0) / 3.0;
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        a.baselineOffset = -(a.font ? a.font->pointSize : 12.0) / 3.0;
    a.obliqueness = optionalProperty<double>(format, Obliqueness);
    if (format.isAnchor() && !format.anchorHref().isEmpty())
        a.link = QUrl(format.anchorHref());
    a.imageUrl = optionalProperty<QUrl>(format, ImageUrl);
    a.verticalForms = optionalProperty<bool>(format, VerticalForms);
    a.inlinePresentationIntent = optionalProperty<int>(format, InlinePresentationIntent);
    a.attachment = format.property(Attachment).value<TextAttachmentPointer>();
    if (!a.attachment && format.isImageFormat()) {
        // A picture the document holds (an HTML file's <img>, a pasted image).
        const QTextImageFormat image = format.toImageFormat();
        const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(image.name()));
        QByteArray bytes = resource.toByteArray();
        TextAttachmentPointer attachment;
        if (!bytes.isEmpty()) {
            // A picture file the page names is named by it; a data: URI is not.
            const QUrl source(image.name());
            const QString name = source.scheme() == QLatin1String("data") ? QString() : source.path();
            attachment = pictures.picture(bytes, QSizeF(image.width(), image.height()), name);
        } else if (resource.canConvert<QImage>() && !resource.value<QImage>().isNull()) {
            auto made = std::make_shared<TextAttachment>();
            made->image = resource.value<QImage>();
            if (image.width() > 0 && image.height() > 0)
                made->bounds = QRectF(0, 0, image.width(), image.height());
            attachment = made;
        }
        a.attachment = attachment;
    }
    a.ruby = format.property(Ruby).value<RubyAnnotationPointer>();
    a.paragraphStyleId = optionalProperty<QString>(format, ParagraphStyleId);
    a.characterStyleId = optionalProperty<QString>(format, CharacterStyleId);
    a.footnoteReferenceId = optionalProperty<qint64>(format, FootnoteReferenceId);
    a.endnoteReferenceId = optionalProperty<qint64>(format, EndnoteReferenceId);
    a.footnoteBodyId = optionalProperty<qint64>(format, FootnoteBodyId);
    a.endnoteBodyId = optionalProperty<qint64>(format, EndnoteBodyId);
    return a;
}

QTextBlockFormat blockFormat(const std::optional<ParagraphStyle> &style, std::optional<BreakType> breakAfter)
{
    QTextBlockFormat format;
    if (breakAfter && *breakAfter != BreakType::Wrap) {
        format.setProperty(BreakAfter, int(*breakAfter));
        if (*breakAfter == BreakType::Page)
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysAfter);
    }
    if (!style)
        return format;
    format.setProperty(HasParagraphStyle, true);
    switch (style->alignment) {
    case TextAlignment::Left: format.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    case TextAlignment::Right: format.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case TextAlignment::Center: format.setAlignment(Qt::AlignHCenter); break;
    case TextAlignment::Justified: format.setAlignment(Qt::AlignJustify); break;
    case TextAlignment::Natural: break;
    }
    format.setTopMargin(style->spacingBefore);
    format.setBottomMargin(style->spacingAfter);
    format.setLeftMargin(style->headIndent);
    format.setTextIndent(style->firstLineHeadIndent - style->headIndent);
    format.setRightMargin(style->tailIndent < 0 ? -style->tailIndent : 0);
    format.setProperty(LineHeightMultiple, style->lineHeightMultiple);
    format.setProperty(LineSpacing, style->lineSpacing);
    if (style->lineSpacing > 0 && std::isfinite(style->lineSpacing))
        format.setLineHeight(style->lineSpacing, QTextBlockFormat::FixedHeight);
    else if (style->lineHeightMultiple > 0 && std::isfinite(style->lineHeightMultiple))
        format.setLineHeight(style->lineHeightMultiple * 100, QTextBlockFormat::ProportionalHeight);
    format.setProperty(HeadIndent, style->headIndent);
    format.setProperty(FirstLineHeadIndent, style->firstLineHeadIndent);
    format.setProperty(TailIndent, style->tailIndent);
    if (!style->textLists.isEmpty())
        format.setProperty(TextLists, encodeLists(style->textLists));
    return format;
}

// The levels of the lists a foreign page's blocks belong to, by nesting:
// an item of a nested list carries the levels of the lists around it. A list
// nested before its outer list's first item takes that level from the item
// that follows; a block outside every list ends them all.
class ForeignListLevels
{
public:
    QList<TextList> levelsOf(const QTextBlock &block)
    {
        const int depth = depthOf(*block.textList());
        for (int level = int(m_levels.size()) + 1; level < depth; ++level)
            m_levels.append(levelAhead(block, level).value_or(levelOf(*block.textList())));
        m_levels.resize(depth);
        m_levels[depth - 1] = levelOf(*block.textList());
        return m_levels;
    }

    void endLists() { m_levels.clear(); }

private:
    static int depthOf(const QTextList &list) { return qBound(1, list.format().indent(), 64); }

    static TextList levelOf(const QTextList &list)
    {
        const QTextListFormat format = list.format();
        return TextList{markerFormat(format.style(), format.numberPrefix(), format.numberSuffix()), 1};
    }

    // The list at `depth` of the first item after `block` that lies no
    // deeper than `block` and still in its lists.
    static std::optional<TextList> levelAhead(QTextBlock block, int depth)
    {
        for (block = block.next(); block.isValid() && block.textList(); block = block.next()) {
            const int blockDepth = depthOf(*block.textList());
            if (blockDepth == depth)
                return levelOf(*block.textList());
            if (blockDepth < depth)
                break;
        }
        return std::nullopt;
    }

    QList<TextList> m_levels; // the last list seen at each depth
};

std::optional<ParagraphStyle> paragraphStyleOf(const QTextBlock &block, ForeignListLevels &foreignLists)
{
    const QTextBlockFormat format = block.blockFormat();
    const QTextList *list = block.textList();
    // Blocks that did not come from a styled text (an HTML page) carry
    // their layout in Qt's own properties.
    const bool foreignLayout = !format.boolProperty(HasParagraphStyle)
        && (format.hasProperty(QTextFormat::BlockAlignment) || format.hasProperty(QTextFormat::BlockLeftMargin)
            || format.hasProperty(QTextFormat::BlockRightMargin) || format.hasProperty(QTextFormat::TextIndent)
            || format.hasProperty(QTextFormat::LineHeight));
    if (!list)
        foreignLists.endLists();
    if (!format.boolProperty(HasParagraphStyle) && !list && !foreignLayout)
        return std::nullopt;
    ParagraphStyle style;
    const Qt::Alignment alignment = format.alignment();
    if (!format.hasProperty(QTextFormat::BlockAlignment))
        style.alignment = TextAlignment::Natural;
    else if (alignment & Qt::AlignHCenter)
        style.alignment = TextAlignment::Center;
    else if (alignment & Qt::AlignJustify)
        style.alignment = TextAlignment::Justified;
    else if (alignment & Qt::AlignRight)
        style.alignment = TextAlignment::Right;
    else if (alignment & Qt::AlignLeft)
        style.alignment = TextAlignment::Left;
    style.spacingBefore = format.topMargin();
    style.spacingAfter = format.bottomMargin();
    if (format.hasProperty(HeadIndent)) {
        style.headIndent = format.doubleProperty(HeadIndent);
        style.firstLineHeadIndent = format.doubleProperty(FirstLineHeadIndent);
        style.tailIndent = format.doubleProperty(TailIndent);
    } else {
        style.headIndent = format.leftMargin();
        style.firstLineHeadIndent = format.leftMargin() + format.textIndent();
        style.tailIndent = format.rightMargin() > 0 ? -format.rightMargin() : 0;
    }
    if (format.hasProperty(LineHeightMultiple)) {
        style.lineHeightMultiple = format.doubleProperty(LineHeightMultiple);
        style.lineSpacing = format.doubleProperty(LineSpacing);
    } else if (format.lineHeightType() == QTextBlockFormat::ProportionalHeight) {
        style.lineHeightMultiple = format.lineHeight() / 100.0;
    } else if (format.lineHeightType() == QTextBlockFormat::FixedHeight) {
        style.lineSpacing = format.lineHeight();
    }
    if (format.hasProperty(TextLists)) {
        style.textLists = decodeLists(format.property(TextLists).toStringList());
    } else if (list) {
        style.textLists = foreignLists.levelsOf(block);
    }
    return style;
}

// Appends a fragment's text. Only object replacement characters carry an
// attachment: text that took a picture's format (typed right after it) is
// plain text, or a writer would turn each such run into a picture.
void appendFragment(StyledText &text, const QString &piece, const TextAttributes &attributes)
{
    if (!attributes.attachment) {
        text.append(piece, attributes);
        return;
    }
    TextAttributes plain = attributes;
    plain.attachment.reset();
    qsizetype start = 0;
    while (start < piece.size()) {
        const bool picture = piece.at(start) == QChar::ObjectReplacementCharacter;
        qsizetype end = start + 1;
        while (end < piece.size() && (piece.at(end) == QChar::ObjectReplacementCharacter) == picture)
            ++end;
        text.append(piece.mid(start, end - start), picture ? attributes : plain);
        start = end;
    }
}

} // namespace

void fill(QTextDocument *document, const StyledText &text, FontUnit unit)
{
    document->clear();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    QHash<QStringList, QTextList *> lists;
    QStringList previousLists;
    int attachmentNumber = 0;
    const QList<TextParagraph> paragraphs = text.paragraphs();
    for (int i = 0; i < paragraphs.size(); ++i) {
        const TextParagraph &paragraph = paragraphs.at(i);
        const TextAttributes first = text.attributesAt(paragraph.enclosing.location);
        const bool terminated = paragraph.enclosing.length > paragraph.content.length;
        const TextAttributes terminator = terminated ? text.attributesAt(paragraph.content.end()) : TextAttributes();
        const QTextBlockFormat format = blockFormat(first.paragraphStyle, terminator.breakType);
        cursor.setBlockFormat(format);
        if (first.paragraphStyle && !first.paragraphStyle->textLists.isEmpty()) {
            const QList<TextList> &textLists = first.paragraphStyle->textLists;
            const QStringList key = encodeLists(textLists);
            if (key != previousLists)
                lists.remove(key); // a list interrupted by other paragraphs starts again
            QTextList *list = lists.value(key);
            if (!list) {
                QTextListFormat listFormat;
                listFormat.setStyle(qtListStyle(textLists.last().markerFormat));
                listFormat.setIndent(int(textLists.size()));
                list = cursor.createList(listFormat);
                lists.insert(key, list);
            } else {
                list->add(cursor.block());
            }
            previousLists = key;
        } else {
            previousLists.clear();
        }
        text.forEachRun(paragraph.content, [&](const TextAttributes &attributes, TextRange range) {
            const QString piece = text.string().mid(range.location, range.length);
            const QTextCharFormat charFormat = characterFormat(attributes, unit);
            if (!attributes.attachment) {
                cursor.insertText(piece, charFormat);
                return;
            }
            // Only the object replacement character shows the attachment;
            // other characters of the run stay text.
            QTextCharFormat textFormat = charFormat;
            textFormat.clearProperty(Attachment);
            for (qsizetype i = 0; i < piece.size(); ++i) {
                if (piece.at(i) != QChar::ObjectReplacementCharacter) {
                    qsizetype end = i + 1;
                    while (end < piece.size() && piece.at(end) != QChar::ObjectReplacementCharacter)
                        ++end;
                    cursor.insertText(piece.mid(i, end - i), textFormat);
                    i = end - 1;
                    continue;
                }
                const TextAttachment &attachment = *attributes.attachment;
                QTextImageFormat image;
                image.merge(charFormat);
                const QString name = attachmentScheme + QLatin1Char(':') + QString::number(++attachmentNumber);
                // A file that is no picture has no resource: the screen shows
                // its placeholder for a missing picture, and the attachment
                // itself rides along in the format.
                if (const QImage picture = attachment.picture(); !picture.isNull())
                    document->addResource(QTextDocument::ImageResource, QUrl(name), picture);
                image.setName(name);
                const QSizeF size = attachment.bounds.isEmpty() ? attachment.naturalSize() : attachment.bounds.size();
                if (!size.isEmpty()) {
                    image.setWidth(size.width());
                    image.setHeight(size.height());
                }
                cursor.insertImage(image);
            }
        });
        if (terminated)
            cursor.insertBlock(QTextBlockFormat(), characterFormat(terminator, unit));
    }
    cursor.endEditBlock();
}

StyledText toStyledText(const QTextDocument &document)
{
    PictureCache pictures;
    return toStyledText(document, pictures);
}

StyledText toStyledText(const QTextDocument &document, PictureCache &pictures)
{
    StyledText text;
    ForeignListLevels foreignLists;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const qsizetype start = text.length();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                appendFragment(text, fragment.text(), attributesOf(fragment.charFormat(), document, pictures));
        }
        const QTextBlock next = block.next();
        if (next.isValid()) {
            TextAttributes terminator = attributesOf(next.charFormat(), document, pictures);
            terminator.attachment.reset();
            if (block.blockFormat().hasProperty(BreakAfter))
                terminator.breakType = BreakType(block.blockFormat().intProperty(BreakAfter));
            else if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter)
                terminator.breakType = BreakType::Page;
            text.append(QStringLiteral("\n"), terminator);
        }
        if (const std::optional<ParagraphStyle> style = paragraphStyleOf(block, foreignLists)) {
            text.modifyAttributes({start, text.length() - start},
                                  [&style](TextAttributes &a) { a.paragraphStyle = style; });
        }
    }
    return text;
}

} // namespace StyledTextDocument
