#include "spreadsheet/engine/xlsx/XlsxReader.h"

#include "spreadsheet/engine/xlsx/XlsxNames.h"
#include "spreadsheet/engine/xlsx/XlsxNodes.h"
#include "spreadsheet/engine/xlsx/XlsxStylesReader.h"
#include "spreadsheet/engine/xlsx/XlsxWorksheetReader.h"
#include "spreadsheet/engine/xlsx/XmlPieces.h"
#include "platform/package/PackageParts.h"
#include "platform/package/PackagePath.h"
#include "platform/package/PackageRelationships.h"

#include <QHash>
#include <QUuid>

namespace {

struct SheetEntry {
    QString name;
    QString sheetId;
    QString rId;
};

class PackageReader
{
public:
    PackageReader(const PackageParts &parts, ExcelError *error)
        : m_parts(parts), m_error(error)
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

    bool load(pugi::xml_document &doc, const QString &partName)
    {
        QString message;
        return m_parts.loadXml(doc, partName, &message) || fail(0, message);
    }

    // Loads an optional part; true with an empty `doc` when it is missing.
    bool loadOptional(pugi::xml_document &doc, const QString &partName)
    {
        return !m_parts.contains(partName) || load(doc, partName);
    }

    bool readSharedStrings()
    {
        if (!m_parts.contains(XlsxNames::sharedStringsPart))
            return true;
        QString message;
        std::optional<QByteArray> part = m_parts.read(XlsxNames::sharedStringsPart, &message);
        if (!part)
            return fail(0, message);
        if (const auto pieces = XmlPieces::find(*part, XmlPieces::Container::Root, "sst", "si",
                                                  XmlPieces::defaultPieceSize)) {
            pugi::xml_document outline;
            if (pieces->parse(*part, outline, [this](pugi::xml_node items) { appendStrings(items); }))
                return true;
            m_sharedStrings.clear();
        }
        // Read again whole, as for a worksheet.
        part.reset();
        pugi::xml_document doc;
        if (!load(doc, XlsxNames::sharedStringsPart))
            return false;
        appendStrings(doc.document_element());
        return true;
    }

    void appendStrings(pugi::xml_node items)
    {
        for (const pugi::xml_node item : items.children("si"))
            m_sharedStrings.append(XlsxNodes::stringItemText(item));
    }

    bool readStyles()
    {
        pugi::xml_document doc;
        if (!loadOptional(doc, XlsxNames::stylesPart))
            return false;
        m_cellFormats = XlsxStylesReader::cellFormats(doc.document_element());
        return true;
    }

    bool readWorkbook()
    {
        if (!m_parts.contains(XlsxNames::workbookPart))
            return fail(404, QStringLiteral("workbook.xml not found in XLSX"));
        pugi::xml_document doc;
        if (!load(doc, XlsxNames::workbookPart))
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
        pugi::xml_document doc;
        if (!loadOptional(doc, XlsxNames::workbookRelationshipsPart))
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
        QHash<QString, ExcelSheet> readParts; // by stored part name
        for (const SheetEntry &entry : std::as_const(m_entries)) {
            const auto partName = sheetPart(entry);
            const auto file = partName ? m_parts.storedName(*partName) : std::nullopt;
            if (!file)
                continue;
            // A part that several sheets list is read once; the sheets share
            // its grids, so listing one large part many times costs nothing.
            if (const auto read = readParts.constFind(*file); read != readParts.cend()) {
                ExcelSheet sheet = *read;
                sheet.id = QUuid::createUuid();
                sheet.name = entry.name;
                sheets.append(std::move(sheet));
                continue;
            }
            std::optional<ExcelSheet> sheet = readSheet(*partName, entry.name);
            if (!sheet)
                return std::nullopt;
            sheets.append(std::move(*sheet));
            readParts.insert(*file, sheets.last());
        }
        if (!withinTextBudget(sheets))
            return std::nullopt;
        if (sheets.isEmpty()) {
            fail(500, QStringLiteral("No sheets imported"));
            return std::nullopt;
        }
        return sheets;
    }

    std::optional<ExcelSheet> readSheet(const QString &partName, const QString &name)
    {
        QString message;
        std::optional<QByteArray> part = m_parts.read(partName, &message);
        if (!part) {
            fail(0, message);
            return std::nullopt;
        }
        if (auto sheet = XlsxWorksheetReader::readInPieces(*part, name, m_sharedStrings, m_cellFormats))
            return sheet;
        // Read again whole: the pieces were parsed in place, and the whole
        // tree says what is wrong with a part that is not well-formed.
        part.reset();
        pugi::xml_document doc;
        if (!load(doc, partName))
            return std::nullopt;
        return XlsxWorksheetReader::read(doc.document_element(), name, m_sharedStrings, m_cellFormats);
    }

    // Cells may share one long text for free while reading, but every save
    // writes it once per cell; a workbook too large to save is refused here.
    bool withinTextBudget(const QList<ExcelSheet> &sheets)
    {
        qint64 length = 0;
        for (const ExcelSheet &sheet : sheets) {
            for (qsizetype r = 0; r < sheet.cells.size(); ++r) {
                for (qsizetype c = 0; c < sheet.cells[r].size(); ++c) {
                    const QString &raw = sheet.cells[r][c];
                    length += raw.size();
                    if (raw.startsWith(u'='))
                        length += sheet.evaluatedCells[r][c].size();
                }
            }
            if (length > XlsxReader::maxTextLength)
                return fail(0, QStringLiteral("The workbook holds more text than %1 MiB")
                                   .arg(XlsxReader::maxTextLength >> 20));
        }
        return true;
    }

    const PackageParts &m_parts;
    ExcelError *m_error;
    QStringList m_sharedStrings;
    QList<CellStyle> m_cellFormats;
    QList<SheetEntry> m_entries;
    PackageRelationships m_relationships;
};

} // namespace

std::optional<QList<ExcelSheet>> XlsxReader::read(const QString &path, ExcelError *error)
{
    PackageParts parts;
    QString message;
    if (!parts.open(path, &message)) {
        reportFailure(error, excelError(0, message));
        return std::nullopt;
    }
    std::optional<QList<ExcelSheet>> sheets = PackageReader(parts, error).read();
    if (sheets && !parts.checkUnreadParts(&message)) {
        reportFailure(error, excelError(0, message));
        return std::nullopt;
    }
    return sheets;
}
