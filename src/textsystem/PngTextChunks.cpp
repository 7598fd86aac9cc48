#include "textsystem/PngTextChunks.h"

#include <QtEndian>

namespace {

const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
constexpr qsizetype chunkFrame = 12; // length, type and CRC

bool isText(QByteArrayView type)
{
    return type == "tEXt" || type == "zTXt" || type == "iTXt";
}

} // namespace

namespace PngTextChunks {

QByteArray without(const QByteArray &bytes)
{
    if (!bytes.startsWith(signature))
        return bytes;
    QByteArray kept;
    qsizetype copiedUpTo = 0; // bytes before this are in `kept`, or left out
    qsizetype at = signature.size();
    while (at + chunkFrame <= bytes.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        if (length > quint32(bytes.size() - at - chunkFrame))
            break;
        const qsizetype next = at + chunkFrame + qsizetype(length);
        if (isText(QByteArrayView(bytes).sliced(at + 4, 4))) {
            kept.reserve(bytes.size());
            kept.append(QByteArrayView(bytes).sliced(copiedUpTo, at - copiedUpTo));
            copiedUpTo = next;
        }
        at = next;
    }
    if (copiedUpTo == 0)
        return bytes;
    kept.append(QByteArrayView(bytes).sliced(copiedUpTo));
    return kept;
}

} // namespace PngTextChunks
