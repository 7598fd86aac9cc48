#include "textsystem/doc/DocSprm.h"

namespace DocSprm {

qsizetype operandSize(quint16 code, DocByteView rest)
{
    switch (code >> 13) {
    case 0:
    case 1:
        return 1;
    case 2:
    case 4:
    case 5:
        return 2;
    case 3:
        return 4;
    case 7:
        return 3;
    default:
        break;
    }
    if (code == tDefTable)
        return rest.size() < 2 ? -1 : qsizetype(rest.u16(0)) + 1;
    if (code == pChgTabs) {
        // A length byte of 255 means: deleted tabs with tolerances, then added tabs.
        if (rest.size() < 1)
            return -1;
        if (rest.u8(0) != 255)
            return 1 + rest.u8(0);
        const int deleted = rest.u8(1);
        const int added = rest.u8(2 + deleted * 4);
        return 1 + 1 + deleted * 4 + 1 + added * 3;
    }
    return rest.size() < 1 ? -1 : 1 + qsizetype(rest.u8(0));
}

qsizetype wholeLength(DocByteView grpprl)
{
    qsizetype at = 0;
    while (at + 2 <= grpprl.size()) {
        const qsizetype size = operandSize(grpprl.u16(at), grpprl.mid(at + 2, grpprl.size() - at - 2));
        if (size < 0 || size > grpprl.size() - at - 2)
            break;
        at += 2 + size;
    }
    return at;
}

void append(QByteArray &out, quint16 code, quint32 operand)
{
    char buffer[6];
    qToLittleEndian(code, buffer);
    qToLittleEndian(operand, buffer + 2);
    out.append(buffer, 2 + qsizetype(operandSize(code, {})));
}

void appendVariable(QByteArray &out, quint16 code, const QByteArray &operand)
{
    char buffer[2];
    qToLittleEndian(code, buffer);
    out.append(buffer, 2);
    out.append(char(operand.size()));
    out.append(operand);
}

} // namespace DocSprm
