#pragma once

#include <QString>

// A fresh folder named by a new UUID in this process's scratch folder
// (ScratchRoot::processFolder), removed with everything in it when the
// object goes away.
class TemporaryFolder
{
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    bool isValid() const { return !m_path.isEmpty(); } // false when creation failed
    const QString &path() const { return m_path; }
    QString filePath(const QString &relative) const;

private:
    QString m_path;
};
