#include "PackageParts.h"

#include "platform/Failure.h"
#include "platform/XmlRead.h"

bool PackageParts::open(const QString &archivePath, QString *error, const ZipArchive::Limits &limits)
{
    m_entries.clear();
    m_checked.clear();
    if (!m_archive.open(archivePath, error, limits))
        return false;
    const std::vector<ZipReader::Entry> &entries = m_archive.entries();
    m_checked.assign(entries.size(), false);
    // Part names are unique whatever their letter case; readers differ on
    // which of two entries of one name they take, so such a package is damaged.
    for (qsizetype i = 0; i < qsizetype(entries.size()); ++i) {
        const ZipReader::Entry &entry = entries[size_t(i)];
        if (entry.isFolder)
            continue;
        const QString key = entry.path.toLower();
        if (m_entries.contains(key)) {
            m_entries.clear();
            return fail(error, QStringLiteral("'%1' is damaged: it holds the part '%2' twice")
                                   .arg(archivePath, entry.path));
        }
        m_entries.insert(key, i);
    }
    return true;
}

const ZipReader::Entry *PackageParts::find(const QString &partName) const
{
    const auto it = m_entries.constFind(partName.toLower());
    return it == m_entries.constEnd() ? nullptr : &m_archive.entries()[size_t(it.value())];
}

std::optional<QString> PackageParts::storedName(const QString &partName) const
{
    const ZipReader::Entry *entry = find(partName);
    return entry ? std::optional<QString>(entry->path) : std::nullopt;
}

std::optional<qint64> PackageParts::size(const QString &partName) const
{
    const ZipReader::Entry *entry = find(partName);
    return entry ? std::optional<qint64>(entry->size) : std::nullopt;
}

bool PackageParts::readInto(const ZipReader::Entry &entry, char *buffer, QString *error) const
{
    if (!m_archive.read(entry, buffer, error))
        return false;
    m_checked[size_t(&entry - m_archive.entries().data())] = true;
    return true;
}

std::optional<QByteArray> PackageParts::read(const QString &partName, QString *error) const
{
    const ZipReader::Entry *entry = find(partName);
    if (!entry) {
        if (error)
            *error = partName + QStringLiteral(": no such part");
        return std::nullopt;
    }
    QByteArray bytes(entry->size, Qt::Uninitialized);
    QString reason;
    if (readInto(*entry, bytes.data(), &reason))
        return bytes;
    if (error)
        *error = partName + QStringLiteral(": ") + reason;
    return std::nullopt;
}

bool PackageParts::loadXml(pugi::xml_document &doc, const QString &partName, QString *error, ReadBudget *budget) const
{
    const ZipReader::Entry *entry = find(partName);
    if (!entry) {
        if (error)
            *error = partName + QStringLiteral(": no such part");
        return false;
    }
    // The document takes the buffer over and parses it where it lies, so the
    // part's bytes are held once, not copied.
    const size_t size = size_t(entry->size);
    qint64 taken = 0;
    auto take = [&](qint64 bytes) {
        if (budget && !budget->take(bytes))
            return false;
        taken += bytes;
        return true;
    };
    void *buffer = nullptr;
    QString reason;
    if (!take(qint64(size))) {
        reason = budget->ranOutMessage();
    } else if (!(buffer = pugi::get_memory_allocation_function()(size > 0 ? size : 1))) {
        reason = QStringLiteral("out of memory");
    } else if (!readInto(*entry, static_cast<char *>(buffer), &reason)) {
        pugi::get_memory_deallocation_function()(buffer);
    } else if (!take(XmlRead::treeBytes(static_cast<const char *>(buffer), size) - qint64(size))) {
        pugi::get_memory_deallocation_function()(buffer);
        reason = budget->ranOutMessage();
    } else if (XmlRead::loadOwnedBuffer(doc, buffer, size, &reason)) {
        return true;
    }
    if (budget)
        budget->giveBack(taken);
    if (error)
        *error = partName + QStringLiteral(": ") + reason;
    return false;
}

bool PackageParts::checkUnreadParts(QString *error) const
{
    const std::vector<ZipReader::Entry> &entries = m_archive.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (m_checked[i] || entries[i].isFolder)
            continue;
        if (!m_archive.stream(entries[i], [](const char *, qint64) { return true; }, error))
            return false;
        m_checked[i] = true;
    }
    return true;
}
