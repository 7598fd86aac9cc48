#include "textsystem/doc/DocPictureReader.h"


namespace {

constexpr int shapeFileMapping = 0x66; // the header is followed by a picture name
constexpr quint16 containerVersion = 0xF;
constexpr quint16 drawingGroupContainer = 0xF000;
constexpr quint16 blipStoreContainer = 0xF001;
constexpr quint16 blipStoreEntry = 0xF007;
constexpr quint16 shapeContainer = 0xF004;
constexpr quint16 shapeRecord = 0xF00A;
constexpr quint16 shapeOptions = 0xF00B;
constexpr quint16 jpegBlip = 0xF01D;
constexpr quint16 pngBlip = 0xF01E;
constexpr quint16 cmykJpegBlip = 0xF02A;
constexpr quint16 pictureProperty = 0x0104; // pib: 1-based store index
constexpr int recordHeaderSize = 8;
constexpr int blipStoreEntrySize = 36;
constexpr int pictureHeaderSize = 68;
constexpr int maxRecords = 4096;
constexpr int maxDepth = 16;

struct Record {
    quint16 versionAndInstance = 0;
    quint16 type = 0;
    DocByteView body;
    bool isContainer() const { return (versionAndInstance & 0xF) == containerVersion; }
    quint16 instance() const { return versionAndInstance >> 4; }
};

// Calls fn(Record) for each record in `records` until fn returns true or
// the budget runs out; a record longer than what is left is clipped.
template <typename Fn>
void forEachRecord(DocByteView records, int &budget, Fn fn)
{
    qint64 at = 0;
    while (records.contains(at, recordHeaderSize) && --budget > 0) {
        const qint64 length = qMin<qint64>(records.u32(at + 4), records.size() - at - recordHeaderSize);
        if (fn(Record{records.u16(at), records.u16(at + 2), records.mid(at + recordHeaderSize, length)}))
            return;
        at += recordHeaderSize + length;
    }
}

} // namespace

DocPictureReader::DocPictureReader(DocByteView data, DocByteView wordDocument, DocByteView drawingGroup,
                                   PictureCache &decoded)
    : m_data(data), m_wordDocument(wordDocument), m_decoded(&decoded)
{
    int budget = maxRecords * 4;
    const qint64 groupLength = qMin<qint64>(drawingGroup.u32(4), drawingGroup.size() - recordHeaderSize);
    if (drawingGroup.u16(2) == drawingGroupContainer) {
        forEachRecord(drawingGroup.mid(recordHeaderSize, groupLength), budget, [&](const Record &store) {
            if (store.type != blipStoreContainer)
                return false;
            forEachRecord(store.body, budget, [&](const Record &entry) {
                m_storeEntries << (entry.type == blipStoreEntry ? entry.body : DocByteView());
                return false;
            });
            return true;
        });
    }
    // Then the drawings, each a byte saying which text it belongs to and
    // one drawing container.
    qint64 at = recordHeaderSize + qMax<qint64>(groupLength, 0);
    while (drawingGroup.contains(at + 1, recordHeaderSize) && budget > 0) {
        const qint64 length = qMin<qint64>(drawingGroup.u32(at + 5), drawingGroup.size() - at - 1 - recordHeaderSize);
        collectShapePictures(drawingGroup.mid(at + 1, recordHeaderSize + length), budget, 0);
        at += 1 + recordHeaderSize + length;
    }
}

// Notes the picture of each shape of the drawings, by shape id.
void DocPictureReader::collectShapePictures(DocByteView records, int &budget, int depth)
{
    if (depth >= maxDepth)
        return;
    forEachRecord(records, budget, [&](const Record &record) {
        if (record.type == shapeContainer) {
            std::optional<quint32> shapeId;
            int picture = 0;
            forEachRecord(record.body, budget, [&](const Record &part) {
                if (part.type == shapeRecord)
                    shapeId = part.body.u32(0);
                for (int i = 0; part.type == shapeOptions && i < part.instance() && part.body.contains(6 * i, 6); ++i) {
                    if ((part.body.u16(6 * i) & 0x3FFF) == pictureProperty)
                        picture = int(part.body.u32(6 * i + 2));
                }
                return false;
            });
            if (shapeId && picture > 0)
                m_shapePictures.insert(*shapeId, picture);
        } else if (record.isContainer()) {
            collectShapePictures(record.body, budget, depth + 1);
        }
        return false;
    });
}

