#include "XlsxWriter.h"

#include "XlsxNames.h"
#include "XlsxStyleTable.h"
#include "XlsxWorksheetWriter.h"
#include "platform/TemporaryFolder.h"
#include "platform/XmlElement.h"
#include "platform/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>
#include <vector>

namespace {

using AttributeList = std::vector<std::pair<QString, QString>>;

// The fixed-text parts: four spaces per level, attributes in the order given,
// "/>" right after the last attribute, no line feed after the root's end tag.
class FixedPart
{
public:
    explicit FixedPart(const QString &root, const QString &xmlns, const QString &extraAttributes = {})
        : m_root(root)
    {
        m_text = XmlText::declaration(QStringLiteral("UTF-8"), QStringLiteral("yes")) + u'\n';
        m_text += u'<' + root + attribute(QStringLiteral("xmlns"), xmlns) + extraAttributes
                  + QStringLiteral(">\n");
    }

    static QString attribute(const QString &name, const QString &value)
    {
        return u' ' + name + QStringLiteral("=\"") + XmlText::escape(value) + u'"';
    }

    void line(int spaces, const QString &tag) { m_text += QString(spaces, u' ') + tag + u'\n'; }

    void emptyElement(int spaces, const QString &name, const AttributeList &attributes)
    {
        QString tag = u'<' + name;
        for (const auto &[key, value] : attributes)
            tag += attribute(key, value);
        line(spaces, tag + QStringLiteral("/>"));
    }

    QString finish() { return m_text + QStringLiteral("</") + m_root + u'>'; }

private:
    QString m_root;
    QString m_text;
};

struct Relationship {
    QString id;
    QString type;
    QString target;
};

QString relationshipsText(const std::vector<Relationship> &relationships)
{
    FixedPart part(QStringLiteral("Relationships"), XlsxNames::packageRelationshipsNamespace);
    for (const Relationship &relationship : relationships) {
        part.emptyElement(4, QStringLiteral("Relationship"),
                          {{QStringLiteral("Id"), relationship.id},
                           {QStringLiteral("Type"), relationship.type},
                           {QStringLiteral("Target"), relationship.target}});
    }
    return part.finish();
}

QString treeText(const XmlElement &root)
{
    return XmlText::declaration(QStringLiteral("utf-8"), QStringLiteral("no")) + u'\n'
           + root.toIndentedString();
}

// Parts go into a fresh private folder and the archive made from it replaces
// the destination only when complete, so a plain write (no scratch file, no
// sync to disk) is enough here.
bool writePart(const TemporaryFolder &folder, const QString &part, const QString &text,
               ExcelError *error)
{
    const QString path = folder.filePath(part);
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
        && file.write(bytes) == bytes.size() && file.flush())
        return true;
    if (error)
        *error = {0, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString())};
    return false;
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
    const TemporaryFolder folder;
    if (!folder.isValid()) {
        if (error)
            *error = {0, QStringLiteral("Cannot create a temporary folder")};
        return false;
    }
    if (!writePart(folder, XlsxNames::contentTypesPart, contentTypes(), error)
        || !writePart(folder, XlsxNames::packageRelationshipsPart, packageRelationships(), error)
        || !writePart(folder, XlsxNames::workbookPart, workbook(), error)
        || !writePart(folder, XlsxNames::workbookRelationshipsPart, workbookRelationships(), error))
        return false;

    const XlsxStyleTable styles(m_sheets);
    for (int i = 0; i < m_sheets.size(); ++i) {
        const XmlElement worksheet =
            XlsxWorksheetWriter::toElement(m_sheets[i], styles.styledCells(i), styles);
        if (!writePart(folder, QStringLiteral("xl/") + XlsxNames::worksheetTarget(i + 1),
                       treeText(worksheet), error))
            return false;
    }
    if (!writePart(folder, XlsxNames::stylesPart, treeText(styles.toElement()), error))
        return false;

    QString message;
    if (!ZipArchive::zipFolder(folder.path(), path, ZipArchive::Compression::Stored, &message)) {
        if (error)
            *error = {0, message};
        return false;
    }
    // The folder goes with `folder`; failing to remove it does not undo a good save.
    return true;
}

QString XlsxWriter::contentTypes() const
{
    FixedPart part(QStringLiteral("Types"), XlsxNames::contentTypesNamespace);
    const QString defaultTag = QStringLiteral("Default");
    const QString overrideTag = QStringLiteral("Override");
    const QString extension = QStringLiteral("Extension");
    const QString partName = QStringLiteral("PartName");
    const QString contentType = QStringLiteral("ContentType");
    part.emptyElement(4, defaultTag, {{extension, QStringLiteral("rels")},
                                      {contentType, XlsxNames::relationshipsContentType}});
    part.emptyElement(4, defaultTag,
                      {{extension, QStringLiteral("xml")}, {contentType, XlsxNames::xmlContentType}});
    const QString workbookType = m_kind == XlsxPackageKind::Template ? XlsxNames::templateContentType
                                                                     : XlsxNames::workbookContentType;
    part.emptyElement(4, overrideTag, {{partName, u'/' + XlsxNames::workbookPart},
                                       {contentType, workbookType}});
    for (int n = 1; n <= m_sheets.size(); ++n) {
        part.emptyElement(4, overrideTag, {{partName, QStringLiteral("/xl/") + XlsxNames::worksheetTarget(n)},
                                           {contentType, XlsxNames::worksheetContentType}});
    }
    part.emptyElement(4, overrideTag, {{partName, u'/' + XlsxNames::stylesPart},
                                       {contentType, XlsxNames::stylesContentType}});
    return part.finish();
}

QString XlsxWriter::packageRelationships() const
{
    return relationshipsText({{QStringLiteral("rId1"), XlsxNames::officeDocumentType, XlsxNames::workbookPart}});
}

QString XlsxWriter::workbook() const
{
    FixedPart part(QStringLiteral("workbook"), XlsxNames::mainNamespace,
                   FixedPart::attribute(QStringLiteral("xmlns:r"), XlsxNames::relationshipsNamespace));
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

QString XlsxWriter::workbookRelationships() const
{
    std::vector<Relationship> relationships;
    for (int n = 1; n <= m_sheets.size(); ++n)
        relationships.push_back({QStringLiteral("rId%1").arg(n), XlsxNames::worksheetType, XlsxNames::worksheetTarget(n)});
    relationships.push_back({QStringLiteral("rId%1").arg(m_sheets.size() + 1), XlsxNames::stylesType,
                             QStringLiteral("styles.xml")});
    return relationshipsText(relationships);
}
