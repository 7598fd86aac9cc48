#include "DocXWriter.h"

#include "docx/writer/BuiltInConversion.h"
#include "docx/writer/ContentTypes.h"
#include "docx/writer/DocXNamespaces.h"
#include "docx/writer/DocXNotes.h"
#include "docx/writer/DocXPart.h"
#include "docx/writer/DocXTemplate.h"
#include "docx/writer/DocumentBody.h"
#include "docx/writer/NoteSettings.h"
#include "docx/writer/NumberingDocument.h"
#include "docx/writer/ParagraphRange.h"
#include "docx/writer/PartRelationships.h"
#include "platform/XmlRead.h"
#include "platform/package/PackageFolder.h"
#include "platform/package/PackageRelationships.h"

namespace {

using Kind = DocXSavingError::Kind;

NumberingDefinitions numberingDefinitions(const QList<ParagraphRange> &paragraphs)
{
    NumberingDefinitions definitions;
    for (const ParagraphRange &paragraph : paragraphs) {
        if (!paragraph.numberingId || !paragraph.listStyle)
            continue;
        const qint64 level = paragraph.numberingLevel.value_or(0);
        NumberingDefinition &definition = definitions[*paragraph.numberingId];
        definition.numId = *paragraph.numberingId;
        definition.stylesByLevel.try_emplace(level, *paragraph.listStyle);
        if (paragraph.listStart)
            definition.startsByLevel.try_emplace(level, *paragraph.listStart);
    }
    return definitions;
}

// Adds a part relationship unless the package has one of that type already.
void addPartOnce(PackageRelationships &relationships, const QString &type, const QString &target)
{
    for (const PackageRelationship &relationship : relationships.entries())
        if (relationship.type == type)
            return;
    relationships.add(type, target);
}

QString noteKindText(NoteReferenceKind kind)
{
    return kind == NoteReferenceKind::Footnote ? QStringLiteral("footnote") : QStringLiteral("endnote");
}

// One write: the package folder and what the steps hand each other.
class PackageBuild
{
public:
    PackageBuild(PackageFolder &package, const DocXOptions &options) : m_package(package), m_options(options) {}

    DocXSavingError run(const QList<StyledText> &sections);

private:
    DocXSavingError fail(Kind kind, const QString &step, const QString &message) const
    {
        return DocXSavingError::failure(kind, step, message);
    }
    bool writePart(const QString &relative, const XmlElement &root, QString *error,
                   DocXPart::Encoding encoding = DocXPart::Encoding::LowerCase)
    {
        return DocXPart::write(m_package, relative, root, error, encoding);
    }
    DocXSavingError writeNotes(NoteReferenceKind kind, const QList<DocXNoteDefinition> &notes);

    std::optional<PackageRelationships> readRelationships(const QString &partName, QString *error) const;

