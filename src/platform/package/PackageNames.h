#pragma once

#include <QString>

// The names every Office Open XML package shares, whatever its format: the
// package relationships part, the relationships namespace and types, and the
// content types of relationship and plain XML parts.
namespace PackageNames {

inline const QString packageRelationshipsPart = QStringLiteral("_rels/.rels");

inline const QString relationshipsNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// "<relationships namespace>/<word>", e.g. relationshipType("styles").
inline QString relationshipType(const QString &word) { return relationshipsNamespace + u'/' + word; }

inline const QString officeDocumentType = relationshipType(QStringLiteral("officeDocument"));

inline const QString relationshipsContentType =
    QStringLiteral("application/vnd.openxmlformats-package.relationships+xml");
inline const QString xmlContentType = QStringLiteral("application/xml");

} // namespace PackageNames
