#include "textsystem/doc/DocFkpWriter.h"

#include "textsystem/doc/DocBytes.h"

namespace {

using DocBytes::put32;

constexpr int pageSize = 512;

} // namespace

int DocFkpWriter::storedSize(const QByteArray &properties) const
{
    if (properties.isEmpty() && m_kind == Kind::Character)
        return 0;
    // CHPX: size byte and grpprl. PAPX: one size byte (in words, for an odd
    // length) or a zero byte and a size byte (even length). Both start on
    // an even offset.
    int size = 1 + int(properties.size());
    if (m_kind == Kind::Paragraph && properties.size() % 2 == 0)
        size += 1;
    return size + (size & 1);
}

bool DocFkpWriter::fits(const Run &run) const
{
    const int count = int(m_runs.size()) + 1;
    const int front = 4 * (count + 1) + count * entrySize();
    const int stored = m_storedInPage.contains(run.properties) ? 0 : storedSize(run.properties);
    // Properties are stored downwards from the count byte, each on an even
    // offset (the first one leaves a byte free), and may not reach the entries.
    const int lowestStored = (pageSize - 1 - m_storedBytes - stored) & ~1;
    return lowestStored >= front;
}

void DocFkpWriter::addRun(quint32 fcStart, quint32 fcEnd, const QByteArray &properties)
{
    const Run run{fcStart, fcEnd, properties};
    if (!m_runs.isEmpty() && !fits(run))
        closePage();
    if (!m_storedInPage.contains(properties) && storedSize(properties) > 0) {
        m_storedInPage << properties;
        m_storedBytes += storedSize(properties);
    }
    m_runs << run;
    m_lastFc = fcEnd;
}

void DocFkpWriter::closePage()
{
    if (m_runs.isEmpty())
        return;
    QByteArray page(pageSize, '\0');
    const int count = int(m_runs.size());
    for (int i = 0; i < count; ++i)
        put32(page, 4 * i, m_runs[i].fcStart);
    put32(page, 4 * count, m_runs.last().fcEnd);
    const int entriesAt = 4 * (count + 1);
    int storeEnd = pageSize - 1;
    QList<int> offsets;
    for (const QByteArray &properties : std::as_const(m_storedInPage)) {
        const int size = storedSize(properties);
        storeEnd -= size;
        storeEnd -= storeEnd & 1;
        QByteArray stored;
        if (m_kind == Kind::Character) {
            stored.append(char(properties.size()));
        } else if (properties.size() % 2 == 1) {
            stored.append(char((properties.size() + 1) / 2));
        } else {
            stored.append('\0');
            stored.append(char(properties.size() / 2));
        }
        stored.append(properties);
        page.replace(storeEnd, stored.size(), stored);
        offsets << storeEnd;
    }
    for (int i = 0; i < count; ++i) {
        const qsizetype stored = m_storedInPage.indexOf(m_runs[i].properties);
        page[entriesAt + i * entrySize()] = stored < 0 ? '\0' : char(offsets[stored] / 2);
    }
    page[pageSize - 1] = char(count);
    m_pages << page;
    m_pageFirstFcs << m_runs.first().fcStart;
    m_runs.clear();
    m_storedInPage.clear();
    m_storedBytes = 0;
}

QByteArray DocFkpWriter::pages()
{
    closePage();
    return m_pages.join();
}

QByteArray DocFkpWriter::binTable(quint32 firstPage)
{
    closePage();
    QByteArray table(4 * (2 * m_pages.size() + 1), '\0');
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        put32(table, 4 * i, m_pageFirstFcs[i]);
        put32(table, 4 * (m_pages.size() + 1 + i), firstPage + quint32(i));
    }
    put32(table, 4 * m_pages.size(), m_lastFc);
    return table;
}
