#include "textsystem/doc/DocPictureWriter.h"

#include "textsystem/doc/DocBytes.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QtEndian>

#include <cmath>

namespace {

using DocBytes::append16;
using DocBytes::append32;

constexpr quint16 shapeMapping = 0x64; // the header is followed by drawing records
constexpr int pictureHeaderSize = 68;
constexpr quint16 shapeContainer = 0xF004;
constexpr quint16 shapeRecord = 0xF00A;
constexpr quint16 shapeOptions = 0xF00B;
constexpr quint16 clientAnchor = 0xF010;
constexpr quint16 blipStoreEntry = 0xF007;
constexpr quint16 pngBlip = 0xF01E;
constexpr quint16 jpegBlip = 0xF01D;
constexpr quint16 pictureFrame = 75;
constexpr quint16 blipProperty = 0x4104; // pib, a blip index
constexpr quint16 pngBlipInstance = 0x6E0;
constexpr quint16 jpegBlipInstance = 0x46A;
constexpr quint8 pngBlipType = 6;
constexpr quint8 jpegBlipType = 5;
constexpr qsizetype minimumStreamSize = 4096;
constexpr qsizetype leadingBytes = 16;

QByteArray record(quint16 versionAndInstance, quint16 type, const QByteArray &body)
{
    QByteArray out;
    append16(out, versionAndInstance);
    append16(out, type);
    append32(out, quint32(body.size()));
    return out + body;
}

// A length in twips that fits a signed 16-bit field, with the scale in
// thousandths that makes up the rest.
std::pair<quint16, quint16> goalAndScale(double points)
{
    const double twips = std::isfinite(points) ? qBound(1.0, points * 20.0, 31680.0 * 65.0) : 1.0;
    const double goal = qMin(twips, 31680.0);
    return {quint16(std::lround(goal)), quint16(qBound(1.0, std::round(twips / goal * 1000.0), 65535.0))};
}

} // namespace

std::optional<quint32> DocPictureWriter::add(const TextAttachment &attachment)
{
    QByteArray bytes = attachment.contents;
    const bool jpeg = bytes.startsWith("\xFF\xD8\xFF");
    if (!jpeg && !bytes.startsWith("\x89PNG")) {
        const QImage image = attachment.picture();
        if (image.isNull())
            return std::nullopt; // a file that is no picture has no place in the text
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    QSizeF size = attachment.bounds.isEmpty() ? attachment.naturalSize() : attachment.bounds.size();
    if (size.isEmpty())
        size = QSizeF(attachment.picture().size());
    const auto [goalWidth, scaleX] = goalAndScale(size.width());
    const auto [goalHeight, scaleY] = goalAndScale(size.height());
    const QByteArray key = bytes + QByteArray::number(goalWidth) + 'x' + QByteArray::number(scaleX) + 'x'
        + QByteArray::number(goalHeight) + 'x' + QByteArray::number(scaleY);
    if (const auto known = m_offsets.constFind(key); known != m_offsets.cend())
        return *known;

    const QByteArray uid = QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
    QByteArray blipBody = uid;
    blipBody.append(char(0xFF));
    blipBody += bytes;
    const QByteArray blip = record(quint16((jpeg ? jpegBlipInstance : pngBlipInstance) << 4), jpeg ? jpegBlip : pngBlip, blipBody);

    QByteArray entry;
    entry.append(char(jpeg ? jpegBlipType : pngBlipType));
    entry.append(char(jpeg ? jpegBlipType : pngBlipType));
    entry += uid;
    append16(entry, 0xFF);
    append32(entry, quint32(blip.size()));
    append32(entry, 1); // referred to once
    append32(entry, 0); // embedded: no offset in another stream
    entry.append(4, '\0'); // usage, name length, two unused bytes
    const QByteArray storeEntry = record(quint16(0x2 | ((jpeg ? jpegBlipType : pngBlipType) << 4)), blipStoreEntry,
                                         entry + blip);

    QByteArray shape;
    append32(shape, m_nextShapeId++);
    append32(shape, 0x0A00); // has an anchor and a shape type
    QByteArray options;
    append16(options, blipProperty);
    append32(options, 1); // the first blip after the shape
    QByteArray anchor;
    append32(anchor, 0x80000000);
    const QByteArray frame = record(0xF, shapeContainer,
                                    record(quint16(0x2 | (pictureFrame << 4)), shapeRecord, shape)
                                        + record(quint16(0x3 | (1 << 4)), shapeOptions, options)
                                        + record(0, clientAnchor, anchor));

    QByteArray header(pictureHeaderSize, '\0');
    const quint32 total = quint32(pictureHeaderSize + frame.size() + storeEntry.size());
    qToLittleEndian(total, header.data());
    qToLittleEndian(quint16(pictureHeaderSize), header.data() + 4);
    qToLittleEndian(shapeMapping, header.data() + 6);
    // The size again in hundredths of a millimetre, as the metafile header has it.
    qToLittleEndian(quint16(qBound(1.0, size.width() * 2540.0 / 72.0, 32767.0)), header.data() + 8);
    qToLittleEndian(quint16(qBound(1.0, size.height() * 2540.0 / 72.0, 32767.0)), header.data() + 10);
    qToLittleEndian(goalWidth, header.data() + 28);
    qToLittleEndian(goalHeight, header.data() + 30);
    qToLittleEndian(scaleX, header.data() + 32);
    qToLittleEndian(scaleY, header.data() + 34);

    // Readers take a picture at offset 0 for none: the stream starts with a
    // few bytes of its own.
    if (m_data.isEmpty())
        m_data = QByteArray(leadingBytes, '\0');
    const quint32 offset = quint32(m_data.size());
    m_data += header + frame + storeEntry;
    m_offsets.insert(key, offset);
    return offset;
}

QByteArray DocPictureWriter::stream() const
{
    // Streams under this size would live in the container's mini stream,
    // which some readers do not look into.
    QByteArray data = m_data;
    if (data.size() < minimumStreamSize)
        data.append(minimumStreamSize - data.size(), '\0');
    return data;
}
