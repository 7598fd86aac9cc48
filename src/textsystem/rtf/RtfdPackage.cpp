#include "textsystem/rtf/RtfdPackage.h"

#include "textsystem/PictureCache.h"
#include "textsystem/PictureLimits.h"

#include "textsystem/rtf/RtfReader.h"
#include "textsystem/rtf/RtfWriter.h"

#include "platform/FileBytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

const QString textFileName = QStringLiteral("TXT.rtf");

std::optional<QByteArray> readRegularFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.size() > RtfdPackage::maximumFileSize)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}


} // namespace

namespace RtfdPackage {

bool read(const QString &path, StyledText *text, QString *error, PictureCache *pictures)
{
    const QDir folder(path);
    const std::optional<QByteArray> rtf = readRegularFile(folder.filePath(textFileName));
    if (!rtf) {
        *error = QStringLiteral("The RTFD package holds no readable TXT.rtf.");
        return false;
    }
    const RtfReader::AttachmentLoader loader = [&folder, pictures](const QString &name) -> std::optional<QByteArray> {
        if (!isPlainFileName(name))
            return std::nullopt;
        // A picture file too large to decode is not read at all.
        const QFileInfo info(folder.filePath(name));
        if (info.isFile() && info.size() > PictureLimits::maximumBytes) {
            if (pictures)
                pictures->leaveOut(name);
            return std::nullopt;
        }
        return readRegularFile(info.filePath());
    };
    return RtfReader::read(*rtf, text, error, loader, pictures);
}

bool write(const StyledText &text, const QString &path, QString *error)
{
    const QDir folder(path);
    QSet<QString> used{textFileName};
    QString failure;
    const RtfWriter::AttachmentNamer namer = [&](const TextAttachment &attachment) -> QString {
        if (!failure.isEmpty())
            return QString();
        QByteArray bytes = attachment.contents;
        QString extension = QStringLiteral("png");
        if (bytes.startsWith("\xFF\xD8\xFF"))
            extension = QStringLiteral("jpg");
        else if (!bytes.startsWith("\x89PNG")) {
            const QImage picture = attachment.picture();
            if (picture.isNull())
                return QString();
            bytes.clear();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
        }
        const QString wanted = QFileInfo(attachment.fileName).completeBaseName();
        const QString base = isPlainFileName(wanted) && !wanted.startsWith(QLatin1Char('.')) ? wanted
                                                                                             : QStringLiteral("Attachment");
        QString name = base + QLatin1Char('.') + extension;
        for (int n = 1; used.contains(name); ++n)
            name = QStringLiteral("%1 %2.%3").arg(base).arg(n).arg(extension);
        used.insert(name);
        if (!FileBytes::write(folder.filePath(name), bytes, &failure))
            return QString();
        return name;
    };
    const QByteArray rtf = RtfWriter::write(text, namer);
    if (!failure.isEmpty()) {
        *error = failure;
        return false;
    }
    return FileBytes::write(folder.filePath(textFileName), rtf, error);
}

} // namespace RtfdPackage
