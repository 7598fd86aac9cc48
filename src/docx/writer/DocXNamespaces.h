#pragma once

#include "platform/package/PackageNames.h"

#include <QString>

// Namespace URIs and relationship types of WordprocessingML packages.
namespace DocXNamespace {

inline const QString wordMain = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
inline const QString markupCompatibility =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
inline const QString wordprocessingDrawing =
    QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
inline const QString drawingMain = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
inline const QString drawingPicture = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");
inline const QString word2010 = QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordml");
inline const QString officeMath = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/math");
inline const QString office = QStringLiteral("urn:schemas-microsoft-com:office:office");
inline const QString vml = QStringLiteral("urn:schemas-microsoft-com:vml");
inline const QString officeWord = QStringLiteral("urn:schemas-microsoft-com:office:word");
inline const QString wordprocessingCanvas =
    QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas");
inline const QString word2006 = QStringLiteral("http://schemas.microsoft.com/office/word/2006/wordml");

inline const QString coreProperties =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties");
inline const QString dublinCore = QStringLiteral("http://purl.org/dc/elements/1.1/");
inline const QString dublinCoreTerms = QStringLiteral("http://purl.org/dc/terms/");
inline const QString dcmiType = QStringLiteral("http://purl.org/dc/dcmitype/");
inline const QString schemaInstance = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");

} // namespace DocXNamespace

namespace DocXRelationshipType {

inline QString of(const QString &word) { return PackageNames::relationshipType(word); }
inline const QString styles = of(QStringLiteral("styles"));
inline const QString numbering = of(QStringLiteral("numbering"));
inline const QString footnotes = of(QStringLiteral("footnotes"));
inline const QString endnotes = of(QStringLiteral("endnotes"));
inline const QString hyperlink = of(QStringLiteral("hyperlink"));
inline const QString image = of(QStringLiteral("image"));

} // namespace DocXRelationshipType
