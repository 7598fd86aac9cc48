#include "DocXTemplate.h"


#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

// Resources of a static library are registered by name before first use.
static void registerResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(docx);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace DocXTemplate {

namespace {

const char *const requiredParts[] = {
    "[Content_Types].xml",
    "_rels/.rels",
    "word/_rels/document.xml.rels",
};

} // namespace

QString builtInFolder()
{
    registerResources();
    return QStringLiteral(":/docx/blank");
}

bool copy(const QString &templateFolder, PackageFolder &package, QString *error)
{
    const QDir source(templateFolder);
    for (const char *part : requiredParts) {
        if (!QFileInfo(source.filePath(QString::fromLatin1(part))).isFile()) {
            if (error)
                *error = QStringLiteral("The template %1 has no %2").arg(templateFolder, QString::fromLatin1(part));
            return false;
        }
    }
    QDirIterator files(templateFolder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (files.fileInfo().isSymLink())
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(path, file.errorString());
            return false;
        }
        if (!package.writePart(source.relativeFilePath(path), file.readAll(), error))
            return false;
    }
    return true;
}

} // namespace DocXTemplate
