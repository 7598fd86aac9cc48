#include "textsystem/doc/DocPieceTable.h"

#include "platform/Failure.h"
#include "textsystem/doc/DocPlc.h"

namespace {

// Code page 1252 in 0x80..0x9F; the other bytes are Latin-1.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr quint8 prcClxt = 0x01;
constexpr quint8 pcdtClxt = 0x02;
constexpr quint32 compressedFlag = 0x40000000;

} // namespace

std::optional<DocPieceTable> DocPieceTable::parse(DocByteView clx, qint64 streamSize, QString *error)
{
    DocPieceTable table;
    qint64 at = 0;
    while (clx.u8(at) == prcClxt && clx.contains(at, 3)) {
        const qint16 size = clx.i16(at + 1);
        if (size < 0 || !clx.contains(at + 3, size)) {
            fail(error, QStringLiteral("The Word document's piece table is damaged"));
            return std::nullopt;
        }
        table.m_prcs << clx.mid(at + 3, size);
        at += 3 + size;
    }
    if (clx.u8(at) != pcdtClxt || !clx.contains(at, 5)) {
        fail(error, QStringLiteral("The Word document has no piece table"));
        return std::nullopt;
    }
    const DocPlc plc(clx.mid(at + 5, qMin<qint64>(clx.u32(at + 1), clx.size() - at - 5)), 8);
    qint64 textBytes = 0;
    for (qsizetype i = 0; i < plc.count(); ++i) {
        const DocByteView pcd = plc.element(i);
        const quint32 fcValue = pcd.u32(2);
        Piece piece;
        piece.cpStart = plc.position(i);
        piece.cpEnd = plc.position(i + 1);
        piece.compressed = fcValue & compressedFlag;
        piece.fc = piece.compressed ? (fcValue & ~compressedFlag) / 2 : (fcValue & 0x3FFFFFFF);
        piece.prm = pcd.u16(6);
        const qint64 previousEnd = table.m_pieces.isEmpty() ? 0 : table.m_pieces.last().cpEnd;
        if (piece.cpEnd < piece.cpStart || piece.cpStart != previousEnd) {
            fail(error, QStringLiteral("The pieces of the Word document's text overlap or leave gaps"));
            return std::nullopt;
        }
        if (piece.fcEnd() > streamSize) {
            fail(error, QStringLiteral("A piece of the Word document's text lies past the end of its stream"));
            return std::nullopt;
        }
        // A document's pieces lie side by side in the stream; pieces that
        // reuse its bytes over and over would make a small file produce
        // gigabytes of text.
        textBytes += piece.fcEnd() - piece.fc;
        if (textBytes > streamSize) {
            fail(error, QStringLiteral("The pieces of the Word document's text hold more than its stream does: "
                                       "they overlap in the file"));
            return std::nullopt;
        }
        table.m_pieces << piece;
    }
    return table;
}

QString DocPieceTable::text(DocByteView stream, qint64 cpCount) const
{
    QString out;
    out.reserve(qMin(cpCount, cpLimit()));
    for (const Piece &piece : m_pieces) {
        if (piece.cpStart >= cpCount)
            break;
        const qint64 count = qMin(piece.cpEnd, cpCount) - piece.cpStart;
        if (piece.compressed) {
            for (qint64 i = 0; i < count; ++i) {
                const quint8 byte = stream.u8(piece.fc + i);
                out.append(QChar(byte >= 0x80 && byte < 0xA0 ? cp1252High[byte - 0x80] : char16_t(byte)));
            }
        } else {
            for (qint64 i = 0; i < count; ++i)
                out.append(QChar(stream.u16(piece.fc + 2 * i)));
        }
    }
    return out;
}

DocByteView DocPieceTable::prcGrpprl(quint16 prm) const
{
    if (!(prm & 1))
        return {};
    const qsizetype index = prm >> 1;
    return index < m_prcs.size() ? m_prcs[index] : DocByteView();
}
