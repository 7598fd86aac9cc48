#pragma once

#include <QString>

// Part names, namespaces, relationship types and content types of the
// presentation package.
namespace PptxNames {

inline const QString packageRelationshipsPart = QStringLiteral("_rels/.rels");
inline const QString presentationPart = QStringLiteral("ppt/presentation.xml");
inline const QString presentationRelationshipsPart = QStringLiteral("ppt/_rels/presentation.xml.rels");

inline const QString drawingNamespace = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
inline const QString relationshipsNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
inline const QString presentationNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/presentationml/2006/main");

inline const QString officeDocumentType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument");
inline const QString slideType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/slide");

inline const QString relationshipsContentType =
    QStringLiteral("application/vnd.openxmlformats-package.relationships+xml");
inline const QString xmlContentType = QStringLiteral("application/xml");
inline const QString presentationContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml");
inline const QString slideContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.presentationml.slide+xml");

// "slides/slide<n>.xml", the target from presentation.xml of slide n (1-based).
inline QString slideTarget(qsizetype n)
{
    return QStringLiteral("slides/slide%1.xml").arg(n);
}

// "ppt/slides/slide<n>.xml".
inline QString slidePart(qsizetype n)
{
    return QStringLiteral("ppt/") + slideTarget(n);
}

// "rId<n>".
inline QString relationshipId(qsizetype n)
{
    return QStringLiteral("rId%1").arg(n);
}

} // namespace PptxNames
