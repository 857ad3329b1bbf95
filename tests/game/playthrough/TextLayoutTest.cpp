// Every screen of the generated game and its panels, laid out without playing the games: the
// screen is started from the profile, then each panel is opened directly (or through the key that
// opens it) and shown for a few frames. Each shown text must keep its lines inside its box, its
// box inside its panel's picture, and its drawn lines off other pictures' edges and other texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "engine/media/MessageProcess.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/CreditsActivity.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "game/world/towns/TownWorld.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/playthrough/TextLayoutChecks.h"
#include "tests/support/StartActivities.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int kSlot = 1;
/// How long a screen may take to show, and how long each of its looks is shown.
constexpr uint32_t kShowLimitMs = 6000, kLookMs = 480;
/// The looks are checked from this far into their time, every frame.
constexpr uint32_t kCheckFromMs = 240;

/// What is shown of a screen, one after the other.
enum class Look : uint8_t {
    kAsStarted,   ///< the screen as it comes up (a game's start panel)
    kMenu,        ///< panel 0
    kQuit,        ///< panel 1
    kEnd,         ///< a game's end panel 3
    kDelete,      ///< the sign-in's delete question, panel 5
    kLeave,       ///< panel 6
    kLeftEarly,   ///< a game's panel 6, as its menu's leave button opens it
    kPrint,       ///< the certificate's print panel 7
    kPadQuestion, ///< each of a town's four pads' question
    kHelp,        ///< the I key's help over the town, shown for this look only
    kCreditsRoll, ///< the credits rolled through, fast
};

struct LayoutCase {
    const char* name;
    uint16_t entry;
    /// The vehicle driven there (-1: the record's own).
    int vehicle;
    std::vector<Look> looks;
    /// Whether the screen draws scenery under its texts (a town or a game).
    bool overScenery = true;
};

/// The credits roll until their last line has left; this long at most.
constexpr uint32_t kCreditsLimitMs = 12000;

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

// A game opens panel 6 only through its menu's leave button, which gives the panel the game's own
// texts (a race's "you left the race early").
const std::vector<Look> kGameLooks = {Look::kAsStarted, Look::kMenu, Look::kLeftEarly, Look::kEnd};
const std::vector<Look> kTownLooks = {Look::kAsStarted, Look::kHelp, Look::kPadQuestion, Look::kMenu, Look::kQuit};

/// Every town and game of the start table, driven with its town's first vehicle, then the
/// shell's screens.
std::vector<LayoutCase> Screens() {
    std::vector<LayoutCase> screens;
    for (const StartActivity& a : kStartActivities)
        screens.push_back({a.name, a.entry, a.vehicle, a.kind == StartKind::Town ? kTownLooks : kGameLooks});
    const LayoutCase shell[] = {
        {"title", 3, -1, {Look::kAsStarted}, false},
        {"sign-in", 4, -1, {Look::kAsStarted, Look::kDelete, Look::kQuit}, false},
        {"garage", 5, -1, {Look::kAsStarted, Look::kQuit}, false},
        {"ordinary screen", 60, -1, {Look::kAsStarted}, false},
        {"circus certificate", 6, -1, {Look::kAsStarted, Look::kPrint}, false},
        {"zoo certificate", 21, -1, {Look::kAsStarted, Look::kPrint}, false},
        {"city certificate", 20, -1, {Look::kAsStarted, Look::kPrint}, false},
        {"credits", 7, -1, {Look::kCreditsRoll}, false},
    };
    screens.insert(screens.end(), std::begin(shell), std::end(shell));
    return screens;
}
const std::vector<LayoutCase> kScreens = Screens();

const char* LookName(Look look) {
    switch (look) {
    case Look::kAsStarted: return "as started";
    case Look::kMenu: return "menu";
    case Look::kQuit: return "quit question";
    case Look::kEnd: return "end panel";
    case Look::kDelete: return "delete question";
    case Look::kLeave: return "leave question";
    case Look::kLeftEarly: return "left early";
    case Look::kPrint: return "print panel";
    case Look::kPadQuestion: return "pad question";
    case Look::kHelp: return "help";
    case Look::kCreditsRoll: return "credits";
    }
    return "?";
}

/// The panel a look opens directly; -1 for a look that is not one panel.
int16_t PanelOf(Look look) {
    switch (look) {
    case Look::kMenu:
    case Look::kLeftEarly: return CTLVActivity::kPanelMenu;
    case Look::kQuit: return CTLVActivity::kPanelQuit;
    case Look::kEnd: return 3;
    case Look::kDelete: return CTLVActivity::kPanelDelete;
    case Look::kLeave: return CTLVActivity::kPanelLeave;
    case Look::kPrint: return 7;
    default: return -1;
    }
}

void HideShownPanels(CTLVActivity* screen) {
    for (int16_t panel = 0; panel < CTLVActivity::kPanelSlots; ++panel)
        if (screen->IsPanelShown(panel)) screen->HidePanel(panel, 1);
}

