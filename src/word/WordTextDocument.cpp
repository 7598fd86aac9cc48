#include "WordTextDocument.h"

#include "PictureDecoder.h"

#include <QUrl>

namespace {

const QString PictureScheme = QStringLiteral("morvane-picture");

} // namespace

WordTextDocument::WordTextDocument(QObject *parent)
    : QTextDocument(parent)
{
    // The text is laid out once in design metrics and drawn scaled, so a
    // change of zoom never moves a line break.
    setUseDesignMetrics(true);
    setDefaultFont(standardFont());
    setDocumentMargin(0);
}

QFont WordTextDocument::standardFont()
{
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(12);
    return font;
}

QString WordTextDocument::addPicture(const QByteArray &bytes, const QImage &image)
{
    const QString name = PictureScheme + QLatin1Char(':') + QString::number(m_nextPicture++);
    m_pictureBytes.insert(name, bytes);
    addResource(QTextDocument::ImageResource, QUrl(name), image);
    return name;
}

QByteArray WordTextDocument::pictureBytes(const QString &name) const
{
    if (const auto it = m_pictureBytes.constFind(name); it != m_pictureBytes.constEnd())
        return *it;
    return PictureDecoder::dataUriBytes(name);
}

void WordTextDocument::clear()
{
    QTextDocument::clear();
    m_pictureBytes.clear();
}

QVariant WordTextDocument::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::ImageResource)
        return {};
    const QImage image = PictureDecoder::decode(pictureBytes(name.toString()));
    if (image.isNull())
        return {};
    // Keep the decoded picture so the URI is decoded once, not on every paint.
    addResource(type, name, image);
    return image;
}
