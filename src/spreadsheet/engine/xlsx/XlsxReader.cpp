#include "spreadsheet/engine/xlsx/XlsxReader.h"

#include "spreadsheet/engine/xlsx/XlsxNames.h"
#include "spreadsheet/engine/xlsx/XlsxNodes.h"
#include "spreadsheet/engine/xlsx/XlsxStylesReader.h"
#include "spreadsheet/engine/xlsx/XlsxWorksheetReader.h"
#include "spreadsheet/engine/xlsx/XmlPieces.h"
#include "platform/package/EncryptedPackage.h"
#include "platform/package/PackageParts.h"
#include "platform/package/PackagePath.h"
#include "platform/package/PackageRelationships.h"

#include <QFileInfo>
#include <QHash>
#include <QUuid>

namespace {

struct SheetEntry {
    QString name;
    QString sheetId;
    QString rId;
};

// The memory a part's bytes and tree take while it is read, given back on
// every way out once it is dropped (what is made from it stays taken).
class PartMemory
{
public:
    explicit PartMemory(XlsxReadBudget &budget) : m_budget(budget) {}
    ~PartMemory() { m_budget.giveBackMemory(m_bytes); }
    PartMemory(const PartMemory &) = delete;
    PartMemory &operator=(const PartMemory &) = delete;

    // What the budget took since it stood at `used`.
    void holdSince(qint64 used) { m_bytes += m_budget.memory().used() - used; }

private:
    XlsxReadBudget &m_budget;
    qint64 m_bytes = 0;
};

qsizetype childCount(pugi::xml_node parent, const char *name)
{
    qsizetype count = 0;
    for (pugi::xml_node child = parent.child(name); child; child = child.next_sibling(name))
        ++count;
    return count;
}

class PackageReader
{
public:
    PackageReader(const PackageParts &parts, XlsxReadBudget &budget, const QString &path, ExcelError *error)
        : m_parts(parts), m_budget(budget), m_path(path), m_error(error)
    {
    }

    std::optional<QList<ExcelSheet>> read()
    {
        if (!readSharedStrings() || !readStyles() || !readWorkbook() || !readRelationships())
            return std::nullopt;
        return readSheets();
    }

private:
    bool fail(int code, const QString &message) { return reportFailure(m_error, excelError(code, message)); }

    bool failTooLarge()
    {
        return fail(0, QStringLiteral("%1 is too large to open: %2").arg(m_path, m_budget.ranOutMessage()));
    }

    // The part's bytes and tree are held in `memory` while `doc` lives.
    bool load(pugi::xml_document &doc, const QString &partName, PartMemory &memory)
    {
        QString message;
        const qint64 used = m_budget.memory().used();
        const bool loaded = m_parts.loadXml(doc, partName, &message, &m_budget.memory());
        memory.holdSince(used);
        if (loaded)
            return true;
        return m_budget.ranOut() ? failTooLarge() : fail(0, message);
    }

    // The part's bytes, held in `memory` at the size its entry declares
    // before they are read.
    std::optional<QByteArray> readPart(const QString &partName, PartMemory &memory)
    {
        const qint64 used = m_budget.memory().used();
        const bool fits = m_budget.takeMemory(m_parts.size(partName).value_or(0));
        memory.holdSince(used);
        if (!fits) {
            failTooLarge();
            return std::nullopt;
        }
        QString message;
        std::optional<QByteArray> part = m_parts.read(partName, &message);
        if (!part)
            fail(0, message);
        return part;
    }

    // Loads an optional part; true with an empty `doc` when it is missing.
    bool loadOptional(pugi::xml_document &doc, const QString &partName, PartMemory &memory)
    {
        return !m_parts.contains(partName) || load(doc, partName, memory);
    }

