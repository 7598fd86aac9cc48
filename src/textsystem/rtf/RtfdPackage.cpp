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
#include <QHash>
#include <QImageReader>
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

bool isPictureFile(const QString &path) { return !QImageReader::imageFormat(path).isEmpty(); }

// The attachment files TXT.rtf names, each read within the package's limits.
// What it cannot read it names for the open card: a picture among the
// pictures left out, any other file among the files left out.
class AttachmentFiles
{
public:
    AttachmentFiles(const QString &folder, PictureCache *pictures, QStringList *leftOut)
        : m_folder(folder), m_pictures(pictures), m_leftOut(leftOut)
    {
    }

    std::optional<QByteArray> read(const QString &name)
    {
        if (name.isEmpty())
            return std::nullopt;
        const QFileInfo info(m_folder.filePath(name));
        if (!isPlainFileName(name) || info.isSymLink() || !info.isFile())
            return leaveOut(name, QString());
        const bool tooLarge = info.size() > RtfdPackage::maximumFileSize
            || (info.size() > PictureLimits::maximumBytes && isPictureFile(info.filePath()));
        if (tooLarge || m_bytesRead + info.size() > RtfdPackage::maximumAttachmentBytes)
            return leaveOut(name, info.filePath());
        std::optional<QByteArray> bytes = readRegularFile(info.filePath());
        if (!bytes)
            return leaveOut(name, QString());
        m_bytesRead += bytes->size();
        return bytes;
    }

private:
    std::nullopt_t leaveOut(const QString &name, const QString &path)
    {
        if (m_pictures && !path.isEmpty() && isPictureFile(path))
            m_pictures->leaveOut(name);
        else if (!m_leftOut->contains(name))
            m_leftOut->append(name);
        return std::nullopt;
    }

    const QDir m_folder;
    PictureCache *const m_pictures;
    QStringList *const m_leftOut;
    qint64 m_bytesRead = 0;
};

QString uniqueName(QString base, const QString &suffix, QSet<QString> &used)
{
    if (!isPlainFileName(base) || base.startsWith(QLatin1Char('.')))
        base = QStringLiteral("Attachment");
    const QString dotted = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    QString name = base + dotted;
    for (int n = 1; used.contains(name); ++n)
        name = QStringLiteral("%1 %2").arg(base).arg(n) + dotted;
    used.insert(name);
    return name;
}

// An attachment as a file of the package: its bytes, and its name without
// and with the suffix.
struct PackageFile {
    QByteArray bytes;
    QString baseName;
    QString suffix;
};

// A picture becomes a PNG or JPEG file; a file attachment that is no
// picture keeps its bytes and its name. Nothing for anything else.
std::optional<PackageFile> packageFile(const TextAttachment &attachment)
{
    const QFileInfo named(attachment.fileName);
    const QByteArray &bytes = attachment.contents;
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return PackageFile{bytes, named.completeBaseName(), QStringLiteral("jpg")};
    if (bytes.startsWith("\x89PNG"))
        return PackageFile{bytes, named.completeBaseName(), QStringLiteral("png")};
    if (const QImage picture = attachment.picture(); !picture.isNull()) {
        PackageFile file{QByteArray(), named.completeBaseName(), QStringLiteral("png")};
        QBuffer buffer(&file.bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        return file;
    }
    if (attachment.isFileWrapper())
        return PackageFile{bytes, named.completeBaseName(), named.suffix()};
    return std::nullopt;
}

} // namespace

namespace RtfdPackage {

bool read(const QString &path, StyledText *text, QString *error, PictureCache *pictures, QStringList *leftOutFiles)
{
    const QDir folder(path);
    const std::optional<QByteArray> rtf = readRegularFile(folder.filePath(textFileName));
    if (!rtf) {
        *error = QStringLiteral("The RTFD package holds no readable TXT.rtf.");
        return false;
    }
    QStringList leftOut;
    AttachmentFiles files(path, pictures, &leftOut);
    const RtfReader::AttachmentLoader loader = [&files](const QString &name) { return files.read(name); };
    if (!RtfReader::read(*rtf, text, error, loader, pictures))
        return false;
    if (leftOutFiles)
        *leftOutFiles += leftOut;
    return true;
}

bool write(const StyledText &text, const QString &path, QString *error)
{
    const QDir folder(path);
    QSet<QString> used{textFileName};
    QHash<const TextAttachment *, QString> written; // an attachment the text shows many times is one file
    QString failure;
    const RtfWriter::AttachmentNamer namer = [&](const TextAttachment &attachment) -> QString {
        if (!failure.isEmpty())
            return QString();
        if (const auto known = written.constFind(&attachment); known != written.cend())
            return *known;
        const std::optional<PackageFile> file = packageFile(attachment);
        if (!file)
            return QString();
        const QString name = uniqueName(file->baseName, file->suffix, used);
        if (!FileBytes::write(folder.filePath(name), file->bytes, &failure))
            return QString();
        written.insert(&attachment, name);
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
