#include "XlsxReader.h"

#include "XlsxNames.h"
#include "XlsxNodes.h"
#include "XlsxPackagePaths.h"
#include "XlsxStylesReader.h"
#include "XlsxWorksheetReader.h"
#include "platform/TemporaryFolder.h"
#include "platform/XmlRead.h"
#include "platform/ZipArchive.h"

#include <QFile>
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
    PackageReader(const QString &folder, ExcelError *error)
        : m_paths(folder), m_error(error)
    {
    }

    std::optional<QList<ExcelSheet>> read()
    {
        if (!readSharedStrings() || !readStyles() || !readWorkbook() || !readRelationships())
            return std::nullopt;
        return readSheets();
    }

private:
    bool fail(int code, const QString &message)
    {
        if (m_error)
            *m_error = {code, message};
        return false;
    }

    bool load(pugi::xml_document &doc, const QString &file, const QString &partName)
    {
        QFile input(file);
        if (!input.open(QIODevice::ReadOnly))
            return fail(0, partName + QStringLiteral(": ") + input.errorString());
        QString message;
        if (!XmlRead::loadBytes(doc, input.readAll(), &message))
            return fail(0, partName + QStringLiteral(": ") + message);
        return true;
    }

    // Loads an optional part; true with an empty `doc` when it is missing.
    bool loadOptional(pugi::xml_document &doc, const QString &partName)
    {
        const auto file = m_paths.filePath(partName);
        return !file || load(doc, *file, partName);
    }

    bool readSharedStrings()
    {
        pugi::xml_document doc;
        if (!loadOptional(doc, XlsxNames::sharedStringsPart))
            return false;
        for (const pugi::xml_node item : doc.document_element().children("si"))
            m_sharedStrings.append(XlsxNodes::stringItemText(item));
        return true;
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
        const auto workbook = m_paths.filePath(XlsxNames::workbookPart);
        if (!workbook)
            return fail(404, QStringLiteral("workbook.xml not found in XLSX"));
        pugi::xml_document doc;
        if (!load(doc, *workbook, XlsxNames::workbookPart))
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
        for (const pugi::xml_node relationship : doc.document_element().children("Relationship")) {
            const pugi::xml_attribute id = relationship.attribute("Id");
            const pugi::xml_attribute target = relationship.attribute("Target");
            if (!id || !target)
                continue;
            // An external target is no part of this package.
            if (XlsxNodes::attribute(relationship, "TargetMode") == QLatin1String("External"))
                continue;
            m_targets.insert(QString::fromUtf8(id.value()), QString::fromUtf8(target.value()));
        }
        return true;
    }

    std::optional<QList<ExcelSheet>> readSheets()
    {
        QList<ExcelSheet> sheets;
        QHash<QString, ExcelSheet> readParts; // by file
        for (const SheetEntry &entry : std::as_const(m_entries)) {
            const QString target =
                m_targets.value(entry.rId, QStringLiteral("worksheets/sheet") + entry.sheetId + QStringLiteral(".xml"));
            const auto partName = XlsxPackagePaths::resolveTarget(target);
            const auto file = partName ? m_paths.filePath(*partName) : std::nullopt;
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
            pugi::xml_document doc;
            if (!load(doc, *file, *partName))
                return std::nullopt;
            sheets.append(XlsxWorksheetReader::read(doc.document_element(), entry.name,
                                                    m_sharedStrings, m_cellFormats));
            readParts.insert(*file, sheets.last());
        }
        if (sheets.isEmpty()) {
            fail(500, QStringLiteral("No sheets imported"));
            return std::nullopt;
        }
        return sheets;
    }

    XlsxPackagePaths m_paths;
    ExcelError *m_error;
    QStringList m_sharedStrings;
    QList<CellStyle> m_cellFormats;
    QList<SheetEntry> m_entries;
    QHash<QString, QString> m_targets;
};

} // namespace

std::optional<QList<ExcelSheet>> XlsxReader::read(const QString &path, ExcelError *error)
{
    const TemporaryFolder folder;
    if (!folder.isValid()) {
        if (error)
            *error = {0, QStringLiteral("Cannot create a temporary folder")};
        return std::nullopt;
    }
    QString message;
    if (!ZipArchive::unzipToFolder(path, folder.path(), &message)) {
        if (error)
            *error = {0, message};
        return std::nullopt;
    }
    return PackageReader(folder.path(), error).read();
}
