#include "TemporaryFolder.h"

#include <QDir>
#include <QUuid>

TemporaryFolder::TemporaryFolder()
{
    const QString path = QDir::tempPath() + u'/'
                         + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
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