DocPictureReader::Blip DocPictureReader::blipFile(DocByteView record, quint16 type, quint16 instance)
{
    // One or two 16-byte ids (the instance says which), then a tag byte.
    const qint64 skip = 16 * ((instance & 1) ? 2 : 1) + 1;
    const DocByteView file = record.mid(skip, record.size() - skip);
    if (file.size() <= 0)
        return {};
    return {file.bytes().toByteArray(), type == pngBlip ? QStringLiteral("image/png") : QStringLiteral("image/jpeg")};
}

DocPictureReader::Blip DocPictureReader::entryBlip(DocByteView entry, int &budget, int depth) const
{
    const qint64 nameLength = entry.u8(33);
    const qint64 embeddedAt = blipStoreEntrySize + nameLength;
    if (entry.size() > embeddedAt)
        return findBlip(entry.mid(embeddedAt, entry.size() - embeddedAt), budget, depth + 1);
    // Not embedded: the blip record lies in the WordDocument stream.
    const qint64 size = entry.u32(20);
    const qint64 offset = entry.u32(28);
    return findBlip(m_wordDocument.mid(offset, qMin<qint64>(size, m_wordDocument.size() - offset)), budget,
                    depth + 1);
}

DocPictureReader::Blip DocPictureReader::storeBlip(int index, int &budget) const
{
    if (index < 1 || index > m_storeEntries.size())
        return {};
    return entryBlip(m_storeEntries[index - 1], budget, maxDepth - 2);
}

DocPictureReader::Blip DocPictureReader::findBlip(DocByteView records, int &budget, int depth) const
{
    Blip found;
    if (depth >= maxDepth)
        return found;
    forEachRecord(records, budget, [&](const Record &record) {
        switch (record.type) {
        case pngBlip:
        case jpegBlip:
        case cmykJpegBlip:
            found = blipFile(record.body, record.type, record.instance());
            break;
        case blipStoreEntry:
            found = entryBlip(record.body, budget, depth);
            break;
        case shapeRecord:
            if (m_shapePictures.contains(record.body.u32(0)))
                found = storeBlip(m_shapePictures.value(record.body.u32(0)), budget);
            break;
        case shapeOptions:
            for (int i = 0; i < record.instance() && record.body.contains(6 * i, 6); ++i) {
                if ((record.body.u16(6 * i) & 0x3FFF) == pictureProperty)
                    found = storeBlip(int(record.body.u32(6 * i + 2)), budget);
            }
            break;
        default:
            if (record.isContainer())
                found = findBlip(record.body, budget, depth + 1);
            break;
        }
        return !found.bytes.isEmpty();
    });
    return found;
}

TextAttachmentPointer DocPictureReader::read(quint32 offset) const
{
    const qint64 totalSize = m_data.u32(offset);
    const DocByteView picture = m_data.mid(offset, qMin<qint64>(totalSize, m_data.size() - qint64(offset)));
    const int headerSize = picture.u16(4);
    if (picture.size() < pictureHeaderSize || headerSize < pictureHeaderSize || headerSize > picture.size())
        return {};
    qint64 at = headerSize;
    if (picture.u16(6) == shapeFileMapping)
        at += 1 + picture.u8(at);
    int budget = maxRecords;
    const Blip blip = findBlip(picture.mid(at, picture.size() - at), budget, 0);
    // The goal size in twips, scaled in thousandths.
    const double width = picture.i16(28) * (picture.u16(32) ? picture.u16(32) : 1000) / 1000.0 / 20.0;
    const double height = picture.i16(30) * (picture.u16(34) ? picture.u16(34) : 1000) / 1000.0 / 20.0;
    return attachment(blip, QRectF(0, 0, width, height));
}

TextAttachmentPointer DocPictureReader::readShape(quint32 shapeId, const QRectF &bounds) const
{
    int budget = maxRecords;
    return attachment(storeBlip(m_shapePictures.value(shapeId), budget), bounds);
}

TextAttachmentPointer DocPictureReader::attachment(const Blip &blip, const QRectF &bounds) const
{
    if (blip.bytes.isEmpty() || !m_decoded)
        return {};
    const bool sized = bounds.width() > 0 && bounds.height() > 0 && bounds.width() < 1e5 && bounds.height() < 1e5;
    return m_decoded->picture(blip.bytes, sized ? bounds.size() : QSizeF());
}
