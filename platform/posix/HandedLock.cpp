#include "platform/posix/HandedLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "platform/posix/InstanceLockChecks.h"

namespace plat {

namespace {

/// The file descriptor a launcher names: a whole number of up to 9 digits, else -1.
int HandedDescriptor(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(text);
}

/// Whether this process's open file `fd` holds a flock lock.
bool HoldsFlock(int fd) {
    std::ifstream in("/proc/self/fdinfo/" + std::to_string(fd));
    return FdInfoShowsFlock(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

/// The path of an open file, as the system names it.
std::string OpenFilePath(int fd) {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error).string();
}

bool IsExpected(const struct stat& handed, const std::string& opened, const ExpectedLockFile& expected) {
    if (expected.path.empty()) return std::filesystem::path(opened).filename() == expected.fileName;
    struct stat own {};
    return ::lstat(expected.path.c_str(), &own) == 0 && S_ISREG(own.st_mode) && own.st_dev == handed.st_dev &&
           own.st_ino == handed.st_ino;
}

HandedLock Refused(std::string why) { return HandedLock{-1, std::move(why)}; }

} // namespace

HandedLock ReadHandedLock(const std::string& variable, const std::string& text, const ExpectedLockFile& expected) {
    if (text.empty()) return {};
    const std::string named = variable + "=\"" + text + "\"";
    const int fd = HandedDescriptor(text);
    struct stat handed {};
    if (fd < 0 || ::fstat(fd, &handed) != 0) return Refused(named + " is not an open file");
    const std::string opened = OpenFilePath(fd);
    if (!S_ISREG(handed.st_mode))
        return Refused(named + " is not " + expected.described + " (it is " + opened + ", " + KindOfFile(handed.st_mode) + ")");
    if (!IsExpected(handed, opened, expected)) return Refused(named + " is not " + expected.described + " (it is " + opened + ")");
    // Only the launcher's own locked file is its hold: an open file that holds no lock would
    // take the lock here when it is free, or find it held by someone else.
    if (!HoldsFlock(fd)) return Refused(named + " does not hold the lock " + (expected.path.empty() ? opened : expected.path));
    return HandedLock{fd, {}};
}

int KeepHandedLock(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return errno;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return 0;
}

void ReleaseHandedLock(int fd) {
    ::flock(fd, LOCK_UN);
    ::close(fd);
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

} // namespace plat
