#pragma once

#include <QByteArray>

#include <functional>

// An SVG picture written again so that it draws only what it holds. Qt's SVG
// reader loads the file an <image> names and the style sheet a processing
// instruction names as soon as anything parses the drawing, a size query
// included: what a document holds must never make the program open another
// file, device or address. Every Qt reader is handed the cleaned drawing;
// the document keeps the original bytes.
//
// The drawing keeps its elements, attributes and text, and loses its
// processing instructions, DOCTYPE and comments, every <image> that does not
// hold its picture as a data: URI, every href naming anything but an element
// of the drawing ("#id"), every attribute or style text whose url() does,
// and style text importing another sheet.
namespace SvgCleaner {

// What becomes of a picture an <image> holds: shown from `bytes` (the
// picture as Qt's readers may see it), left out of the drawing (`bytes`
// empty), or `refused` with the whole drawing.
struct NestedPicture
{
    QByteArray bytes;
    bool refused = false;
};

using NestedCheck = std::function<NestedPicture(const QByteArray &bytes)>;

struct Result
{
    QByteArray svg;       // empty when the XML is malformed or a picture refused it
    bool refused = false; // `nested` refused one of its pictures
};

// `svg` cleaned; `nested` decides each picture held in a data: URI.
Result cleaned(const QByteArray &svg, const NestedCheck &nested);

} // namespace SvgCleaner
