#include "FixedTextPart.h"

#include "platform/XmlElement.h"

FixedTextPart::FixedTextPart(const QString &root, const Attributes &rootAttributes) : m_root(root)
{
    m_text = XmlText::declaration(QStringLiteral("UTF-8"), QStringLiteral("yes")) + u'\n';
    m_text += u'<' + root;
    for (const auto &[name, value] : rootAttributes)
        m_text += attribute(name, value);
    m_text += QLatin1String(">\n");
}

QString FixedTextPart::attribute(const QString &name, const QString &value)
{
    return u' ' + name + QLatin1String("=\"") + XmlText::escape(value) + u'"';
}

QString FixedTextPart::emptyElement(const QString &name, const Attributes &attributes)
{
    QString text = u'<' + name;
    for (const auto &[key, value] : attributes)
        text += attribute(key, value);
    return text + QLatin1String("/>");
}

void FixedTextPart::line(int spaces, const QString &text)
{
    m_text += QString(spaces, u' ') + text + u'\n';
}

QString FixedTextPart::finish() const
{
    return m_text + QLatin1String("</") + m_root + u'>';
}
