#include "TemporaryFolder.h"

#include "ScratchRoot.h"

#include <QDir>
#include <QUuid>

TemporaryFolder::TemporaryFolder()
{
    const QString parent = ScratchRoot::processFolder();
    if (parent.isEmpty())
        return;
    const QString path = parent + u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (QDir().mkdir(path))
        m_path = path;
}

TemporaryFolder::~TemporaryFolder()
{
    if (isValid())
        QDir(m_path).removeRecursively();
}

QString TemporaryFolder::filePath(const QString &relative) const
{
    return m_path + u'/' + relative;
}
