#pragma once
#include <optional>

#include "platform/System.h"

namespace plat {

/// The machine as this process sees it, reporting the XP identity; every answer can be
/// overridden so tests reach the paths of other versions and processor counts.
class HeadlessSystem final : public System {
public:
    HeadlessSystem() = default;
    HeadlessSystem(const HeadlessSystem&) = delete;
    HeadlessSystem& operator=(const HeadlessSystem&) = delete;
    ~HeadlessSystem() override { CloseInstanceMutex(); }
    VersionInfo Version() override { return version_; }
    std::string WorkingFolder() override;
    std::string CommandLine() override;
    unsigned ProcessorCount() override;
    MemoryStatus Memory() override;
    uint32_t CurrentThreadId() override;
    /// A lock file "<name>.lock" in the lock folder held with flock, so that a second process
    /// of the same user (or a second take in this one) finds it held. A default lock folder that
    /// is not this user's alone, or a lock file that cannot be opened or locked, fails with why.
    /// Taking the lock this object holds already keeps it. A launcher that holds the lock hands
    /// it over as an open file whose number VQT_LOCK_FD names: that file is taken in place of a
    /// new one when it is this lock's file, and refused (Failed) when it is not.
    InstanceLock CreateInstanceMutex(std::string_view name) override;
    std::string MakeLockFile(std::string_view name) override;
    void CloseInstanceMutex() override;

    void SetVersion(const VersionInfo& version) { version_ = version; }
    void SetProcessorCount(unsigned count) { processors_ = count; }
    void SetCommandLine(std::string text) { commandLine_ = std::move(text); }
    void SetMemory(const MemoryStatus& status) { memory_ = status; }
    /// Where the instance lock files go. By default the user's session folder:
    /// XDG_RUNTIME_DIR when it is an absolute folder of this user, else "vqt-<uid>" in the
    /// temporary folder (TMPDIR, else /tmp), made for this user alone.
    void SetLockFolder(std::string folder) { lockFolder_ = std::move(folder); }
    /// The handed-over lock's text in place of VQT_LOCK_FD's ("" for none).
    void SetHandedLock(std::string fd) { handedLock_ = std::move(fd); }
    /// The lock file of a name.
    std::string LockPath(std::string_view name) const override;

private:
    std::string LockFolder() const;
    /// Opens (making when missing) the lock file at `path`, its folder made first unless the
    /// folder was set; -1 and why when it cannot.
    int OpenLockFile(const std::string& path, std::string& why);
    /// Takes the handed-over lock file for `path`: nullopt when none was handed over.
    std::optional<InstanceLock> TakeHandedLock(const std::string& path);

    VersionInfo version_;
    std::optional<unsigned> processors_;
    std::optional<std::string> commandLine_;
    std::optional<MemoryStatus> memory_;
    std::optional<std::string> lockFolder_;
    std::optional<std::string> handedLock_;
    bool handedLockUsed_ = false;
    int lockFd_ = -1;
    std::string lockPath_;
};

} // namespace plat
