#include "platform/posix/LockFileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/InstanceLockChecks.h"

namespace plat {

LockFileHandle LockFileHandle::Open(const std::string& path, mode_t mode, std::string& why) {
    constexpr int kHow = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    LockFileHandle file(::open(path.c_str(), O_RDWR | O_CREAT | kHow, mode));
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

} // namespace plat
