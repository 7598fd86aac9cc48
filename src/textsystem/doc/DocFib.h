#pragma once

#include "textsystem/doc/DocByteView.h"

#include <QString>

#include <optional>

// The file information block at the start of a Word 97 (and later)
// WordDocument stream: where each structure of the table stream lies and
// how many characters each part of the text holds.
struct DocFib
{
    // Offset and size of a structure in the table stream.
    struct Blob {
        quint32 fc = 0;
        quint32 lcb = 0;
    };

    // Indices of the FcLcb pairs this code reads or writes.
    enum BlobIndex {
        StshfIndex = 1,
        PlcfSedIndex = 6,
        PlcfBteChpxIndex = 12,
        PlcfBtePapxIndex = 13,
        SttbfFfnIndex = 15,
        PlcfFldMomIndex = 16,
        DopIndex = 31,
        ClxIndex = 33,
        DggInfoIndex = 50,
        PlcSpaMomIndex = 40,
        PlfLstIndex = 73,
        PlfLfoIndex = 74,
    };

    static constexpr quint16 wordIdentifier = 0xA5EC;
    static constexpr quint16 word6Identifier = 0xA5DC; // Word 6.0 and Word 95
    static constexpr quint16 farEastWord95Identifier = 0xA699; // Word 95's East Asian editions
    static constexpr quint16 word97Version = 0x00C1;
    static constexpr int pairCount97 = 0x5D;
    static constexpr int lwCount = 22;
    static constexpr int pairsOffset = 0x9A;

    quint16 nFib = 0;
    bool tableStreamIs1Table = false;
    qint32 ccpText = 0;
    qint32 ccpFtn = 0;
    qint32 ccpHdd = 0;
    qint32 ccpAtn = 0;
    qint32 ccpEdn = 0;
    qint32 ccpTxbx = 0;
    qint32 ccpHdrTxbx = 0;
    int pairCount = 0;
    Blob blobs[pairCount97];

    Blob blob(BlobIndex index) const { return index < pairCount ? blobs[index] : Blob{}; }
    QString tableStreamName() const;

    // Reads the block. Fails with a readable error for a stream that is not a
    // Word document, one older than Word 97, or an encrypted one.
    static std::optional<DocFib> parse(DocByteView wordDocument, QString *error);
};
