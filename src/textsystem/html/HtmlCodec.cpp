#include "textsystem/html/HtmlCodec.h"

#include "platform/FileBytes.h"
#include "platform/WindowsCodePage.h"
#include "textsystem/PictureCache.h"
#include "textsystem/PictureLimits.h"
#include "textsystem/StyledTextDocument.h"
#include "textsystem/html/HtmlBlockStyles.h"
#include "textsystem/html/HtmlBounds.h"
#include "textsystem/html/HtmlExactMargins.h"
#include "textsystem/html/HtmlNesting.h"
#include "textsystem/html/HtmlWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <cmath>
#include <utility>

namespace {

// A document that loads pictures only from data: URIs and regular files in
// one folder; everything else (paths elsewhere, devices, network) gives nothing.
class ConfinedHtmlDocument : public QTextDocument
{
public:
    // Picture files too large to decode are recorded in `pictures` as left out.
    // Without undo: the formats put back after the import need none.
    ConfinedHtmlDocument(const QString &folder, PictureCache &pictures) : m_folder(folder), m_pictures(pictures)
    {
        setUndoRedoEnabled(false);
    }

protected:
    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type != QTextDocument::ImageResource)
            return QVariant();
        QVariant bytes;
        if (name.scheme() == QLatin1String("data"))
            bytes = dataUriBytes(name.toString());
        else if (!m_folder.isEmpty() && (name.scheme().isEmpty() || name.scheme() == QLatin1String("file")))
            bytes = fileBytes(name.isLocalFile() ? name.toLocalFile() : name.path());
        // Kept, so a page naming one picture many times reads it once.
        addResource(type, name, bytes.isValid() ? bytes : QVariant(QByteArray()));
        return bytes;
    }

private:
    QVariant fileBytes(const QString &path) const
    {
        const QString root = QFileInfo(m_folder).canonicalFilePath();
        const QFileInfo info(QDir(m_folder).absoluteFilePath(QUrl::fromPercentEncoding(path.toUtf8())));
        const QString canonical = info.canonicalFilePath();
        if (root.isEmpty() || canonical.isEmpty() || !canonical.startsWith(root + QLatin1Char('/')))
            return QVariant();
        if (info.size() > HtmlCodec::maximumPictureFileSize) {
            m_pictures.leaveOut(path);
            return QVariant();
        }
        // Read by the file's size: QFile::read(maximum) would keep a buffer
        // of the maximum for every picture held.
        const std::optional<QByteArray> bytes = FileBytes::read(canonical, HtmlCodec::maximumPictureFileSize, nullptr);
        return bytes ? QVariant(*bytes) : QVariant();
    }

    static QVariant dataUriBytes(const QString &uri)
    {
        const qsizetype comma = uri.indexOf(QLatin1Char(','));
        if (comma < 0 || uri.size() > PictureLimits::maximumBytes * 2)
            return QVariant();
        const QString header = uri.left(comma);
        const QByteArray payload = uri.mid(comma + 1).toLatin1();
        if (header.endsWith(QLatin1String(";base64")))
            return QByteArray::fromBase64(payload);
        return QByteArray::fromPercentEncoding(payload);
    }

    QString m_folder;
    PictureCache &m_pictures;
};