    // Each string read stays taken from the budget; the part is given back.
    bool readSharedStrings()
    {
        if (!m_parts.contains(XlsxNames::sharedStringsPart))
            return true;
        {
            PartMemory memory(m_budget);
            std::optional<QByteArray> part = readPart(XlsxNames::sharedStringsPart, memory);
            if (!part)
                return false;
            if (const auto pieces = XmlPieces::find(*part, XmlPieces::Container::Root, "sst", "si",
                                                      XmlPieces::defaultPieceSize)) {
                const qint64 used = m_budget.memory().used();
                const bool fits = m_budget.takeMemory(pieces->parseBytes(*part));
                memory.holdSince(used);
                if (!fits)
                    return failTooLarge();
                pugi::xml_document outline;
                const bool parsed = pieces->parse(*part, outline, [this](pugi::xml_node items) { appendStrings(items); });
                if (m_budget.ranOut())
                    return failTooLarge();
                if (parsed)
                    return true;
                m_budget.giveBackMemory(m_stringBytes);
                m_stringBytes = 0;
                m_sharedStrings.clear();
            }
        }
        // Read again whole, as for a worksheet.
        PartMemory memory(m_budget);
        pugi::xml_document doc;
        if (!load(doc, XlsxNames::sharedStringsPart, memory))
            return false;
        appendStrings(doc.document_element());
        return !m_budget.ranOut() || failTooLarge();
    }

    // Each string is taken from the budget before the next is read.
    void appendStrings(pugi::xml_node items)
    {
        for (pugi::xml_node item = items.child("si"); item && !m_budget.ranOut(); item = item.next_sibling("si")) {
            QString text = XlsxNodes::stringItemText(item);
            const qint64 bytes = qint64(sizeof(QString)) + XlsxReadBudget::newTextBytes(text);
            if (!m_budget.takeMemory(bytes))
                return;
            m_stringBytes += bytes;
            m_sharedStrings.append(std::move(text));
        }
    }

    bool readStyles()
    {
        PartMemory memory(m_budget);
        pugi::xml_document doc;
        if (!loadOptional(doc, XlsxNames::stylesPart, memory))
            return false;
        // The formats are kept; the fonts and fills only while they are read.
        const pugi::xml_node styleSheet = doc.document_element();
        const qsizetype entries = childCount(styleSheet.child("cellXfs"), "xf")
                                  + childCount(styleSheet.child("fonts"), "font")
                                  + childCount(styleSheet.child("fills"), "fill");
        if (!m_budget.takeMemory(qint64(entries) * qint64(sizeof(CellStyle))))
            return failTooLarge();
        m_cellFormats = XlsxStylesReader::cellFormats(styleSheet);
        return true;
    }

    bool readWorkbook()
    {
        if (!m_parts.contains(XlsxNames::workbookPart))
            return fail(404, QStringLiteral("workbook.xml not found in XLSX"));
        PartMemory memory(m_budget);
        pugi::xml_document doc;
        if (!load(doc, XlsxNames::workbookPart, memory))
            return false;
        for (const pugi::xml_node sheet : doc.document_element().child("sheets").children("sheet")) {
            const pugi::xml_attribute name = sheet.attribute("name");
            const pugi::xml_attribute sheetId = sheet.attribute("sheetId");
            pugi::xml_attribute rId = sheet.attribute("r:id");
            if (!rId)
                rId = sheet.attribute("id");
            if (!name || !sheetId || !rId)
                continue;
            if (m_entries.size() == XlsxReader::maxSheetCount)
                return fail(0, QStringLiteral("Too many sheets in XLSX (more than %1)")
                                   .arg(XlsxReader::maxSheetCount));
            m_entries.append({QString::fromUtf8(name.value()), QString::fromUtf8(sheetId.value()),
                              QString::fromUtf8(rId.value())});
        }
        return true;
    }

    bool readRelationships()
    {
        PartMemory memory(m_budget);
        pugi::xml_document doc;
        if (!loadOptional(doc, XlsxNames::workbookRelationshipsPart, memory))
            return false;
        m_relationships = PackageRelationships::fromXml(doc.document_element());
        return true;
    }

    // The part a sheet's relationship names; a sheet without one (or with an
    // external one) falls back to "worksheets/sheet<sheetId>.xml".
    std::optional<QString> sheetPart(const SheetEntry &entry) const
    {
        const PackageRelationship *relationship = m_relationships.find(entry.rId);
        const QString target = relationship && !relationship->external
                                   ? relationship->target
                                   : QStringLiteral("worksheets/sheet") + entry.sheetId + QStringLiteral(".xml");
        return PackagePath::resolveTarget(XlsxNames::workbookPart, target);
    }

