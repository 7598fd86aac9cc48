#include "DocXOptions.h"

#include "docx/writer/DocXNamespaces.h"

namespace {

QString w3cDate(const QDateTime &date)
{
    const QDateTime valid = date.isValid() ? date : QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    return valid.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

XmlElement dated(const QString &name, const QDateTime &date)
{
    return XmlElement(name, w3cDate(date), {{QStringLiteral("xsi:type"), QStringLiteral("dcterms:W3CDTF")}});
}

} // namespace

std::map<QString, QString> DocXOptions::defaultCoreAttributes()
{
    return {
        {QStringLiteral("xmlns:cp"), DocXNamespace::coreProperties},
        {QStringLiteral("xmlns:dc"), DocXNamespace::dublinCore},
        {QStringLiteral("xmlns:dcterms"), DocXNamespace::dublinCoreTerms},
        {QStringLiteral("xmlns:dcmitype"), DocXNamespace::dcmiType},
        {QStringLiteral("xmlns:xsi"), DocXNamespace::schemaInstance},
    };
}

XmlElement DocXOptions::corePropertiesElement() const
{
    // Readers refuse the part when a prefix it uses is undeclared, so the
    // defaults stand under whatever the caller's map leaves out.
    XmlElement::Attributes rootAttributes = defaultCoreAttributes();
    for (const auto &[name, value] : attributes)
        rootAttributes[name] = value;
    for (const auto &[name, value] : defaultCoreAttributes())
        if (rootAttributes[name].isEmpty())
            rootAttributes[name] = value;

    XmlElement root(QStringLiteral("cp:coreProperties"), std::nullopt, rootAttributes);
    root.addChild(QStringLiteral("dc:title"), title);
    root.addChild(QStringLiteral("dc:subject"), subject);
    root.addChild(QStringLiteral("dc:creator"), author);
    root.addChild(QStringLiteral("cp:keywords"), keywords.join(u','));
    root.addChild(QStringLiteral("dc:description"), description);
    root.addChild(QStringLiteral("cp:lastModifiedBy"), author);
    root.addChild(QStringLiteral("cp:revision"), QStringLiteral("1"));
    root.addChild(dated(QStringLiteral("dcterms:created"), createdDate));
    root.addChild(dated(QStringLiteral("dcterms:modified"), modifiedDate));
    return root;
}
