// Where the single-instance lock lives without a folder set: the user's session folder
// (XDG_RUNTIME_DIR) when it is this user's alone, else a folder of this user's own in the
// temporary folder, made on first use; a fallback folder that is not the user's alone refuses
// the lock, saying why.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/headless/HeadlessSystem.h"
#include "tests/support/Environment.h"
#include "tools/builders/TempFolder.h"

namespace {

using plat::HeadlessSystem;
using State = plat::InstanceLock::State;
using vqt::test::ScopedVariable;
using vqt::test::TempFolder;

std::string OwnFallback(const std::string& temp) { return temp + "/vqt-" + std::to_string(::geteuid()); }

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

struct RuntimeCase {
    const char* name;
    /// What XDG_RUNTIME_DIR holds: "private" a folder of 0700, "open" one of 0755, "relative" a
    /// relative path, "none" unset.
    const char* runtime;
    bool usesRuntime;
};

constexpr RuntimeCase kRuntimeCases[] = {
    {"the session folder", "private", true},
    {"unset", "none", false},
    {"a relative path", "relative", false},
    {"a folder others may read", "open", false},
};

TEST(InstanceLockFolder, TheSessionFolderWhenItIsTheUsersAloneElseAFolderOfTheUsersOwn) {
    for (const RuntimeCase& c : kRuntimeCases) {
        SCOPED_TRACE(c.name);
        const TempFolder runtime, temp;
        const std::string kind = c.runtime;
        if (kind == "open") {
            ASSERT_EQ(::chmod(runtime.path().c_str(), 0755), 0);
        }
        const std::string value = kind == "relative" ? "run/user" : runtime.path();
        const ScopedVariable session("XDG_RUNTIME_DIR", kind == "none" ? nullptr : value.c_str());
        const ScopedVariable tmp("TMPDIR", temp.path().c_str());

        HeadlessSystem first, second;
        const std::string folder = c.usesRuntime ? runtime.path() : OwnFallback(temp.path());
        EXPECT_EQ(first.LockPath("Game"), folder + "/Game.lock");
        EXPECT_EQ(first.CreateInstanceMutex("Game").state, State::Taken);
        EXPECT_EQ(second.CreateInstanceMutex("Game").state, State::HeldElsewhere) << "the lock holds";
        EXPECT_EQ(ModeOf(folder) & 0777, 0700u) << "the user's alone";
        EXPECT_EQ(ModeOf(folder + "/Game.lock") & 077, 0u);
        first.CloseInstanceMutex();
        EXPECT_EQ(second.CreateInstanceMutex("Game").state, State::Taken) << "free once given back";
        second.CloseInstanceMutex();
        ::unlink((folder + "/Game.lock").c_str());
        if (!c.usesRuntime) ::rmdir(folder.c_str());
    }
}

TEST(InstanceLockFolder, AFallbackFolderOthersMayWriteToRefusesTheLockSayingWhy) {
    const TempFolder temp;
    const ScopedVariable session("XDG_RUNTIME_DIR", nullptr);
    const ScopedVariable tmp("TMPDIR", temp.path().c_str());
    const std::string folder = OwnFallback(temp.path());
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    HeadlessSystem first, second;
    for (HeadlessSystem* copy : {&first, &second}) {
        const plat::InstanceLock lock = copy->CreateInstanceMutex("Game");
        EXPECT_EQ(lock.state, State::Failed) << "no lock is taken where another user could hold it";
        EXPECT_EQ(lock.why, folder + " is open to other users (mode 0777)");
    }
    EXPECT_NE(::access((folder + "/Game.lock").c_str(), F_OK), 0) << "no lock file left there";
    ::rmdir(folder.c_str());
}

TEST(InstanceLockFolder, ALinkInPlaceOfTheFallbackFolderRefusesTheLockSayingWhy) {
    const TempFolder temp, elsewhere;
    const ScopedVariable session("XDG_RUNTIME_DIR", nullptr);
    const ScopedVariable tmp("TMPDIR", temp.path().c_str());
    const std::string folder = OwnFallback(temp.path());
    ASSERT_EQ(::symlink(elsewhere.path().c_str(), folder.c_str()), 0);
    HeadlessSystem first;
    const plat::InstanceLock lock = first.CreateInstanceMutex("Game");
    EXPECT_EQ(lock.state, State::Failed);
    EXPECT_EQ(lock.why, folder + " is a link, not a folder");
    EXPECT_NE(::access((elsewhere.path() + "/Game.lock").c_str(), F_OK), 0) << "nothing written through the link";
    ::unlink(folder.c_str());
}

} // namespace
