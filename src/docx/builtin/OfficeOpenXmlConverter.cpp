#include "docx/builtin/OfficeOpenXmlConverter.h"

#include "docx/builtin/OfficeOpenXmlBody.h"
#include "docx/builtin/OfficeOpenXmlPictures.h"
#include "platform/package/PackageContentTypes.h"
#include "platform/package/PackageNames.h"

#include <QDateTime>

namespace OfficeOpenXmlConverter {

namespace {

const QString wordNamespace = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString wordContentType = QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.");

QByteArray partBytes(const XmlElement &root)
{
    return (XmlText::declaration(QStringLiteral("UTF-8"), QStringLiteral("yes")) + root.toCompactString()).toUtf8();
}

bool writePart(PackageFolder &package, const QString &name, const XmlElement &root, QString *error)
{
    return package.writePart(name, partBytes(root), error);
}

XmlElement valElement(const QString &name, const QString &value)
{
    return XmlElement(name, std::nullopt, {{QStringLiteral("w:val"), value}});
}

// Text in 12-point type, and the one paragraph style every reader expects.
XmlElement styles()
{
    XmlElement root(QStringLiteral("w:styles"), std::nullopt, {{QStringLiteral("xmlns:w"), wordNamespace}});
    XmlElement &defaults = root.addChild(QStringLiteral("w:docDefaults"));
    defaults.addChild(QStringLiteral("w:rPrDefault"))
        .addChild(QStringLiteral("w:rPr"))
        .addChild(valElement(QStringLiteral("w:sz"), QStringLiteral("24")));
    defaults.addChild(QStringLiteral("w:pPrDefault"));
    XmlElement &normal = root.addChild(QStringLiteral("w:style"), std::nullopt,
                                       {{QStringLiteral("w:type"), QStringLiteral("paragraph")},
                                        {QStringLiteral("w:default"), QStringLiteral("1")},
                                        {QStringLiteral("w:styleId"), QStringLiteral("Normal")}});
    normal.addChild(valElement(QStringLiteral("w:name"), QStringLiteral("Normal")));
    normal.addChild(QStringLiteral("w:qFormat"));
    return root;
}

XmlElement settings()
{
    XmlElement root(QStringLiteral("w:settings"), std::nullopt, {{QStringLiteral("xmlns:w"), wordNamespace}});
    root.addChild(valElement(QStringLiteral("w:defaultTabStop"), QStringLiteral("720")));
    root.addChild(valElement(QStringLiteral("w:characterSpacingControl"), QStringLiteral("doNotCompress")));
    return root;
}

XmlElement coreProperties()
{
    XmlElement root(QStringLiteral("cp:coreProperties"), std::nullopt,
                    {{QStringLiteral("xmlns:cp"), QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties")},
                     {QStringLiteral("xmlns:dc"), QStringLiteral("http://purl.org/dc/elements/1.1/")},
                     {QStringLiteral("xmlns:dcterms"), QStringLiteral("http://purl.org/dc/terms/")},
                     {QStringLiteral("xmlns:xsi"), QStringLiteral("http://www.w3.org/2001/XMLSchema-instance")}});
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    for (const char *name : {"dcterms:created", "dcterms:modified"})
        root.addChild(QString::fromLatin1(name), now, {{QStringLiteral("xsi:type"), QStringLiteral("dcterms:W3CDTF")}});
    return root;
}

XmlElement packageRelationships()
{
    PackageRelationships relationships;
    relationships.add(PackageNames::officeDocumentType, QStringLiteral("word/document.xml"));
    relationships.add(QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties"),
                      QStringLiteral("docProps/core.xml"));
    return relationships.toElement();
}

XmlElement contentTypes(const QList<QString> &mediaExtensions)
{
    PackageContentTypes types;
    types.addDefault(QStringLiteral("rels"), PackageNames::relationshipsContentType);
    types.addDefault(QStringLiteral("xml"), PackageNames::xmlContentType);
    for (const QString &extension : mediaExtensions)
        types.addDefault(extension, QStringLiteral("image/") + extension);
    types.addOverride(QStringLiteral("word/document.xml"), wordContentType + QStringLiteral("document.main+xml"));
    types.addOverride(QStringLiteral("word/styles.xml"), wordContentType + QStringLiteral("styles+xml"));
    types.addOverride(QStringLiteral("word/settings.xml"), wordContentType + QStringLiteral("settings+xml"));
    types.addOverride(QStringLiteral("docProps/core.xml"),
                      QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml"));
    return types.toElement();
}

} // namespace

bool writePackage(const StyledText &text, PackageFolder &package, QString *error)
{
    PackageRelationships relationships;
    relationships.add(PackageNames::relationshipType(QStringLiteral("styles")), QStringLiteral("styles.xml"));
    relationships.add(PackageNames::relationshipType(QStringLiteral("settings")), QStringLiteral("settings.xml"));
    OfficeOpenXmlPictures pictures(relationships);
    const XmlElement document = OfficeOpenXmlBody::document(text, pictures);

    return writePart(package, PackageContentTypes::partName, contentTypes(pictures.extensions()), error)
           && writePart(package, PackageNames::packageRelationshipsPart, packageRelationships(), error)
           && writePart(package, QStringLiteral("docProps/core.xml"), coreProperties(), error)
           && writePart(package, QStringLiteral("word/document.xml"), document, error)
           && writePart(package, QStringLiteral("word/_rels/document.xml.rels"), relationships.toElement(), error)
           && writePart(package, QStringLiteral("word/styles.xml"), styles(), error)
           && writePart(package, QStringLiteral("word/settings.xml"), settings(), error)
           && pictures.writeMedia(package, error);
}

} // namespace OfficeOpenXmlConverter
