#pragma once

#include "platform/package/PackageNames.h"

#include <QString>

// Part names, namespaces, relationship types and content types of the
// presentation package; the names every package shares are in PackageNames.
namespace PptxNames {

inline const QString presentationPart = QStringLiteral("ppt/presentation.xml");
inline const QString presentationRelationshipsPart = QStringLiteral("ppt/_rels/presentation.xml.rels");

inline const QString drawingNamespace = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
inline const QString presentationNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/presentationml/2006/main");

inline const QString slideType = PackageNames::relationshipType(QStringLiteral("slide"));

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
