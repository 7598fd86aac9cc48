#pragma once

#include <QByteArrayView>
#include <optional>
#include <vector>

// Where the content of a worksheet part's <sheetData> lies and where it can
// be cut between rows, so the rows can be parsed a piece at a time instead of
// as one tree. Found by a light scan of the bytes: the tags up to
// <sheetData>, then the first "</sheetData" and "</row>" texts. A cut in the
// wrong place (a "</row>" inside a comment, or a nested element named row)
// leaves an unclosed construct at the end of its piece, so parsing the pieces
// fails and the caller parses the whole part instead.
struct XlsxSheetDataLayout {
    qsizetype contentBegin = 0; // just after <sheetData ...>
    qsizetype contentEnd = 0;   // at </sheetData>
    // Offsets between contentBegin and contentEnd where a piece begins, each
    // just after a "</row>", ascending, at least `pieceSize` apart.
    std::vector<qsizetype> cuts;

    // The layout of `part` (UTF-8, an optional BOM and XML declaration, then
    // elements); nullopt when it declares another encoding, holds comments,
    // CDATA sections, processing instructions or a document type before its
    // <sheetData>, or has no non-empty <sheetData> as a child of its root.
    static std::optional<XlsxSheetDataLayout> find(QByteArrayView part, qsizetype pieceSize);
};
