#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

// One value read from a Lotus 1-2-3 worksheet: zero-based row and column as
// stored in the file (0..65535) and the cell's text.
struct LotusCell {
    int row = 0;
    int col = 0;
    QString value;
    friend bool operator==(const LotusCell &, const LotusCell &) = default;
};

// A cell record found in the stream, its value not yet decoded: where it
// goes, its opcode and its whole body.
struct LotusRecord {
    int row = 0;
    int col = 0;
    quint16 opcode = 0;
    QByteArrayView body;
};

// Walks the record stream of a WK1 worksheet (opcode and body length, both
// 16-bit little-endian, then the body) and collects the LABEL (0x0F), NUMBER
// (0x0E) and INTEGER (0x0D) cells; every other record is skipped. Holds no
// state.
class LotusParser
{
public:
    // Cells in record order. Never fails: a record whose body runs past the
    // end, or fewer than 4 bytes left, ends the walk; a body shorter than its
    // record's minimum is skipped.
    QList<LotusCell> parse(const QByteArray &data) const;

    // The same walk, handing each cell record to `visit` in record order
    // without decoding it, so a caller keeps only the records it places.
    void forEachCell(const QByteArray &data, const std::function<void(const LotusRecord &)> &visit) const;

    // The text of a record that forEachCell() gave.
    static QString cellText(const LotusRecord &record);

    // True when the data begins with a WK1 beginning-of-file record (opcode 0,
    // body of 2 bytes).
    static bool hasBeginningOfFile(const QByteArray &data);

    // The 8 bytes at `offset` as an unsigned little-endian integer; 0 when
    // fewer than 8 bytes remain there (or the offset is negative).
    static quint64 readUInt64LE(const QByteArray &data, qsizetype offset);

    // A label's text: the bytes up to the first zero byte, decoded as CP932,
    // else strict UTF-8, else UTF-8 with U+FFFD; then one alignment prefix
    // (' " ^ \) removed.
    static QString labelText(const QByteArray &bytes);

    // A number's text: "%.0f" for integral values ("5", "-3", "45000"),
    // otherwise the shortest round-trip text ("0.5", "1e-05", "inf", "nan").
    static QString numberText(double value);
};
