#include "textsystem/doc/DocFormattedRuns.h"

#include "textsystem/doc/DocPlc.h"
#include "textsystem/doc/DocSprm.h"

#include <algorithm>

namespace {

constexpr int paragraphEntrySize = 13; // BX: offset byte and 12 bytes of height cache

} // namespace

DocFormattedRuns DocFormattedRuns::readCharacterRuns(DocByteView wordDocument, DocByteView binTable)
{
    return read(wordDocument, binTable, Kind::Character);
}

DocFormattedRuns DocFormattedRuns::readParagraphRuns(DocByteView wordDocument, DocByteView binTable)
{
    return read(wordDocument, binTable, Kind::Paragraph);
}

DocFormattedRuns DocFormattedRuns::read(DocByteView wordDocument, DocByteView binTable, Kind kind)
{
    DocFormattedRuns result;
    const DocPlc plc(binTable, 4);
    for (qsizetype i = 0; i < plc.count(); ++i) {
        const qint64 page = plc.element(i).u32(0) & 0x3FFFFF;
        const DocByteView bytes = wordDocument.mid(page * pageSize, pageSize);
        if (bytes.size() == pageSize)
            result.readPage(bytes, kind);
    }
    // Pages are listed in stream order; drop any run that goes back, so
    // lookups can search by offset.
    QList<Run> ordered;
    ordered.reserve(result.m_runs.size());
    for (const Run &run : std::as_const(result.m_runs)) {
        if (run.fcEnd > run.fcStart && (ordered.isEmpty() || run.fcStart >= ordered.last().fcEnd))
            ordered << run;
    }
    result.m_runs = ordered;
    return result;
}

void DocFormattedRuns::readPage(DocByteView page, Kind kind)
{
    const int count = page.u8(pageSize - 1);
    const int entrySize = kind == Kind::Character ? 1 : paragraphEntrySize;
    const qint64 entriesAt = 4 * (count + 1);
    const qint64 entriesEnd = entriesAt + count * entrySize;
    if (entriesEnd > pageSize - 1)
        return;
    QList<qint64> blockStarts;
    for (int i = 0; i < count; ++i)
        blockStarts << 2 * qint64(page.u8(entriesAt + i * entrySize));
    std::sort(blockStarts.begin(), blockStarts.end());
    for (int i = 0; i < count; ++i) {
        Run run;
        run.fcStart = page.u32(4 * i);
        run.fcEnd = page.u32(4 * (i + 1));
        const qint64 offset = 2 * qint64(page.u8(entriesAt + i * entrySize));
        if (offset != 0) {
            // A block ends where the next one begins, whatever its size byte
            // says. One whose first byte lies among the entries lost that
            // byte to them (our writer once filled pages one byte too far):
            // it is read up to the next block.
            const auto next = std::upper_bound(blockStarts.cbegin(), blockStarts.cend(), offset);
            const Block block{offset, next == blockStarts.cend() ? pageSize - 1 : *next, offset < entriesEnd};
            if (kind == Kind::Character) {
                run.grpprl = characterProperties(page, block);
            } else {
                const DocByteView papx = paragraphProperties(page, block);
                run.istd = papx.u16(0);
                run.grpprl = papx.mid(2, papx.size() - 2);
            }
        }
        m_runs << run;
    }
}

// A CHPX: a size byte, then the grpprl. Without the size byte, the grpprl
// is the whole sprms before the next block (what follows them is padding).
DocByteView DocFormattedRuns::characterProperties(DocByteView page, const Block &block)
{
    const DocByteView room = page.mid(block.start + 1, block.end - block.start - 1);
    if (block.sizeLost)
        return room.mid(0, DocSprm::wholeLength(room));
    return room.mid(0, qMin<qint64>(page.u8(block.start), room.size()));
}

// A PAPX: a size byte in words for an odd length, or a zero byte and the
// size in words for an even one; then the style index and the grpprl.
DocByteView DocFormattedRuns::paragraphProperties(DocByteView page, const Block &block)
{
    const int sizeByte = page.u8(block.start);
    // A lost size byte reads as zero: the real size in words is never zero,
    // so a zero after it means the block had the one-byte form.
    if (block.sizeLost && sizeByte == 0 && page.u8(block.start + 1) == 0) {
        const DocByteView grpprl = page.mid(block.start + 3, block.end - block.start - 3);
        return page.mid(block.start + 1, 2 + DocSprm::wholeLength(grpprl));
    }
    const qint64 at = block.start + (sizeByte != 0 ? 1 : 2);
    const qint64 size = sizeByte != 0 ? 2 * sizeByte - 1 : 2 * qint64(page.u8(block.start + 1));
    return page.mid(at, qMin(size, block.end - at));
}

const DocFormattedRuns::Run *DocFormattedRuns::find(qint64 fc) const
{
    const qsizetype index = firstEndingAfter(fc);
    if (index >= m_runs.size() || m_runs[index].fcStart > fc)
        return nullptr;
    return &m_runs[index];
}

qsizetype DocFormattedRuns::firstEndingAfter(qint64 fc) const
{
    const auto it = std::upper_bound(m_runs.begin(), m_runs.end(), fc,
                                     [](qint64 value, const Run &run) { return value < qint64(run.fcEnd); });
    return it - m_runs.begin();
}
