#include "textsystem/html/HtmlCodec.h"

#include "textsystem/PictureAttachment.h"
#include "platform/RtfCodePage.h"
#include "textsystem/StyledTextDocument.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>

namespace {

// A document that loads pictures only from data: URIs and regular files in
// one folder; everything else (paths elsewhere, devices, network) gives nothing.
class ConfinedHtmlDocument : public QTextDocument
{
public:
    explicit ConfinedHtmlDocument(const QString &folder) : m_folder(folder) {}

protected:
    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type != QTextDocument::ImageResource)
            return QVariant();
        if (name.scheme() == QLatin1String("data"))
            return dataUriBytes(name.toString());
        if (m_folder.isEmpty() || (!name.scheme().isEmpty() && name.scheme() != QLatin1String("file")))
            return QVariant();
        return fileBytes(name.isLocalFile() ? name.toLocalFile() : name.path());
    }

private:
    QVariant fileBytes(const QString &path) const
    {
        const QString root = QFileInfo(m_folder).canonicalFilePath();
        const QFileInfo info(QDir(m_folder).absoluteFilePath(QUrl::fromPercentEncoding(path.toUtf8())));
        const QString canonical = info.canonicalFilePath();
        if (root.isEmpty() || canonical.isEmpty() || !canonical.startsWith(root + QLatin1Char('/')))
            return QVariant();
        const QFileInfo target(canonical);
        if (!target.isFile() || target.size() > HtmlCodec::maximumPictureFileSize)
            return QVariant();
        QFile file(canonical);
        if (!file.open(QIODevice::ReadOnly))
            return QVariant();
        return file.read(HtmlCodec::maximumPictureFileSize);
    }

    static QVariant dataUriBytes(const QString &uri)
    {
        const qsizetype comma = uri.indexOf(QLatin1Char(','));
        if (comma < 0 || uri.size() > PictureAttachment::maximumBytes * 2)
            return QVariant();
        const QString header = uri.left(comma);
        const QByteArray payload = uri.mid(comma + 1).toLatin1();
        if (header.endsWith(QLatin1String(";base64")))
            return QByteArray::fromBase64(payload);
        return QByteArray::fromPercentEncoding(payload);
    }

    QString m_folder;
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
        return RtfCodePage::decode(html, RtfCodePage::shiftJis);
    if (charset == QLatin1String("iso-8859-1") || charset == QLatin1String("windows-1252"))
        return RtfCodePage::decode(html, RtfCodePage::ansi);
    return QString::fromUtf8(html);
}

// HTML sizes pictures in CSS pixels, 96 to the inch; the text in points.
constexpr double pointsPerPixel = 0.75;

// A copy of `text` whose pictures are sized `factor` times their shown size.
StyledText withPictureSizesScaled(const StyledText &text, double factor)
{
    StyledText scaled = text;
    text.forEachValue(TextRange::everything(), &TextAttributes::attachment,
                      [&](const TextAttachmentPointer &attachment, TextRange range) {
        if (!attachment)
            return;
        const QSizeF size = attachment->bounds.isEmpty() ? attachment->naturalSize() : attachment->bounds.size();
        if (size.isEmpty())
            return;
        auto resized = std::make_shared<TextAttachment>(*attachment);
        resized->bounds = QRectF(QPointF(0, 0), size * factor);
        scaled.modifyAttributes(range, [&resized](TextAttributes &a) { a.attachment = resized; });
    });
    return scaled;
}

} // namespace

namespace HtmlCodec {

StyledText read(const QByteArray &html, const QString &folder)
{
    ConfinedHtmlDocument document(folder);
    document.setHtml(decodeHtml(html));
    return withPictureSizesScaled(StyledTextDocument::toStyledText(document), pointsPerPixel);
}

QByteArray write(const StyledText &text)
{
    QTextDocument document;
    StyledTextDocument::fill(&document, withPictureSizesScaled(text, 1.0 / pointsPerPixel),
                             StyledTextDocument::FontUnit::Points);
    QString html = document.toHtml();
    // fill() names the pictures in text order; each becomes a data: URI.
    int number = 0;
    text.forEachRun(TextRange::everything(), [&](const TextAttributes &attributes, TextRange range) {
        if (!attributes.attachment)
            return;
        for (qsizetype i = range.location; i < range.end(); ++i) {
            if (text.string().at(i).unicode() != 0xFFFC)
                continue;
            const QString name = QStringLiteral("morvane-attachment:%1\"").arg(++number);
            const TextAttachment &attachment = *attributes.attachment;
            QByteArray bytes = attachment.contents;
            QString type = attachment.fileType;
            if (!bytes.startsWith("\x89PNG") && !bytes.startsWith("\xFF\xD8\xFF") && !bytes.startsWith("GIF8")) {
                bytes.clear();
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::WriteOnly);
                attachment.picture().save(&buffer, "PNG");
                type = QStringLiteral("image/png");
            }
            if (type.isEmpty())
                type = bytes.startsWith("\x89PNG") ? QStringLiteral("image/png") : QStringLiteral("image/jpeg");
            html.replace(name, QStringLiteral("data:%1;base64,%2\"").arg(type, QString::fromLatin1(bytes.toBase64())));
        }
    });
    return html.toUtf8();
}

} // namespace HtmlCodec
