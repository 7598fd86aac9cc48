#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <vector>

// A part whose bulk is a long run of like elements (the rows of a worksheet,
// the items of the shared strings), parsed a piece of that run at a time
// instead of as one tree, which takes several times the part's size.
//
// Where the run lies and where it can be cut is found by a light scan of the
// bytes: the tags up to the container, then the first "</container" and
// "</item>" texts. A cut in the wrong place (an "</item>" inside a comment,
// or a nested element of the item's name) leaves an unclosed construct at the
// end of its piece, so parsing the pieces fails and the caller parses the
// whole part instead.
struct XmlPieces {
    qsizetype contentBegin = 0; // just after the container's start tag
    qsizetype contentEnd = 0;   // at its end tag
    // Offsets between contentBegin and contentEnd where a piece begins, each
    // just after an "</item>", ascending, at least `pieceSize` apart.
    std::vector<qsizetype> cuts;

    // Where the container of the run is.
    enum class Container { Root, ChildOfRoot };

    // Pieces this large keep each piece's tree small while costing nothing
    // much per piece.
    static constexpr qsizetype defaultPieceSize = 256 * 1024;

    // The pieces of `part` (UTF-8, an optional BOM and XML declaration, then
    // elements) whose container is the root element named `container` or the
    // root's first child of that name, as `where` says. Nullopt
    // when the part declares another encoding, holds comments, CDATA
    // sections, processing instructions or a document type before the
    // container's content, or has no such container with content.
    static std::optional<XmlPieces> find(QByteArrayView part, Container where, const char *container,
                                         const char *item, qsizetype pieceSize);

    // The most memory parsing takes at once, by XmlRead::treeBytes: the
    // outline's tree and the copy it is parsed from, and the largest piece's
    // tree (a run without cuts is one piece however long).
    qint64 parseBytes(QByteArrayView part) const;

    // Parses the part around the content into `outline` (the container left
    // empty), then each piece in place, so `part` is changed, handing each
    // piece's top-level nodes to `eachPiece` while its tree lives. False when
    // any of them is not well-formed (XmlRead rules).
    bool parse(QByteArray &part, pugi::xml_document &outline,
               const std::function<void(pugi::xml_node piece)> &eachPiece) const;
};
