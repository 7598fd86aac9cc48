#include "WordTextDocument.h"

#include "PageTextLayout.h"

#include "textsystem/PictureAttachment.h"
#include "textsystem/PictureCache.h"
#include "word/document/ScreenLook.h"

#include <QCryptographicHash>
#include <QUrl>

namespace {

const QString PictureScheme = QStringLiteral("morvane-picture");

} // namespace

WordTextDocument::WordTextDocument(QObject *parent)
    : QTextDocument(parent)
{
    // Laid out where it shows and where it changes, not as a whole; its
    // pictures come only from what it holds, never from files.
    setDocumentLayout(new PageTextLayout(this));
    // The text is laid out once in design metrics and drawn scaled, so a
    // change of zoom never moves a line break.
    setUseDesignMetrics(true);
    setDefaultFont(standardFont());
    setDocumentMargin(0);
}

QFont WordTextDocument::standardFont()
{
    QFont font(ScreenLook::fontFamily());
    font.setPixelSize(qRound(ScreenLook::fontSize));
    return font;
}

QString WordTextDocument::addPicture(const QImage &image)
{
    const QString name = PictureScheme + QLatin1Char(':') + QString::number(m_nextPicture++);
    addResource(QTextDocument::ImageResource, QUrl(name), image);
    return name;
}

QString WordTextDocument::heldName(const QByteArray &bytes)
{
    return PictureScheme + QStringLiteral(":sha256-")
        + QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

TextAttachmentPointer WordTextDocument::held(const QString &name) const
{
    const TextAttachmentPointer picture = m_heldPictures.value(name);
    // Clearing the document drops its resources: look again.
    if (picture && !resource(QTextDocument::ImageResource, QUrl(name)).isNull())
        return picture;
    return nullptr;
}

WordTextDocument::HeldPicture WordTextDocument::hold(const QString &name, const TextAttachmentPointer &picture)
{
    addResource(QTextDocument::ImageResource, QUrl(name), picture->image);
    m_heldPictures.insert(name, picture);
    return {name, picture};
}

WordTextDocument::HeldPicture WordTextDocument::holdPicture(const QByteArray &bytes, PictureCache &cache)
{
    const QString name = heldName(bytes);
    if (const TextAttachmentPointer picture = held(name))
        return {name, picture};
    const TextAttachmentPointer picture = cache.picture(bytes);
    if (!picture)
        return {name, nullptr};
    return hold(name, picture);
}

WordTextDocument::HeldPicture WordTextDocument::holdPicture(const TextAttachmentPointer &shown)
{
    const QString name = heldName(shown->contents);
    if (const TextAttachmentPointer picture = held(name))
        return {name, picture};
    // At its natural size, as a decode of the file would give it.
    auto picture = std::make_shared<TextAttachment>(*shown);
    picture->bounds = QRectF();
    picture->fileName.clear();
    picture->docXImage.reset();
    return hold(name, picture);
}

QByteArray WordTextDocument::dataUriBytes(const QString &uri)
{
    if (!uri.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return {};
    // Base64 grows by a third; anything longer cannot hold an allowed picture.
    if (uri.size() > PictureLimits::maximumBytes / 3 * 4 + 1024)
        return {};
    const qsizetype comma = uri.indexOf(u',');
    if (comma < 0)
        return {};
    const QStringView header = QStringView(uri).mid(5, comma - 5);
    const QByteArray payload = uri.mid(comma + 1).toLatin1();
    if (header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)) {
        auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromPercentEncoding(payload),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        return decoded ? *decoded : QByteArray();
    }
    return QByteArray::fromPercentEncoding(payload);
}

QVariant WordTextDocument::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::ImageResource)
        return {};
    const TextAttachmentPointer picture = PictureAttachment::fromBytes(dataUriBytes(name.toString()));
    if (!picture)
        return {};
    // Keep the decoded picture so the URI is decoded once, not on every paint.
    addResource(type, name, picture->image);
    return picture->image;
}
