#include "textsystem/doc/DocFormattedRuns.h"

#include "textsystem/doc/DocPlc.h"

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
    if (entriesAt + count * entrySize > pageSize - 1)
        return;
    for (int i = 0; i < count; ++i) {
        Run run;
        run.fcStart = page.u32(4 * i);
        run.fcEnd = page.u32(4 * (i + 1));
        const qint64 offset = 2 * qint64(page.u8(entriesAt + i * entrySize));
        if (offset != 0) {
            if (kind == Kind::Character) {
                run.grpprl = page.mid(offset + 1, page.u8(offset));
            } else {
                // A size byte of 0 is followed by the real size in words.
                const int sizeByte = page.u8(offset);
                const qint64 size = sizeByte != 0 ? 2 * sizeByte - 1 : 2 * qint64(page.u8(offset + 1));
                const DocByteView papx = page.mid(offset + (sizeByte != 0 ? 1 : 2), size);
                run.istd = papx.u16(0);
                run.grpprl = papx.mid(2, papx.size() - 2);
            }
        }
        m_runs << run;
    }
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
