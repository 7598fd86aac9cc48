#pragma once

#include "platform/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// Builds small WordprocessingML packages for tests: the parts a test gives,
// plus content types and package relationships when it gives none.
namespace DocXTestPackage {

inline const char *const wordNamespaces =
    R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" )"
    R"(xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" )"
    R"(xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" )"
    R"(xmlns:v="urn:schemas-microsoft-com:vml" )"
    R"(xmlns:w14="http://schemas.microsoft.com/office/word/2010/wordml" )"
    R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")";

inline QByteArray document(const QByteArray &body)
{
    return QByteArray(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document )") + wordNamespaces
        + "><w:body>" + body + "</w:body></w:document>";
}

inline QByteArray styles(const QByteArray &content)
{
    return QByteArray("<w:styles ") + wordNamespaces + ">" + content + "</w:styles>";
}

inline QByteArray numbering(const QByteArray &content)
{
    return QByteArray("<w:numbering ") + wordNamespaces + ">" + content + "</w:numbering>";
}

// <Relationship> elements for the main document's relationships part.
inline QByteArray relationships(const QByteArray &entries)
{
    return R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" + entries
        + "</Relationships>";
}

inline QByteArray relationship(const QByteArray &id, const QByteArray &kind, const QByteArray &target,
                               bool external = false)
{
    return R"(<Relationship Id=")" + id + R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/)"
        + kind + R"(" Target=")" + target + (external ? R"(" TargetMode="External"/>)" : R"("/>)");
}

// Writes the package to `folder`/name and returns its path.
inline QString write(const QTemporaryDir &folder, const QString &name, QMap<QString, QByteArray> parts)
{
    if (!parts.contains(QStringLiteral("[Content_Types].xml")))
        parts.insert(QStringLiteral("[Content_Types].xml"),
                     R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
                     R"(<Default Extension="xml" ContentType="application/xml"/></Types>)");
    if (!parts.contains(QStringLiteral("_rels/.rels")))
        parts.insert(QStringLiteral("_rels/.rels"), relationships(relationship("rId1", "officeDocument", "word/document.xml")));
    const QString source = folder.filePath(name + QStringLiteral(".parts"));
    for (auto part = parts.cbegin(); part != parts.cend(); ++part) {
        const QString path = source + u'/' + part.key();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(part.value());
    }
    const QString archive = folder.filePath(name);
    QString error;
    ZipArchive::zipFolder(source, archive, ZipArchive::Compression::Deflated, &error);
    return archive;
}

} // namespace DocXTestPackage
