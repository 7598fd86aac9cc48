#include "spreadsheet/engine/xlsx/XlsxNodes.h"

#include "platform/NumberText.h"
#include "platform/XmlRead.h"

QString XlsxNodes::attribute(pugi::xml_node node, const char *name)
{
    return XmlRead::attribute(node, name).trimmed();
}

std::optional<qsizetype> XlsxNodes::listIndex(QByteArrayView text, qsizetype size)
{
    qsizetype start = 0;
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        start = 1;
    }
    if (start == text.size())
        return std::nullopt;
    qsizetype value = 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value >= size) // also keeps the sum from overflowing
            return std::nullopt;
    }
    if (negative && value != 0)
        return std::nullopt;
    return value;
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
