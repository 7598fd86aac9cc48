#include "textsystem/plain/WordPerfectParser.h"

#include "textsystem/plain/IchitaroParser.h"

#include <QtEndian>

namespace {

const QByteArray signature("\xFFWPC", 4);
constexpr quint64 defaultDocumentOffset = 76;

} // namespace

QString WordPerfectParser::extractText(const QByteArray &data)
{
    const bool isSigned = data.startsWith(signature);
    if (!isSigned) {
        if (std::optional<QString> text = IchitaroParser::plainTextContent(data))
            return *text;
    }
    if (data.size() < 8)
        return QString();
    quint64 start = 0;
    if (isSigned) {
        // Unsigned: an offset of 2^31 or more must fail the length check, not pass it as negative.
        const quint64 offset = qFromLittleEndian<quint32>(data.constData() + 4);
        start = offset != 0 && offset < quint64(data.size()) ? offset : defaultDocumentOffset;
    }
    return scanText(data, start);
}

QString WordPerfectParser::scanText(const QByteArray &data, quint64 start)
{
    if (start >= quint64(data.size()))
        return QString();
    return IchitaroParser::scanShiftJis(data, qsizetype(start));
}
