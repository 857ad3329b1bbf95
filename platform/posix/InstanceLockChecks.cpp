#include "platform/posix/InstanceLockChecks.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace plat {

std::string WhyNotPrivateFolder(const struct stat& st, uid_t user, const std::string& path) {
    if (S_ISLNK(st.st_mode)) return path + " is a link, not a folder";
    if (!S_ISDIR(st.st_mode)) return path + " is not a folder";
    if (st.st_uid != user)
        return path + " belongs to user " + std::to_string(st.st_uid) + ", not to user " + std::to_string(user);
    if ((st.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        return path + " is open to other users (mode " + mode + ")";
    }
    return {};
}

InstanceLock LockRefusal(int error, const std::string& path) {
    if (error == EWOULDBLOCK) return InstanceLock{InstanceLock::State::HeldElsewhere, {}};
    return LockFailure("cannot lock " + path + ": " + std::strerror(error));
}

InstanceLock LockFailure(std::string why) { return InstanceLock{InstanceLock::State::Failed, std::move(why)}; }

InstanceLock HandOverRefusal(std::string why) {
    return InstanceLock{InstanceLock::State::HandOverRefused, std::move(why)};
}

const char* KindOfFile(mode_t mode) {
    if (S_ISREG(mode)) return "a regular file";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a fifo";
    if (S_ISSOCK(mode)) return "a socket";
    return "a device";
}

} // namespace plat
