#pragma once

#include "docx/writer/DocXOptions.h"
#include "platform/XmlElement.h"
#include "platform/package/PackageFolder.h"

#include <QString>
#include <vector>

// Note numbering and position: the w:footnotePr and w:endnotePr of section
// properties, and the endnote position in word/settings.xml.
namespace NoteSettings {

QString formatText(DocXNoteNumberFormat format);
QString restartText(DocXNoteNumberRestart restart);
QString positionText(DocXEndnotePosition position); // "docEnd" or "sectEnd"

// An element `name` holding w:numFmt and w:numRestart for what is set;
// nothing when neither is.
std::optional<XmlElement> notePropertiesElement(const QString &name, std::optional<DocXNoteNumberFormat> format,
                                                std::optional<DocXNoteNumberRestart> restart);
// w:footnotePr then w:endnotePr, those that exist.
std::vector<XmlElement> notePropertiesElements(const DocXOptions &options);

// The settings root with its w:endnotePr holding w:pos first (its old w:pos
// children removed). A new w:endnotePr goes where the schema puts it: after
// w:footnotePr and before w:compat and the elements that follow it.
XmlElement withEndnotePosition(const XmlElement &settings, DocXEndnotePosition position);

// Reads word/settings.xml of `package`, sets the endnote position and writes
// it back. False with *error when reading, parsing or writing fails.
bool updateSettings(PackageFolder &package, DocXEndnotePosition position, QString *error);

} // namespace NoteSettings
