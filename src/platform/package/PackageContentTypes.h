#pragma once

#include "platform/XmlElement.h"

#include <QList>
#include <QString>

// The "[Content_Types].xml" document of a package being written: defaults by
// extension and overrides by part, kept in the order they were added.
class PackageContentTypes
{
public:
    inline static const QString partName = QStringLiteral("[Content_Types].xml");
    inline static const QString xmlns =
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");

    // `extension` without the dot ("rels", "xml", "png").
    void addDefault(const QString &extension, const QString &contentType);
    // `partName` without the leading '/' ("xl/workbook.xml"); it is written with one.
    void addOverride(const QString &partName, const QString &contentType);

    // Fixed layout (FixedPartText): four spaces in, `<Default Extension=""
    // ContentType=""/>` and `<Override PartName="" ContentType=""/>`.
    QString toFixedText() const;
    // The <Types> element for XmlElement's indented or compact forms.
    XmlElement toElement() const;

private:
    struct Entry {
        bool isDefault;
        QString key; // extension or "/"-led part name
        QString contentType;
    };
    QList<Entry> m_entries;
};
