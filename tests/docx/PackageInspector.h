#pragma once

// Opens a written package and checks what every reader relies on: parts
// well-formed with every prefix declared, relationship targets present,
// every part under a content type, relationship and drawing ids unique,
// every r:id and r:embed resolved.
#include "platform/TemporaryFolder.h"
#include "platform/XmlRead.h"
#include "platform/ZipArchive.h"
#include "support/UnzipToFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <pugixml.hpp>

class PackageInspector
{
public:
    explicit PackageInspector(const QString &archive)
    {
        QString error;
        if (!TestZip::unzipToFolder(archive, m_folder.path(), &error))
            m_problems << QStringLiteral("unzip: ") + error;
    }

    QString folder() const { return m_folder.path(); }
    bool has(const QString &part) const { return QFileInfo(m_folder.filePath(part)).isFile(); }
    QByteArray bytes(const QString &part) const
    {
        QFile file(m_folder.filePath(part));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString text(const QString &part) const { return QString::fromUtf8(bytes(part)); }

    // Every problem found; empty for a sound package.
    QStringList problems()
    {
        if (!m_problems.isEmpty())
            return m_problems;
        const QStringList parts = allParts();
        QSet<QString> drawingIds;
        for (const QString &part : parts) {
            if (!part.endsWith(QLatin1String(".xml")) && !part.endsWith(QLatin1String(".rels")))
                continue;
            pugi::xml_document document;
            QString error;
            if (!XmlRead::loadBytes(document, bytes(part), &error)) {
                m_problems << part + QStringLiteral(": ") + error;
                continue;
            }
            checkPrefixes(part, document.document_element(), {});
            checkReferences(part, document.document_element(), drawingIds);
            if (part.endsWith(QLatin1String(".rels")))
                checkRelationships(part, document.document_element());
        }
        checkContentTypes(parts);
        return m_problems;
    }

    QStringList allParts() const
    {
        QStringList parts;
        QDirIterator it(m_folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            parts << QDir(m_folder.path()).relativeFilePath(it.next());
        parts.sort();
        return parts;
    }

private:
    static QString prefixOf(const char *name)
    {
        const QString text = QString::fromUtf8(name);
        const qsizetype colon = text.indexOf(u':');
        return colon < 0 ? QString() : text.left(colon);
    }

    void checkPrefixes(const QString &part, pugi::xml_node node, QSet<QString> declared)
    {
        for (const pugi::xml_attribute attribute : node.attributes()) {
            const QString name = QString::fromUtf8(attribute.name());
            if (name.startsWith(QLatin1String("xmlns:")))
                declared.insert(name.mid(6));
        }
        const auto check = [&](const QString &prefix, const char *name) {
            if (!prefix.isEmpty() && prefix != QLatin1String("xml") && prefix != QLatin1String("xmlns")
                && !declared.contains(prefix))
                m_problems << part + QStringLiteral(": undeclared prefix in ") + QString::fromUtf8(name);
        };
        check(prefixOf(node.name()), node.name());
        for (const pugi::xml_attribute attribute : node.attributes())
            check(prefixOf(attribute.name()), attribute.name());
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
            if (child.type() == pugi::node_element)
                checkPrefixes(part, child, declared);
    }

    QSet<QString> relationshipIds(const QString &part) const
    {
        const QFileInfo info(part);
        const QString rels = (info.path() == QLatin1String(".") ? QString() : info.path() + u'/')
                             + QStringLiteral("_rels/") + info.fileName() + QStringLiteral(".rels");
        pugi::xml_document document;
        QSet<QString> ids;
        if (XmlRead::loadBytes(document, bytes(rels), nullptr))
            for (pugi::xml_node child : document.document_element().children())
                ids.insert(XmlRead::attribute(child, "Id"));
        return ids;
    }

    void checkReferences(const QString &part, pugi::xml_node root, QSet<QString> &drawingIds)
    {
        const QSet<QString> ids = relationshipIds(part);
        // Walk the whole tree without recursion: parts can be deep and long.
        for (pugi::xml_node current = root; current;) {
            const QString name = QString::fromUtf8(current.name());
            for (const char *attribute : {"r:id", "r:embed"})
                if (current.attribute(attribute) && !ids.contains(XmlRead::attribute(current, attribute)))
                    m_problems << part + QStringLiteral(": unresolved ") + QString::fromUtf8(attribute) + u' '
                                      + XmlRead::attribute(current, attribute);
            if (name == QLatin1String("wp:docPr")) {
                const QString id = XmlRead::attribute(current, "id");
                if (drawingIds.contains(id))
                    m_problems << part + QStringLiteral(": drawing id repeated ") + id;
                drawingIds.insert(id);
            }
            if (current.first_child()) {
                current = current.first_child();
                continue;
            }
            while (current && current != root && !current.next_sibling())
                current = current.parent();
            if (!current || current == root)
                break;
            current = current.next_sibling();
        }
    }

    void checkRelationships(const QString &rels, pugi::xml_node root)
    {
        const QString sourceFolder = QFileInfo(QFileInfo(rels).path()).path();
        QSet<QString> ids;
        for (pugi::xml_node child : root.children()) {
            const QString id = XmlRead::attribute(child, "Id");
            if (ids.contains(id))
                m_problems << rels + QStringLiteral(": relationship id repeated ") + id;
            ids.insert(id);
            if (XmlRead::attribute(child, "TargetMode") == QLatin1String("External"))
                continue;
            const QString target = XmlRead::attribute(child, "Target");
            const QString resolved = QDir::cleanPath((sourceFolder == QLatin1String(".") ? QString() : sourceFolder + u'/') + target);
            if (!has(resolved))
                m_problems << rels + QStringLiteral(": missing target ") + target;
        }
    }

    void checkContentTypes(const QStringList &parts)
    {
        pugi::xml_document document;
        if (!XmlRead::loadBytes(document, bytes(QStringLiteral("[Content_Types].xml")), nullptr)) {
            m_problems << QStringLiteral("no content types");
            return;
        }
        QSet<QString> defaults, overrides;
        for (pugi::xml_node child : document.document_element().children()) {
            if (QLatin1String(child.name()) == QLatin1String("Default"))
                defaults.insert(XmlRead::attribute(child, "Extension").toLower());
            else if (overrides.contains(XmlRead::attribute(child, "PartName")))
                m_problems << QStringLiteral("override repeated ") + XmlRead::attribute(child, "PartName");
            else
                overrides.insert(XmlRead::attribute(child, "PartName"));
        }
        for (const QString &part : parts) {
            if (part == QLatin1String("[Content_Types].xml"))
                continue;
            if (!overrides.contains(u'/' + part) && !defaults.contains(QFileInfo(part).suffix().toLower()))
                m_problems << part + QStringLiteral(": no content type");
        }
    }

    TemporaryFolder m_folder;
    QStringList m_problems;
};