/// The town's pad `pad` (0-3) asks its question, as when driven onto.
void AskAtPad(TownWorld* town, int pad) {
    const TownChallenge& challenge = town->Table().challenges[pad];
    if (CPlayer* player = CTLVApp::Get()->GetPlayer()) player->SetActivityFlag(town->Table().world, challenge.flag, 1);
    town->EnterArea(pad + 1, 0, 0, 0, 0);
}

/// The credits roll on, a few steps a frame, with their lines fed as they go.
void RollCredits(Credits_Activity* credits) {
    for (int step = 0; step < 3; ++step) {
        credits->ScrollStep();
        credits->FillLines();
    }
}

class TextLayoutTest : public ShellScenarioTest, public testing::WithParamInterface<LayoutCase> {
protected:
    /// The I key, down and up: it shows the town's help, or hides it again.
    void PressInfoKey() { Script("0 WM_KEYDOWN 73 0 0 0\n32 WM_KEYUP 73 0 0 0\n"); }

    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(TextLayoutTest, EveryShownTextKeepsToItsBoxItsPanelAndOffOtherViewsEdges) {
    const LayoutCase& c = GetParam();
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord("Driver " + std::to_string(slot)).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");

    // A look lasts kLookMs; the pad question and the credits take several.
    std::vector<std::pair<Look, int>> plan;
    for (Look look : c.looks) {
        const int times = look == Look::kPadQuestion ? kTownChallenges : 1;
        for (int i = 0; i < times; ++i) plan.emplace_back(look, i);
    }
    std::vector<std::string> faults;
    size_t next = 0, checks = 0;
    uint32_t lookFrom = 0;
    bool shown = false;
    Scenario s = Game(kFrameMs);
    s.frames = uint32_t((kShowLimitMs + kCreditsLimitMs + (plan.size() + 1) * kLookMs) / kFrameMs);
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        CTLVApp* app = CTLVApp::Get();
        if (tick == 1 && app) {
            app->GetPlayer()->Load(kSlot);
            app->SetSaveSlot(kSlot);
            if (c.vehicle >= 0) app->GetPlayer()->SetSelectedVehicle(uint16_t(c.vehicle));
        }
        OActivityManager* manager = GetActivityManager();
        CTLVActivity* screen = CurrentGameScreen();
        if (!shown) {
            shown = manager && !manager->IsSwitchPending() && manager->GetCurrentId() == MakeChunkId(1, c.entry) && screen;
            lookFrom = now + kFrameMs;
            return;
        }
        if (next >= plan.size()) return RequestQuit();
        // A screen that goes on by itself (the title) is left to go.
        if (!screen || manager->GetCurrentId() != MakeChunkId(1, c.entry)) return;
        const auto [look, round] = plan[next];
        if (now == lookFrom) {
            if (look != Look::kAsStarted && look != Look::kCreditsRoll) HideShownPanels(screen);
            if (const int16_t panel = PanelOf(look); panel >= 0) screen->CreateButtonPanel(panel);
            if (look == Look::kPadQuestion)
                if (TownWorld* town = CurrentTown()) AskAtPad(town, round);
            // The menu's leave button queues panel 6 with the game's own leave texts.
            if (look == Look::kLeftEarly) screen->OnButton(CTLVActivity::kPanelMenu, 1);
            if (look == Look::kHelp) PressInfoKey();
        }
        auto* credits = look == Look::kCreditsRoll ? dynamic_cast<Credits_Activity*>(screen) : nullptr;
        if (credits) RollCredits(credits);
        // The credits' lines move on every frame: each frame is checked.
        if (credits || now - lookFrom >= kCheckFromMs) {
            ++checks;
            const std::string name = std::string(c.name) + ", " + LookName(look) +
                                     (look == Look::kPadQuestion ? " " + std::to_string(round + 1) : "");
            for (std::string& line : TextLayoutFaults(name, c.overScenery, credits != nullptr))
                if (std::find(faults.begin(), faults.end(), line) == faults.end()) faults.push_back(std::move(line));
        }
        const bool done = credits ? credits->IsFinished() || credits->HasEnded() : now - lookFrom + kFrameMs >= kLookMs;
        if (done) {
            // The help goes again: a later look shows what it shows without it.
            if (look == Look::kHelp) PressInfoKey();
            ++next, lookFrom = now + kFrameMs;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(shown) << "the screen showed";
    EXPECT_EQ(next, plan.size()) << "every look was shown";
    EXPECT_GE(checks, plan.size()) << "each look was checked";
    std::string report;
    for (const std::string& line : faults) report += line + "\n";
    EXPECT_TRUE(faults.empty()) << report;
}

INSTANTIATE_TEST_SUITE_P(Screens, TextLayoutTest, testing::ValuesIn(kScreens), CaseName<LayoutCase>);

} // namespace
} // namespace vqt::test
