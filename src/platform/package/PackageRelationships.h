#pragma once

#include "platform/XmlElement.h"

#include <QList>
#include <QString>
#include <optional>
#include <pugixml.hpp>

struct PackageRelationship {
    QString id;
    QString type;
    QString target;
    bool external = false; // TargetMode="External": no part of the package
};

// The relationships document of one part (or of the package): read from a
// relationships part, or built with ids that never collide.
class PackageRelationships
{
public:
    inline static const QString xmlns =
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");

    // The <Relationship> children of `root` (a <Relationships> element) in
    // document order; one without Id or Target is skipped. An empty node
    // gives no relationships.
    static PackageRelationships fromXml(pugi::xml_node root);

    const QList<PackageRelationship> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // "rId" followed by the highest number among ids of the form "rId<digits>"
    // plus one, compared as numbers of any length ("rId1" when there is none).
    QString nextFreeId() const;
    // Appends a relationship under nextFreeId() and returns that id.
    QString add(const QString &type, const QString &target, bool external = false);

    // The last relationship with this id (a later duplicate wins), or null.
    const PackageRelationship *find(const QString &id) const;
    // The part an internal relationship's target names, resolved against
    // `sourcePart` (PackagePath::resolveTarget); nullopt for an unknown id,
    // an external target or one that leaves the package.
    std::optional<QString> targetPart(const QString &id, const QString &sourcePart) const;

    // Fixed layout (FixedPartText): one line per relationship, four spaces in,
    // attributes Id, Type, Target, then TargetMode for an external one.
    QString toFixedText() const;
    // The <Relationships> element for XmlElement's indented or compact forms.
    XmlElement toElement() const;

private:
    QList<PackageRelationship> m_entries;
};
