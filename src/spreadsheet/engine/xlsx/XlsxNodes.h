#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <pugixml.hpp>

// Small readings shared by the parts of the XLSX reader.
namespace XlsxNodes {

// The attribute's value trimmed of white space, or "" when absent.
QString attribute(pugi::xml_node node, const char *name);

// The position that `text` names in a list of `size` entries: an optional
// sign and decimal digits, the whole text, in 0..size-1; nullopt otherwise.
std::optional<qsizetype> listIndex(const QString &text, qsizetype size);
std::optional<qsizetype> listIndex(QByteArrayView text, qsizetype size);

// The text of a string item (<si> of the shared strings, <is> of an inline
// string): its first <t>, or else the first <t> of each <r> run joined.
// Texts are kept exactly as written, blanks at the ends included.
QString stringItemText(pugi::xml_node item);

// True when the item holds a <t> or at least one <r> run.
bool hasStringText(pugi::xml_node item);

} // namespace XlsxNodes
