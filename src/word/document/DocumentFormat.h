#pragma once

#include <QList>
#include <QString>
#include <optional>

// The ten file formats of the word processor, in the order the save dialog's
// format picker lists them. The raw value of each is its file extension
// without the dot.
enum class DocumentFormat { Rtf, Rtfd, Doc, Docx, Dotx, Html, Htm, Jwd, Jxw, Wpd };

namespace DocumentFormats {

// Every format in picker order.
const QList<DocumentFormat> &all();
// "rtf", "docx", ...
QString rawValue(DocumentFormat format);
// The picker label, e.g. "Rich Text (.rtf)".
QString displayName(DocumentFormat format);
// Exactly one of the ten raw values, case-sensitively; nullopt otherwise.
std::optional<DocumentFormat> fromRawValue(const QString &rawValue);
// The format named by a file's extension, lower-cased first ("Report.DOCX"
// gives Docx); nullopt for any other extension.
std::optional<DocumentFormat> fromFileName(const QString &fileName);
// True for .jwd, .jxw and .wpd, which hold plain text only.
bool isPlainText(DocumentFormat format);

} // namespace DocumentFormats
