#include "TextPool.h"

QString TextPool::text(QByteArrayView ascii)
{
    if (ascii.size() > maxLength)
        return QString::fromLatin1(ascii);
    const auto known = m_texts.constFind(ascii);
    if (known != m_texts.cend())
        return *known;
    QString text = QString::fromLatin1(ascii);
    if (m_texts.size() < maxTexts)
        m_texts.insert(ascii, text);
    return text;
}
