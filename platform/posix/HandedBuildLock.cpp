#include "platform/posix/HandedBuildLock.h"

#include <cstdlib>

#include "platform/posix/HandedLock.h"

namespace plat {

std::string ReleaseHandedBuildLock() {
    const char* value = std::getenv("VQT_BUILD_LOCK_FD");
    const HandedLock handed = ReadHandedLock("VQT_BUILD_LOCK_FD", value ? value : "",
                                             ExpectedLockFile::Named(".build-lock", "a build tree's lock .build-lock"));
    if (handed.fd >= 0) ReleaseHandedLock(handed.fd);
    return handed.refused.empty() ? std::string() : handed.refused + "\n";
}

} // namespace plat
