#include "XlsxNodes.h"

#include "platform/NumberText.h"
#include "platform/XmlRead.h"

QString XlsxNodes::attribute(pugi::xml_node node, const char *name)
{
    return XmlRead::attribute(node, name).trimmed();
}

std::optional<qsizetype> XlsxNodes::listIndex(const QString &text, qsizetype size)
{
    const auto value = NumberText::toInteger(text);
    if (!value || *value < 0 || *value >= size)
        return std::nullopt;
    return qsizetype(*value);
}

QString XlsxNodes::stringItemText(pugi::xml_node item)
{
    if (const pugi::xml_node t = item.child("t"))
        return XmlRead::rawText(t);
    QString text;
    for (const pugi::xml_node run : item.children("r"))
        text += XmlRead::rawText(run.child("t"));
    return text;
}

bool XlsxNodes::hasStringText(pugi::xml_node item)
{
    return item.child("t") || item.child("r");
}
