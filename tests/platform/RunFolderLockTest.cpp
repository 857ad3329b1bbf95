// The run folder's lock beyond what the programs' tests see of it: the file it makes, what it
// refuses at ".run-lock" without changing anything, and a launcher's lock kept for the object's
// life and for no program it starts.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/RunFolderLock.h"
#include "tools/builders/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using plat::InstanceLock;
using plat::RunFolderLock;
using State = InstanceLock::State;
using vqt::test::TempFolder;

/// The kind, inode, size and change time of what is at `path`.
std::string Stat(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "missing";
    return std::to_string(st.st_mode) + " " + std::to_string(st.st_ino) + " " + std::to_string(st.st_size) + " " +
           std::to_string(st.st_ctim.tv_sec) + "." + std::to_string(st.st_ctim.tv_nsec);
}

/// Whether another open file finds the lock at `path` held.
bool HeldElsewhere(const std::string& path) {
    return RunFolderLock().Take(fs::path(path).parent_path(), "").state == State::HeldElsewhere;
}

TEST(RunFolderLock, AMissingLockFileIsMadeForEveryoneToReadAndWhatIsNoFileIsRefusedUnchanged) {
    const TempFolder run, elsewhere;
    const std::string lock = RunFolderLock::PathIn(run.path()), target = elsewhere / "target";
    const mode_t mask = ::umask(022);
    {
        RunFolderLock taker;
        EXPECT_EQ(taker.Take(run.path(), "").state, State::Taken);
        EXPECT_EQ(fs::status(lock).type(), fs::file_type::regular);
        EXPECT_EQ(fs::status(lock).permissions(), fs::perms(0644));
        EXPECT_TRUE(HeldElsewhere(lock));
    }
    ::umask(mask);
    EXPECT_FALSE(HeldElsewhere(lock)) << "given back with the object";

    fs::permissions(lock, fs::perms::owner_read | fs::perms::others_read); // another user's, say
    EXPECT_EQ(RunFolderLock().Take(run.path(), "").state, State::Taken);
    fs::remove(lock);
    std::ofstream(target) << "";
    fs::create_symlink(target, lock);
    const std::string seen = Stat(lock) + Stat(target);
    InstanceLock taken = RunFolderLock().Take(run.path(), "");
    EXPECT_EQ(taken.state, State::Failed);
    EXPECT_EQ(taken.why, lock + " is a symbolic link, not a file");
    EXPECT_EQ(Stat(lock) + Stat(target), seen) << "nothing changed through the link";
    fs::remove(lock);
    fs::create_directory(lock);
    taken = RunFolderLock().Take(run.path(), "");
    EXPECT_EQ(taken.state, State::Failed);
    EXPECT_EQ(taken.why, lock + " is a folder, not a file");
}

TEST(RunFolderLock, ALaunchersLockIsKeptForTheObjectsLifeAndOnlyWhenItIsTheFoldersOwnFile) {
    const TempFolder run, linked;
    const std::string lock = RunFolderLock::PathIn(run.path());
    const int launchers = ::open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(launchers, 0);
    ASSERT_EQ(::flock(launchers, LOCK_EX | LOCK_NB), 0);
    const int handed = ::dup(launchers);
    {
        RunFolderLock taker;
        EXPECT_EQ(taker.Take(run.path(), std::to_string(handed)).state, State::Taken);
        EXPECT_EQ(::fcntl(handed, F_GETFD), FD_CLOEXEC) << "not passed on to programs it starts";
        EXPECT_TRUE(HeldElsewhere(lock));
    }
    EXPECT_EQ(::fcntl(handed, F_GETFD), -1) << "closed with the object";
    // A link in place of another folder's lock file, to the file the launcher holds.
    fs::create_symlink(lock, RunFolderLock::PathIn(linked.path()));
    const InstanceLock taken = RunFolderLock().Take(linked.path(), std::to_string(launchers));
    EXPECT_EQ(taken.state, State::HandOverRefused);
    EXPECT_EQ(taken.why, "VQT_RUN_LOCK_FD=\"" + std::to_string(launchers) + "\" is not the lock file " +
                             RunFolderLock::PathIn(linked.path()) + " (it is " + lock + ")");
    ::close(launchers);
}

} // namespace
