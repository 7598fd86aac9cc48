#include "docx/builtin/OfficeOpenXmlPictures.h"

#include "platform/package/PackageNames.h"

#include <QBuffer>
#include <QImageWriter>

#include <cmath>

namespace {

const QString imageRelationshipType = PackageNames::relationshipType(QStringLiteral("image"));
const QString pictureNamespace = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");

constexpr double emuPerPoint = 12700.0;
constexpr double largestEmu = 27273042316900.0; // the largest extent DrawingML takes

struct Encoded
{
    QByteArray bytes;
    QString extension;
};

// Contents in a format every reader shows are stored as they are; any other
// picture is stored as PNG.
std::optional<Encoded> encoded(const TextAttachment &attachment)
{
    static const std::pair<QLatin1String, QLatin1String> storedAsIs[] = {
        {QLatin1String("image/png"), QLatin1String("png")},
        {QLatin1String("image/jpeg"), QLatin1String("jpeg")},
        {QLatin1String("image/gif"), QLatin1String("gif")},
    };
    // The header alone tells whether the contents are a picture.
    if (!attachment.contents.isEmpty() && !attachment.naturalSize().isEmpty())
        for (const auto &[type, extension] : storedAsIs)
            if (attachment.fileType == type)
                return Encoded{attachment.contents, extension};
    const QImage picture = attachment.picture();
    if (picture.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(picture))
        return std::nullopt;
    return Encoded{bytes, QStringLiteral("png")};
}

std::optional<qint64> emu(double points)
{
    if (!std::isfinite(points) || points <= 0.0)
        return std::nullopt;
    return qint64(std::trunc(qMin(points * emuPerPoint, largestEmu)));
}

XmlElement::Attributes extent(qint64 cx, qint64 cy)
{
    return {{QStringLiteral("cx"), QString::number(cx)}, {QStringLiteral("cy"), QString::number(cy)}};
}

XmlElement picture(const QString &relationshipId, const QString &fileName, qint64 cx, qint64 cy)
{
    XmlElement pic(QStringLiteral("pic:pic"));
    XmlElement &properties = pic.addChild(QStringLiteral("pic:nvPicPr"));
    properties.addChild(QStringLiteral("pic:cNvPr"), std::nullopt,
                        {{QStringLiteral("id"), QStringLiteral("0")}, {QStringLiteral("name"), fileName}});
    properties.addChild(QStringLiteral("pic:cNvPicPr"));
    XmlElement &fill = pic.addChild(QStringLiteral("pic:blipFill"));
    fill.addChild(QStringLiteral("a:blip"), std::nullopt, {{QStringLiteral("r:embed"), relationshipId}});
    fill.addChild(QStringLiteral("a:stretch")).addChild(QStringLiteral("a:fillRect"));
    XmlElement &shape = pic.addChild(QStringLiteral("pic:spPr"));
    XmlElement &transform = shape.addChild(QStringLiteral("a:xfrm"));
    transform.addChild(QStringLiteral("a:off"), std::nullopt, {{QStringLiteral("x"), QStringLiteral("0")}, {QStringLiteral("y"), QStringLiteral("0")}});
    transform.addChild(QStringLiteral("a:ext"), std::nullopt, extent(cx, cy));
    shape.addChild(QStringLiteral("a:prstGeom"), std::nullopt, {{QStringLiteral("prst"), QStringLiteral("rect")}})
        .addChild(QStringLiteral("a:avLst"));
    return pic;
}

} // namespace

const OfficeOpenXmlPictures::Media *OfficeOpenXmlPictures::media(const TextAttachmentPointer &attachment)
{
    const auto known = m_mediaOfAttachment.constFind(attachment.get());
    if (known != m_mediaOfAttachment.cend())
        return *known < 0 ? nullptr : &m_media[*known];
    const std::optional<Encoded> file = encoded(*attachment);
    if (!file) {
        m_mediaOfAttachment.insert(attachment.get(), -1);
        return nullptr;
    }
    const QString fileName = QStringLiteral("image%1.%2").arg(m_media.size() + 1).arg(file->extension);
    const QString id = m_relationships.add(imageRelationshipType, QStringLiteral("media/") + fileName);
    m_mediaOfAttachment.insert(attachment.get(), m_media.size());
    m_media.append(Media{id, fileName, file->bytes});
    return &m_media.last();
}

std::optional<XmlElement> OfficeOpenXmlPictures::drawingRun(const TextAttachmentPointer &attachment)
{
    if (!attachment)
        return std::nullopt;
    const QSizeF size = attachment->bounds.isEmpty() ? attachment->naturalSize() : attachment->bounds.size();
    const auto cx = emu(size.width());
    const auto cy = emu(size.height());
    if (!cx || !cy)
        return std::nullopt;
    const Media *file = media(attachment);
    if (!file)
        return std::nullopt;

    const qint64 drawingId = m_nextDrawingId++;
    XmlElement run(QStringLiteral("w:r"));
    XmlElement &inlineDrawing = run.addChild(QStringLiteral("w:drawing"))
                                    .addChild(QStringLiteral("wp:inline"), std::nullopt,
                                              {{QStringLiteral("distT"), QStringLiteral("0")},
                                               {QStringLiteral("distB"), QStringLiteral("0")},
                                               {QStringLiteral("distL"), QStringLiteral("0")},
                                               {QStringLiteral("distR"), QStringLiteral("0")}});
    inlineDrawing.addChild(QStringLiteral("wp:extent"), std::nullopt, extent(*cx, *cy));
    inlineDrawing.addChild(QStringLiteral("wp:docPr"), std::nullopt,
                           {{QStringLiteral("id"), QString::number(drawingId)},
                            {QStringLiteral("name"), QStringLiteral("Picture %1").arg(drawingId)}});
    inlineDrawing.addChild(QStringLiteral("a:graphic"))
        .addChild(QStringLiteral("a:graphicData"), std::nullopt, {{QStringLiteral("uri"), pictureNamespace}})
        .addChild(picture(file->relationshipId, file->fileName, *cx, *cy));
    return run;
}

QList<QString> OfficeOpenXmlPictures::extensions() const
{
    QList<QString> extensions;
    for (const Media &file : m_media) {
        const QString extension = file.fileName.section(u'.', -1);
        if (!extensions.contains(extension))
            extensions.append(extension);
    }
    return extensions;
}

bool OfficeOpenXmlPictures::writeMedia(PackageFolder &package, QString *error) const
{
    for (const Media &file : m_media)
        if (!package.writePart(QStringLiteral("word/media/") + file.fileName, file.bytes, error))
            return false;
    return true;
}
