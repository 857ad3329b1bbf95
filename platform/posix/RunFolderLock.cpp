#include "platform/posix/RunFolderLock.h"

#include <sys/file.h>

#include <cerrno>

#include "platform/posix/HandedLock.h"
#include "platform/posix/InstanceLockChecks.h"

namespace plat {

InstanceLock RunFolderLock::Take(const std::string& folder, const std::string& handed) {
    const std::string path = PathIn(folder);
    const HandedLock launchers = ReadHandedLock("VQT_RUN_LOCK_FD", handed, ExpectedLockFile::At(path));
    if (!launchers.refused.empty()) return HandOverRefusal(launchers.refused);
    if (launchers.fd >= 0) {
        LockFileHandle handedFile(launchers.fd);
        if (const int error = KeepHandedLock(handedFile.Fd())) return LockRefusal(error, path);
        file_ = std::move(handedFile);
        return {};
    }
    std::string why;
    LockFileHandle file = LockFileHandle::Open(path, 0644, why);
    if (!file.IsOpen()) return LockFailure(std::move(why));
    if (::flock(file.Fd(), LOCK_EX | LOCK_NB) != 0) return LockRefusal(errno, path);
    file_ = std::move(file);
    return {};
}

} // namespace plat
