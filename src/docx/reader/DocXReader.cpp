#include "docx/reader/DocXReader.h"

#include "docx/reader/DocXBodyReader.h"
#include "docx/reader/DocXNumbering.h"
#include "docx/reader/DocXPictureLoader.h"
#include "docx/reader/DocXStyleSheet.h"
#include "docx/reader/DocXThemeFonts.h"

#include "platform/XmlRead.h"
#include "platform/package/EncryptedPackage.h"
#include "platform/package/PackageParts.h"
#include "platform/package/PackagePath.h"
#include "platform/package/PackageRelationships.h"
#include "platform/Failure.h"
#include "platform/ReadBudget.h"

#include <QFileInfo>

namespace {

const QString defaultMainPart = QStringLiteral("word/document.xml");

PackageRelationships relationshipsOf(const PackageParts &parts, const QString &partName, pugi::xml_document &holder,
                                     ReadBudget &budget)
{
    if (!parts.loadXml(holder, PackagePath::relationshipsPart(partName), nullptr, &budget))
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
// or not well-formed (the document then reads without it) or when the
// budget ran out (the caller then refuses the file).
pugi::xml_node optionalRoot(const PackageParts &parts, const std::optional<QString> &part, const char *rootName,
                            pugi::xml_document &holder, ReadBudget &budget)
{
    if (!part || !parts.loadXml(holder, *part, nullptr, &budget))
        return {};
    return XmlRead::firstChild(holder, rootName);
}

// The fonts of the font table with the symbol character set (w:charset 02).
QSet<QString> symbolCharsetFonts(pugi::xml_node fontTable)
{
    QSet<QString> names;
    for (const pugi::xml_node font : XmlRead::children(fontTable, "w:font")) {
        const QString charset = XmlRead::attribute(XmlRead::firstChild(font, "w:charset"), "w:val");
        if (charset == QLatin1String("02"))
            names.insert(XmlRead::attribute(font, "w:name"));
    }
    return names;
}

QString tooLarge(const ReadBudget &budget)
{
    return QStringLiteral("The document is too large: %1").arg(budget.ranOutMessage());
}

} // namespace

namespace DocXReader {

bool read(const QString &path, StyledText *text, QString *error, PictureCache *pictures)
{
    PackageParts parts;
    ZipArchive::Limits limits;
    limits.maxEntrySize = maximumPartSize;
    limits.maxTotalSize = maximumTotalSize;
    QString message;
    if (!parts.open(path, &message, limits))
        return fail(error, EncryptedPackage::fileIsEncrypted(path)
                               ? EncryptedPackage::refusal(path)
                               : QStringLiteral("The file is not a readable Word document: %1").arg(message));

    ReadBudget budget(QFileInfo(path).size());
    pugi::xml_document packageRelationshipsXml;
    const PackageRelationships packageRelationships = relationshipsOf(parts, QString(), packageRelationshipsXml, budget);
    QString mainPart = partOfType(packageRelationships, QString(), QStringLiteral("officeDocument")).value_or(defaultMainPart);
    if (!parts.contains(mainPart))
        mainPart = defaultMainPart;
    pugi::xml_document documentXml;
    if (!parts.loadXml(documentXml, mainPart, &message, &budget))
        return fail(error, budget.ranOut() ? tooLarge(budget)
                                           : QStringLiteral("The file is not a readable Word document: %1").arg(message));
    const pugi::xml_node body = XmlRead::firstChild(XmlRead::firstChild(documentXml, "w:document"), "w:body");
    if (!body)
        return fail(error, QStringLiteral("The file is not a Word document: %1 holds no document body.").arg(mainPart));

    pugi::xml_document relationshipsXml, themeXml, stylesXml, numberingXml, fontTableXml;
    const PackageRelationships relationships = relationshipsOf(parts, mainPart, relationshipsXml, budget);
    const DocXThemeFonts theme(optionalRoot(parts, partOfType(relationships, mainPart, QStringLiteral("theme")),
                                            "a:theme", themeXml, budget));
    const DocXStyleSheet styles(optionalRoot(parts, partOfType(relationships, mainPart, QStringLiteral("styles")),
                                             "w:styles", stylesXml, budget),
                                theme);
    const DocXNumbering numbering(optionalRoot(parts, partOfType(relationships, mainPart, QStringLiteral("numbering")),
                                               "w:numbering", numberingXml, budget),
                                  styles);
    const QSet<QString> symbolFonts = symbolCharsetFonts(optionalRoot(
        parts, partOfType(relationships, mainPart, QStringLiteral("fontTable")), "w:fonts", fontTableXml, budget));
    if (budget.ranOut())
        return fail(error, tooLarge(budget));
    PictureCache ownPictures;
    DocXPictureLoader pictureLoader(parts, relationships, mainPart, budget, pictures ? *pictures : ownPictures);
    StyledTextBudget textBudget(budget);
    DocXBodyReader reader({styles, numbering, theme, relationships, symbolFonts, pictureLoader, textBudget});
    std::optional<StyledText> loaded = reader.read(body);
    if (reader.hasTooManyParagraphs())
        return fail(error, QStringLiteral("The document is too large: it has more than %1 paragraphs")
                               .arg(DocXBodyReader::maximumParagraphs));
    if (!loaded)
        return fail(error, tooLarge(budget));
    // Damage in a part nothing above needed still makes the file unreadable.
    if (!parts.checkUnreadParts(&message))
        return fail(error, QStringLiteral("The file is not a readable Word document: %1").arg(message));
    *text = std::move(*loaded);
    return true;
}

} // namespace DocXReader