    PackageFolder &m_package;
    const DocXOptions &m_options;
    QSet<qint64> m_footnoteIds;
    QSet<qint64> m_endnoteIds;
    qint64 m_nextDrawingId = 1;
};

DocXSavingError PackageBuild::writeNotes(NoteReferenceKind kind, const QList<DocXNoteDefinition> &notes)
{
    if (notes.isEmpty())
        return {};
    const bool footnotes = kind == NoteReferenceKind::Footnote;
    const QString name = footnotes ? QStringLiteral("footnotes") : QStringLiteral("endnotes");
    PackageRelationships relationships;
    QString error;
    const auto links = PartRelationships::build(DocXNotes::joinedText(notes), {}, relationships, m_package, m_options,
                                                name + u'-', &error);
    if (!links)
        return fail(Kind::File, name, error);
    ParagraphContext context{*links, m_options, m_footnoteIds, m_endnoteIds, m_nextDrawingId};
    if (!writePart(QStringLiteral("word/") + name + QStringLiteral(".xml"), DocXNotes::element(kind, notes, context), &error))
        return fail(Kind::File, name, error);
    if (!relationships.isEmpty()
        && !writePart(QStringLiteral("word/_rels/") + name + QStringLiteral(".xml.rels"), relationships.toElement(), &error))
        return fail(Kind::File, name, error);
    return {};
}

std::optional<PackageRelationships> PackageBuild::readRelationships(const QString &partName, QString *error) const
{
    pugi::xml_document document;
    if (!XmlRead::loadFile(document, m_package.path() + u'/' + partName, error))
        return std::nullopt;
    return PackageRelationships::fromXml(document.document_element());
}

DocXSavingError PackageBuild::run(const QList<StyledText> &sections)
{
    QString error;
    const bool writesStyles = m_options.styleConfiguration && m_options.styleConfiguration->stylesDocument();
    if (writesStyles && !writePart(QStringLiteral("word/styles.xml"), *m_options.styleConfiguration->stylesDocument(), &error))
        return fail(Kind::File, QStringLiteral("styles"), error);

    QList<qsizetype> starts;
    const StyledText joined = DocXWriter::joinSections(sections, &starts);
    if (const auto duplicate = DocXNotes::duplicateReference(joined))
        return DocXSavingError::duplicateNoteId(noteKindText(duplicate->kind), duplicate->id);

    const QList<ParagraphRange> paragraphs = ParagraphRanges::all(joined);
    const NumberingDefinitions definitions = numberingDefinitions(paragraphs);
    if (!definitions.empty()
        && !writePart(QStringLiteral("word/numbering.xml"), NumberingDocument::element(definitions), &error,
                      DocXPart::Encoding::UpperCase))
        return fail(Kind::File, QStringLiteral("numbering"), error);

    const auto footnotes = DocXNotes::extract(joined, paragraphs, NoteReferenceKind::Footnote);
    const auto endnotes = DocXNotes::extract(joined, paragraphs, NoteReferenceKind::Endnote);
    m_footnoteIds = DocXNotes::ids(footnotes);
    m_endnoteIds = DocXNotes::ids(endnotes);
    for (const auto &[kind, notes] : {std::pair{NoteReferenceKind::Footnote, &footnotes},
                                      std::pair{NoteReferenceKind::Endnote, &endnotes}})
        if (DocXSavingError noteError = writeNotes(kind, *notes); noteError.isError())
            return noteError;

    const QString relationshipsPath = QStringLiteral("word/_rels/document.xml.rels");
    auto relationships = readRelationships(relationshipsPath, &error);
    if (!relationships)
        return fail(Kind::Xml, QStringLiteral("relationships"), error);

    if (m_options.endnotePosition
        && !NoteSettings::updateSettings(m_package, *m_options.endnotePosition, &error))
        return fail(Kind::Xml, QStringLiteral("settings"), error);

    if (writesStyles)
        addPartOnce(*relationships, DocXRelationshipType::styles, QStringLiteral("styles.xml"));
    ContentTypes::Parts parts;
    if (!definitions.empty()) {
        addPartOnce(*relationships, DocXRelationshipType::numbering, QStringLiteral("numbering.xml"));
        parts |= ContentTypes::Part::Numbering;
    }
    if (!footnotes.isEmpty()) {
        addPartOnce(*relationships, DocXRelationshipType::footnotes, QStringLiteral("footnotes.xml"));
        parts |= ContentTypes::Part::Footnotes;
    }
    if (!endnotes.isEmpty()) {
        addPartOnce(*relationships, DocXRelationshipType::endnotes, QStringLiteral("endnotes.xml"));
        parts |= ContentTypes::Part::Endnotes;
    }
    if (!ContentTypes::update(m_package, parts, m_options.packageKind, &error))
        return fail(Kind::Xml, QStringLiteral("content types"), error);

    // Pictures and links of note bodies belong to the notes parts.
    QList<TextRange> bodyRanges;
    for (const ParagraphRange &paragraph : paragraphs)
        if (!paragraph.isNoteBody() && !paragraph.range.isEmpty())
            bodyRanges.append(paragraph.range);
    if (bodyRanges.isEmpty())
        bodyRanges.append(TextRange{0, 0});
    const auto links =
        PartRelationships::build(joined, bodyRanges, *relationships, m_package, m_options, QString(), &error);
    if (!links)
        return fail(Kind::File, QStringLiteral("pictures"), error);
    if (!writePart(relationshipsPath, relationships->toElement(), &error))
        return fail(Kind::File, QStringLiteral("relationships"), error);

    QList<DocumentBody::Section> spans;
    for (qsizetype i = 0; i < sections.size(); ++i)
        spans.append({starts[i], sections[i].length()});
    ParagraphContext context{*links, m_options, m_footnoteIds, m_endnoteIds, m_nextDrawingId};
    if (!writePart(QStringLiteral("word/document.xml"), DocumentBody::element(joined, spans, paragraphs, context), &error))
        return fail(Kind::File, QStringLiteral("document"), error);

    if (!writePart(QStringLiteral("docProps/core.xml"), m_options.corePropertiesElement(), &error,
                   DocXPart::Encoding::UpperCase))
        return fail(Kind::File, QStringLiteral("core properties"), error);
    return {};
}

} // namespace

