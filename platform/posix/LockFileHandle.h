#pragma once
#include <sys/types.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace plat {

/// An open lock file this process owns: closed when it goes, which gives its flock back unless
/// another copy of the open file (a launcher's) still holds it.
class LockFileHandle {
public:
    LockFileHandle() = default;
    explicit LockFileHandle(int fd) : fd_(fd) {}
    LockFileHandle(LockFileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    LockFileHandle& operator=(LockFileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    LockFileHandle(const LockFileHandle&) = delete;
    LockFileHandle& operator=(const LockFileHandle&) = delete;
    ~LockFileHandle() { Close(); }

    /// Opens the lock file at `path`, made with `mode` when missing: for writing (over NFS an
    /// exclusive flock needs a file open for writing), else read-only when this user may not
    /// write it, where a lock held there is still seen. Never through a link, never waiting for
    /// a fifo's writer; only a regular file. Closed, with why, when it cannot.
    static LockFileHandle Open(const std::string& path, mode_t mode, std::string& why);

    int Fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

private:
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    int fd_ = -1;
};

} // namespace plat
