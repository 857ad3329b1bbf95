#pragma once
#include <string>

namespace plat {

/// Lets go of the build tree's lock that a launcher handed over (VQT_BUILD_LOCK_FD): it holds the
/// lock while it starts the programs a run needs, so that no build replaces them before they run,
/// and the program lets it go as soon as it runs. The lock is the launcher's open file, shared
/// with it: unlocking it here frees the tree for the next build while the launcher waits on. Only
/// an open regular file named as a build tree's lock (".build-lock") that holds its lock is let go
/// (plat::ReadHandedLock's rule); anything else is a wrong setting. What is wrong, a line naming
/// the variable; empty when nothing was handed over (unset or empty) or the lock was let go.
std::string ReleaseHandedBuildLock();

} // namespace plat
