#include "ParagraphElement.h"

#include "docx/writer/ImageDrawing.h"
#include "docx/writer/ParagraphProperties.h"
#include "docx/writer/RubyElement.h"
#include "docx/writer/RunProperties.h"
#include "docx/writer/RunText.h"

namespace ParagraphElement {

namespace {

struct RunInput
{
    const StyledText &text;
    const TextAttributes &attributes;
    TextRange range;     // the run
    TextRange paragraph; // the paragraph's content
};

std::optional<XmlElement> paragraphProperties(const ParagraphRange &paragraph, const StyledText &text,
                                              const XmlElement *sectionBreak)
{
    XmlElement properties(QStringLiteral("w:pPr"));
    if (paragraph.styleId)
        properties.addChild(QStringLiteral("w:pStyle"), std::nullopt, {{QStringLiteral("w:val"), *paragraph.styleId}});
    if (auto numbering = ParagraphRanges::numberingPropertiesElement(paragraph))
        properties.addChild(std::move(*numbering));
    // A paragraph's style is that of its first character; an empty one's
    // first character is its terminator, which carries the style.
    if (const auto style = text.valueAt(&TextAttributes::paragraphStyle, paragraph.range.location))
        for (XmlElement &element : ParagraphProperties::elements(*style))
            properties.addChild(std::move(element));
    if (sectionBreak)
        properties.addChild(*sectionBreak);
    if (properties.children().empty())
        return std::nullopt;
    return properties;
}

XmlElement noteMarkRun(NoteReferenceKind kind)
{
    XmlElement run(QStringLiteral("w:r"));
    run.addChild(kind == NoteReferenceKind::Footnote ? QStringLiteral("w:footnoteRef") : QStringLiteral("w:endnoteRef"));
    return run;
}

XmlElement breakRun(BreakType type)
{
    XmlElement run(QStringLiteral("w:r"));
    run.addChild(QStringLiteral("w:br"), std::nullopt,
                 {{QStringLiteral("w:type"), type == BreakType::Page ? QStringLiteral("page") : QStringLiteral("column")}});
    return run;
}

enum class NoteMatch { None, Reference, Continuation };

// A reference id spread over several runs is one reference, written at its
// first run; the runs after it write nothing.
NoteMatch noteReference(const RunInput &run, std::optional<qint64> TextAttributes::*field, const QSet<qint64> &bodies,
                        qint64 *id)
{
    const auto valid = ParagraphRanges::validNoteId(run.attributes.*field);
    if (!valid || !bodies.contains(*valid))
        return NoteMatch::None;
    TextRange longest;
    run.text.valueAt(field, run.range.location, &longest, run.paragraph);
    *id = *valid;
    return longest.location == run.range.location ? NoteMatch::Reference : NoteMatch::Continuation;
}

enum class RunPlace { Plain, InLink };

std::optional<XmlElement> textRun(const RunInput &run, const ParagraphContext &context, RunPlace place)
{
    const QString text = run.text.string().mid(run.range.location, run.range.length);
    if (run.attributes.ruby)
        if (auto ruby = RubyElement::element(*run.attributes.ruby, text, run.attributes)) {
            XmlElement element(QStringLiteral("w:r"));
            element.addChild(RunProperties::element(run.attributes));
            element.addChild(std::move(*ruby));
            return element;
        }
    if (RunText::isBlank(text))
        return std::nullopt;
    const auto &styles = context.options.styleConfiguration;
    // Only plain text takes its family from the styles; a link's run keeps it.
    const auto fontFamily = styles && !styles->outputFontFamily() && place == RunPlace::Plain
                                ? RunProperties::FontFamily::Omitted
                                : RunProperties::FontFamily::Written;
    XmlElement element(QStringLiteral("w:r"));
    element.addChild(RunProperties::element(run.attributes, fontFamily));
    RunText::append(element, text);
    return element;
}

// The element of one run, before any hyperlink around it.
std::optional<XmlElement> runContent(const RunInput &run, ParagraphContext &context, RunPlace place)
{
    qint64 id = 0;
    const std::pair<std::optional<qint64> TextAttributes::*, NoteReferenceKind> notes[] = {
        {&TextAttributes::footnoteReferenceId, NoteReferenceKind::Footnote},
        {&TextAttributes::endnoteReferenceId, NoteReferenceKind::Endnote},
    };
    for (const auto &[field, kind] : notes) {
        const auto &bodies = kind == NoteReferenceKind::Footnote ? context.footnoteIds : context.endnoteIds;
        switch (noteReference(run, field, bodies, &id)) {
        case NoteMatch::Reference: return noteReferenceRun(id, kind, run.attributes);
        case NoteMatch::Continuation: return std::nullopt;
        case NoteMatch::None: break;
        }
    }
    if (const TextAttachment *attachment = run.attributes.attachment.get())
        if (const ImageRelationship *image = context.relationships.image(attachment))
            return ImageDrawing::run(image->withHints(*attachment), context.nextDrawingId++);
    if (run.attributes.imageUrl)
        if (const ImageRelationship *image = context.relationships.imageForUrl(*run.attributes.imageUrl))
            return ImageDrawing::run(*image, context.nextDrawingId++);
    return textRun(run, context, place);
}

std::optional<XmlElement> runElement(const RunInput &run, ParagraphContext &context)
{
    const auto id = run.attributes.link ? context.relationships.linkId(*run.attributes.link) : std::nullopt;
    std::optional<XmlElement> content = runContent(run, context, id ? RunPlace::InLink : RunPlace::Plain);
    if (!content || !id)
        return content;
    XmlElement hyperlink(QStringLiteral("w:hyperlink"), std::nullopt, {{QStringLiteral("r:id"), *id}});
    hyperlink.addChild(std::move(*content));
    return hyperlink;
}

} // namespace

XmlElement noteReferenceRun(qint64 id, NoteReferenceKind kind, const TextAttributes &attributes)
{
    XmlElement run(QStringLiteral("w:r"));
    run.addChild(RunProperties::element(attributes));
    run.addChild(kind == NoteReferenceKind::Footnote ? QStringLiteral("w:footnoteReference")
                                                     : QStringLiteral("w:endnoteReference"),
                 std::nullopt, {{QStringLiteral("w:id"), QString::number(id)}});
    return run;
}

XmlElement build(const ParagraphRange &paragraph, const StyledText &text, ParagraphContext &context,
                 std::optional<NoteReferenceKind> leadingNoteMark, const XmlElement *sectionBreak)
{
    XmlElement element(QStringLiteral("w:p"));
    if (auto properties = paragraphProperties(paragraph, text, sectionBreak))
        element.addChild(std::move(*properties));
    if (leadingNoteMark)
        element.addChild(noteMarkRun(*leadingNoteMark));
    text.forEachRun(paragraph.range, [&](const TextAttributes &attributes, TextRange range) {
        if (auto run = runElement(RunInput{text, attributes, range, paragraph.range}, context))
            element.addChild(std::move(*run));
    });
    if (paragraph.breakType != BreakType::Wrap)
        element.addChild(breakRun(paragraph.breakType));
    return element;
}

} // namespace ParagraphElement
