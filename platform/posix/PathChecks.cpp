#include "platform/posix/PathChecks.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace plat {

namespace {

constexpr size_t kShownBytes = 60; ///< a longer value is shown cut to this many bytes

std::string Shown(const std::string& text) {
    if (text.size() <= 2 * kShownBytes) return text;
    return text.substr(0, kShownBytes) + "...";
}

std::string Quoted(const std::string& text) { return "\"" + Shown(text) + "\""; }

std::string Because(int error) { return std::string(" (") + std::strerror(error) + ")"; }

/// The folder that holds the path's last part: "." for a name without one, "/" for a name
/// right under the root.
std::string FolderOf(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : trimmed.substr(0, slash);
}

/// The kernel's file systems that show its state as files and make none of their own, named as
/// `stat -f -c %T` names them, which is how tools/run-checks.sh knows them.
struct PseudoFileSystem {
    uint32_t magic; ///< statfs' f_type
    const char* name;
};
constexpr uint32_t kConfigFsMagic = 0x62656570;  // not in <linux/magic.h>
constexpr uint32_t kFuseControlMagic = 0x65735543; // not in <linux/magic.h>
constexpr PseudoFileSystem kPseudoFileSystems[] = {
    {PROC_SUPER_MAGIC, "proc"},        {SYSFS_MAGIC, "sysfs"},           {CGROUP_SUPER_MAGIC, "cgroupfs"},
    {CGROUP2_SUPER_MAGIC, "cgroup2fs"}, {DEBUGFS_MAGIC, "debugfs"},       {TRACEFS_MAGIC, "tracefs"},
    {SECURITYFS_MAGIC, "securityfs"},  {DEVPTS_SUPER_MAGIC, "devpts"},   {kConfigFsMagic, "configfs"},
    {BPF_FS_MAGIC, "bpf_fs"},          {PSTOREFS_MAGIC, "pstorefs"},     {EFIVARFS_MAGIC, "efivarfs"},
    {kFuseControlMagic, "fusectl"},
};

/// Why the folder cannot hold new files, for a folder that exists; empty when it can.
std::string FolderCannotBeWritten(const std::string& folder, const struct stat& info) {
    if (!S_ISDIR(info.st_mode)) return Quoted(folder) + " is not a folder";
    if (const std::string system = OnPseudoFileSystem(folder); !system.empty())
        return "the folder " + Quoted(folder) + " is on the " + system + " file system, which cannot hold files";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return "the folder " + Quoted(folder) + " cannot be written" + Because(errno);
    return {};
}

std::string DataRootsFault() {
    const char* list = std::getenv("DATAROOTS");
    if (!list || !*list) return {};
    std::istringstream in(list);
    bool named = false;
    for (std::string folder; std::getline(in, folder, ':');) {
        if (folder.empty()) continue;
        named = true;
        std::string why;
        struct stat info {};
        if (const std::string tooLong = PathTooLong(folder); !tooLong.empty())
            why = "the entry " + Quoted(folder) + " is too long: " + tooLong;
        else if (::stat(folder.c_str(), &info) != 0)
            why = "the folder " + Quoted(folder) + (errno == ENOENT ? " does not exist" : " cannot be reached" + Because(errno));
        else if (!S_ISDIR(info.st_mode))
            why = Quoted(folder) + " is not a folder";
        else if (::access(folder.c_str(), R_OK | X_OK) != 0)
            why = "the folder " + Quoted(folder) + " cannot be read" + Because(errno);
        if (!why.empty())
            return VariableSetting("DATAROOTS", list) + ": " + why + "; it must list folders that exist, separated by \":\"\n";
    }
    if (!named) return VariableSetting("DATAROOTS", list) + ": lists no folder, only \":\" separators\n";
    return {};
}

std::string PrintFolderFault() {
    const char* folder = std::getenv("VQT_PRINT_FOLDER");
    if (!folder || !*folder) return {};
    const std::string why = FolderCannotBeUsed(folder);
    return why.empty() ? std::string() : VariableSetting("VQT_PRINT_FOLDER", folder) + ": " + why + "\n";
}

} // namespace

std::string VariableSetting(const char* name, const std::string& value) {
    std::string text = std::string(name) + "=" + Quoted(value);
    if (value.size() > 2 * kShownBytes) text += " (" + std::to_string(value.size()) + " bytes)";
    return text;
}

std::string PathTooLong(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return "the name is " + std::to_string(path.size()) + " bytes long, more than the system takes (" +
               std::to_string(PATH_MAX - 1) + ")";
    std::istringstream parts(path);
    for (std::string part; std::getline(parts, part, '/');)
        if (part.size() > NAME_MAX)
            return "its part " + Quoted(part) + " is " + std::to_string(part.size()) +
                   " bytes long, more than the system takes in one name (" + std::to_string(NAME_MAX) + ")";
    return {};
}

std::string OnPseudoFileSystem(const std::string& path) {
    struct statfs info {};
    for (std::string at = path;; at = FolderOf(at)) {
        if (::statfs(at.c_str(), &info) == 0) break;
        if ((errno != ENOENT && errno != ENOTDIR) || FolderOf(at) == at) return {};
    }
    for (const PseudoFileSystem& system : kPseudoFileSystems)
        if (static_cast<uint32_t>(info.f_type) == system.magic) return system.name;
    return {};
}

std::vector<std::string> PseudoFileSystemNames() {
    std::vector<std::string> names;
    for (const PseudoFileSystem& system : kPseudoFileSystems) names.push_back(system.name);
    return names;
}

std::string FileCannotBeWritten(const std::string& path) {
    if (std::string why = PathTooLong(path); !why.empty()) return why;
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return "it names a folder, not a file";
    const std::string folder = FolderOf(path);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0)
        return "the folder " + Quoted(folder) + (errno == ENOENT ? " does not exist" : " cannot be reached" + Because(errno));
    if (std::string why = FolderCannotBeWritten(folder, folderInfo); !why.empty()) return why;
    if (exists && ::access(path.c_str(), W_OK) != 0) return "the file cannot be written" + Because(errno);
    return {};
}

std::string FileCannotBeMade(const std::string& path) {
    // O_NONBLOCK: a pipe without a reader answers at once instead of waiting for one.
    int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    if (errno != ENOENT) return "the file cannot be opened for writing" + Because(errno);
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) return "the file cannot be made" + Because(errno);
    ::close(fd);
    ::unlink(path.c_str());
    return {};
}

std::string FolderCannotBeUsed(const std::string& folder) {
    if (std::string why = PathTooLong(folder); !why.empty()) return why;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) return FolderCannotBeWritten(folder, info);
    if (errno != ENOENT && errno != ENOTDIR) return Quoted(folder) + " cannot be reached" + Because(errno);
    // A missing folder is made at the first use: the nearest existing folder above it must allow that.
    for (std::string below = folder, above = FolderOf(folder); above != below; below = above, above = FolderOf(above)) {
        if (::stat(above.c_str(), &info) == 0) {
            const std::string why = FolderCannotBeWritten(above, info);
            return why.empty() ? std::string() : "the folder does not exist and cannot be made: " + why;
        }
    }
    return "the folder does not exist and cannot be made" + Because(errno);
}

std::string VariableFaults() { return DataRootsFault() + PrintFolderFault(); }

} // namespace plat
