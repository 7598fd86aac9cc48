#include "PackageRelationships.h"

#include "docx/DocXNamespaces.h"


#include <algorithm>

namespace PackageRelationships {

XmlElement emptyDocument()
{
    return XmlElement(QStringLiteral("Relationships"), std::nullopt,
                      {{QStringLiteral("xmlns"), DocXNamespace::packageRelationships}});
}

namespace {

// The platform's numeric string comparison: digit runs compare by value.
bool numericLess(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype iEnd = i, jEnd = j;
            while (iEnd < a.size() && a[iEnd].isDigit())
                ++iEnd;
            while (jEnd < b.size() && b[jEnd].isDigit())
                ++jEnd;
            QStringView da = QStringView(a).mid(i, iEnd - i), db = QStringView(b).mid(j, jEnd - j);
            while (da.size() > 1 && da.front() == u'0')
                da = da.mid(1);
            while (db.size() > 1 && db.front() == u'0')
                db = db.mid(1);
            if (da.size() != db.size())
                return da.size() < db.size();
            if (const int order = da.compare(db); order != 0)
                return order < 0;
            i = iEnd;
            j = jEnd;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

qint64 numberOf(const QString &id)
{
    qsizetype first = 0, last = id.size();
    while (first < last && id[first].isLetter())
        ++first;
    while (last > first && id[last - 1].isLetter())
        --last;
    bool ok = false;
    const qint64 number = id.mid(first, last - first).toLongLong(&ok, 10);
    return ok ? number : 0;
}

} // namespace

qint64 highestId(const XmlElement &relationships)
{
    QString highest;
    bool any = false;
    for (const XmlElement &child : relationships.children()) {
        const auto id = child.attributes().find(QStringLiteral("Id"));
        if (id == child.attributes().end())
            continue;
        if (!any || !numericLess(id->second, highest))
            highest = id->second;
        any = true;
    }
    return any ? numberOf(highest) : 0;
}

QString idText(qint64 number)
{
    return QStringLiteral("rId") + QString::number(number);
}

bool hasType(const XmlElement &relationships, const QString &type)
{
    return std::any_of(relationships.children().begin(), relationships.children().end(),
                       [&type](const XmlElement &child) {
                           const auto value = child.attributes().find(QStringLiteral("Type"));
                           return value != child.attributes().end() && value->second == type;
                       });
}

QString add(XmlElement &relationships, const QString &type, const QString &target)
{
    const QString id = idText(highestId(relationships) + 1);
    relationships.addChild(QStringLiteral("Relationship"), std::nullopt,
                           {{QStringLiteral("Id"), id}, {QStringLiteral("Type"), type},
                            {QStringLiteral("Target"), target}});
    return id;
}

void addPartOnce(XmlElement &relationships, const QString &type, const QString &target)
{
    if (!hasType(relationships, type))
        add(relationships, type, target);
}

} // namespace PackageRelationships
