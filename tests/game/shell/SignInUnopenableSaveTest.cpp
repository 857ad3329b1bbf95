// The sign-in over a save file that is there but cannot be opened: no rights to it, a folder of
// its name, a link to nothing (as to a drive not mounted). The player gets the free badges of a
// first start and one line on standard error; the file stays as it was, and a save that fails
// on it later says so while the game plays on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/base/Trace.h"
#include "engine/data/Profiles.h"
#include "engine/media/TextIMEView.h"
#include "game/shell/Player.h"
#include "game/shell/SignInActivity.h"
#include "game/shell/SignInBadgeProps.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/Golden.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kSignIn = 4;
constexpr uid_t kNobody = 65534;

/// While it lives the process acts as a user of no rights when it runs as root (root opens a
/// file of mode 000); otherwise it changes nothing.
class AsUserWithoutRights {
public:
    AsUserWithoutRights() {
        if (uid_ == 0 && (::setegid(kNobody) != 0 || ::seteuid(kNobody) != 0))
            ADD_FAILURE() << "root cannot act as a user without rights";
    }
    ~AsUserWithoutRights() {
        if ((::geteuid() != uid_ && ::seteuid(uid_) != 0) || (::getegid() != gid_ && ::setegid(gid_) != 0))
            ADD_FAILURE() << "the test's own user does not come back";
    }
    AsUserWithoutRights(const AsUserWithoutRights&) = delete;
    AsUserWithoutRights& operator=(const AsUserWithoutRights&) = delete;

private:
    const uid_t uid_ = ::geteuid();
    const gid_t gid_ = ::getegid();
};

/// What stands at the save file's name, as the disc shows it without following a link.
std::string Snapshot(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (fs::is_symlink(status)) return "link to " + fs::read_symlink(path).string();
    if (fs::is_directory(status)) {
        std::string names = "folder:";
        for (const auto& entry : fs::directory_iterator(path)) names += " " + entry.path().filename().string();
        return names;
    }
    // Read with the owner's read right lent for the moment (a user other than root needs it).
    fs::permissions(path, fs::perms::owner_read, fs::perm_options::add);
    const std::string bytes = ReadFileBytes(path);
    fs::permissions(path, status.permissions());
    return "file of mode " + std::to_string(unsigned(status.permissions())) + ": " + bytes;
}

/// Every name under a folder (links not followed), sorted.
std::string Tree(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const std::string& name : names) out += name + " ";
    return out;
}

/// What each badge offers: "free" (the empty-badge picture), "taken" (a name), "unreadable".
std::string Badges(const SignIn_Activity* s) {
    std::string out;
    for (int b = 0; b < SignIn_Activity::kBadges; ++b) {
        const bool free = s->GetEmptyIcon(b)->IsVisible() && !s->GetEntry(b)->IsVisible();
        out += std::string(b ? "|" : "") + (s->IsUnreadable(b) ? "unreadable" : free ? "free" : "taken");
    }
    return out;
}

class SignInUnopenableSaveTest : public GameActivityFixture {
protected:
    void SetUp() override {
        GameActivityFixture::SetUp();
        xProfiles_Set("USERFILE", save.c_str());
        // A user of no rights may write in the folder: only the game itself keeps a new save away.
        fs::permissions(folder.path(), fs::perms::all);
    }
    SignIn_Activity* ShowSignIn() {
        Show(kSignIn);
        return CurrentSignIn();
    }

    std::string save = folder / "TLVSave.vqk";
};

/// A save file that cannot be opened, made at `path`, and the system's reason that is told.
struct UnopenableCase {
    const char* name;
    std::function<void(const std::string& path)> make;
    const char* why;
};

TEST_F(SignInUnopenableSaveTest, AFileThatCannotBeOpenedOffersFreeBadgesSaysSoOnceAndIsKept) {
    // The badges of a first start, with no save file at all.
    const std::string firstStart = Badges(ShowSignIn());
    ASSERT_EQ(firstStart, "free|free|free|free|free|free|free|free");
    Show(kPlainScreen);

    const UnopenableCase cases[] = {
        {"no rights",
         [](const std::string& path) {
             WriteFileBytes(path, ToString(SaveFileOf({{0, StoredRecord("Ann")}, {3, StoredRecord("Bo")}})));
             fs::permissions(path, fs::perms::none);
         },
         "Permission denied"},
        {"a folder of its name",
         [](const std::string& path) {
             fs::create_directory(path);
             WriteFileBytes(path + "/notes.txt", "kept");
         },
         "it is a folder"},
        {"a link to nothing",
         [](const std::string& path) {
             // Into the empty mount point of a drive that is not mounted.
             const std::string drive = fs::path(path).parent_path() / "drive";
             fs::create_directory(drive);
             fs::permissions(drive, fs::perms::all);
             fs::create_symlink(drive + "/TLVSave.vqk", path);
         },
         "it is a link to nothing"},
    };
    for (const UnopenableCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(save);
        fs::remove_all(folder / "drive");
        // Each case as in a run of its own.
        CGameShellState::Get().toldSaveFiles.clear();
        CGameShellState::Get().unopenedSaveFiles.clear();
        dialogs().Clear();
        c.make(save);
        const std::string before = Snapshot(save), treeBefore = Tree(folder.path());
        xTrace_Keys().logging = 0; // what is left in the debug output goes to standard error
        debug().Clear();

        SignIn_Activity* s = nullptr;
        std::string told, offered;
        {
            AsUserWithoutRights user;
            s = ShowSignIn();
            ASSERT_NE(s, nullptr);
            told = debug().Text();
            offered = Badges(s);

            // A player signs in on badge 0: the save fails and says so; the game goes on.
            s->SelectBadge(0);
            s->GetEntry(0)->SetText("Cy");
            s->SelectBadge(0);
            EXPECT_FALSE(app->GetPlayer()->Save(0)) << "the game's own save fails too";
        }
        const std::string line = "Save file " + save + ": it cannot be opened (" + c.why +
                                 "); its players can be neither read nor kept.\n";
        EXPECT_EQ(told, line) << "one line, not one per badge";
        EXPECT_EQ(offered, firstStart);
        const std::string notSaved = "Save file " + save + ", slot 0: not saved: it cannot be opened (" + c.why + ").\n";
        EXPECT_EQ(debug().Text(), line + notSaved + notSaved) << "the sign-in's save, then the game's";
        EXPECT_STREQ(app->GetPlayer()->GetName(), "Cy");
        EXPECT_STREQ(s->GetEntry(0)->GetTextPtr(), "Cy");
        EXPECT_TRUE(s->MayNavigate(SignIn_Activity::kGarage)) << "on to the garage";
        EXPECT_EQ(dialogs().Boxes().size(), 1u) << "a box once";

        EXPECT_EQ(Snapshot(save), before);
        EXPECT_EQ(Tree(folder.path()), treeBefore) << "nothing made beside it or through it";
        Show(kPlainScreen);
        xTrace_Keys().logging = 1;
    }
}

} // namespace
} // namespace vqt::test
