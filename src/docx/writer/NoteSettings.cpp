#include "NoteSettings.h"

#include "docx/writer/DocXPart.h"

#include <QSet>

namespace NoteSettings {

QString formatText(DocXNoteNumberFormat format)
{
    switch (format) {
    case DocXNoteNumberFormat::Decimal: return QStringLiteral("decimal");
    case DocXNoteNumberFormat::LowerRoman: return QStringLiteral("lowerRoman");
    case DocXNoteNumberFormat::UpperRoman: return QStringLiteral("upperRoman");
    case DocXNoteNumberFormat::LowerLetter: return QStringLiteral("lowerLetter");
    case DocXNoteNumberFormat::UpperLetter: return QStringLiteral("upperLetter");
    case DocXNoteNumberFormat::Chicago: return QStringLiteral("chicago");
    }
    return QStringLiteral("decimal");
}

QString restartText(DocXNoteNumberRestart restart)
{
    switch (restart) {
    case DocXNoteNumberRestart::Continuous: return QStringLiteral("continuous");
    case DocXNoteNumberRestart::EachSection: return QStringLiteral("eachSect");
    case DocXNoteNumberRestart::EachPage: return QStringLiteral("eachPage");
    }
    return QStringLiteral("continuous");
}

QString positionText(DocXEndnotePosition position)
{
    return position == DocXEndnotePosition::EndOfSection ? QStringLiteral("sectEnd") : QStringLiteral("docEnd");
}

std::optional<XmlElement> notePropertiesElement(const QString &name, std::optional<DocXNoteNumberFormat> format,
                                                std::optional<DocXNoteNumberRestart> restart)
{
    if (!format && !restart)
        return std::nullopt;
    XmlElement element(name);
    if (format)
        element.addChild(QStringLiteral("w:numFmt"), std::nullopt, {{QStringLiteral("w:val"), formatText(*format)}});
    if (restart)
        element.addChild(QStringLiteral("w:numRestart"), std::nullopt,
                         {{QStringLiteral("w:val"), restartText(*restart)}});
    return element;
}

std::vector<XmlElement> notePropertiesElements(const DocXOptions &options)
{
    std::vector<XmlElement> elements;
    if (auto footnotes = notePropertiesElement(QStringLiteral("w:footnotePr"), options.footnoteNumberFormat,
                                               options.footnoteNumberRestart))
        elements.push_back(std::move(*footnotes));
    if (auto endnotes = notePropertiesElement(QStringLiteral("w:endnotePr"), options.endnoteNumberFormat,
                                              options.endnoteNumberRestart))
        elements.push_back(std::move(*endnotes));
    return elements;
}

namespace {

// Settings that the schema places after w:endnotePr.
bool followsEndnoteProperties(const QString &name)
{
    static const QSet<QString> names = {
        QStringLiteral("w:compat"), QStringLiteral("w:docVars"), QStringLiteral("w:rsids"),
        QStringLiteral("w:attachedSchema"), QStringLiteral("w:themeFontLang"),
        QStringLiteral("w:clrSchemeMapping"), QStringLiteral("w:doNotIncludeSubdocsInStats"),
        QStringLiteral("w:doNotAutoCompressPictures"), QStringLiteral("w:forceUpgrade"),
        QStringLiteral("w:captions"), QStringLiteral("w:readModeInkLockDown"), QStringLiteral("w:smartTagType"),
        QStringLiteral("w:shapeDefaults"), QStringLiteral("w:doNotEmbedSmartTags"),
        QStringLiteral("w:decimalSymbol"), QStringLiteral("w:listSeparator"),
    };
    // m:mathPr, sl:schemaLibrary and the later extensions (w14:, w15:...) all follow it too.
    return names.contains(name) || !name.startsWith(QLatin1String("w:"));
}

XmlElement endnotePropertiesWithPosition(const XmlElement *existing, DocXEndnotePosition position)
{
    XmlElement properties = existing ? XmlElement(existing->name(), existing->value(), existing->attributes())
                                     : XmlElement(QStringLiteral("w:endnotePr"));
    properties.addChild(QStringLiteral("w:pos"), std::nullopt, {{QStringLiteral("w:val"), positionText(position)}});
    if (existing)
        for (const XmlElement &child : existing->children())
            if (child.name() != QLatin1String("w:pos"))
                properties.addChild(child);
    return properties;
}

} // namespace

XmlElement withEndnotePosition(const XmlElement &settings, DocXEndnotePosition position)
{
    const XmlElement *existing = nullptr;
    for (const XmlElement &child : settings.children())
        if (!existing && child.name() == QLatin1String("w:endnotePr"))
            existing = &child;

    XmlElement result(settings.name(), settings.value(), settings.attributes());
    bool placed = false;
    for (const XmlElement &child : settings.children()) {
        if (&child == existing) {
            result.addChild(endnotePropertiesWithPosition(existing, position));
            placed = true;
            continue;
        }
        if (!existing && !placed && followsEndnoteProperties(child.name())) {
            result.addChild(endnotePropertiesWithPosition(nullptr, position));
            placed = true;
        }
        result.addChild(child);
    }
    if (!placed)
        result.addChild(endnotePropertiesWithPosition(nullptr, position));
    return result;
}

bool updateSettings(PackageFolder &package, DocXEndnotePosition position, QString *error)
{
    const QString partName = QStringLiteral("word/settings.xml");
    const auto settings = DocXPart::read(package, partName, error);
    return settings && DocXPart::write(package, partName, withEndnotePosition(*settings, position), error);
}

} // namespace NoteSettings
