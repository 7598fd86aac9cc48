#include "textsystem/doc/DocFib.h"
#include "platform/Failure.h"

namespace {

constexpr quint16 encryptedFlag = 0x0100;
constexpr quint16 whichTableStreamFlag = 0x0200;
constexpr quint16 obfuscatedFlag = 0x8000;

} // namespace

QString DocFib::tableStreamName() const
{
    return tableStreamIs1Table ? QStringLiteral("1Table") : QStringLiteral("0Table");
}

std::optional<DocFib> DocFib::parse(DocByteView stream, QString *error)
{
    DocFib fib;
    const quint16 identifier = stream.u16(0);
    fib.nFib = stream.u16(2);
    // Word 6.0 and 95 mark their streams with identifiers of their own.
    const bool olderWord = identifier == word6Identifier || identifier == farEastWord95Identifier;
    if (olderWord || (identifier == wordIdentifier && fib.nFib < word97Version)) {
        fail(error, QStringLiteral("The document was saved by a Word version older than Word 97, which is not supported"));
        return std::nullopt;
    }
    if (identifier != wordIdentifier) {
        fail(error, QStringLiteral("The file is not a Word document"));
        return std::nullopt;
    }
    const quint16 flags = stream.u16(0x0A);
    if (flags & (encryptedFlag | obfuscatedFlag)) {
        fail(error, QStringLiteral("The document is encrypted"));
        return std::nullopt;
    }
    fib.tableStreamIs1Table = flags & whichTableStreamFlag;
    const qint64 swCount = stream.u16(0x20);
    const qint64 lwAt = 0x22 + 2 * swCount + 2;
    const qint64 lwCount = stream.u16(lwAt - 2);
    const qint64 pairsCountAt = lwAt + 4 * lwCount;
    if (lwCount < 11 || !stream.contains(0, pairsCountAt + 2)) {
        fail(error, QStringLiteral("The Word document's header is cut short"));
        return std::nullopt;
    }
    auto lw = [&](int index) { return stream.i32(lwAt + 4 * index); };
    fib.ccpText = lw(3);
    fib.ccpFtn = lw(4);
    fib.ccpHdd = lw(5);
    fib.ccpAtn = lw(7);
    fib.ccpEdn = lw(8);
    fib.ccpTxbx = lw(9);
    fib.ccpHdrTxbx = lw(10);
    fib.pairCount = qMin<int>(stream.u16(pairsCountAt), pairCount97);
    for (int i = 0; i < fib.pairCount; ++i)
        fib.blobs[i] = {stream.u32(pairsCountAt + 2 + 8 * i), stream.u32(pairsCountAt + 6 + 8 * i)};
    if (fib.ccpText < 0) {
        fail(error, QStringLiteral("The Word document's header is damaged"));
        return std::nullopt;
    }
    return fib;
}