QString declaredCharset(const QByteArray &html)
{
    static const QRegularExpression charset(QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?([A-Za-z0-9_\\-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = charset.match(QString::fromLatin1(html.left(4096)));
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

QString decodeHtml(const QByteArray &html)
{
    if (html.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(html.mid(3));
    const QString charset = declaredCharset(html);
    if (charset == QLatin1String("shift_jis") || charset == QLatin1String("shift-jis")
        || charset == QLatin1String("sjis") || charset == QLatin1String("windows-31j")
        || charset == QLatin1String("cp932"))
        return WindowsCodePage::decode(html, WindowsCodePage::shiftJis);
    if (charset == QLatin1String("iso-8859-1") || charset == QLatin1String("windows-1252"))
        return WindowsCodePage::decode(html, WindowsCodePage::ansi);
    return QString::fromUtf8(html);
}

// HTML sizes pictures and blocks in CSS pixels, 96 to the inch; the text in points.
constexpr double pointsPerPixel = 0.75;

// A length in pixels in points, to a ten-thousandth: a length the writer
// wrote to a thousandth of a pixel reads as the points it was written from.
double pixelsInPoints(double pixels)
{
    return std::round(pixels * pointsPerPixel * 10'000) / 10'000;
}

// `text` with its paragraphs' margins, indents and fixed line heights in
// points: Qt's import keeps a page's block lengths as the pixels it gave.
StyledText withBlockLengthsInPoints(StyledText text)
{
    const StyledText read = text;
    read.forEachValue(TextRange::everything(), &TextAttributes::paragraphStyle,
                      [&](const std::optional<ParagraphStyle> &style, TextRange range) {
        if (!style)
            return;
        ParagraphStyle inPoints = *style;
        for (double *length : {&inPoints.spacingBefore, &inPoints.spacingAfter, &inPoints.headIndent,
                               &inPoints.firstLineHeadIndent, &inPoints.tailIndent, &inPoints.lineSpacing})
            *length = pixelsInPoints(*length);
        text.modifyAttributes(range, [&inPoints](TextAttributes &a) { a.paragraphStyle = inPoints; });
    });
    return text;
}

// `text` with the sizes the page gave its pictures (CSS pixels) in points.
// A picture the page gives no size keeps its natural size, already in points.
StyledText withPictureSizesInPoints(StyledText text)
{
    const StyledText read = text;
    read.forEachValue(TextRange::everything(), &TextAttributes::attachment,
                      [&](const TextAttachmentPointer &attachment, TextRange range) {
        if (!attachment || attachment->bounds.isEmpty())
            return;
        auto resized = std::make_shared<TextAttachment>(*attachment);
        resized->bounds = QRectF(QPointF(0, 0), attachment->bounds.size() * pointsPerPixel);
        text.modifyAttributes(range, [&resized](TextAttributes &a) { a.attachment = resized; });
    });
    return text;
}

// Qt's import knows <s> and CSS line-through; <strike> and <del> strike too.
QString withStrikeTagsAsS(const QString &html)
{
    static const QRegularExpression tags(QStringLiteral("<(/?)(?:strike|del)(?=[\\s>/])"),
                                         QRegularExpression::CaseInsensitiveOption);
    return QString(html).replace(tags, QStringLiteral("<\\1s"));
}

// Qt's import knows no double underline: the page's CSS for it is carried
// through the import as an underline style Qt keeps, and turned back after.
constexpr QTextCharFormat::UnderlineStyle doubleUnderlineCarrier = QTextCharFormat::WaveUnderline;

// A style attribute's declarations with a double underline (CSS
// text-decoration-style, or "double" in text-decoration) as the carrier;
// Qt's text-decoration would override it, so its underline goes.
QString carriedDoubleUnderline(const QString &declarations)
{
    static const QRegularExpression style(QStringLiteral("text-decoration-style\\s*:\\s*double"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression decoration(QStringLiteral("(text-decoration\\s*:[^;]*)"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch shorthand = decoration.match(declarations);
    const bool doubled = declarations.contains(style)
        || (shorthand.hasMatch() && shorthand.captured(1).contains(QLatin1String("double"), Qt::CaseInsensitive)
            && shorthand.captured(1).contains(QLatin1String("underline"), Qt::CaseInsensitive));
    if (!doubled)
        return declarations;
    QString carried = declarations;
    carried.remove(style);
    if (shorthand.hasMatch()) {
        QString rest = shorthand.captured(1);
        rest.remove(QLatin1String("underline"), Qt::CaseInsensitive).remove(QLatin1String("double"), Qt::CaseInsensitive);
        carried.replace(shorthand.captured(1), rest);
    }
    return carried + QLatin1String("; text-underline-style: wave");
}

QString withDoubleUnderlineCarried(const QString &html)
{
    if (!html.contains(QLatin1String("double"), Qt::CaseInsensitive))
        return html;
    static const QRegularExpression attribute(QStringLiteral("(style\\s*=\\s*)(\"[^\"]*\"|'[^']*')"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString out;
    out.reserve(html.size());
    qsizetype from = 0;
    for (auto it = attribute.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString quoted = match.captured(2);
        if (!quoted.contains(QLatin1String("double"), Qt::CaseInsensitive))
            continue;
        out += QStringView(html).sliced(from, match.capturedStart(2) - from);
        out += quoted.front() + carriedDoubleUnderline(quoted.mid(1, quoted.size() - 2)) + quoted.back();
        from = match.capturedEnd(2);
    }
    out += QStringView(html).sliced(from);
    return out;
}

void restoreDoubleUnderlines(QTextDocument &document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.charFormat().underlineStyle() != doubleUnderlineCarrier)
                continue;
            QTextCharFormat format;
            format.setProperty(StyledTextDocument::UnderlineStyle, TextLineStyle::doubleLine);
            format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(format);
        }
    }
}

} // namespace

namespace HtmlCodec {

// Flattened first: taking out a tag may join what is left into a new one,
// which the bounds must then see.
BoundedHtml bounded(const QString &html)
{
    const HtmlBounds::Result result = HtmlBounds::bounded(HtmlNesting::flattened(html));
    return {result.html, result.cuts()};
}

StyledText read(const QByteArray &html, const QString &folder, QStringList *cuts, PictureCache *pictures)
{
    PictureCache ownPictures;
    PictureCache &decoded = pictures ? *pictures : ownPictures;
    ConfinedHtmlDocument document(folder, decoded);
    BoundedHtml page = bounded(decodeHtml(html));
    if (cuts)
        *cuts = page.cuts;
    // One pass at a time, each letting the page before it go: a page may be large.
    page.html = withStrikeTagsAsS(page.html);
    page.html = withDoubleUnderlineCarried(page.html);
    page.html = HtmlBlockStyles::withJustifyAttributes(page.html);
    const HtmlExactMargins margins(std::exchange(page.html, QString()));
    document.setHtml(margins.markedHtml());
    margins.restore(document);
    restoreDoubleUnderlines(document);
    const StyledText text = StyledTextDocument::toStyledText(document, decoded);
    return withBlockLengthsInPoints(withPictureSizesInPoints(text));
}

QByteArray write(const StyledText &text)
{
    return HtmlWriter::write(text);
}

} // namespace HtmlCodec
