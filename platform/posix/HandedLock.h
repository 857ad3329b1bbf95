#pragma once
#include <string>

namespace plat {

/// The lock file that a descriptor a launcher hands over must be.
struct ExpectedLockFile {
    /// The lock file at `path` itself (the same device and inode; not a link to it).
    static ExpectedLockFile At(const std::string& path) { return {"the lock file " + path, path, {}}; }
    /// Any file named `fileName` (a build tree's lock, whichever tree it locks).
    static ExpectedLockFile Named(const std::string& fileName, const std::string& described) {
        return {described, {}, fileName};
    }

    std::string described; ///< how a refusal names it
    std::string path;
    std::string fileName;
};

/// What a launcher handed over in a variable as its held lock.
struct HandedLock {
    int fd = -1;         ///< the launcher's open file, holding its lock; -1 when none or refused
    std::string refused; ///< why it is no held lock file, naming the variable; empty otherwise
};

/// The one rule of a lock a launcher hands over: `text`, the variable's value, is a whole number
/// of up to 9 digits naming an open descriptor of a regular file that is the expected lock file,
/// and that open file holds an flock (/proc/self/fdinfo). Empty text hands nothing over.
HandedLock ReadHandedLock(const std::string& variable, const std::string& text, const ExpectedLockFile& expected);

/// Keeps a handed-over lock for the rest of the process: locked again through the launcher's
/// open file, which keeps the launcher's lock rather than meeting it, and closed on exec. 0, or
/// flock's error.
int KeepHandedLock(int fd);

/// Lets a handed-over lock go and closes it. The unlock frees it for every holder of the open
/// file: closing alone would leave the launcher's copy holding it.
void ReleaseHandedLock(int fd);

/// Whether an open file's entry in /proc/self/fdinfo lists a flock lock that it holds.
bool FdInfoShowsFlock(const std::string& fdinfo);

} // namespace plat
