#include "CompoundFileWriter.h"

#include "CompoundFileLayout.h"

#include <QtEndian>

#include <algorithm>

using namespace CompoundFileLayout;

namespace {

constexpr qint64 sectorSize = 512;
constexpr qint64 miniSectorSize = 64;
constexpr qint64 fatEntriesPerSector = sectorSize / 4;

void put16(QByteArray &bytes, qint64 at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

void put32(QByteArray &bytes, qint64 at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

qint64 sectorsFor(qint64 size, qint64 unit)
{
    return (size + unit - 1) / unit;
}

// The container's own order of sibling names: shorter first, then by
// upper-cased UTF-16 units.
bool nameLess(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    return a.toUpper() < b.toUpper();
}

// Appends a chain of `count` sectors starting at `first` to `table`.
void appendChain(QList<quint32> &table, quint32 first, qint64 count)
{
    for (qint64 i = 0; i < count; ++i)
        table << (i + 1 == count ? endOfChain : quint32(first + i + 1));
}

struct TreeNode {
    quint32 left = noStream;
    quint32 right = noStream;
    bool red = false;
};

// Makes a balanced tree of the sorted ids [from, to) and returns its root.
// Nodes on the deepest level are red, all others black, which keeps every
// path's count of black nodes equal.
quint32 buildTree(QList<TreeNode> &nodes, const QList<quint32> &ids, qsizetype from, qsizetype to, int depth,
                  int deepest)
{
    if (from >= to)
        return noStream;
    const qsizetype middle = from + (to - from) / 2;
    TreeNode &node = nodes[ids[middle]];
    node.red = depth == deepest && deepest > 0;
    const quint32 left = buildTree(nodes, ids, from, middle, depth + 1, deepest);
    const quint32 right = buildTree(nodes, ids, middle + 1, to, depth + 1, deepest);
    nodes[ids[middle]].left = left;
    nodes[ids[middle]].right = right;
    return ids[middle];
}

int treeDepth(qsizetype count)
{
    int depth = -1;
    while (count > 0) {
        count /= 2;
        ++depth;
    }
    return depth;
}

} // namespace

bool CompoundFileWriter::addStream(const QString &name, const QByteArray &bytes)
{
    if (name.isEmpty() || name.size() > maxNameLength || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')) || name.contains(QLatin1Char('!')))
        return false;
    for (const Stream &stream : std::as_const(m_streams)) {
        if (stream.name.compare(name, Qt::CaseInsensitive) == 0)
            return false;
    }
    m_streams << Stream{name, bytes};
    return true;
}

void CompoundFileWriter::setRootClassId(const QByteArray &classId)
{
    if (classId.size() == 16)
        m_rootClassId = classId;
}

QByteArray CompoundFileWriter::toBytes() const
{
    // Sector order: large streams, the mini stream, the mini FAT, the
    // directory, the FAT, then any DIFAT sectors.
    QList<quint32> fat;
    QList<quint32> startSectors(m_streams.size(), endOfChain);
    QByteArray miniStream;
    QList<quint32> miniFat;
    for (qsizetype i = 0; i < m_streams.size(); ++i) {
        const QByteArray &bytes = m_streams[i].bytes;
        if (bytes.isEmpty())
            continue;
        if (bytes.size() < miniStreamCutoff) {
            startSectors[i] = quint32(miniFat.size());
            appendChain(miniFat, quint32(miniFat.size()), sectorsFor(bytes.size(), miniSectorSize));
            miniStream += bytes;
            miniStream.append(sectorsFor(miniStream.size(), miniSectorSize) * miniSectorSize - miniStream.size(), '\0');
        } else {
            startSectors[i] = quint32(fat.size());
            appendChain(fat, quint32(fat.size()), sectorsFor(bytes.size(), sectorSize));
        }
    }
    const quint32 miniStreamStart = miniStream.isEmpty() ? endOfChain : quint32(fat.size());
    appendChain(fat, quint32(fat.size()), sectorsFor(miniStream.size(), sectorSize));
    const qint64 miniFatSectors = sectorsFor(miniFat.size() * 4, sectorSize);
    const quint32 miniFatStart = miniFatSectors ? quint32(fat.size()) : endOfChain;
    appendChain(fat, quint32(fat.size()), miniFatSectors);
    const qint64 directorySectors = sectorsFor((m_streams.size() + 1) * directoryEntrySize, sectorSize);
    const quint32 directoryStart = quint32(fat.size());
    appendChain(fat, quint32(fat.size()), directorySectors);

    // The FAT and DIFAT sectors are mapped by the FAT too: grow both until
    // they cover themselves.
    qint64 fatSectors = 0;
    qint64 difatSectors = 0;
    for (;;) {
        const qint64 needed = sectorsFor(fat.size() + fatSectors + difatSectors, fatEntriesPerSector);
        const qint64 difatNeeded = needed > headerDifatEntries
                                       ? sectorsFor(needed - headerDifatEntries, fatEntriesPerSector - 1)
                                       : 0;
        if (needed == fatSectors && difatNeeded == difatSectors)
            break;
        fatSectors = needed;
        difatSectors = difatNeeded;
    }
    const quint32 fatStart = quint32(fat.size());
    for (qint64 i = 0; i < fatSectors; ++i)
        fat << fatSector;
    const quint32 difatStart = difatSectors ? quint32(fat.size()) : endOfChain;
    for (qint64 i = 0; i < difatSectors; ++i)
        fat << difatSector;
    fat.resize(fatSectors * fatEntriesPerSector, freeSector);

    QByteArray out(headerSize, '\0');
    std::copy(std::begin(signature), std::end(signature), out.begin());
    put16(out, MinorVersionField, 0x3E);
    put16(out, MajorVersionField, 3);
    put16(out, ByteOrderField, 0xFFFE);
    put16(out, SectorShiftField, 9);
    put16(out, MiniSectorShiftField, 6);
    put32(out, FatSectorCountField, quint32(fatSectors));
    put32(out, FirstDirectorySectorField, directoryStart);
    put32(out, MiniStreamCutoffField, miniStreamCutoff);
    put32(out, FirstMiniFatSectorField, miniFatStart);
    put32(out, MiniFatSectorCountField, quint32(miniFatSectors));
    put32(out, FirstDifatSectorField, difatStart);
    put32(out, DifatSectorCountField, quint32(difatSectors));
    for (int i = 0; i < headerDifatEntries; ++i)
        put32(out, HeaderDifatField + 4 * i, i < fatSectors ? fatStart + i : freeSector);

    auto appendPadded = [&out](const QByteArray &bytes) {
        out += bytes;
        out.append(sectorsFor(bytes.size(), sectorSize) * sectorSize - bytes.size(), '\0');
    };
    for (const Stream &stream : m_streams) {
        if (stream.bytes.size() >= miniStreamCutoff)
            appendPadded(stream.bytes);
    }
    appendPadded(miniStream);
    QByteArray miniFatBytes(miniFat.size() * 4, '\0');
    for (qsizetype i = 0; i < miniFat.size(); ++i)
        put32(miniFatBytes, i * 4, miniFat[i]);
    miniFatBytes.append(miniFatSectors * sectorSize - miniFatBytes.size(), '\xFF');
    out += miniFatBytes;

    // Directory: the root, then one entry per stream, unused slots after.
    QList<TreeNode> nodes(m_streams.size() + 1);
    QList<quint32> order;
    for (qsizetype i = 0; i < m_streams.size(); ++i)
        order << quint32(i + 1);
    std::sort(order.begin(), order.end(),
              [this](quint32 a, quint32 b) { return nameLess(m_streams[a - 1].name, m_streams[b - 1].name); });
    const quint32 treeRoot = buildTree(nodes, order, 0, order.size(), 0, treeDepth(order.size()));
    QByteArray directory(directorySectors * sectorSize, '\0');
    auto writeEntry = [&](qsizetype index, const QString &name, quint8 type, quint32 start, qint64 size) {
        const qint64 at = index * directoryEntrySize;
        for (qsizetype c = 0; c < name.size(); ++c)
            put16(directory, at + NameField + 2 * c, name[c].unicode());
        put16(directory, at + NameLengthField, quint16((name.size() + 1) * 2));
        directory[at + TypeField] = char(type);
        directory[at + ColorField] = char(nodes[index].red ? 0 : 1);
        put32(directory, at + LeftSiblingField, nodes[index].left);
        put32(directory, at + RightSiblingField, nodes[index].right);
        put32(directory, at + ChildField, type == RootEntry ? treeRoot : noStream);
        put32(directory, at + StartSectorField, start);
        put32(directory, at + StreamSizeField, quint32(size));
    };
    writeEntry(0, QStringLiteral("Root Entry"), RootEntry, miniStreamStart, miniStream.size());
    if (!m_rootClassId.isEmpty())
        std::copy(m_rootClassId.begin(), m_rootClassId.end(), directory.begin() + ClassIdField);
    for (qsizetype i = 0; i < m_streams.size(); ++i)
        writeEntry(i + 1, m_streams[i].name, StreamEntry, startSectors[i], m_streams[i].bytes.size());
    for (qsizetype i = m_streams.size() + 1; i * directoryEntrySize < directory.size(); ++i) {
        const qint64 at = i * directoryEntrySize;
        put32(directory, at + LeftSiblingField, noStream);
        put32(directory, at + RightSiblingField, noStream);
        put32(directory, at + ChildField, noStream);
    }
    out += directory;

    QByteArray fatBytes(fat.size() * 4, '\0');
    for (qsizetype i = 0; i < fat.size(); ++i)
        put32(fatBytes, i * 4, fat[i]);
    out += fatBytes;

    // DIFAT sectors list the FAT sectors past the header's 109, with the
    // next DIFAT sector in the last slot.
    for (qint64 d = 0; d < difatSectors; ++d) {
        QByteArray sector(sectorSize, '\xFF');
        for (qint64 slot = 0; slot < fatEntriesPerSector - 1; ++slot) {
            const qint64 fatIndex = headerDifatEntries + d * (fatEntriesPerSector - 1) + slot;
            if (fatIndex < fatSectors)
                put32(sector, slot * 4, quint32(fatStart + fatIndex));
        }
        put32(sector, sectorSize - 4, d + 1 < difatSectors ? quint32(difatStart + d + 1) : endOfChain);
        out += sector;
    }
    return out;
}
