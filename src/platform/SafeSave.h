#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The one way this application replaces a file or folder on disk. A save
//  - writes what a symbolic link at the path points to (the link stays);
//  - refuses a read-only target and a path holding NUL, naming the reason;
//  - builds the new file or folder beside the target, inside a scratch folder
//    only its owner can enter (".<name>.morvane-save-<pid>-<random>"), so no
//    one else can read the document while it is written; flushes it to disk,
//    gives it the old file's group and permission bits, and only then moves
//    it in: a file by one rename over the old one, a folder by an atomic
//    exchange where the file system has one (else old aside, new in, old
//    removed);
//  - writes a file of another owner, or one in a group the saver is not in,
//    in place instead (InPlaceWrite): a rename would make it the saver's own;
//    so too a file in a folder where the saver may add nothing, its scratch
//    folder then in the application's scratch root (ScratchRoot);
//  - first removes scratch folders that a killed save left beside the target
//    (putting back an old folder such a save had moved aside, or the old
//    content of a file it was writing in place);
//  - reports failures naming the user's file and the cause.
// On failure the old file is as it was and nothing is left beside it (but
// for the copy of a file's old content, should even putting that back fail:
// it stays for the next save to put back).
namespace SafeSave {

enum class Kind { File, Folder };

// Writes the complete new file or folder at `scratchPath` (nothing exists
// there yet; its name is the target's); returns false and sets *error on
// failure. The scratch path in that message is replaced by the target's.
using Builder = std::function<bool(const QString &scratchPath, QString *error)>;

// True when `name` can be saved as one entry of a folder; false with *error
// for an empty name, ".", "..", a name holding "/", NUL or another control
// character (U+0000-U+001F, U+007F-U+009F).
bool checkFileName(const QString &name, QString *error);

// Saves to `path` what `build` writes; the folder it goes in must exist. A
// File save refuses a folder at the target, a Folder save refuses a file.
// Returns false and sets *error on failure.
bool save(const QString &path, Kind kind, const Builder &build, QString *error);

// save() of a file holding `bytes`, making missing parent folders first.
bool writeFile(const QString &path, const QByteArray &bytes, QString *error);

// The file or folder a save to `path` replaces: the end of a chain of
// symbolic links (which may not exist yet), else `path` itself, absolute.
// "" with *error for a chain of more than 40 links.
QString resolvedTarget(const QString &path, QString *error);

// The start of every scratch name beside the target named `fileName`.
QString scratchPrefix(const QString &fileName);

} // namespace SafeSave
