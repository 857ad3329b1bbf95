#include "platform/posix/SingleInstanceLock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/HandedLock.h"
#include "platform/posix/InstanceLockChecks.h"

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
    // The name becomes one file name: separators and control characters are replaced.
    std::string file;
    for (char c : name) file += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) ? '_' : c;
    if (file.empty()) file = "_";
    return Folder() + "/" + file + ".lock";
}

LockFileHandle SingleInstanceLock::OpenFile(const std::string& path, std::string& why) {
    // A folder another user could write to would let that user hold (or take away) this
    // user's lock: then no lock is safe.
    if (!folder_)
        if (why = MakePrivateFolder(Folder()); !why.empty()) return {};
    return LockFileHandle::Open(path, 0600, why);
}

std::optional<InstanceLock> SingleInstanceLock::TakeHandedOver(const std::string& path) {
    if (handedUsed_) return std::nullopt;
    handedUsed_ = true;
    const char* env = std::getenv("VQT_LOCK_FD");
    const HandedLock handed = ReadHandedLock("VQT_LOCK_FD", handed_ ? *handed_ : env ? env : "", ExpectedLockFile::At(path));
    if (!handed.refused.empty()) return HandOverRefusal("the lock handed over as " + handed.refused);
    if (handed.fd < 0) return std::nullopt;
    LockFileHandle file(handed.fd);
    if (const int error = KeepHandedLock(file.Fd())) return LockRefusal(error, path);
    held_.emplace(path, std::move(file));
    return InstanceLock{};
}

InstanceLock SingleInstanceLock::Take(std::string_view name) {
    const std::string path = Path(name);
    if (held_.count(path)) return {};
    std::string why;
    LockFileHandle file = OpenFile(path, why);
    if (!file.IsOpen()) return LockFailure(std::move(why));
    if (std::optional<InstanceLock> handed = TakeHandedOver(path)) return *handed;
    if (::flock(file.Fd(), LOCK_EX | LOCK_NB) != 0) return LockRefusal(errno, path);
    held_.emplace(path, std::move(file));
    return {};
}

std::string SingleInstanceLock::MakeFile(std::string_view name) {
    std::string why;
    const LockFileHandle file = OpenFile(Path(name), why);
    return why;
}

void SingleInstanceLock::Release() { held_.clear(); }

} // namespace plat
