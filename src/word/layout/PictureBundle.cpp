#include "PictureBundle.h"

#include "textsystem/PictureAttachment.h"

#include <QtEndian>

const QString PictureBundle::mimeType = QStringLiteral("application/x-morvane-word-pictures");

namespace {

// "MVPB" and the version of the layout: then a count, then per picture
// three length-prefixed fields (name, file name in UTF-8, bytes). Lengths
// and the count are big-endian 32-bit.
constexpr char Magic[] = {'M', 'V', 'P', 'B', 0, 1};
constexpr qsizetype MagicSize = sizeof(Magic);

qsizetype serializedSize(const PictureBundle::Picture &picture)
{
    return 12 + picture.name.toUtf8().size() + picture.fileName.toUtf8().size() + picture.bytes.size();
}

void putField(QByteArray &out, QByteArrayView field)
{
    char length[4];
    qToBigEndian(quint32(field.size()), length);
    out.append(length, 4);
    out.append(field);
}

// Reads length-prefixed fields off the front of the bytes; fails once and
// for all when a field would reach past the end or past `limit`.
class FieldReader
{
public:
    explicit FieldReader(QByteArrayView bytes) : m_rest(bytes) {}

    bool failed() const { return m_failed; }
    bool atEnd() const { return m_rest.isEmpty(); }

    quint32 number()
    {
        if (m_failed || m_rest.size() < 4) {
            m_failed = true;
            return 0;
        }
        const quint32 value = qFromBigEndian<quint32>(m_rest.data());
        m_rest = m_rest.sliced(4);
        return value;
    }

    QByteArrayView field(qsizetype limit)
    {
        const quint32 length = number();
        if (m_failed || length > quint64(limit) || length > quint64(m_rest.size())) {
            m_failed = true;
            return {};
        }
        const QByteArrayView value = m_rest.first(length);
        m_rest = m_rest.sliced(length);
        return value;
    }

private:
    QByteArrayView m_rest;
    bool m_failed = false;
};

} // namespace

bool PictureBundle::add(Picture picture)
{
    const qsizetype size = serializedSize(picture);
    if (pictures.size() >= maximumPictures || picture.bytes.isEmpty()
        || picture.bytes.size() > PictureLimits::maximumBytes
        || picture.name.toUtf8().size() > maximumNameBytes || picture.fileName.toUtf8().size() > maximumNameBytes
        || MagicSize + 4 + m_size + size > m_byteLimit)
        return false;
    m_size += size;
    pictures.append(std::move(picture));
    return true;
}

const PictureBundle::Picture *PictureBundle::find(const QString &name) const
{
    for (const Picture &picture : pictures) {
        if (picture.name == name)
            return &picture;
    }
    return nullptr;
}

QByteArray PictureBundle::serialized() const
{
    QByteArray out;
    out.reserve(MagicSize + 4 + m_size);
    out.append(Magic, MagicSize);
    char count[4];
    qToBigEndian(quint32(pictures.size()), count);
    out.append(count, 4);
    for (const Picture &picture : pictures) {
        putField(out, picture.name.toUtf8());
        putField(out, picture.fileName.toUtf8());
        putField(out, picture.bytes);
    }
    return out;
}

std::optional<PictureBundle> PictureBundle::parse(QByteArrayView bytes)
{
    if (bytes.size() > maximumBytes || bytes.size() < MagicSize || bytes.first(MagicSize) != QByteArrayView(Magic, MagicSize))
        return std::nullopt;
    FieldReader reader(bytes.sliced(MagicSize));
    const quint32 count = reader.number();
    if (count > quint32(maximumPictures))
        return std::nullopt;
    PictureBundle bundle;
    for (quint32 i = 0; i < count; ++i) {
        Picture picture;
        picture.name = QString::fromUtf8(reader.field(maximumNameBytes));
        picture.fileName = QString::fromUtf8(reader.field(maximumNameBytes));
        picture.bytes = reader.field(PictureLimits::maximumBytes).toByteArray();
        if (reader.failed() || !bundle.add(std::move(picture)))
            return std::nullopt;
    }
    if (!reader.atEnd())
        return std::nullopt;
    return bundle;
}
