#pragma once
#include "platform/Files.h"

namespace plat {

/// Files on the POSIX file system, with the Windows name fallbacks.
class PosixFiles final : public Files {
public:
    std::unique_ptr<File> Open(const std::string& name, OpenMode mode) override;
    std::optional<std::string> Resolve(const std::string& name) override;
    bool Exists(const std::string& name) override;
    bool IsDirectory(const std::string& name) override;
    bool IsLink(const std::string& name) override;
    bool Remove(const std::string& name) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool SyncFolder(const std::string& folder) override;
    std::vector<std::string> List(const std::string& folder) override;
    std::string WindowsFolder() override;
    std::vector<std::string> CdromRoots() override;
};

/// The name with every '\' turned into '/'.
std::string ToPosixSeparators(std::string name);

} // namespace plat
