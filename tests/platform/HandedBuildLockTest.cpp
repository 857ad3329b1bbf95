// The build tree's lock a launcher hands over (VQT_BUILD_LOCK_FD) is let go for every holder of the
// launcher's open file, not merely closed here; what it refuses, the programs' tests show.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/posix/HandedBuildLock.h"
#include "tools/builders/TempFolder.h"

namespace {

TEST(HandedBuildLock, AHeldBuildLockIsLetGoThoughTheLauncherKeepsItsOpenFile) {
    const vqt::test::TempFolder tree;
    const std::string lock = tree / ".build-lock";
    std::ofstream(lock) << "";
    const int launchers = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(launchers, 0);
    ASSERT_EQ(::flock(launchers, LOCK_EX | LOCK_NB), 0);
    const int handed = ::dup(launchers);
    ::setenv("VQT_BUILD_LOCK_FD", std::to_string(handed).c_str(), 1);
    EXPECT_EQ(plat::ReleaseHandedBuildLock(), "");
    ::unsetenv("VQT_BUILD_LOCK_FD");
    EXPECT_EQ(::fcntl(handed, F_GETFD), -1) << "closed";
    const int nextBuild = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(::flock(nextBuild, LOCK_EX | LOCK_NB), 0) << "free for the next build";
    ::close(nextBuild);
    ::close(launchers);
}

} // namespace
