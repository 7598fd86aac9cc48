#pragma once

#include <QString>
#include <functional>

// Replaces a file or folder package (an .rtfd) only when its new content is
// complete: the new folder is built beside the target, then swapped in.
namespace FolderSave {

using Builder = std::function<bool(const QString &scratchFolder, QString *error)>;

bool save(const QString &path, const Builder &build, QString *error);

} // namespace FolderSave
