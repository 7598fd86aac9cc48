#pragma once

#include <QString>
#include <pugixml.hpp>
#include <vector>

// Reading helpers over pugixml. Names are matched with their prefixes as
// written ("r:id"); an empty node is safe to pass and gives empty results.
namespace XmlRead {

// Parses the file at `path` into `doc`. External entities are never resolved;
// only the predefined and numeric references are expanded. White space that
// is an element's only content is kept as text, so rawText() of "<t> </t>" is
// " "; white space between elements is dropped. Returns false, leaves `doc`
// empty and sets *error ("<path>: <reason> at offset N") on failure.
bool loadFile(pugi::xml_document &doc, const QString &path, QString *error);
// The same for bytes in memory (encoding from BOM or declaration, UTF-8 by
// default); *error is "<reason> at offset N".
bool loadBytes(pugi::xml_document &doc, const QByteArray &bytes, QString *error);
// The same, parsing `buffer` in place: `doc` takes it over (it must come from
// pugi::get_memory_allocation_function()) and frees it, whatever the outcome.
bool loadOwnedBuffer(pugi::xml_document &doc, void *buffer, size_t size, QString *error);
// The most memory a tree parsed in place from these `size` bytes can take:
// the bytes themselves, a node (64 bytes) per '<', an attribute (40 bytes)
// per '=', and a converted copy when the text is not 8-bit. A cheap bound
// to check before parsing: a few bytes of markup make a node each.
qint64 treeBytes(const char *data, size_t size);
// Parses `size` bytes of UTF-8 at `data` in place as a fragment (any number
// of elements and text, no declaration) with the same rules; `doc` refers to
// `data`, which must outlive it. False, with `doc` empty, when not well-formed.
bool loadFragmentInPlace(pugi::xml_document &doc, char *data, size_t size);

// First direct child named exactly `name`, or an empty node.
pugi::xml_node firstChild(pugi::xml_node node, const char *name);
// All direct children named exactly `name`, in document order.
std::vector<pugi::xml_node> children(pugi::xml_node node, const char *name);
// The attribute's value, or "" when absent.
QString attribute(pugi::xml_node node, const char *name);
bool hasAttribute(pugi::xml_node node, const char *name);
// rawText() trimmed of white space and line breaks; "" when there is none.
QString text(pugi::xml_node node);
// The element's own text exactly as the XML gives it: its direct character
// data and CDATA children joined, without the text of child elements.
QString rawText(pugi::xml_node node);

} // namespace XmlRead
