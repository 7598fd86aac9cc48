#include "textsystem/SvgCleaner.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <optional>

namespace {

QStringView localName(QStringView qualifiedName)
{
    return qualifiedName.mid(qualifiedName.lastIndexOf(u':') + 1);
}

bool isHref(const QXmlStreamAttribute &attribute)
{
    return localName(attribute.qualifiedName()) == u"href";
}

// True when every url() in `text` names an element of the drawing.
bool urlsStayInside(QStringView text)
{
    for (qsizetype at = text.indexOf(u"url(", 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(u"url(", at + 4, Qt::CaseInsensitive)) {
        qsizetype target = at + 4;
        while (target < text.size() && (text.at(target).isSpace() || text.at(target) == u'"' || text.at(target) == u'\''))
            ++target;
        if (target >= text.size() || text.at(target) != u'#')
            return false;
    }
    return true;
}

// The bytes of a data: URI; nothing for any other reference.
std::optional<QByteArray> dataUriBytes(QStringView uri)
{
    if (!uri.startsWith(u"data:", Qt::CaseInsensitive))
        return std::nullopt;
    const qsizetype comma = uri.indexOf(u',');
    if (comma < 0)
        return std::nullopt;
    const QByteArray payload = uri.mid(comma + 1).toLatin1();
    if (uri.first(comma).endsWith(u";base64", Qt::CaseInsensitive))
        return QByteArray::fromBase64(QByteArray::fromPercentEncoding(payload));
    return QByteArray::fromPercentEncoding(payload);
}

class Cleaner
{
public:
    Cleaner(const QByteArray &svg, const SvgCleaner::NestedCheck &nested) : m_reader(svg), m_nested(nested)
    {
        m_reader.setNamespaceProcessing(false);
        m_writer.setAutoFormatting(false);
    }

    SvgCleaner::Result run()
    {
        while (!m_reader.atEnd() && !m_refused) {
            switch (m_reader.readNext()) {
            case QXmlStreamReader::StartElement:
                startElement();
                break;
            case QXmlStreamReader::EndElement:
                m_writer.writeEndElement();
                --m_depth;
                if (localName(m_reader.qualifiedName()) == u"style")
                    --m_openStyles;
                break;
            case QXmlStreamReader::Characters:
                characters();
                break;
            default: // the declaration, DOCTYPE, comments, processing instructions
                break;
            }
        }
        if (m_refused)
            return {{}, true};
        if (m_reader.hasError())
            return {};
        return {m_output, false};
    }

private:
    void startElement()
    {
        const QStringView name = localName(m_reader.qualifiedName());
        QXmlStreamAttributes attributes = m_reader.attributes();
        if (name == u"image" && !withNestedPicture(attributes)) {
            m_reader.skipCurrentElement();
            return;
        }
        m_writer.writeStartElement(m_reader.qualifiedName().toString());
        for (const QXmlStreamAttribute &attribute : std::as_const(attributes)) {
            const QStringView value = attribute.value();
            const bool inside = isHref(attribute) ? (value.startsWith(u'#') || name == u"image") : urlsStayInside(value);
            if (inside)
                m_writer.writeAttribute(attribute.qualifiedName().toString(), value.toString());
        }
        ++m_depth;
        if (name == u"style")
            ++m_openStyles;
    }

    void characters()
    {
        const QStringView text = m_reader.text();
        if (m_depth == 0)
            return; // blanks around the root
        if (m_openStyles > 0 && (text.contains(u"@import", Qt::CaseInsensitive) || !urlsStayInside(text)))
            return;
        m_writer.writeCharacters(text.toString());
    }

    // An <image>'s hrefs, each the data: URI of its picture as Qt's readers
    // may see it; false when the element is left out.
    bool withNestedPicture(QXmlStreamAttributes &attributes)
    {
        for (QXmlStreamAttribute &attribute : attributes) {
            if (!isHref(attribute))
                continue;
            const std::optional<QByteArray> bytes = dataUriBytes(attribute.value());
            if (!bytes)
                return false;
            const SvgCleaner::NestedPicture picture = m_nested(*bytes);
            m_refused = m_refused || picture.refused;
            if (picture.bytes.isEmpty())
                return false;
            // Qt's reader finds the format in the bytes; "data:" must be in lower case, or it is a file name.
            attribute = QXmlStreamAttribute(attribute.qualifiedName().toString(),
                                            QString::fromLatin1("data:;base64," + picture.bytes.toBase64()));
        }
        return true;
    }

    QXmlStreamReader m_reader;
    QByteArray m_output;
    QXmlStreamWriter m_writer{&m_output};
    const SvgCleaner::NestedCheck &m_nested;
    int m_depth = 0;
    int m_openStyles = 0; // style text is a sheet, which may name files
    bool m_refused = false;
};

} // namespace

namespace SvgCleaner {

Result cleaned(const QByteArray &svg, const NestedCheck &nested)
{
    return Cleaner(svg, nested).run();
}

} // namespace SvgCleaner
