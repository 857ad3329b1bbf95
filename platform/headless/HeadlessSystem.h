#pragma once
#include <optional>

#include "platform/System.h"
#include "platform/posix/SingleInstanceLock.h"

namespace plat {

/// The machine as this process sees it, reporting the XP identity; every answer can be
/// overridden so tests reach the paths of other versions and processor counts.
class HeadlessSystem final : public System {
public:
    HeadlessSystem() = default;
    HeadlessSystem(const HeadlessSystem&) = delete;
    HeadlessSystem& operator=(const HeadlessSystem&) = delete;
    VersionInfo Version() override { return version_; }
    std::string WorkingFolder() override;
    std::string CommandLine() override;
    unsigned ProcessorCount() override;
    MemoryStatus Memory() override;
    uint32_t CurrentThreadId() override;
    /// The single-instance locks, as plat::SingleInstanceLock keeps them.
    InstanceLock CreateInstanceMutex(std::string_view name) override { return lock_.Take(name); }
    std::string MakeLockFile(std::string_view name) override { return lock_.MakeFile(name); }
    void CloseInstanceMutex() override { lock_.Release(); }
    std::string LockPath(std::string_view name) const override { return lock_.Path(name); }

    void SetVersion(const VersionInfo& version) { version_ = version; }
    void SetProcessorCount(unsigned count) { processors_ = count; }
    void SetCommandLine(std::string text) { commandLine_ = std::move(text); }
    void SetMemory(const MemoryStatus& status) { memory_ = status; }
    /// Where the lock files go (see plat::SingleInstanceLock).
    void SetLockFolder(std::string folder) { lock_.SetFolder(std::move(folder)); }
    /// The handed-over lock's text in place of VQT_LOCK_FD's ("" for none).
    void SetHandedLock(std::string fd) { lock_.SetHandedLock(std::move(fd)); }

private:
    VersionInfo version_;
    std::optional<unsigned> processors_;
    std::optional<std::string> commandLine_;
    std::optional<MemoryStatus> memory_;
    SingleInstanceLock lock_;
};

} // namespace plat
