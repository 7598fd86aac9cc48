#include "textsystem/doc/DocFontTable.h"

namespace {

// FFN bytes before the name: ffid, weight, character set, alternate name
// index, PANOSE and font signature.
constexpr int nameOffset = 39;
constexpr int maxNameLength = 65;

} // namespace

QStringList DocFontTable::parse(DocByteView sttbf)
{
    QStringList names;
    const bool extended = sttbf.u16(0) == 0xFFFF;
    const int count = extended ? sttbf.u16(2) : sttbf.u16(0);
    qint64 at = extended ? 6 : 4;
    for (int i = 0; i < count; ++i) {
        const int size = sttbf.u8(at);
        const DocByteView ffn = sttbf.mid(at + 1, size);
        if (size == 0 || ffn.size() != size)
            break;
        QString name;
        for (qint64 c = nameOffset; c + 2 <= size && name.size() < maxNameLength; c += 2) {
            const quint16 unit = ffn.u16(c);
            if (unit == 0)
                break;
            name.append(QChar(unit));
        }
        names << name;
        at += 1 + size;
    }
    return names;
}

QByteArray DocFontTable::build(const QStringList &names)
{
    QByteArray out;
    auto put16 = [&out](quint16 value) {
        out.append(char(value & 0xFF));
        out.append(char(value >> 8));
    };
    put16(quint16(names.size()));
    put16(0);
    for (const QString &fullName : names) {
        const QString name = fullName.left(maxNameLength - 1);
        QByteArray ffn(nameOffset, '\0');
        ffn[0] = char(0x26);       // variable pitch, TrueType, Swiss
        ffn[1] = char(400 & 0xFF); // weight 400
        ffn[2] = char(400 >> 8);
        ffn[3] = char(1);          // default character set
        for (QChar c : name) {
            ffn.append(char(c.unicode() & 0xFF));
            ffn.append(char(c.unicode() >> 8));
        }
        ffn.append(2, '\0');
        out.append(char(ffn.size()));
        out.append(ffn);
    }
    return out;
}
