#include "platform/headless/HeadlessSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "platform/headless/InstanceLockChecks.h"

namespace plat {

namespace {

/// Reads the "Name: value kB" lines of /proc/meminfo into bytes.
uint64_t MemInfoBytes(const std::string& text, const char* name) {
    const std::string key = std::string(name) + ":";
    const size_t at = text.find(key);
    if (at == std::string::npos) {
        return 0;
    }
    std::istringstream in(text.substr(at + key.size()));
    uint64_t kb = 0;
    in >> kb;
    return kb * 1024;
}

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

std::string HeadlessSystem::WorkingFolder() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr) {
        return ".";
    }
    return buffer;
}

std::string HeadlessSystem::CommandLine() {
    if (commandLine_) {
        return *commandLine_;
    }
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!raw.empty() && raw.back() == '\0') {
        raw.pop_back();
    }
    for (char& c : raw) {
        if (c == '\0') {
            c = ' ';
        }
    }
    return raw;
}

unsigned HeadlessSystem::ProcessorCount() {
    if (processors_) {
        return *processors_;
    }
    const unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : count;
}

MemoryStatus HeadlessSystem::Memory() {
    if (memory_) {
        return *memory_;
    }
    std::ifstream in("/proc/meminfo");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MemoryStatus status;
    status.totalPhys = MemInfoBytes(text, "MemTotal");
    status.availPhys = MemInfoBytes(text, "MemAvailable");
    // The page file stands for what a process may commit: physical memory, not swap.
    status.totalPageFile = status.totalPhys;
    status.availPageFile = status.availPhys;
    status.totalVirtual = uint64_t{1} << 47;
    status.availVirtual = status.totalVirtual;
    if (status.totalPhys > 0) {
        status.memoryLoad =
            static_cast<uint32_t>(100 - (status.availPhys * 100 / status.totalPhys));
    }
    return status;
}

uint32_t HeadlessSystem::CurrentThreadId() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

std::string HeadlessSystem::LockFolder() const {
    if (lockFolder_) return *lockFolder_;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/' && WhyNotPrivate(runtime).empty())
        return runtime;
    const char* temp = std::getenv("TMPDIR");
    const std::string base = temp && temp[0] == '/' ? temp : "/tmp";
    return base + "/vqt-" + std::to_string(::geteuid());
}

std::string HeadlessSystem::LockPath(std::string_view name) const {
    // The name becomes one file name: separators and control characters are replaced.
    std::string file;
    for (char c : name) file += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) ? '_' : c;
    if (file.empty()) file = "_";
    return LockFolder() + "/" + file + ".lock";
}

int HeadlessSystem::OpenLockFile(const std::string& path, std::string& why) {
    // A folder another user could write to would let that user hold (or take away) this
    // user's lock: then no lock is safe.
    if (!lockFolder_)
        if (why = MakePrivateFolder(LockFolder()); !why.empty()) return -1;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) why = "cannot open " + path + ": " + std::strerror(errno);
    return fd;
}

std::optional<InstanceLock> HeadlessSystem::TakeHandedLock(const std::string& path) {
    if (handedLockUsed_) return std::nullopt;
    handedLockUsed_ = true;
    const char* env = std::getenv("VQT_LOCK_FD");
    const std::string text = handedLock_ ? *handedLock_ : env ? env : "";
    if (text.empty()) return std::nullopt;
    const std::string named = "the lock handed over as VQT_LOCK_FD=\"" + text + "\"";
    int fd = -1;
    if (text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos) fd = std::stoi(text);
    struct stat handed {};
    if (fd < 0 || ::fstat(fd, &handed) != 0) return LockFailure(named + " is not an open file");
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0 || !S_ISREG(own.st_mode) || own.st_dev != handed.st_dev ||
        own.st_ino != handed.st_ino)
        return LockFailure(named + " is not the lock file " + path);
    // Locking the file again through the same open file keeps the launcher's lock; another
    // holder refuses it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return LockRefusal(errno, path);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    lockFd_ = fd;
    lockPath_ = path;
    return InstanceLock{};
}

InstanceLock HeadlessSystem::CreateInstanceMutex(std::string_view name) {
    const std::string path = LockPath(name);
    if (lockFd_ >= 0 && lockPath_ == path) return {};
    CloseInstanceMutex();
    std::string why;
    const int fd = OpenLockFile(path, why);
    if (fd < 0) return LockFailure(std::move(why));
    if (std::optional<InstanceLock> handed = TakeHandedLock(path)) {
        ::close(fd);
        return *handed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return LockRefusal(error, path);
    }
    lockFd_ = fd;
    lockPath_ = path;
    return {};
}

std::string HeadlessSystem::MakeLockFile(std::string_view name) {
    std::string why;
    const int fd = OpenLockFile(LockPath(name), why);
    if (fd >= 0) ::close(fd);
    return why;
}

void HeadlessSystem::CloseInstanceMutex() {
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
        lockPath_.clear();
    }
}

} // namespace plat
