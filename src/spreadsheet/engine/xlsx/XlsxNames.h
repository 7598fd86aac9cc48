#pragma once

#include "platform/package/PackageNames.h"

#include <QString>

// Namespaces, relationship types and content types of SpreadsheetML
// packages (ECMA-376, transitional), and the part names this system writes;
// the names every package shares are in PackageNames.
namespace XlsxNames {

inline const QString mainNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");

inline const QString worksheetType = PackageNames::relationshipType(QStringLiteral("worksheet"));
inline const QString stylesType = PackageNames::relationshipType(QStringLiteral("styles"));

inline const QString workbookContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
inline const QString templateContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml");
inline const QString worksheetContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
inline const QString stylesContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");

inline const QString workbookPart = QStringLiteral("xl/workbook.xml");
inline const QString workbookRelationshipsPart = QStringLiteral("xl/_rels/workbook.xml.rels");
inline const QString stylesPart = QStringLiteral("xl/styles.xml");
inline const QString sharedStringsPart = QStringLiteral("xl/sharedStrings.xml");

// "worksheets/sheet<N>.xml", relative to the xl folder; N is 1-based.
inline QString worksheetTarget(int number)
{
    return QStringLiteral("worksheets/sheet%1.xml").arg(number);
}

} // namespace XlsxNames
