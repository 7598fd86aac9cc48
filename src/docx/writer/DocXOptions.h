#pragma once

#include "docx/writer/DocXStyleConfiguration.h"
#include "docx/writer/PageDefinition.h"
#include "platform/XmlElement.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

enum class DocXNoteNumberFormat { Decimal, LowerRoman, UpperRoman, LowerLetter, UpperLetter, Chicago };
enum class DocXNoteNumberRestart { Continuous, EachSection, EachPage };
enum class DocXEndnotePosition { EndOfDocument, EndOfSection };
// A .docx document or a .dotx template: only the main part's content type differs.
enum class DocXPackageKind { Document, Template };

// What a caller hands the DOCX writer besides the text and the destination.
struct DocXOptions
{
    QString author = QStringLiteral("DocX");
    QString title;
    QString subject;
    QString description;
    QStringList keywords;
    QDateTime createdDate = QDateTime::currentDateTimeUtc();
    QDateTime modifiedDate = QDateTime::currentDateTimeUtc();
    std::optional<DocXStyleConfiguration> styleConfiguration;
    std::optional<PageDefinition> pageDefinition;
    std::optional<DocXNoteNumberFormat> footnoteNumberFormat;
    std::optional<DocXNoteNumberRestart> footnoteNumberRestart;
    std::optional<DocXNoteNumberFormat> endnoteNumberFormat;
    std::optional<DocXNoteNumberRestart> endnoteNumberRestart;
    std::optional<DocXEndnotePosition> endnotePosition;
    // Attributes of the core-properties root; the five namespace declarations
    // the part uses are always written, whatever this map holds.
    std::map<QString, QString> attributes = defaultCoreAttributes();
    DocXPackageKind packageKind = DocXPackageKind::Document;

    static std::map<QString, QString> defaultCoreAttributes();

    // The root of docProps/core.xml: title, subject, creator, keywords (joined
    // with ","), description, last modified by, revision "1" and the two
    // dates as W3CDTF in UTC ("2024-03-05T09:07:02Z").
    XmlElement corePropertiesElement() const;
};
