#include "docx/writer/BuiltInConversion.h"

#include "docx/writer/ContentTypes.h"
#include "docx/writer/DocXOptions.h"
#include "docx/writer/DocXPart.h"
#include "docx/writer/DocumentBody.h"
#include "docx/writer/ParagraphRange.h"
#include "docx/writer/PartRelationships.h"
#include "docx/builtin/OfficeOpenXmlConverter.h"
#include "platform/XmlRead.h"
#include "platform/package/PackageFolder.h"
#include "platform/package/PackageRelationships.h"

namespace BuiltInConversion {

namespace {

using Kind = DocXSavingError::Kind;

const QString mainPart = QStringLiteral("word/document.xml");
const QString mainRelationshipsPart = QStringLiteral("word/_rels/document.xml.rels");

bool hasRuby(const StyledText &text)
{
    bool found = false;
    text.forEachValue(TextRange{0, text.length()}, &TextAttributes::ruby, [&found](const RubyAnnotationPointer &ruby, TextRange) {
        found = bool(ruby);
        return !found;
    });
    return found;
}

// The converter's package has no numbering and no notes parts, so no
// paragraph may name a list definition and note bodies stay in the body
// (their references are then plain text).
QList<ParagraphRange> paragraphsWithoutListsAndNotes(const StyledText &text)
{
    QList<ParagraphRange> paragraphs = ParagraphRanges::all(text);
    for (ParagraphRange &paragraph : paragraphs) {
        paragraph.numberingId.reset();
        paragraph.numberingLevel.reset();
        paragraph.footnoteBodyId.reset();
        paragraph.endnoteBodyId.reset();
    }
    return paragraphs;
}

DocXSavingError writeMainPart(const StyledText &text, PackageFolder &package)
{
    QString error;
    pugi::xml_document document;
    if (!XmlRead::loadFile(document, package.path() + u'/' + mainRelationshipsPart, &error))
        return DocXSavingError::failure(Kind::Xml, QStringLiteral("relationships"), error);
    PackageRelationships relationships = PackageRelationships::fromXml(document.document_element());

    const DocXOptions options;
    const auto links = PartRelationships::build(text, {}, relationships, package, options, QString(), &error);
    if (!links)
        return DocXSavingError::failure(Kind::File, QStringLiteral("pictures"), error);
    if (!DocXPart::write(package, mainRelationshipsPart, relationships.toElement(), &error))
        return DocXSavingError::failure(Kind::File, QStringLiteral("relationships"), error);
    // The writer may store a picture in a format the converter never wrote.
    QStringList mediaTargets;
    for (const ImageRelationship &image : links->images())
        mediaTargets.append(image.target);
    if (!ContentTypes::addMediaDefaults(package, mediaTargets, &error))
        return DocXSavingError::failure(Kind::Xml, QStringLiteral("content types"), error);

    const QSet<qint64> noNotes;
    qint64 nextDrawingId = 1;
    ParagraphContext context{*links, options, noNotes, noNotes, nextDrawingId};
    const XmlElement body =
        DocumentBody::element(text, {{0, text.length()}}, paragraphsWithoutListsAndNotes(text), context);
    if (!DocXPart::write(package, mainPart, body, &error))
        return DocXSavingError::failure(Kind::File, QStringLiteral("document"), error);
    return {};
}

} // namespace

DocXSavingError write(const StyledText &text, const QString &path)
{
    PackageFolder package;
    if (!package.isValid())
        return DocXSavingError::failure(Kind::File, QStringLiteral("work folder"),
                                        QStringLiteral("A temporary folder could not be made"));
    QString error;
    if (!OfficeOpenXmlConverter::writePackage(text, package, &error))
        return DocXSavingError::failure(Kind::File, QStringLiteral("converter"), error);
    if (hasRuby(text))
        if (DocXSavingError mainError = writeMainPart(text, package); mainError.isError())
            return mainError;
    if (!package.zipTo(path, ZipArchive::Compression::Deflated, &error))
        return DocXSavingError::failure(Kind::CompressionFailed, QStringLiteral("archive"), error);
    return {};
}

} // namespace BuiltInConversion
