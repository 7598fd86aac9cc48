#include "CompoundFileReader.h"

#include "CompoundFileLayout.h"
#include "platform/Failure.h"

#include <QBitArray>
#include <QtEndian>

#include <cstring>

using namespace CompoundFileLayout;

namespace {

quint16 read16(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 read32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

// Builds a reader from the bytes of a container, one step per structure.
class CompoundFileParser
{
public:
    CompoundFileParser(CompoundFileReader &reader, QString *error) : m_reader(reader), m_error(error) {}

    bool parse()
    {
        return readHeader() && readFat() && readDirectory() && readMiniStream() && listEntries();
    }

private:
    const QByteArray &bytes() const { return m_reader.m_bytes; }
    qint64 sectorSize() const { return qint64(1) << m_reader.m_sectorShift; }

    bool readHeader()
    {
        const QByteArray &data = bytes();
        if (data.size() < headerSize || std::memcmp(data.constData(), signature, sizeof signature) != 0)
            return fail(m_error, QStringLiteral("The file is not a compound document (no OLE signature)"));
        const quint16 major = read16(data, MajorVersionField);
        const quint16 shift = read16(data, SectorShiftField);
        if (!((major == 3 && shift == 9) || (major == 4 && shift == 12)))
            return fail(m_error, QStringLiteral("The compound document has an unknown version or sector size"));
        if (read16(data, MiniSectorShiftField) != 6)
            return fail(m_error, QStringLiteral("The compound document has an unknown mini sector size"));
        m_reader.m_sectorShift = shift;
        // The header fills sector -1; a short last sector still counts.
        m_sectorCount = data.size() <= sectorSize() ? 0 : (data.size() - 1) / sectorSize();
        return true;
    }

    // The sector's bytes, clipped to `length`; fails when they leave the file.
    bool sectorBytes(quint32 sector, qint64 length, const char **out)
    {
        const qint64 offset = (qint64(sector) + 1) * sectorSize();
        if (sector >= m_sectorCount || offset + length > bytes().size())
            return fail(m_error, QStringLiteral("A sector of the compound document lies past its end"));
        *out = bytes().constData() + offset;
        return true;
    }

    bool readFat()
    {
        const QByteArray &data = bytes();
        const quint32 fatCount = read32(data, FatSectorCountField);
        const quint32 difatCount = read32(data, DifatSectorCountField);
        if (fatCount > m_sectorCount || difatCount > m_sectorCount)
            return fail(m_error, QStringLiteral("The compound document counts more FAT sectors than it holds"));
        QList<quint32> fatSectors;
        for (int i = 0; i < headerDifatEntries && quint32(fatSectors.size()) < fatCount; ++i)
            fatSectors << read32(data, HeaderDifatField + 4 * i);
        const int perDifatSector = int(sectorSize() / 4) - 1;
        quint32 next = read32(data, FirstDifatSectorField);
        QBitArray seen{qsizetype(m_sectorCount)};
        while (quint32(fatSectors.size()) < fatCount) {
            const char *sector = nullptr;
            if (next >= m_sectorCount || seen.testBit(qsizetype(next)))
                return fail(m_error, QStringLiteral("The DIFAT chain of the compound document is broken"));
            seen.setBit(qsizetype(next));
            if (!sectorBytes(next, sectorSize(), &sector))
                return false;
            for (int i = 0; i < perDifatSector && quint32(fatSectors.size()) < fatCount; ++i)
                fatSectors << qFromLittleEndian<quint32>(sector + 4 * i);
            next = qFromLittleEndian<quint32>(sector + 4 * perDifatSector);
        }
        const qint64 entriesPerSector = sectorSize() / 4;
        m_reader.m_fat.reserve(qsizetype(fatCount * entriesPerSector));
        for (const quint32 fatSector : std::as_const(fatSectors)) {
            const char *sector = nullptr;
            if (!sectorBytes(fatSector, sectorSize(), &sector))
                return false;
            for (qint64 i = 0; i < entriesPerSector; ++i)
                m_reader.m_fat << qFromLittleEndian<quint32>(sector + 4 * i);
        }
        return true;
    }

    // Follows a FAT chain from `start` to its end; fails on a loop or a
    // sector outside the file.
    bool fullChain(quint32 start, QList<quint32> *chain)
    {
        QBitArray seen{qsizetype(m_sectorCount)};
        for (quint32 sector = start; sector != endOfChain; sector = m_reader.m_fat[sector]) {
            if (sector >= m_sectorCount || sector >= quint32(m_reader.m_fat.size()) || seen.testBit(qsizetype(sector)))
                return fail(m_error, QStringLiteral("A sector chain of the compound document loops or leaves the file"));
            seen.setBit(qsizetype(sector));
            *chain << sector;
        }
        return true;
    }

    bool readChainBytes(quint32 start, QByteArray *out)
    {
        QList<quint32> chain;
        if (!fullChain(start, &chain))
            return false;
        out->reserve(chain.size() * sectorSize());
        for (const quint32 sector : std::as_const(chain)) {
            const char *data = nullptr;
            if (!sectorBytes(sector, sectorSize(), &data))
                return false;
            out->append(data, sectorSize());
        }
        return true;
    }

    bool readDirectory()
    {
        if (!readChainBytes(read32(bytes(), FirstDirectorySectorField), &m_directory))
            return false;
        if (m_directory.size() < directoryEntrySize || quint8(m_directory[TypeField]) != RootEntry)
            return fail(m_error, QStringLiteral("The compound document has no root entry"));
        QList<quint32> miniFatChain;
        const quint32 miniFatStart = read32(bytes(), FirstMiniFatSectorField);
        QByteArray miniFat;
        if (miniFatStart != endOfChain && miniFatStart != freeSector && !readChainBytes(miniFatStart, &miniFat))
            return false;
        m_reader.m_miniFat.reserve(miniFat.size() / 4);
        for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4)
            m_reader.m_miniFat << read32(miniFat, i);
        return true;
    }

    qint64 entrySize(qint64 entry) const
    {
        const qint64 at = entry * directoryEntrySize;
        const quint64 size = qFromLittleEndian<quint64>(m_directory.constData() + at + StreamSizeField);
        // Version 3 files keep the size in the low 32 bits; old writers left
        // garbage in the high ones.
        return m_reader.m_sectorShift == 9 ? qint64(size & 0xFFFFFFFFu) : qint64(qMin<quint64>(size, quint64(1) << 62));
    }

    bool readMiniStream()
    {
        const qint64 size = entrySize(0);
        if (size == 0)
            return true;
        if (size > bytes().size())
            return fail(m_error, QStringLiteral("The mini stream of the compound document is larger than the file"));
        QByteArray stream;
        if (!readChainBytes(read32(m_directory, StartSectorField), &stream))
            return false;
        if (stream.size() < size)
            return fail(m_error, QStringLiteral("The mini stream of the compound document is cut short"));
        stream.truncate(size);
        m_reader.m_miniStream = stream;
        return true;
    }

    QString entryName(qint64 entry) const
    {
        const qint64 at = entry * directoryEntrySize;
        const int length = qMin<int>(read16(m_directory, at + NameLengthField), 64) / 2;
        QString name;
        for (int i = 0; i < length; ++i) {
            const char16_t unit = read16(m_directory, at + NameField + 2 * i);
            if (unit == 0)
                break;
            name.append(QChar(unit));
        }
        return name;
    }

    // Lists the children of each storage in name order (an in-order walk of
    // its sibling tree), storages after their parents. An entry reached twice
    // means the tree has a cycle.
    bool listEntries()
    {
        const qint64 entryCount = m_directory.size() / directoryEntrySize;
        QBitArray seen{qsizetype(entryCount)};
        seen.setBit(0);
        QList<std::pair<quint32, QString>> storages{{0, QString()}};
        for (qsizetype next = 0; next < storages.size(); ++next) {
            const auto [storage, prefix] = storages[next];
            QList<quint32> stack;
            quint32 node = read32(m_directory, storage * directoryEntrySize + ChildField);
            while (node != noStream || !stack.isEmpty()) {
                while (node != noStream) {
                    if (node >= entryCount || seen.testBit(qsizetype(node)))
                        return fail(m_error, QStringLiteral("The directory of the compound document is damaged"));
                    seen.setBit(qsizetype(node));
                    stack << node;
                    node = read32(m_directory, node * directoryEntrySize + LeftSiblingField);
                }
                node = stack.takeLast();
                if (!addEntry(node, prefix, &storages))
                    return false;
                node = read32(m_directory, node * directoryEntrySize + RightSiblingField);
            }
        }
        return true;
    }

    bool addEntry(quint32 entry, const QString &prefix, QList<std::pair<quint32, QString>> *storages)
    {
        const quint8 type = quint8(m_directory[entry * directoryEntrySize + TypeField]);
        if (type != StorageEntry && type != StreamEntry)
            return true; // an unused slot linked into the tree holds nothing
        CompoundFileReader::Entry item;
        item.path = prefix + entryName(entry);
        item.isStream = type == StreamEntry;
        CompoundFileReader::Location location;
        if (item.isStream) {
            item.size = entrySize(entry);
            location.startSector = read32(m_directory, entry * directoryEntrySize + StartSectorField);
            location.inMiniStream = item.size < miniStreamCutoff;
            const qint64 room = location.inMiniStream ? m_reader.m_miniStream.size() : bytes().size();
            if (item.size > room)
                return fail(m_error, QStringLiteral("Stream \"%1\" is larger than its container").arg(item.path));
        } else {
            *storages << std::pair{entry, item.path + u'/'};
        }
        m_reader.m_entries << item;
        m_reader.m_locations << location;
        return true;
    }

    CompoundFileReader &m_reader;
    QString *m_error;
    qint64 m_sectorCount = 0;
    QByteArray m_directory;
};

std::optional<CompoundFileReader> CompoundFileReader::open(const QByteArray &bytes, QString *error)
{
    CompoundFileReader reader;
    reader.m_bytes = bytes;
    if (!CompoundFileParser(reader, error).parse())
        return std::nullopt;
    return reader;
}

bool CompoundFileReader::hasSignature(const QByteArray &bytes)
{
    return bytes.size() >= qsizetype(sizeof signature) && std::memcmp(bytes.constData(), signature, sizeof signature) == 0;
}

QStringList CompoundFileReader::streamPaths() const
{
    QStringList paths;
    for (const Entry &entry : m_entries) {
        if (entry.isStream)
            paths << entry.path;
    }
    return paths;
}

int CompoundFileReader::indexOf(const QString &path) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].isStream && m_entries[i].path.compare(path, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<QByteArray> CompoundFileReader::stream(const QString &path, QString *error) const
{
    const int index = indexOf(path);
    if (index < 0) {
        fail(error, QStringLiteral("The compound document has no stream \"%1\"").arg(path));
        return std::nullopt;
    }
    const qint64 size = m_entries[index].size;
    const Location location = m_locations[index];
    const QList<quint32> &table = location.inMiniStream ? m_miniFat : m_fat;
    const qint64 unit = location.inMiniStream ? 64 : (qint64(1) << m_sectorShift);
    const QByteArray &source = location.inMiniStream ? m_miniStream : m_bytes;
    const qint64 base = location.inMiniStream ? 0 : unit;
    QByteArray out;
    out.reserve(size);
    QBitArray seen{qsizetype(table.size())};
    quint32 sector = location.startSector;
    while (out.size() < size) {
        if (sector >= quint32(table.size()) || seen.testBit(qsizetype(sector))) {
            fail(error, QStringLiteral("The sector chain of stream \"%1\" loops or ends early").arg(path));
            return std::nullopt;
        }
        seen.setBit(qsizetype(sector));
        const qint64 offset = base + qint64(sector) * unit;
        const qint64 length = qMin(unit, size - out.size());
        if (offset + length > source.size()) {
            fail(error, QStringLiteral("Stream \"%1\" leaves the compound document").arg(path));
            return std::nullopt;
        }
        out.append(source.constData() + offset, length);
        sector = table[sector];
    }
    return out;
}
