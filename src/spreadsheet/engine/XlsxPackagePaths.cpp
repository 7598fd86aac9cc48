#include "XlsxPackagePaths.h"

#include <QDir>
#include <QDirIterator>
#include <QStringList>
#include <QUrl>

XlsxPackagePaths::XlsxPackagePaths(const QString &folder)
    : m_folder(folder)
{
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString part = root.relativeFilePath(it.next());
        m_entries.insert(part.toLower(), part);
    }
}

std::optional<QString> XlsxPackagePaths::filePath(const QString &partName) const
{
    const auto it = m_entries.constFind(partName.toLower());
    if (it == m_entries.constEnd())
        return std::nullopt;
    return m_folder + u'/' + it.value();
}

std::optional<QString> XlsxPackagePaths::resolveTarget(const QString &target)
{
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    if (decoded.isEmpty() || decoded.contains(u'\\') || decoded.contains(u':')
        || decoded.contains(QChar(0)))
        return std::nullopt;
    QStringList segments;
    if (!decoded.startsWith(u'/'))
        segments << QStringLiteral("xl");
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
