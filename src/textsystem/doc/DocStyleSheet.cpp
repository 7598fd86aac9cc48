#include "textsystem/doc/DocStyleSheet.h"

namespace {

constexpr quint16 noStyle = 0xFFF;
constexpr int paragraphKind = 1;
constexpr int characterKind = 2;
constexpr int tableKind = 3;

} // namespace

DocStyleSheet DocStyleSheet::parse(DocByteView stsh)
{
    DocStyleSheet sheet;
    const quint16 headerSize = stsh.u16(0);
    const DocByteView header = stsh.mid(2, headerSize);
    const int count = header.u16(0);
    const int baseSize = header.u16(2);
    sheet.m_defaults.fontAscii = header.u16(12);
    sheet.m_defaults.fontEastAsian = header.u16(14);
    sheet.m_defaults.fontOther = header.u16(16);
    qint64 at = 2 + qint64(headerSize);
    for (int istd = 0; istd < count && stsh.contains(at, 2); ++istd) {
        const quint16 size = stsh.u16(at);
        const DocByteView std = stsh.mid(at + 2, size);
        at += 2 + size;
        Style style;
        if (size >= 10 && std.size() == size) {
            const int kind = std.u16(2) & 0xF;
            style.present = kind >= paragraphKind && kind <= 4;
            style.isCharacterStyle = kind == characterKind;
            style.base = std.u16(2) >> 4;
            const int nameLength = std.u16(baseSize);
            for (int c = 0; c < nameLength && std.contains(baseSize + 2 + 2 * c, 2); ++c)
                style.name.append(QChar(std.u16(baseSize + 2 + 2 * c)));
            // The UPXs follow the name, each aligned to an even offset.
            QList<DocByteView> upxs;
            qint64 upxAt = baseSize + 2 + 2 * qint64(nameLength) + 2;
            const int upxCount = std.u16(4) & 0xF;
            for (int u = 0; u < upxCount; ++u) {
                upxAt += upxAt & 1;
                const quint16 upxSize = std.u16(upxAt);
                upxs << std.mid(upxAt + 2, upxSize);
                upxAt += 2 + upxSize;
            }
            auto upx = [&upxs](int i) { return i < upxs.size() ? upxs[i] : DocByteView(); };
            if (kind == paragraphKind) {
                style.papx = upx(0).mid(2, qMax<qint64>(upx(0).size() - 2, 0));
                style.chpx = upx(1);
            } else if (kind == characterKind) {
                style.chpx = upx(0);
            } else if (kind == tableKind) {
                style.papx = upx(1).mid(2, qMax<qint64>(upx(1).size() - 2, 0));
                style.chpx = upx(2);
            }
        }
        sheet.m_styles << style;
    }
    sheet.m_paragraph.resize(sheet.m_styles.size());
    sheet.m_character.resize(sheet.m_styles.size(), sheet.m_defaults);
    sheet.m_resolved.resize(sheet.m_styles.size(), false);
    for (qsizetype istd = 0; istd < sheet.m_styles.size(); ++istd)
        sheet.resolve(istd);
    return sheet;
}

// The styles from `istd` up its base chain, nearest first, stopping at a
// missing style, a repeat or the length limit.
QList<qsizetype> DocStyleSheet::chainOf(qsizetype istd) const
{
    QList<qsizetype> chain;
    while (istd < m_styles.size() && m_styles[istd].present && !chain.contains(istd)
           && chain.size() < maxChainLength) {
        chain << istd;
        if (m_resolved[istd])
            break;
        istd = m_styles[istd].base;
    }
    return chain;
}

void DocStyleSheet::resolve(qsizetype istd)
{
    if (m_resolved[istd])
        return;
    const QList<qsizetype> chain = chainOf(istd);
    DocParagraphProperties pap = m_defaultParagraph;
    DocCharacterProperties chp = m_defaults;
    for (qsizetype i = chain.size() - 1; i >= 0; --i) {
        const qsizetype current = chain[i];
        if (m_resolved[current]) {
            pap = m_paragraph[current];
            chp = m_character[current];
            continue;
        }
        const Style &style = m_styles[current];
        pap.applyAll(style.papx);
        const DocCharacterProperties base = chp;
        chp.applyAll(style.chpx, base);
        m_paragraph[current] = pap;
        m_character[current] = chp;
        m_resolved[current] = true;
    }
    m_resolved[istd] = true;
}

const DocParagraphProperties &DocStyleSheet::paragraphProperties(quint16 istd) const
{
    return istd < m_paragraph.size() && m_styles[istd].present ? m_paragraph[istd] : m_defaultParagraph;
}

const DocCharacterProperties &DocStyleSheet::characterProperties(quint16 istd) const
{
    return istd < m_character.size() && m_styles[istd].present ? m_character[istd] : m_defaults;
}

void DocStyleSheet::applyCharacterStyle(quint16 istd, DocCharacterProperties &chp) const
{
    if (istd >= m_styles.size() || !m_styles[istd].isCharacterStyle)
        return;
    const QList<qsizetype> chain = [&] {
        QList<qsizetype> styles;
        for (qsizetype s = istd; s < m_styles.size() && m_styles[s].isCharacterStyle && !styles.contains(s)
                                 && styles.size() < maxChainLength;
             s = m_styles[s].base)
            styles << s;
        return styles;
    }();
    for (qsizetype i = chain.size() - 1; i >= 0; --i) {
        const DocCharacterProperties base = chp;
        chp.applyAll(m_styles[chain[i]].chpx, base);
    }
}

QString DocStyleSheet::name(quint16 istd) const
{
    return istd < m_styles.size() ? m_styles[istd].name : QString();
}