    std::optional<QList<ExcelSheet>> readSheets()
    {
        QList<ExcelSheet> sheets;
        QHash<QString, std::pair<ExcelSheet, qint64>> readParts; // by stored part name, with its text units
        for (const SheetEntry &entry : std::as_const(m_entries)) {
            const auto partName = sheetPart(entry);
            const auto file = partName ? m_parts.storedName(*partName) : std::nullopt;
            if (!file)
                continue;
            // A part that several sheets list is read once; the sheets share
            // its grids, so listing one large part many times costs no
            // memory, but every save writes each sheet's text.
            if (const auto read = readParts.constFind(*file); read != readParts.cend()) {
                if (!m_budget.takeText(read->second)) {
                    failTooLarge();
                    return std::nullopt;
                }
                ExcelSheet sheet = read->first;
                sheet.id = QUuid::createUuid();
                sheet.name = entry.name;
                sheets.append(std::move(sheet));
                continue;
            }
            qint64 textUnits = 0;
            std::optional<ExcelSheet> sheet = readSheet(*partName, entry.name, &textUnits);
            if (!sheet)
                return std::nullopt;
            sheets.append(std::move(*sheet));
            readParts.insert(*file, {sheets.last(), textUnits});
        }
        if (sheets.isEmpty()) {
            fail(500, QStringLiteral("No sheets imported"));
            return std::nullopt;
        }
        return sheets;
    }

    std::optional<ExcelSheet> readSheet(const QString &partName, const QString &name, qint64 *textUnits)
    {
        std::optional<ExcelSheet> sheet = readSheetOnce(partName, name, textUnits);
        if (!sheet && m_budget.ranOut())
            failTooLarge();
        return sheet;
    }

    std::optional<ExcelSheet> readSheetOnce(const QString &partName, const QString &name, qint64 *textUnits)
    {
        {
            PartMemory memory(m_budget);
            std::optional<QByteArray> part = readPart(partName, memory);
            if (!part)
                return std::nullopt;
            const XlsxReadBudget::Usage before = m_budget.usage();
            auto sheet = XlsxWorksheetReader::readInPieces(*part, name, m_sharedStrings, m_cellFormats, m_budget,
                                                           textUnits);
            if (sheet || m_budget.ranOut())
                return sheet;
            m_budget.returnTo(before); // what the pieces read before one failed
        }
        // Read again whole: the pieces were parsed in place, and the whole
        // tree says what is wrong with a part that is not well-formed.
        PartMemory memory(m_budget);
        pugi::xml_document doc;
        if (!load(doc, partName, memory))
            return std::nullopt;
        return XlsxWorksheetReader::read(doc.document_element(), name, m_sharedStrings, m_cellFormats, m_budget,
                                         textUnits);
    }

    const PackageParts &m_parts;
    XlsxReadBudget &m_budget;
    const QString m_path;
    ExcelError *m_error;
    QStringList m_sharedStrings;
    qint64 m_stringBytes = 0; // taken for the shared strings
    QList<CellStyle> m_cellFormats;
    QList<SheetEntry> m_entries;
    PackageRelationships m_relationships;
};

} // namespace

std::optional<QList<ExcelSheet>> XlsxReader::read(const QString &path, ExcelError *error,
                                                  const XlsxReadLimits &limits)
{
    PackageParts parts;
    QString message;
    if (!parts.open(path, &message)) {
        // A package saved with a password is no ZIP archive, but no damage either.
        if (EncryptedPackage::fileIsEncrypted(path))
            message = EncryptedPackage::refusal(path);
        reportFailure(error, excelError(0, message));
        return std::nullopt;
    }
    XlsxReadBudget budget(QFileInfo(path).size(), limits);
    std::optional<QList<ExcelSheet>> sheets = PackageReader(parts, budget, path, error).read();
    if (sheets && !parts.checkUnreadParts(&message)) {
        reportFailure(error, excelError(0, message));
        return std::nullopt;
    }
    return sheets;
}
