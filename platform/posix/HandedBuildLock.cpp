#include "platform/posix/HandedBuildLock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/headless/InstanceLockChecks.h"

namespace plat {

namespace {

constexpr const char* kVariable = "VQT_BUILD_LOCK_FD";
constexpr const char* kLockName = ".build-lock";

/// The path of an open file, as the system names it.
std::string OpenFilePath(int fd) {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error).string();
}

} // namespace

std::string ReleaseHandedBuildLock() {
    const char* value = std::getenv(kVariable);
    if (!value || !*value) return {};
    const std::string text = value;
    const std::string named = std::string(kVariable) + "=\"" + text + "\"";
    const int fd = HandedDescriptor(text);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return named + " is not an open file\n";
    const std::filesystem::path path = OpenFilePath(fd);
    if (!S_ISREG(st.st_mode) || path.filename() != kLockName)
        return named + " is not a build tree's lock " + kLockName + " (it is " + path.string() + ")\n";
    if (!HoldsFlock(fd))
        return named + " does not hold the lock " + path.string() + "\n";
    // Unlocking the shared open file frees the tree for every holder of it; closing alone would
    // leave the launcher's copy holding it.
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return {};
}

} // namespace plat
