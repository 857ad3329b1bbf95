// Every screen of the generated game, shown one after the other with its host and a caption on
// view: the pointer finds each shown button at the button's own centre, so that no other view
// (the host, a caption, the counter bar, a panel) lies over it and takes its clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/TextView.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/BaseButton.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StartActivities.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int kSlot = 1;
/// A screen's buttons are tried from kFirstTryMs after it was asked for, every kTryEveryMs,
/// for kSettleMs: its panels come up, its host speaks its first lines.
constexpr uint32_t kFirstTryMs = 400, kTryEveryMs = 400, kSettleMs = 3200;

struct Screen {
    uint16_t entry;
    const char* name;
    /// The vehicle the player drives there (-1: keep the one before).
    int vehicle;
};

// The timed screens, the shell's screens, then the towns and each town's four games.
constexpr Screen kShellScreens[] = {
    {3, "title", -1},           {4, "sign-in", -1},         {5, "garage", -1},          {60, "ordinary screen", -1},
    {6, "circus certificate", -1}, {21, "zoo certificate", -1}, {20, "city certificate", -1},
};
constexpr auto kScreens = [] {
    std::array<Screen, std::size(kShellScreens) + std::size(kStartActivities)> screens{};
    size_t i = 0;
    for (const Screen& s : kShellScreens) screens[i++] = s;
    for (const StartActivity& a : kStartActivities) screens[i++] = {a.entry, a.name, a.vehicle};
    return screens;
}();

void CollectButtons(ONode* node, std::vector<Base_Button_Prop*>& buttons) {
    if (auto* button = dynamic_cast<Base_Button_Prop*>(node)) buttons.push_back(button);
    for (int32_t i = 0; i < node->ChildCount(); ++i) CollectButtons(node->ChildAt(i), buttons);
}

bool IsWithin(const ONode* node, const ONode* ancestor) {
    for (; node; node = node->GetParent())
        if (node == ancestor) return true;
    return false;
}

/// "<screen>: button <id> at (x, y) lies under <view>" for every shown, enabled button of the
/// current screen on the stage whose centre the pointer does not find it at, or where another
/// view is drawn over it (hit modes aside: a picture over a button hides it from the player).
/// A transparent text view lets the button show through around its letters (the start panels'
/// level texts span their panels).
std::vector<std::string> CoveredButtons(const char* screen, size_t& tried) {
    std::vector<std::string> covered;
    OWindow* window = OVQEngine::Instance()->GetMainWindow();
    std::vector<Base_Button_Prop*> buttons;
    CollectButtons(window, buttons);
    for (Base_Button_Prop* button : buttons) {
        // A disabled button takes no click by design (the sign-in's delete until a badge is
        // chosen), nor does one resting under a panel (a town's own while its panels are up).
        if (!button->IsShownThroughParents() || button->IsDisabled() || button->IsSuspendedInChain()) continue;
        const CRect16 r = button->GetScreenRect();
        const CPoint16 centre(int16_t((r.left + r.right) / 2), int16_t((r.top + r.bottom) / 2));
        if (r.right <= r.left || r.bottom <= r.top || centre.x < 0 || centre.y < 0 || centre.x >= 640 || centre.y >= 480)
            continue;
        ++tried;
        OView* hit = window->ViewAtPoint(centre);
        if (IsWithin(hit, button)) hit = window->ViewAtPointDeep(centre, true);
        const auto* text = dynamic_cast<OTextView*>(hit);
        if (IsWithin(hit, button) || (text && text->IsTransparent())) continue;
        char line[200];
        std::snprintf(line, sizeof line, "%s: button %u at (%d, %d) lies under %s (class %u, id %u)", screen,
                      unsigned(button->GetObjectId()), centre.x, centre.y, hit ? hit->GetName() : "nothing",
                      hit ? unsigned(hit->GetClassId()) : 0u, hit ? unsigned(hit->GetObjectId()) : 0u);
        covered.push_back(line);
    }
    return covered;
}

class ScreenButtonsTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_F(ScreenButtonsTest, EveryShownButtonIsFoundAtItsCentreWithTheHostAndACaptionUp) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord("Driver " + std::to_string(slot)).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=60\n");

    std::vector<std::string> covered;
    std::vector<std::string> visited;
    size_t tried = 0;
    size_t next = 0;
    uint32_t requestedAt = 0;
    bool requested = false;
    Scenario s = Game(kFrameMs);
    s.frames = uint32_t((std::size(kScreens) + 2) * (kSettleMs + 800) / kFrameMs);
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        CTLVApp* app = CTLVApp::Get();
        OActivityManager* manager = GetActivityManager();
        if (!app || !manager || next >= std::size(kScreens)) return;
        if (tick == 1) {
            app->GetPlayer()->Load(kSlot);
            app->SetSaveSlot(kSlot);
        }
        const Screen& screen = kScreens[next];
        if (!requested) {
            // A line still being said would hold the screen: the player waits it out.
            if (OMessageProcess* messages = app->GetMessageProcess()) messages->FlushMessages();
            if (manager->IsSwitchPending()) return;
            if (screen.vehicle >= 0) app->GetPlayer()->SetSelectedVehicle(uint16_t(screen.vehicle));
            manager->RequestActivity(MakeChunkId(1, screen.entry));
            requested = true;
            requestedAt = now;
            return;
        }
        if (manager->IsSwitchPending() || manager->GetCurrentId() != MakeChunkId(1, screen.entry)) {
            // A screen that never comes is reported and passed by.
            if (now - requestedAt > kSettleMs * 4) {
                covered.push_back(std::string(screen.name) + ": never shown");
                ++next;
                requested = false;
            }
            return;
        }
        // The screen is tried a few times as it runs: its host comes and goes as it speaks.
        if (now - requestedAt < kFirstTryMs || (now - requestedAt) % kTryEveryMs >= kFrameMs) return;
        if (OMessageProcess* messages = app->GetMessageProcess()) {
            messages->SetCaptionText("Drive to the flashing pad to play the game!");
            messages->ShowCaption(1);
        }
        for (std::string& line : CoveredButtons(screen.name, tried))
            if (std::find(covered.begin(), covered.end(), line) == covered.end()) covered.push_back(std::move(line));
        if (now - requestedAt < kSettleMs) return;
        visited.push_back(screen.name);
        ++next;
        requested = false;
    };
    const ScenarioRun run = RunScenario(s);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(visited.size(), std::size(kScreens));
    // Each screen's buttons, some of them more than once.
    EXPECT_GE(tried, std::size(kScreens) * 2);
    std::string report;
    for (const std::string& line : covered) report += line + "\n";
    EXPECT_TRUE(covered.empty()) << report;
}

} // namespace
} // namespace vqt::test
