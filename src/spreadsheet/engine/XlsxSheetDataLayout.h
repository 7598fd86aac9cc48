#pragma once

#include <QByteArrayView>
#include <optional>
#include <vector>

// Where the content of a worksheet part's <sheetData> lies and where it can
// be cut between rows, so the rows can be parsed a piece at a time instead of
// as one tree. Found by a light scan of the bytes that follows start and end
// tags (quoted attribute values included) and nothing else: anything it does
// not follow gives no layout, and the caller parses the whole part.
struct XlsxSheetDataLayout {
    qsizetype contentBegin = 0; // just after <sheetData ...>
    qsizetype contentEnd = 0;   // at </sheetData>
    // Offsets between contentBegin and contentEnd where a piece begins, each
    // after a complete element that is a direct child of <sheetData>, in
    // ascending order and at least `pieceSize` apart.
    std::vector<qsizetype> cuts;

    // The layout of `part` (UTF-8, an optional BOM and XML declaration, then
    // elements); nullopt when it declares another encoding, holds comments,
    // CDATA sections, processing instructions or a document type, has no
    // non-empty <sheetData> as a child of its root, or its tags do not nest.
    static std::optional<XlsxSheetDataLayout> find(QByteArrayView part, qsizetype pieceSize);
};
