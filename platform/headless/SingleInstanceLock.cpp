#include "platform/headless/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/headless/InstanceLockChecks.h"

namespace plat {

namespace {

/// Why the folder is not this user's alone; empty when it is.
std::string WhyNotPrivate(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "cannot look at " + path + ": " + std::strerror(errno);
    return WhyNotPrivateFolder(st, ::geteuid(), path);
}

/// Makes the folder for this user alone when it is missing; why it is not such a folder (empty
/// when it is).
std::string MakePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return "cannot make the folder " + path + ": " + std::strerror(errno);
    return WhyNotPrivate(path);
}

} // namespace

std::string SingleInstanceLock::Folder() const {
    if (folder_) return *folder_;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/' && WhyNotPrivate(runtime).empty())
        return runtime;
    const char* temp = std::getenv("TMPDIR");
    const std::string base = temp && temp[0] == '/' ? temp : "/tmp";
    return base + "/vqt-" + std::to_string(::geteuid());
}

std::string SingleInstanceLock::Path(std::string_view name) const {
    if (fixedName_) name = *fixedName_;
    // The name becomes one file name: separators and control characters are replaced.
    std::string file;
    for (char c : name) file += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) ? '_' : c;
    if (file.empty()) file = "_";
    return Folder() + "/" + file + ".lock";
}

int SingleInstanceLock::OpenFile(const std::string& path, std::string& why) {
    // A folder another user could write to would let that user hold (or take away) this
    // user's lock: then no lock is safe.
    if (!folder_)
        if (why = MakePrivateFolder(Folder()); !why.empty()) return -1;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) why = "cannot open " + path + ": " + std::strerror(errno);
    return fd;
}

std::optional<InstanceLock> SingleInstanceLock::TakeHandedOver(const std::string& path) {
    if (handedUsed_) return std::nullopt;
    handedUsed_ = true;
    const char* env = std::getenv("VQT_LOCK_FD");
    const std::string text = handed_ ? *handed_ : env ? env : "";
    if (text.empty()) return std::nullopt;
    const std::string named = "the lock handed over as VQT_LOCK_FD=\"" + text + "\"";
    const int fd = HandedDescriptor(text);
    struct stat handed {};
    if (fd < 0 || ::fstat(fd, &handed) != 0) return HandOverRefusal(named + " is not an open file");
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0 || !S_ISREG(own.st_mode) || own.st_dev != handed.st_dev ||
        own.st_ino != handed.st_ino)
        return HandOverRefusal(named + " is not the lock file " + path);
    // Only the launcher's own locked file is its hold: an open file that holds no lock would
    // take the lock here when it is free, or find it held by someone else.
    if (!HoldsFlock(fd)) return HandOverRefusal(named + " does not hold the lock " + path);
    // Locking it again through the same open file keeps the launcher's lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return LockRefusal(errno, path);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    fd_ = fd;
    return InstanceLock{};
}

InstanceLock SingleInstanceLock::Take(std::string_view name) {
    if (fd_ >= 0) return {};
    const std::string path = Path(name);
    std::string why;
    const int fd = OpenFile(path, why);
    if (fd < 0) return LockFailure(std::move(why));
    if (std::optional<InstanceLock> handed = TakeHandedOver(path)) {
        ::close(fd);
        return *handed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return LockRefusal(error, path);
    }
    fd_ = fd;
    return {};
}

std::string SingleInstanceLock::MakeFile(std::string_view name) {
    std::string why;
    const int fd = OpenFile(Path(name), why);
    if (fd >= 0) ::close(fd);
    return why;
}

void SingleInstanceLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

} // namespace plat
