#pragma once

#include "textsystem/doc/DocByteView.h"

#include <QList>
#include <QString>

#include <optional>

// Where each character of a Word document's text lies in the WordDocument
// stream: the pieces of the Clx, each a range of character positions (CPs)
// stored either as 8-bit code page 1252 or as UTF-16.
class DocPieceTable
{
public:
    struct Piece {
        qint64 cpStart = 0;
        qint64 cpEnd = 0;
        qint64 fc = 0; // byte offset of the first character
        bool compressed = false;
        quint16 prm = 0;

        int bytesPerCharacter() const { return compressed ? 1 : 2; }
        qint64 fcEnd() const { return fc + (cpEnd - cpStart) * bytesPerCharacter(); }
        qint64 fcOf(qint64 cp) const { return fc + (cp - cpStart) * bytesPerCharacter(); }
    };

    // Reads the pieces. Pieces whose CPs do not ascend, whose characters
    // leave the WordDocument stream of `streamSize` bytes, or that together
    // hold more bytes than the stream (so they overlap in it) are an error.
    static std::optional<DocPieceTable> parse(DocByteView clx, qint64 streamSize, QString *error);

    const QList<Piece> &pieces() const { return m_pieces; }
    qint64 cpLimit() const { return m_pieces.isEmpty() ? 0 : m_pieces.last().cpEnd; }

    // The characters of CPs [0, cpCount), clipped to the pieces.
    QString text(DocByteView stream, qint64 cpCount) const;

    // The grpprl that a piece's property modifier of the second kind names.
    DocByteView prcGrpprl(quint16 prm) const;

private:
    QList<Piece> m_pieces;
    QList<DocByteView> m_prcs;
};
