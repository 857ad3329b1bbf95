#pragma once
#include <string>

#include "platform/System.h"
#include "platform/posix/LockFileHandle.h"

namespace plat {

/// The lock of the folder a game plays in (its working folder, the run folder): the file
/// ".run-lock" there, held with flock while this object lives, so that two games never share one
/// folder's save file and settings, whichever user or lock folder each start has. Its rules:
/// - Taken before anything of the folder is read or written: held by another open file, it is
///   HeldElsewhere, with nothing in the folder touched.
/// - A launcher that holds it hands its open file over (VQT_RUN_LOCK_FD); it is kept only when it
///   is this folder's lock file and holds its lock, else refused as a wrong setting.
/// - Opened for writing (over NFS an exclusive flock needs a file open for writing), made when
///   missing; read-only when this user may not write it, so that another user's game playing in a
///   shared folder is still found.
/// - Never followed through a link, and only a regular file: anything else fails saying what it
///   is; a flock failure other than a holder fails with the system's text.
class RunFolderLock {
public:
    /// The lock file of a run folder.
    static std::string PathIn(const std::string& folder) { return folder + "/.run-lock"; }

    /// Takes the lock of `folder`; `handed` is the text of VQT_RUN_LOCK_FD ("" for none).
    InstanceLock Take(const std::string& folder, const std::string& handed);

private:
    LockFileHandle file_;
};

} // namespace plat
