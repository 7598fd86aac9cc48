#include "XmlElementConversion.h"

#include "platform/XmlRead.h"

namespace XmlElementConversion {

XmlElement fromNode(pugi::xml_node node)
{
    if (node.type() != pugi::node_element)
        return XmlElement(QString());
    XmlElement element(QString::fromUtf8(node.name()));
    for (const pugi::xml_attribute attribute : node.attributes())
        element.setAttribute(QString::fromUtf8(attribute.name()), QString::fromUtf8(attribute.value()));
    bool hasText = false;
    QString text;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        switch (child.type()) {
        case pugi::node_element:
            element.addChild(fromNode(child));
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            hasText = true;
            text += QString::fromUtf8(child.value());
            break;
        default:
            break;
        }
    }
    if (hasText)
        element.setValue(text);
    return element;
}

std::optional<XmlElement> fromBytes(const QByteArray &bytes, QString *error)
{
    pugi::xml_document document;
    if (!XmlRead::loadBytes(document, bytes, error))
        return std::nullopt;
    const pugi::xml_node root = document.document_element();
    if (!root) {
        if (error)
            *error = QStringLiteral("No root element");
        return std::nullopt;
    }
    return fromNode(root);
}

} // namespace XmlElementConversion
