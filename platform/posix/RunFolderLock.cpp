#include "platform/posix/RunFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/HandedLock.h"
#include "platform/posix/InstanceLockChecks.h"

namespace plat {

namespace {

/// Opens the lock file at `path`, made when missing: for writing, else read-only when this user
/// may not write it. Never through a link (O_NOFOLLOW), never waiting for a fifo's writer
/// (O_NONBLOCK); only a regular file. Closed, and why, when it cannot.
LockFileHandle OpenLockFile(const std::string& path, std::string& why) {
    constexpr int kHow = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    LockFileHandle file(::open(path.c_str(), O_RDWR | O_CREAT | kHow, 0644));
    int error = errno;
    if (!file.IsOpen() && (error == EACCES || error == EPERM || error == EROFS)) {
        file = LockFileHandle(::open(path.c_str(), O_RDONLY | kHow));
        // A file missing where it cannot be made: the first error says why.
        if (!file.IsOpen() && errno != ENOENT) error = errno;
    }
    struct stat st {};
    const bool seen = file.IsOpen() ? ::fstat(file.Fd(), &st) == 0 : ::lstat(path.c_str(), &st) == 0;
    if (seen && !S_ISREG(st.st_mode)) {
        why = path + " is " + KindOfFile(st.st_mode) + ", not a file";
        return {};
    }
    if (!file.IsOpen()) why = "cannot open " + path + ": " + std::strerror(error);
    return file;
}

} // namespace

InstanceLock RunFolderLock::Take(const std::string& folder, const std::string& handed) {
    const std::string path = PathIn(folder);
    const HandedLock launchers = ReadHandedLock("VQT_RUN_LOCK_FD", handed, ExpectedLockFile::At(path));
    if (!launchers.refused.empty()) return HandOverRefusal(launchers.refused);
    if (launchers.fd >= 0) {
        if (const int error = KeepHandedLock(launchers.fd)) return LockRefusal(error, path);
        file_ = LockFileHandle(launchers.fd);
        return {};
    }
    std::string why;
    LockFileHandle file = OpenLockFile(path, why);
    if (!file.IsOpen()) return LockFailure(std::move(why));
    if (::flock(file.Fd(), LOCK_EX | LOCK_NB) != 0) return LockRefusal(errno, path);
    file_ = std::move(file);
    return {};
}

} // namespace plat
