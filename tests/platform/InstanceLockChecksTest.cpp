// The single-instance lock's safety: which folders count as the user's alone (from their lstat,
// so other owners are reached without being root), what each failure to lock says, and the
// lock file's own open and lock failures; a lock handed over by a launcher.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/headless/HeadlessSystem.h"
#include "platform/posix/HandedLock.h"
#include "platform/posix/InstanceLockChecks.h"
#include "tools/builders/TempFolder.h"

namespace {

using plat::InstanceLock;
using State = InstanceLock::State;

constexpr uid_t kUser = 1000;

struct FolderCase {
    const char* name;
    mode_t mode;
    uid_t owner;
    const char* why; ///< empty: the user's alone
};

constexpr FolderCase kFolderCases[] = {
    {"the user's own, closed to others", S_IFDIR | 0700, kUser, ""},
    {"the user's own, sticky", S_IFDIR | 01700, kUser, ""},
    {"another user's", S_IFDIR | 0700, kUser + 1, "/f belongs to user 1001, not to user 1000"},
    {"root's", S_IFDIR | 0700, 0, "/f belongs to user 0, not to user 1000"},
    {"group-writable", S_IFDIR | 0720, kUser, "/f is open to other users (mode 0720)"},
    {"group-readable", S_IFDIR | 0750, kUser, "/f is open to other users (mode 0750)"},
    {"writable by others", S_IFDIR | 0702, kUser, "/f is open to other users (mode 0702)"},
    {"open to others", S_IFDIR | 0705, kUser, "/f is open to other users (mode 0705)"},
    {"the shared temporary folder", S_IFDIR | 01777, kUser, "/f is open to other users (mode 1777)"},
    {"a link", S_IFLNK | 0777, kUser, "/f is a link, not a folder"},
    {"a file", S_IFREG | 0600, kUser, "/f is not a folder"},
    {"a pipe", S_IFIFO | 0600, kUser, "/f is not a folder"},
};

TEST(InstanceLockChecks, AFolderIsTheUsersAloneOnlyWhenARealFolderOfTheirsClosedToEveryoneElse) {
    for (const FolderCase& c : kFolderCases) {
        SCOPED_TRACE(c.name);
        struct stat st {};
        st.st_mode = c.mode;
        st.st_uid = c.owner;
        EXPECT_EQ(plat::WhyNotPrivateFolder(st, kUser, "/f"), c.why);
    }
}

struct RefusalCase {
    int error;
    State state;
    const char* why;
};

constexpr RefusalCase kRefusalCases[] = {
    {EWOULDBLOCK, State::HeldElsewhere, ""},
    {ENOLCK, State::Failed, "cannot lock /l: No locks available"},
    {EINTR, State::Failed, "cannot lock /l: Interrupted system call"},
    {EBADF, State::Failed, "cannot lock /l: Bad file descriptor"},
};

TEST(InstanceLockChecks, OnlyALockHeldElsewhereMeansAnotherCopyEveryOtherErrorSaysItsText) {
    for (const RefusalCase& c : kRefusalCases) {
        SCOPED_TRACE(c.error);
        const InstanceLock lock = plat::LockRefusal(c.error, "/l");
        EXPECT_EQ(lock.state, c.state);
        EXPECT_EQ(lock.why, c.why);
    }
}

TEST(InstanceLockChecks, TheLockFileHeldByAnotherOpenFileIsHeldElsewhere) {
    const vqt::test::TempFolder folder;
    plat::HeadlessSystem system;
    system.SetLockFolder(folder.path());
    const int other = ::open(system.LockPath("Game").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(system.CreateInstanceMutex("Game").state, State::HeldElsewhere);
    ::close(other);
    EXPECT_EQ(system.CreateInstanceMutex("Game").state, State::Taken) << "free once that file is closed";
}

TEST(InstanceLockChecks, ALockFileThatCannotBeOpenedFailsSayingWhy) {
    const vqt::test::TempFolder folder;
    plat::HeadlessSystem system;
    // No folder to make the file in.
    system.SetLockFolder(folder / "missing");
    InstanceLock lock = system.CreateInstanceMutex("Game");
    EXPECT_EQ(lock.state, State::Failed);
    EXPECT_EQ(lock.why, "cannot open " + folder / "missing/Game.lock" + ": No such file or directory");
    // A link in place of the file is not followed.
    system.SetLockFolder(folder.path());
    ASSERT_EQ(::symlink((folder / "elsewhere").c_str(), (folder / "Game.lock").c_str()), 0);
    lock = system.CreateInstanceMutex("Game");
    EXPECT_EQ(lock.state, State::Failed);
    EXPECT_EQ(lock.why, folder / "Game.lock" + " is a symbolic link, not a file");
    EXPECT_NE(::access((folder / "elsewhere").c_str(), F_OK), 0) << "nothing made through the link";
}

/// A launcher's hold of the lock file: its own open file, locked, and a copy of it handed over.
struct Launcher {
    explicit Launcher(const std::string& path) {
        own = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (own >= 0) ::flock(own, LOCK_EX | LOCK_NB);
        handed = own >= 0 ? ::dup(own) : -1;
    }
    ~Launcher() {
        if (own >= 0) ::close(own);
    }
    int own = -1;
    int handed = -1;
};

TEST(InstanceLockChecks, ALockHandedOverIsTakenWhenItIsTheLockFileAndKeptOnTheNextTake) {
    const vqt::test::TempFolder folder;
    plat::HeadlessSystem system, other;
    system.SetLockFolder(folder.path());
    other.SetLockFolder(folder.path());
    ASSERT_EQ(system.MakeLockFile("Game"), "");
    EXPECT_EQ(::access((folder / "Game.lock").c_str(), F_OK), 0);
    EXPECT_EQ(other.CreateInstanceMutex("Game").state, State::Taken) << "made, not taken";
    other.CloseInstanceMutex();

    const Launcher launcher(system.LockPath("Game"));
    ASSERT_GE(launcher.handed, 0);
    system.SetHandedLock(std::to_string(launcher.handed));
    EXPECT_EQ(system.CreateInstanceMutex("Game").state, State::Taken);
    // Taken again, the lock is kept: given back and taken anew it would meet the launcher's.
    EXPECT_EQ(system.CreateInstanceMutex("Game").state, State::Taken);
    EXPECT_EQ(other.CreateInstanceMutex("Game").state, State::HeldElsewhere);
    EXPECT_EQ(::fcntl(launcher.handed, F_GETFD), FD_CLOEXEC) << "not passed on to programs it starts";
    system.CloseInstanceMutex();
    EXPECT_EQ(::fcntl(launcher.handed, F_GETFD), -1) << "given back with the lock";
}

TEST(InstanceLockChecks, ALockHandedOverThatIsNotTheLockFileOrHeldElsewhereIsRefused) {
    const vqt::test::TempFolder folder;
    plat::HeadlessSystem holder;
    holder.SetLockFolder(folder.path());
    ASSERT_EQ(holder.CreateInstanceMutex("Held").state, State::Taken);
    const int another = ::open((folder / "other").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const int held = ::open(holder.LockPath("Held").c_str(), O_RDONLY | O_CLOEXEC);
    const int folderFd = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(another, 0);
    ASSERT_GE(held, 0);
    ASSERT_GE(folderFd, 0);
    struct Case {
        std::string handed;
        const char* name;
        State state;
        std::string why;
    };
    // The lock file of "Free", opened but locked by no one.
    plat::HeadlessSystem maker;
    maker.SetLockFolder(folder.path());
    ASSERT_EQ(maker.MakeLockFile("Free"), "");
    const int unlocked = ::open((folder / "Free.lock").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(unlocked, 0);
    const std::string named = "the lock handed over as VQT_LOCK_FD=";
    const State refused = State::HandOverRefused;
    const Case cases[] = {
        {"abc", "Game", refused, named + "\"abc\" is not an open file"},
        {"-3", "Game", refused, named + "\"-3\" is not an open file"},
        {"99999999999", "Game", refused, named + "\"99999999999\" is not an open file"},
        {"9999999999", "Game", refused, named + "\"9999999999\" is not an open file"},
        {"999999999", "Game", refused, named + "\"999999999\" is not an open file"},
        {"987", "Game", refused, named + "\"987\" is not an open file"},
        {std::to_string(another), "Game", refused,
         named + "\"" + std::to_string(another) + "\" is not the lock file " + folder / "Game.lock" + " (it is " +
             folder / "other)"},
        {std::to_string(folderFd), "Game", refused,
         named + "\"" + std::to_string(folderFd) + "\" is not the lock file " + folder / "Game.lock" + " (it is " +
             folder.path() + ", a folder)"},
        // The lock file, but another open file holds its lock: the launcher holds nothing.
        {std::to_string(held), "Held", refused,
         named + "\"" + std::to_string(held) + "\" does not hold the lock " + folder / "Held.lock"},
        // The lock file, held by no one: taking it here would be no launcher's hold.
        {std::to_string(unlocked), "Free", refused,
         named + "\"" + std::to_string(unlocked) + "\" does not hold the lock " + folder / "Free.lock"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.handed);
        plat::HeadlessSystem system;
        system.SetLockFolder(folder.path());
        system.SetHandedLock(c.handed);
        const InstanceLock lock = system.CreateInstanceMutex(c.name);
        EXPECT_EQ(lock.state, c.state);
        EXPECT_EQ(lock.why, c.why);
    }
    ::close(another);
    ::close(held);
    ::close(folderFd);
    ::close(unlocked);
}

TEST(InstanceLockChecks, OnlyAFlockLineOfTheOpenFilesOwnCountsAsHoldingTheLock) {
    struct Case {
        const char* fdinfo;
        bool holds;
    };
    const Case cases[] = {
        {"pos:\t0\nflags:\t02100000\nmnt_id:\t31\nino:\t10953046\nlock:\t1: FLOCK  ADVISORY  WRITE 3908 fe:00:10953046 0 EOF\n", true},
        {"pos:\t0\nflags:\t02100000\nmnt_id:\t31\nino:\t10953046\n", false},
        {"lock:\t1: POSIX  ADVISORY  WRITE 3908 fe:00:10953046 0 EOF\n", false},
        {"pos:\t0\nflags:\t0\nlock:\t1: FLOCK  ADVISORY  WRITE 1 fe:00:1 0 EOF", true},
        {"flags:\t0 lock: FLOCK \n", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fdinfo);
        EXPECT_EQ(plat::FdInfoShowsFlock(c.fdinfo), c.holds);
    }
}

TEST(InstanceLockChecks, EachNameIsALockOfItsOwnAndTakenOnlyWhenThisProcessHoldsIt) {
    const vqt::test::TempFolder folder;
    plat::HeadlessSystem system, other;
    system.SetLockFolder(folder.path());
    other.SetLockFolder(folder.path());
    // The game's lock by its built-in name, then start-up's by the product name of its data.
    EXPECT_EQ(system.LockPath("Game/Built In"), folder / "Game_Built In.lock");
    EXPECT_EQ(system.LockPath("Data Product"), folder / "Data Product.lock");
    ASSERT_EQ(system.CreateInstanceMutex("Game/Built In").state, State::Taken);
    EXPECT_EQ(system.CreateInstanceMutex("Data Product").state, State::Taken);
    EXPECT_EQ(system.CreateInstanceMutex("Game/Built In").state, State::Taken) << "a held lock is kept";
    EXPECT_EQ(other.CreateInstanceMutex("Game/Built In").state, State::HeldElsewhere) << "still held";
    EXPECT_EQ(other.CreateInstanceMutex("Data Product").state, State::HeldElsewhere) << "held as well";
    system.CloseInstanceMutex();
    EXPECT_EQ(other.CreateInstanceMutex("Game/Built In").state, State::Taken) << "free once given back";
    EXPECT_EQ(other.CreateInstanceMutex("Data Product").state, State::Taken) << "free once given back";
    // Another holder's lock is never answered Taken, whichever lock this process holds.
    ASSERT_EQ(system.CreateInstanceMutex("Yet Another").state, State::Taken);
    EXPECT_EQ(system.CreateInstanceMutex("Data Product").state, State::HeldElsewhere);
    other.CloseInstanceMutex();
    EXPECT_EQ(system.CreateInstanceMutex("Data Product").state, State::Taken);
}

} // namespace
