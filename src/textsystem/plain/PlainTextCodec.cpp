#include "textsystem/plain/PlainTextCodec.h"

#include "platform/TextEncoding.h"
#include "platform/WindowsCodePage.h"

#include <QStringDecoder>

namespace PlainTextCodec {

QByteArray encode(const QString &text)
{
    if (std::optional<QByteArray> shiftJis = TextEncoding::encodeCp932(text))
        return *shiftJis;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString plainText(const StyledText &text)
{
    QString plain;
    plain.reserve(text.length());
    text.forEachValue(TextRange::everything(), &TextAttributes::attachment,
                      [&](const TextAttachmentPointer &attachment, TextRange range) {
        const QStringView characters = QStringView(text.string()).sliced(range.location, range.length);
        for (QChar c : characters) {
            if (c == QChar::LineSeparator)
                plain += u'\n';
            else if (!attachment || c != QChar::ObjectReplacementCharacter)
                plain += c;
        }
    });
    return plain;
}

QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    if (std::optional<QString> shiftJis = TextEncoding::decodeCp932(bytes))
        return *shiftJis;
    return WindowsCodePage::decode(bytes, WindowsCodePage::ansi);
}

} // namespace PlainTextCodec
