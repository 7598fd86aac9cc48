#include "TextEncoding.h"

#include <QtEndian>

#include <cerrno>
#include <iconv.h>

namespace {

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (isValid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool isValid() const { return m_cd != iconv_t(-1); }

    // The whole input converted; nullopt on any invalid, unmappable or
    // incomplete sequence. Without //TRANSLIT or //IGNORE iconv never
    // substitutes, it stops with EILSEQ.
    std::optional<QByteArray> convert(const char *input, size_t size)
    {
        if (!isValid())
            return std::nullopt;
        QByteArray out(qsizetype(size) * 2 + 16, Qt::Uninitialized);
        char *in = const_cast<char *>(input);
        size_t inLeft = size;
        size_t written = 0;
        bool flushing = false; // the final call that writes any closing shift sequence
        for (;;) {
            char *outPointer = out.data() + written;
            size_t outLeft = size_t(out.size()) - written;
            const size_t result = flushing ? iconv(m_cd, nullptr, nullptr, &outPointer, &outLeft)
                                           : iconv(m_cd, &in, &inLeft, &outPointer, &outLeft);
            const int error = errno;
            written = size_t(outPointer - out.data());
            if (result == size_t(-1)) {
                if (error != E2BIG)
                    return std::nullopt; // EILSEQ or EINVAL
                out.resize(out.size() * 2);
            } else if (flushing) {
                out.truncate(qsizetype(written));
                return out;
            } else {
                flushing = true;
            }
        }
    }

private:
    iconv_t m_cd;
};

constexpr const char *nativeUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

} // namespace

namespace TextEncoding {

std::optional<QByteArray> encodeCp932(const QString &text)
{
    Converter converter("CP932", nativeUtf16);
    return converter.convert(reinterpret_cast<const char *>(text.utf16()), size_t(text.size()) * 2);
}

std::optional<QString> decodeCp932(const QByteArray &bytes)
{
    Converter converter(nativeUtf16, "CP932");
    const std::optional<QByteArray> utf16 = converter.convert(bytes.constData(), size_t(bytes.size()));
    if (!utf16)
        return std::nullopt;
    return QString(reinterpret_cast<const QChar *>(utf16->constData()), utf16->size() / 2);
}

QString decodeUtf16LE(const QByteArray &bytes)
{
    const qsizetype count = bytes.size() / 2;
    QString out(count, Qt::Uninitialized);
    QChar *data = out.data();
    const uchar *source = reinterpret_cast<const uchar *>(bytes.constData());
    for (qsizetype i = 0; i < count; ++i)
        data[i] = QChar(qFromLittleEndian<quint16>(source + 2 * i));
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t c = data[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < count && QChar::isLowSurrogate(data[i + 1].unicode()))
            ++i;
        else if (QChar::isSurrogate(c))
            data[i] = QChar::ReplacementCharacter;
    }
    return out;
}

} // namespace TextEncoding
