#include "PackagePath.h"

#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace {

// A backslash could be read as a separator, a ':' starts a scheme or a drive.
bool hasForbiddenCharacter(const QString &text)
{
    return text.contains(u'\\') || text.contains(u':') || text.contains(QChar(0));
}

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

QString folderOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash);
}

} // namespace

namespace PackagePath {

std::optional<QString> resolveTarget(const QString &sourcePart, const QString &target)
{
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    if (decoded.isEmpty() || hasForbiddenCharacter(decoded))
        return std::nullopt;
    QStringList segments;
    if (!decoded.startsWith(u'/'))
        segments = folderOf(sourcePart).split(u'/', Qt::SkipEmptyParts);
    for (const QString &segment : decoded.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("."))
            continue;
        if (segment == QLatin1String("..")) {
            if (segments.isEmpty())
                return std::nullopt;
            segments.removeLast();
            continue;
        }
        segments << segment;
    }
    if (segments.isEmpty())
        return std::nullopt;
    return segments.join(u'/');
}

QString relationshipsPart(const QString &sourcePart)
{
    const QString folder = folderOf(sourcePart);
    const QString name = sourcePart.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + u'/') + QStringLiteral("_rels/") + name + QStringLiteral(".rels");
}

bool isConfined(const QString &partName)
{
    if (partName.isEmpty() || hasForbiddenCharacter(partName) || hasControlCharacter(partName))
        return false;
    for (const QString &segment : partName.split(u'/')) {
        if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String(".."))
            return false;
    }
    return true;
}

} // namespace PackagePath
