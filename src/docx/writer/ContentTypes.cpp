#include "ContentTypes.h"

#include "docx/writer/DocXPart.h"

namespace ContentTypes {

namespace {

const QString documentPartName = QStringLiteral("/word/document.xml");

struct PartOverride
{
    Part part;
    QString partName;
    QString contentType;
};

const PartOverride partOverrides[] = {
    {Part::Numbering, QStringLiteral("/word/numbering.xml"),
     QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml")},
    {Part::Footnotes, QStringLiteral("/word/footnotes.xml"),
     QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml")},
    {Part::Endnotes, QStringLiteral("/word/endnotes.xml"),
     QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.endnotes+xml")},
};

QString attribute(const XmlElement &element, const QString &name)
{
    const auto value = element.attributes().find(name);
    return value == element.attributes().end() ? QString() : value->second;
}

bool isOverrideOf(const XmlElement &child, const QString &partName)
{
    return child.name() == QLatin1String("Override")
           && attribute(child, QStringLiteral("PartName")).compare(partName, Qt::CaseInsensitive) == 0;
}

// The root with the main part's Override set to `contentType`; true in
// *changed when it differed.
XmlElement withMainContentType(const XmlElement &root, const QString &contentType, bool *changed)
{
    XmlElement result(root.name(), root.value(), root.attributes());
    for (const XmlElement &child : root.children()) {
        if (isOverrideOf(child, documentPartName)
            && attribute(child, QStringLiteral("ContentType")) != contentType) {
            XmlElement replaced = child;
            replaced.setAttribute(QStringLiteral("ContentType"), contentType);
            result.addChild(std::move(replaced));
            *changed = true;
        } else {
            result.addChild(child);
        }
    }
    return result;
}

// The content types of the picture files the writer stores (ImageMedia).
QString mediaContentType(const QString &extension)
{
    if (extension == QLatin1String("pdf"))
        return QStringLiteral("application/pdf");
    if (extension == QLatin1String("psd"))
        return QStringLiteral("image/vnd.adobe.photoshop");
    return QStringLiteral("image/") + extension;
}

bool hasDefault(const XmlElement &root, const QString &extension)
{
    for (const XmlElement &child : root.children())
        if (child.name() == QLatin1String("Default")
            && attribute(child, QStringLiteral("Extension")).compare(extension, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool hasOverride(const XmlElement &root, const QString &partName)
{
    for (const XmlElement &child : root.children())
        if (isOverrideOf(child, partName))
            return true;
    return false;
}

} // namespace

bool update(PackageFolder &package, Parts parts, DocXPackageKind kind, QString *error)
{
    const QString partName = QStringLiteral("[Content_Types].xml");
    auto root = DocXPart::read(package, partName, error);
    if (!root)
        return false;
    bool changed = false;
    XmlElement updated = withMainContentType(*root, kind == DocXPackageKind::Template ? mainTemplate : mainDocument,
                                             &changed);
    for (const PartOverride &entry : partOverrides) {
        if (!parts.testFlag(entry.part) || hasOverride(updated, entry.partName))
            continue;
        updated.addChild(QStringLiteral("Override"), std::nullopt,
                         {{QStringLiteral("PartName"), entry.partName},
                          {QStringLiteral("ContentType"), entry.contentType}});
        changed = true;
    }
    return !changed || DocXPart::write(package, partName, updated, error);
}

bool addMediaDefaults(PackageFolder &package, const QStringList &mediaTargets, QString *error)
{
    const QString partName = QStringLiteral("[Content_Types].xml");
    auto root = DocXPart::read(package, partName, error);
    if (!root)
        return false;
    bool changed = false;
    for (const QString &target : mediaTargets) {
        const QString extension = target.section(u'.', -1).toLower();
        if (extension.isEmpty() || hasDefault(*root, extension))
            continue;
        root->addChild(QStringLiteral("Default"), std::nullopt,
                       {{QStringLiteral("Extension"), extension}, {QStringLiteral("ContentType"), mediaContentType(extension)}});
        changed = true;
    }
    return !changed || DocXPart::write(package, partName, *root, error);
}

} // namespace ContentTypes
