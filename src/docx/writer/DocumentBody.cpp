#include "DocumentBody.h"

#include "docx/writer/DocumentRoot.h"
#include "docx/writer/NoteSettings.h"

namespace DocumentBody {

namespace {

// The index of the section holding `location`: the last whose start is at or
// before it, so an empty section gives its place to the next one.
qsizetype sectionOf(const QList<Section> &sections, qsizetype location, qsizetype from)
{
    qsizetype index = from;
    while (index + 1 < sections.size() && sections[index + 1].start <= location)
        ++index;
    return index;
}

} // namespace

XmlElement sectionProperties(const DocXOptions &options, bool vertical, SectionKind kind)
{
    XmlElement properties(QStringLiteral("w:sectPr"));
    for (XmlElement &element : NoteSettings::notePropertiesElements(options))
        properties.addChild(std::move(element));
    if (kind == SectionKind::Break)
        properties.addChild(QStringLiteral("w:type"), std::nullopt, {{QStringLiteral("w:val"), QStringLiteral("nextPage")}});
    if (options.pageDefinition) {
        properties.addChild(options.pageDefinition->pageSize.pageSizeElement());
        properties.addChild(options.pageDefinition->pageMargins.pageMarginElement());
    }
    if (vertical)
        properties.addChild(QStringLiteral("w:textDirection"), std::nullopt, {{QStringLiteral("w:val"), QStringLiteral("tbRl")}});
    return properties;
}

bool isVertical(const StyledText &text)
{
    bool vertical = false;
    text.forEachValue(TextRange{0, text.length()}, &TextAttributes::verticalForms,
                      [&vertical](const std::optional<bool> &value, TextRange) {
                          vertical = value.value_or(false);
                          return !vertical;
                      });
    return vertical;
}

XmlElement element(const StyledText &joined, const QList<Section> &sections, const QList<ParagraphRange> &paragraphs,
                   ParagraphContext &context)
{
    const bool vertical = isVertical(joined);
    const XmlElement sectionBreak = sectionProperties(context.options, vertical, SectionKind::Break);

    // The body paragraphs of each section, in order.
    QList<QList<const ParagraphRange *>> bySection(sections.size());
    qsizetype section = 0;
    for (const ParagraphRange &paragraph : paragraphs) {
        section = sectionOf(sections, paragraph.range.location, section);
        if (!paragraph.isNoteBody() && !bySection.isEmpty())
            bySection[section].append(&paragraph);
    }

    XmlElement root = DocumentRoot::element();
    XmlElement &body = root.addChild(QStringLiteral("w:body"));
    for (qsizetype s = 0; s < bySection.size(); ++s) {
        const bool last = s + 1 == bySection.size();
        const QList<const ParagraphRange *> &records = bySection[s];
        for (qsizetype p = 0; p < records.size(); ++p) {
            const bool closesSection = !last && p + 1 == records.size();
            body.addChild(ParagraphElement::build(*records[p], joined, context, std::nullopt,
                                                  closesSection ? &sectionBreak : nullptr));
        }
        if (!last && records.isEmpty())
            body.addChild(QStringLiteral("w:p")).addChild(QStringLiteral("w:pPr")).addChild(sectionBreak);
    }
    body.addChild(sectionProperties(context.options, vertical, SectionKind::Final));
    return root;
}

} // namespace DocumentBody
