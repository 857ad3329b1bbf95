#include "platform/posix/WholeFile.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace plat {

namespace {

/// The file goes out a piece at a time, as any large write may: a kill lands between pieces.
constexpr size_t kPiece = size_t(1) << 20;

/// Holds Ctrl+C and the other signals that end a program back for its scope: one that arrives
/// meanwhile ends the program at the scope's end, once the file is named or given up.
class InterruptsHeld {
public:
    InterruptsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, signal);
        ::pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~InterruptsHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t before_;
};

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string Failed(const std::string& what, int error) { return what + ": " + std::strerror(error); }

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

/// A name for the file beside the path while it is not the path's yet.
std::string TemporaryName(const std::string& path, int attempt) {
    const size_t slash = path.rfind('/');
    const size_t base = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, base) + "." + path.substr(base) + ".new-" + std::to_string(::getpid()) + "-" +
           std::to_string(attempt);
}

std::string WriteAll(int fd, const std::vector<uint8_t>& bytes, const std::string& path) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, std::min(kPiece, bytes.size() - done));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return Failed("cannot write " + path, wrote < 0 ? errno : ENOSPC);
        done += size_t(wrote);
    }
    return {};
}

/// Puts the written file at the path under `temporary`: replaces the path at once, removing
/// the temporary when it cannot.
std::string RenameOver(const std::string& temporary, const std::string& path) {
    if (::rename(temporary.c_str(), path.c_str()) == 0) return {};
    const int error = errno;
    ::unlink(temporary.c_str());
    return Failed("cannot put the new file at " + path, error);
}

} // namespace

std::string WriteWholeFileByName(const std::string& path, const std::vector<uint8_t>& bytes) {
    const InterruptsHeld held;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = TemporaryName(path, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return Failed("cannot make a file in " + FolderOf(path), errno);
    }
    Descriptor file(fd);
    std::string why = WriteAll(file.get(), bytes, path);
    if (why.empty() && ::fsync(file.get()) != 0) why = Failed("cannot write " + path, errno);
    if (!why.empty()) {
        ::unlink(temporary.c_str());
        return why;
    }
    return RenameOver(temporary, path);
}

std::string WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    // A file without a name disappears with the program, however it ends.
    const int fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) return WriteWholeFileByName(path, bytes);
    if (fd < 0) return Failed("cannot make a file in " + FolderOf(path), errno);
    const Descriptor file(fd);
    if (std::string why = WriteAll(file.get(), bytes, path); !why.empty()) return why;
    if (::fsync(file.get()) != 0) return Failed("cannot write " + path, errno);
    // Named and renamed with the interrupts held: one that comes between leaves no name behind.
    const InterruptsHeld held;
    const std::string self = "/proc/self/fd/" + std::to_string(file.get());
    for (int attempt = 0;; ++attempt) {
        const std::string temporary = TemporaryName(path, attempt);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return RenameOver(temporary, path);
        if (errno == ENOENT) return WriteWholeFileByName(path, bytes); // no /proc to name it by
        if (errno != EEXIST) return Failed("cannot name the new file " + temporary, errno);
    }
}

} // namespace plat
