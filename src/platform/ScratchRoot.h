#pragma once

#include <QString>

// The one temporary root of the application: "<temp>/morvane-office-<uid>",
// private to the user. Each running process owns one subfolder of it, made on
// first use and holding a lock file for as long as the process lives; every
// scratch folder of the process (TemporaryFolder) goes inside it. Folders of
// processes that were killed are removed at start and on first use, never a
// folder whose process still runs; a file a killed save was writing in place
// gets its old content back from there first (InPlaceWrite).
namespace ScratchRoot {

// The root folder's path (it may not exist yet).
QString rootPath();

// This process's folder, made with its lock on first call (which also removes
// stale folders); "" when it cannot be made. Removed at normal exit.
QString processFolder();

// Removes every subfolder of the root whose owner no longer runs: its lock is
// stale, or it has no lock and is older than a minute (a process killed
// between making the folder and locking it). Returns how many went.
int removeStaleFolders();

} // namespace ScratchRoot
