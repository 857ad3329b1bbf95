#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/System.h"
#include "platform/posix/LockFileHandle.h"

namespace plat {

/// The process's single-instance locks: a file "<name>.lock" in the user's lock folder for each
/// name, held with flock, so that a second process of the same user finds it held. Every rule of
/// the lock is kept here:
/// - One lock a name, and every answer true: a name's lock is Taken only while this process holds
///   it. The game takes its lock by its built-in product name; start-up asks by the product text
///   of the data it loaded, which a user's data can change: that lock is taken as well.
/// - A held lock is kept: asked for again it stays, never given back for another name's.
/// - A launcher that holds the lock hands its open file over (VQT_LOCK_FD), for the first lock
///   asked for. It is taken in place of a new one only when it is that lock's file and holds its
///   lock; anything else is refused as a wrong setting (HandOverRefused).
/// - A default lock folder that is not this user's alone, or a lock file that cannot be opened or
///   locked, fails with why: no lock is safe then.
class SingleInstanceLock {
public:
    SingleInstanceLock() = default;
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    /// Where the lock files go. By default the user's session folder: XDG_RUNTIME_DIR when it is
    /// an absolute folder of this user, else "vqt-<uid>" in the temporary folder (TMPDIR, else
    /// /tmp), made for this user alone.
    void SetFolder(std::string folder) { folder_ = std::move(folder); }
    /// The handed-over lock's text in place of VQT_LOCK_FD's ("" for none).
    void SetHandedLock(std::string fd) { handed_ = std::move(fd); }

    /// Takes the lock of `name` for the rest of the process (or until released).
    InstanceLock Take(std::string_view name);
    /// The lock's file.
    std::string Path(std::string_view name) const;
    /// Makes the lock's file (and its folder) as taking the lock would, without taking it; why it
    /// cannot (empty when made).
    std::string MakeFile(std::string_view name);
    /// Gives every lock back; nothing when none is held.
    void Release();

private:
    std::string Folder() const;
    /// Opens (making when missing) the lock file at `path`, its folder made first unless the
    /// folder was set (see LockFileHandle::Open); closed, and why, when it cannot.
    LockFileHandle OpenFile(const std::string& path, std::string& why);
    /// Takes the handed-over lock file for `path` (the first lock asked for): nullopt when none
    /// was handed over.
    std::optional<InstanceLock> TakeHandedOver(const std::string& path);

    std::optional<std::string> folder_;
    std::optional<std::string> handed_;
    bool handedUsed_ = false;
    /// The locks held, by their files' paths.
    std::map<std::string, LockFileHandle> held_;
};

} // namespace plat
