#include "platform/headless/InstanceLockChecks.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>

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

bool FdInfoShowsFlock(const std::string& fdinfo) {
    // One line a lock: "lock:\t1: FLOCK  ADVISORY  WRITE <pid> <device>:<inode> 0 EOF".
    for (size_t at = 0; at < fdinfo.size();) {
        const size_t end = std::min(fdinfo.find('\n', at), fdinfo.size());
        const std::string_view line(fdinfo.data() + at, end - at);
        if (line.rfind("lock:", 0) == 0 && line.find(" FLOCK ") != std::string_view::npos) return true;
        at = end + 1;
    }
    return false;
}

bool HoldsFlock(int fd) {
    std::ifstream in("/proc/self/fdinfo/" + std::to_string(fd));
    return FdInfoShowsFlock(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

int HandedDescriptor(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(text);
}

} // namespace plat
