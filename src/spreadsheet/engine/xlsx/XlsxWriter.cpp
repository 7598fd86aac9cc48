#include "spreadsheet/engine/xlsx/XlsxWriter.h"

#include "spreadsheet/engine/xlsx/XlsxNames.h"
#include "spreadsheet/engine/xlsx/XlsxStyleTable.h"
#include "spreadsheet/engine/xlsx/XlsxWorksheetWriter.h"
#include "platform/XmlElement.h"
#include "platform/package/FixedPartText.h"
#include "platform/package/PackageContentTypes.h"
#include "platform/package/InMemoryPackage.h"
#include "platform/package/PackageRelationships.h"

#include <QFileInfo>

namespace {

QString treeText(const XmlElement &root)
{
    return XmlText::declaration(QStringLiteral("utf-8"), QStringLiteral("no")) + u'\n'
           + root.toIndentedString();
}

} // namespace

XlsxWriter::XlsxWriter(const QList<ExcelSheet> &sheets, XlsxPackageKind kind)
    : m_sheets(sheets), m_kind(kind)
{
}

XlsxPackageKind XlsxWriter::kindForPath(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("xltx"), Qt::CaseInsensitive) == 0
               ? XlsxPackageKind::Template
               : XlsxPackageKind::Workbook;
}

bool XlsxWriter::write(const QString &path, ExcelError *error) const
{
    InMemoryPackage package;
    QString message;
    if (!writeParts(package, &message) || !package.zipTo(path, ZipArchive::Compression::Stored, &message)) {
        reportFailure(error, excelError(0, message));
        return false;
    }
    return true;
}

bool XlsxWriter::writeParts(InMemoryPackage &package, QString *error) const
{
    if (!package.writePart(PackageContentTypes::partName, contentTypes(), error)
        || !package.writePart(PackageNames::packageRelationshipsPart, packageRelationships(), error)
        || !package.writePart(XlsxNames::workbookPart, workbook(), error)
        || !package.writePart(XlsxNames::workbookRelationshipsPart, workbookRelationships(), error))
        return false;
    const XlsxStyleTable styles(m_sheets);
    for (int i = 0; i < m_sheets.size(); ++i) {
        if (!package.writePart(QStringLiteral("xl/") + XlsxNames::worksheetTarget(i + 1),
                               XlsxWorksheetWriter::toPart(m_sheets[i], styles.styledCells(i)), error))
            return false;
    }
    return package.writePart(XlsxNames::stylesPart, treeText(styles.toElement()), error);
}

QString XlsxWriter::contentTypes() const
{
    PackageContentTypes types;
    types.addDefault(QStringLiteral("rels"), PackageNames::relationshipsContentType);
    types.addDefault(QStringLiteral("xml"), PackageNames::xmlContentType);
    types.addOverride(XlsxNames::workbookPart, m_kind == XlsxPackageKind::Template ? XlsxNames::templateContentType
                                                                                  : XlsxNames::workbookContentType);
    for (int n = 1; n <= m_sheets.size(); ++n)
        types.addOverride(QStringLiteral("xl/") + XlsxNames::worksheetTarget(n), XlsxNames::worksheetContentType);
    types.addOverride(XlsxNames::stylesPart, XlsxNames::stylesContentType);
    return types.toFixedText();
}

QString XlsxWriter::packageRelationships() const
{
    PackageRelationships relationships;
    relationships.add(PackageNames::officeDocumentType, XlsxNames::workbookPart);
    return relationships.toFixedText();
}

QString XlsxWriter::workbook() const
{
    FixedPartText part(QStringLiteral("workbook"), XlsxNames::mainNamespace,
                       {{QStringLiteral("xmlns:r"), PackageNames::relationshipsNamespace}});
    part.line(4, QStringLiteral("<sheets>"));
    for (int n = 1; n <= m_sheets.size(); ++n) {
        part.emptyElement(8, QStringLiteral("sheet"),
                          {{QStringLiteral("name"), m_sheets[n - 1].name},
                           {QStringLiteral("sheetId"), QString::number(n)},
                           {QStringLiteral("r:id"), QStringLiteral("rId%1").arg(n)}});
    }
    part.line(4, QStringLiteral("</sheets>"));
    return part.finish();
}

// Sheet n is "rId<n>" (the workbook names it so), the styles come last.
QString XlsxWriter::workbookRelationships() const
{
    PackageRelationships relationships;
    for (int n = 1; n <= m_sheets.size(); ++n)
        relationships.add(XlsxNames::worksheetType, XlsxNames::worksheetTarget(n));
    relationships.add(XlsxNames::stylesType, QStringLiteral("styles.xml"));
    return relationships.toFixedText();
}