StyledText DocXWriter::joinSections(const QList<StyledText> &sections, QList<qsizetype> *starts)
{
    // A CR that meets the LF starting the next section would make one CRLF
    // terminator of two paragraph ends, so there the end is a LF: what starts
    // each text after a section's end is the first character of the next
    // section that has one.
    QList<QChar> nextStart(sections.size() + 1);
    for (qsizetype i = sections.size() - 1; i >= 0; --i)
        nextStart[i] = sections[i].isEmpty() ? nextStart[i + 1] : sections[i].string().front();

    StyledText joined;
    for (qsizetype i = 0; i < sections.size(); ++i) {
        const StyledText &section = sections[i];
        if (!joined.isEmpty() && !StyledText::isParagraphTerminator(joined.string().back()))
            joined.append(nextStart[i] == u'\n' ? QStringLiteral("\n") : QStringLiteral("\r"));
        if (starts)
            starts->append(joined.length());
        const qsizetype last = section.length() - 1;
        if (nextStart[i + 1] == u'\n' && section.string().endsWith(u'\r')) {
            joined.append(section.mid({0, last}));
            joined.append(QStringLiteral("\n"), section.attributesAt(last));
        } else {
            joined.append(section);
        }
    }
    return joined;
}

DocXSavingError DocXWriter::write(const QList<StyledText> &sections, const QString &path, const DocXOptions &options,
                                  const QString &templateFolder)
{
    if (sections.isEmpty())
        return {};
    PackageFolder package;
    if (!package.isValid())
        return DocXSavingError::failure(Kind::File, QStringLiteral("work folder"),
                                        QStringLiteral("A temporary folder could not be made"));
    QString error;
    if (!DocXTemplate::copy(templateFolder.isEmpty() ? DocXTemplate::builtInFolder() : templateFolder, package, &error))
        return DocXSavingError::failure(Kind::NoBlankDocument, QStringLiteral("template"), error);

    PackageBuild build(package, options);
    if (DocXSavingError buildError = build.run(sections); buildError.isError())
        return buildError;
    if (!package.zipTo(path, ZipArchive::Compression::Deflated, &error))
        return DocXSavingError::failure(Kind::CompressionFailed, QStringLiteral("archive"), error);
    return {};
}

DocXSavingError DocXWriter::writePages(const QList<StyledText> &pages, const QString &path, const DocXOptions &options,
                                       const QString &templateFolder)
{
    if (pages.isEmpty())
        return {};
    StyledText joined = pages.first();
    TextAttributes pageBreak;
    pageBreak.breakType = BreakType::Page;
    for (qsizetype i = 1; i < pages.size(); ++i) {
        joined.append(QStringLiteral("\r"), pageBreak);
        joined.append(pages[i]);
    }
    return write({joined}, path, options, templateFolder);
}

DocXSavingError DocXWriter::writeDocXUsingBuiltIn(const StyledText &text, const QString &path)
{
    return BuiltInConversion::write(text, path);
}

bool DocXWriter::writeDocXTo(const StyledText &text, const QString &path, bool useBuiltIn, DocXSavingError *error)
{
    const DocXSavingError result = useBuiltIn ? writeDocXUsingBuiltIn(text, path) : write({text}, path);
    if (error)
        *error = result;
    return !result.isError();
}
