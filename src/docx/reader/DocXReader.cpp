#include "docx/reader/DocXReader.h"

#include "docx/reader/DocXBodyReader.h"
#include "docx/reader/DocXNumbering.h"
#include "docx/reader/DocXPictureLoader.h"
#include "docx/reader/DocXStyleSheet.h"
#include "docx/reader/DocXThemeFonts.h"

#include "platform/XmlRead.h"
#include "platform/package/PackageParts.h"
#include "platform/package/PackagePath.h"
#include "platform/package/PackageRelationships.h"
#include "platform/Failure.h"

namespace {

const QString defaultMainPart = QStringLiteral("word/document.xml");

PackageRelationships relationshipsOf(const PackageParts &parts, const QString &partName, pugi::xml_document &holder)
{
    if (!parts.loadXml(holder, PackagePath::relationshipsPart(partName), nullptr))
        return {};
    return PackageRelationships::fromXml(XmlRead::firstChild(holder, "Relationships"));
}

// The part of the first relationship whose type ends in "/<kind>" (the
// transitional and strict schemas differ only before that).
std::optional<QString> partOfType(const PackageRelationships &relationships, const QString &sourcePart, const QString &kind)
{
    const QString suffix = u'/' + kind;
    for (const PackageRelationship &relationship : relationships.entries()) {
        if (!relationship.external && relationship.type.endsWith(suffix))
            if (const auto part = PackagePath::resolveTarget(sourcePart, relationship.target))
                return part;
    }
    return std::nullopt;
}

// The root element of an optional part; an empty node when it is missing
// or not well-formed (the document then reads without it).
pugi::xml_node optionalRoot(const PackageParts &parts, const std::optional<QString> &part, const char *rootName,
                            pugi::xml_document &holder)
{
    if (!part || !parts.loadXml(holder, *part, nullptr))
        return {};
    return XmlRead::firstChild(holder, rootName);
}

} // namespace

namespace DocXReader {

bool read(const QString &path, StyledText *text, QString *error)
{
    PackageParts parts;
    ZipArchive::Limits limits;
    limits.maxEntrySize = maximumPartSize;
    limits.maxTotalSize = maximumTotalSize;
    QString message;
    if (!parts.open(path, &message, limits))
        return fail(error, QStringLiteral("The file is not a readable Word document: %1").arg(message));

    pugi::xml_document packageRelationshipsXml;
    const PackageRelationships packageRelationships = relationshipsOf(parts, QString(), packageRelationshipsXml);
    QString mainPart = partOfType(packageRelationships, QString(), QStringLiteral("officeDocument")).value_or(defaultMainPart);
    if (!parts.contains(mainPart))
        mainPart = defaultMainPart;
    pugi::xml_document documentXml;
    if (!parts.loadXml(documentXml, mainPart, &message))
        return fail(error, QStringLiteral("The file is not a readable Word document: %1").arg(message));
    const pugi::xml_node body = XmlRead::firstChild(XmlRead::firstChild(documentXml, "w:document"), "w:body");
    if (!body)
        return fail(error, QStringLiteral("The file is not a Word document: %1 holds no document body.").arg(mainPart));

    pugi::xml_document relationshipsXml, themeXml, stylesXml, numberingXml;
    const PackageRelationships relationships = relationshipsOf(parts, mainPart, relationshipsXml);
    const DocXThemeFonts theme(optionalRoot(parts, partOfType(relationships, mainPart, QStringLiteral("theme")),
                                            "a:theme", themeXml));
    const DocXStyleSheet styles(optionalRoot(parts, partOfType(relationships, mainPart, QStringLiteral("styles")),
                                             "w:styles", stylesXml),
                                theme);
    const DocXNumbering numbering(optionalRoot(parts, partOfType(relationships, mainPart, QStringLiteral("numbering")),
                                               "w:numbering", numberingXml),
                                  styles);
    DocXPictureLoader pictures(parts, relationships, mainPart);
    DocXBodyReader reader({styles, numbering, theme, relationships, pictures});
    StyledText loaded = reader.read(body);
    // Damage in a part nothing above needed still makes the file unreadable.
    if (!parts.checkUnreadParts(&message))
        return fail(error, QStringLiteral("The file is not a readable Word document: %1").arg(message));
    *text = std::move(loaded);
    return true;
}

} // namespace DocXReader
