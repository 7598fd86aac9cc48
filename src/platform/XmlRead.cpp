#include "XmlRead.h"

#include <QFile>

namespace {

QString describe(const pugi::xml_parse_result &result)
{
    return QStringLiteral("%1 at offset %2")
        .arg(QString::fromUtf8(result.description()))
        .arg(qint64(result.offset));
}

// pugixml takes several top-level elements; well-formed XML has one.
pugi::xml_node secondRoot(const pugi::xml_document &doc)
{
    bool seen = false;
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element)
            continue;
        if (seen)
            return node;
        seen = true;
    }
    return {};
}

// parse_default keeps DOCTYPE declarations out of the tree and expands only
// the predefined and numeric references, so no entity is ever fetched. White
// space that is an element's whole content is text ("<t> </t>").
constexpr unsigned parseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

bool checkLoaded(pugi::xml_document &doc, const pugi::xml_parse_result &result, QString *error)
{
    QString reason;
    if (!result) {
        reason = describe(result);
    } else if (const pugi::xml_node extra = secondRoot(doc)) {
        reason = QStringLiteral("Extra root element at offset %1").arg(qint64(extra.offset_debug()));
    } else {
        return true;
    }
    doc.reset();
    if (error)
        *error = reason;
    return false;
}

} // namespace

namespace XmlRead {

bool loadFile(pugi::xml_document &doc, const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QString reason;
    if (loadBytes(doc, file.readAll(), &reason))
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(path, reason);
    return false;
}

bool loadBytes(pugi::xml_document &doc, const QByteArray &bytes, QString *error)
{
    return checkLoaded(doc, doc.load_buffer(bytes.constData(), size_t(bytes.size()), parseOptions, pugi::encoding_auto),
                       error);
}

bool loadOwnedBuffer(pugi::xml_document &doc, void *buffer, size_t size, QString *error)
{
    return checkLoaded(doc, doc.load_buffer_inplace_own(buffer, size, parseOptions, pugi::encoding_auto), error);
}

bool loadFragmentInPlace(pugi::xml_document &doc, char *data, size_t size)
{
    if (doc.load_buffer_inplace(data, size, parseOptions | pugi::parse_fragment, pugi::encoding_utf8))
        return true;
    doc.reset();
    return false;
}

qint64 treeBytes(const char *data, size_t size)
{
    constexpr qint64 nodeBytes = 64;      // pugixml's node on a 64-bit system
    constexpr qint64 attributeBytes = 40; // and its attribute
    qint64 nodes = 1;
    qint64 attributes = 0;
    for (size_t i = 0; i < size; ++i) {
        nodes += data[i] == '<';
        attributes += data[i] == '=';
    }
    // UTF-16 and UTF-32 (a byte order mark or a zero byte in the first
    // character) are converted to UTF-8 in a buffer of their own.
    const bool wide = size >= 2
                      && ((uchar(data[0]) == 0xFE && uchar(data[1]) == 0xFF)
                          || (uchar(data[0]) == 0xFF && uchar(data[1]) == 0xFE) || data[0] == 0 || data[1] == 0);
    return qint64(size) * (wide ? 2 : 1) + nodes * nodeBytes + attributes * attributeBytes;
}

pugi::xml_node firstChild(pugi::xml_node node, const char *name)
{
    for (pugi::xml_node child = node.child(name); child; child = child.next_sibling(name)) {
        if (child.type() == pugi::node_element)
            return child;
    }
    return {};
}

std::vector<pugi::xml_node> children(pugi::xml_node node, const char *name)
{
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node child = node.child(name); child; child = child.next_sibling(name)) {
        if (child.type() == pugi::node_element)
            found.push_back(child);
    }
    return found;
}

QString attribute(pugi::xml_node node, const char *name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

bool hasAttribute(pugi::xml_node node, const char *name)
{
    return !node.attribute(name).empty();
}

QString text(pugi::xml_node node)
{
    return rawText(node).trimmed();
}

QString rawText(pugi::xml_node node)
{
    QString out;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            out += QString::fromUtf8(child.value());
    }
    return out;
}

} // namespace XmlRead
