#include "PackageRelationships.h"

#include "FixedPartText.h"
#include "PackagePath.h"
#include "platform/XmlRead.h"

namespace {

const QString idPrefix = QStringLiteral("rId");
const QString externalMode = QStringLiteral("External");

// The digits after "rId" without leading zeros ("0" for zero); "" when the id
// has another form.
QString idNumber(const QString &id)
{
    if (!id.startsWith(idPrefix) || id.size() == idPrefix.size())
        return {};
    QString digits = id.mid(idPrefix.size());
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return {};
    }
    while (digits.size() > 1 && digits.front() == u'0')
        digits.remove(0, 1);
    return digits;
}

// Numbers as digit strings, so an id of any length compares and counts.
bool isLess(const QString &a, const QString &b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

QString plusOne(QString digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = u'0';
    }
    return u'1' + digits;
}

} // namespace

PackageRelationships PackageRelationships::fromXml(pugi::xml_node root)
{
    PackageRelationships relationships;
    for (const pugi::xml_node node : root.children("Relationship")) {
        if (!XmlRead::hasAttribute(node, "Id") || !XmlRead::hasAttribute(node, "Target"))
            continue;
        relationships.m_entries.append({XmlRead::attribute(node, "Id"), XmlRead::attribute(node, "Type"),
                                        XmlRead::attribute(node, "Target"),
                                        XmlRead::attribute(node, "TargetMode").trimmed() == externalMode});
    }
    return relationships;
}

QString PackageRelationships::nextFreeId() const
{
    QString highest = QStringLiteral("0");
    for (const PackageRelationship &relationship : m_entries) {
        const QString number = idNumber(relationship.id);
        if (!number.isEmpty() && isLess(highest, number))
            highest = number;
    }
    return idPrefix + plusOne(highest);
}

QString PackageRelationships::add(const QString &type, const QString &target, bool external)
{
    const QString id = nextFreeId();
    m_entries.append({id, type, target, external});
    return id;
}

const PackageRelationship *PackageRelationships::find(const QString &id) const
{
    for (auto it = m_entries.crbegin(); it != m_entries.crend(); ++it) {
        if (it->id == id)
            return &*it;
    }
    return nullptr;
}

std::optional<QString> PackageRelationships::targetPart(const QString &id, const QString &sourcePart) const
{
    const PackageRelationship *relationship = find(id);
    if (!relationship || relationship->external)
        return std::nullopt;
    return PackagePath::resolveTarget(sourcePart, relationship->target);
}

QString PackageRelationships::toFixedText() const
{
    FixedPartText part(QStringLiteral("Relationships"), xmlns);
    for (const PackageRelationship &relationship : m_entries) {
        FixedPartText::Attributes attributes = {{QStringLiteral("Id"), relationship.id},
                                                {QStringLiteral("Type"), relationship.type},
                                                {QStringLiteral("Target"), relationship.target}};
        if (relationship.external)
            attributes.emplace_back(QStringLiteral("TargetMode"), externalMode);
        part.emptyElement(4, QStringLiteral("Relationship"), attributes);
    }
    return part.finish();
}

XmlElement PackageRelationships::toElement() const
{
    XmlElement root(QStringLiteral("Relationships"), std::nullopt, {{QStringLiteral("xmlns"), xmlns}});
    for (const PackageRelationship &relationship : m_entries) {
        XmlElement::Attributes attributes = {{QStringLiteral("Id"), relationship.id},
                                             {QStringLiteral("Type"), relationship.type},
                                             {QStringLiteral("Target"), relationship.target}};
        if (relationship.external)
            attributes.emplace(QStringLiteral("TargetMode"), externalMode);
        root.addChild(QStringLiteral("Relationship"), std::nullopt, std::move(attributes));
    }
    return root;
}
