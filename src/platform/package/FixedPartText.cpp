#include "FixedPartText.h"

#include "platform/XmlElement.h"

FixedPartText::FixedPartText(const QString &root, const QString &xmlns, const Attributes &extraRootAttributes)
    : m_root(root)
{
    m_text = XmlText::declaration(QStringLiteral("UTF-8"), QStringLiteral("yes")) + u'\n';
    m_text += u'<' + root;
    if (!xmlns.isEmpty())
        m_text += attribute(QStringLiteral("xmlns"), xmlns);
    for (const auto &[name, value] : extraRootAttributes)
        m_text += attribute(name, value);
    m_text += QStringLiteral(">\n");
}

QString FixedPartText::attribute(const QString &name, const QString &value)
{
    return u' ' + name + QStringLiteral("=\"") + XmlText::escapeAttribute(value) + u'"';
}

void FixedPartText::line(int spaces, const QString &tag)
{
    m_text += QString(spaces, u' ') + tag + u'\n';
}

QString FixedPartText::emptyTag(const QString &name, const Attributes &attributes)
{
    QString tag = u'<' + name;
    for (const auto &[key, value] : attributes)
        tag += attribute(key, value);
    return tag + QStringLiteral("/>");
}

void FixedPartText::emptyElement(int spaces, const QString &name, const Attributes &attributes)
{
    line(spaces, emptyTag(name, attributes));
}

QString FixedPartText::finish() const
{
    return m_text + QStringLiteral("</") + m_root + u'>';
}
