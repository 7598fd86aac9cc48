#pragma once

#include <QString>

// Writing a file's new content into the file itself, for a save that cannot
// replace it by a rename without taking it from its owner (only the owner's
// own saves get a new file). The old content is first copied into the save's
// private scratch folder; should the write fail, it goes back at once, and
// should the save be killed, the next save that finds the scratch folder
// puts it back (restoreLeftover). The file keeps its owner, group and mode.
namespace InPlaceWrite {

// Writes the content of `source` over `target` from its start and cuts it to
// that size, keeping the old content in `scratchFolder` meanwhile. On
// failure returns false with *error naming `target` and the cause; the old
// content is back in `target`, or, when even that failed, *keepScratch is
// set: the copy in `scratchFolder` must stay for the next save to put back.
bool write(const QString &source, const QString &target, const QString &scratchFolder, bool *keepScratch,
           QString *error);

// Puts back into `target` the old content that a killed write left in
// `scratchFolder`, when that copy is of this very file. False when such a
// copy is there but could not be put back: the folder must then stay.
bool restoreLeftover(const QString &scratchFolder, const QString &target);

// A scratch folder away from its target (in the application's scratch root,
// when the target's folder lets the saver add nothing) holds a note of the
// target, so that whoever cleans it up puts the old content back first.
bool noteTarget(const QString &scratchFolder, const QString &target);
// restoreLeftover() for every noted scratch folder inside `folder`; false
// when one copy could not go back (`folder` must then stay).
bool restoreNotedLeftovers(const QString &folder);

} // namespace InPlaceWrite
