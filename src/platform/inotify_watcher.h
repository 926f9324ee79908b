// Folder watches through Linux inotify, for the map catalogue.
#pragma once

#include <memory>

#include "ports/file_system.h"

namespace mw {

// nullptr when inotify is not available (the caller stamps files instead).
// Folders on network and user-space file systems are refused: changes made
// on another machine or by the file system's own daemon never reach a local
// watch.
std::unique_ptr<FolderWatcher> NewInotifyWatcher();

// Whether the file system holding `folder` reports every change to local
// watches (not NFS, SMB/CIFS, FUSE, 9P, AFS, Coda, Ceph, cluster file
// systems). False when the folder cannot be examined.
bool FolderIsWatchable(const std::string& folder);

}  // namespace mw
