#pragma once
#include <optional>

#include "platform/System.h"

namespace plat {

/// The machine as this process sees it, reporting the XP identity; every answer can be
/// overridden so tests reach the paths of other versions and processor counts.
class HeadlessSystem final : public System {
public:
    VersionInfo Version() override { return version_; }
    std::string WorkingFolder() override;
    std::string CommandLine() override;
    unsigned ProcessorCount() override;
    MemoryStatus Memory() override;
    uint32_t CurrentThreadId() override;

    void SetVersion(const VersionInfo& version) { version_ = version; }
    void SetProcessorCount(unsigned count) { processors_ = count; }
    void SetCommandLine(std::string text) { commandLine_ = std::move(text); }
    void SetMemory(const MemoryStatus& status) { memory_ = status; }

private:
    VersionInfo version_;
    std::optional<unsigned> processors_;
    std::optional<std::string> commandLine_;
    std::optional<MemoryStatus> memory_;
};

} // namespace plat
