// Every screen of the generated game and its panels, laid out without playing the games: the
// screen is started from the profile (each town also as a player reaches it, through the
// garage), then each panel is opened directly (or through the key that opens it) and shown for a
// few frames. Each look must show the panel it opens and judge the texts it shows; each shown
// text, counter number included, must keep its lines inside its box, its box inside its panel's
// picture or its bar, and its drawn lines off other pictures' edges and other texts.
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
#include "tests/game/playthrough/PanelWindows.h"
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
    /// The texts a shell screen shows as it comes up: how many at least, and a piece of the
    /// name of one of them.
    int texts = 0;
    const char* named = "";
    /// Whether the screen is a town reached from the garage, driving the case's vehicle out.
    bool throughGarage = false;
};

/// What a look must show: the panel it opens (-1: none), how many of its texts (or, with no
/// panel, of all texts) at least, a piece of the name of a text among them, and how many of
/// the counter bar's numbers.
struct LookDue {
    int16_t panel = -1;
    int texts = 0;
    const char* named = "";
    int numbers = 0;
};

/// What a look showed at most over its checked frames, and what it missed.
struct LookSeen {
    bool checked = false;
    bool panelAlways = true;
    int texts = 0;
    int numbers = 0;
    bool named = false;
};

/// The garage: a town reached through it waits this long at most for its drive out.
constexpr uint16_t kGarage = 5;
constexpr uint32_t kGarageMs = 8000;
/// When the vehicle is picked, and the go button pressed, from the garage's start.
constexpr uint32_t kPickMs = 1500, kGoMs = 2400;

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
    // As a player comes, a town shows its counters on the bar.
    for (const StartActivity& a : kStartActivities)
        if (a.kind == StartKind::Town)
            screens.push_back({a.name, a.entry, a.vehicle, {Look::kAsStarted}, true, 0, "", true});
    const LayoutCase shell[] = {
        {"title", 3, -1, {Look::kAsStarted}, false},
        {"sign-in", 4, -1, {Look::kAsStarted, Look::kDelete, Look::kQuit}, false, 8, "OTextIMEView"},
        {"garage", kGarage, -1, {Look::kAsStarted, Look::kQuit}, false, 3},
        {"ordinary screen", 60, -1, {Look::kAsStarted}, false},
        {"circus certificate", 6, -1, {Look::kAsStarted, Look::kPrint}, false, 2},
        {"zoo certificate", 21, -1, {Look::kAsStarted, Look::kPrint}, false, 2},
        {"city certificate", 20, -1, {Look::kAsStarted, Look::kPrint}, false, 2},
        {"credits", 7, -1, {Look::kCreditsRoll}, false, 10},
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

/// What the look shows of the case's screen.
LookDue DueOf(const LayoutCase& c, Look look) {
    const StartKind kind = c.overScenery ? StartActivityOf(c.entry).kind : StartKind::Town;
    switch (look) {
    case Look::kAsStarted:
        // A race shows its counters under its start panel; a town its counters once driven to,
        // its start panel when started on.
        if (kind == StartKind::Race) return {CTLVActivity::kPanelStart, 2, "", 2};
        if (c.throughGarage) return {-1, 0, "", 2};
        if (c.overScenery) return {CTLVActivity::kPanelStart, kind == StartKind::Town ? 0 : 2};
        return {-1, c.texts, c.named};
    case Look::kMenu: return {CTLVActivity::kPanelMenu, 2};
    case Look::kPadQuestion: return {TownWorld::kConfirmPanel, 1};
    case Look::kEnd: return {3, 2};
    case Look::kLeftEarly: return {CTLVActivity::kPanelLeave, 1};
    case Look::kHelp: return {-1, 1, "OTextCView"};
    case Look::kCreditsRoll: return {-1, c.texts};
    default: return {PanelOf(look), 1};
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

/// The look's name in the faults: "<screen>, <look>[ <round>]".
std::string LookLabel(const LayoutCase& c, Look look, int round) {
    return std::string(c.name) + (c.throughGarage ? " through the garage" : "") + ", " + LookName(look) +
           (look == Look::kPadQuestion ? " " + std::to_string(round + 1) : "");
}

/// One frame of a look, judged: its faults join `faults` (each told once), what it showed joins
/// `seen`.
void JudgeFrame(const LayoutCase& c, const std::string& label, const LookDue& due, CTLVActivity* screen, bool rolling,
                LookSeen& seen, std::vector<std::string>& faults) {
    ShownLayout shown = JudgeShownLayout(label, c.overScenery, rolling);
    // The first frame of a look also judges what its panels' windows show.
    if (!seen.checked)
        for (std::string& fault : PanelWindowFaults(label)) shown.faults.push_back(std::move(fault));
    seen.checked = true;
    for (std::string& line : shown.faults)
        if (std::find(faults.begin(), faults.end(), line) == faults.end()) faults.push_back(std::move(line));
    if (due.panel >= 0) {
        seen.panelAlways = seen.panelAlways && screen->IsPanelShown(due.panel) && shown.panels.contains(uint16_t(due.panel));
        seen.texts = std::max(seen.texts, shown.panelTexts[uint16_t(due.panel)]);
    } else {
        seen.texts = std::max(seen.texts, shown.texts);
    }
    seen.numbers = std::max(seen.numbers, shown.numbers);
    for (const std::string& name : shown.judged)
        if (name.find(due.named) != std::string::npos) seen.named = true;
}

/// What a look missed of what it must show, one line each.
std::vector<std::string> Missed(const std::string& label, const LookDue& due, const LookSeen& seen) {
    std::vector<std::string> missed;
    if (!seen.checked) return {label + ": never checked"};
    if (due.panel >= 0 && !seen.panelAlways) missed.push_back(label + ": panel " + std::to_string(due.panel) + " was not shown");
    if (seen.texts < due.texts)
        missed.push_back(label + ": " + std::to_string(seen.texts) + " texts judged, " + std::to_string(due.texts) + " due");
    if (*due.named && !seen.named) missed.push_back(label + ": no text named \"" + due.named + "\" judged");
    if (seen.numbers < due.numbers)
        missed.push_back(label + ": " + std::to_string(seen.numbers) + " counter numbers judged, " + std::to_string(due.numbers) +
                         " due");
    return missed;
}

TEST_P(TextLayoutTest, EveryShownTextKeepsToItsBoxItsPanelAndOffOtherViewsEdges) {
    const LayoutCase& c = GetParam();
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) {
        StoredRecord record("Driver " + std::to_string(slot));
        // A driver back in the garage has seen each town's first film.
        if (c.throughGarage) record.Counter(13, 1).Counter(14, 1).Counter(15, 1);
        records[slot] = record.bytes();
    }
    PutSave(records);
    Ini("STARTACTIVITY=" + std::to_string(c.throughGarage ? kGarage : c.entry) + "\n");

    // A look lasts kLookMs; the pad question and the credits take several.
    std::vector<std::pair<Look, int>> plan;
    for (Look look : c.looks) {
        const int times = look == Look::kPadQuestion ? kTownChallenges : 1;
        for (int i = 0; i < times; ++i) plan.emplace_back(look, i);
    }
    std::vector<std::string> faults;
    std::vector<LookSeen> seen(plan.size());
    size_t next = 0;
    uint32_t lookFrom = 0;
    bool shown = false;
    Scenario s = Game(kFrameMs);
    s.frames = uint32_t((kShowLimitMs + kCreditsLimitMs + (c.throughGarage ? kGarageMs : 0) + (plan.size() + 1) * kLookMs) /
                        kFrameMs);
    if (c.throughGarage) s.input = ClickAt(buttons::GarageVehicle(c.vehicle), kPickMs) + ClickAt(buttons::kGarageGo, kGoMs);
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        CTLVApp* app = CTLVApp::Get();
        if (tick == 1 && app) {
            app->GetPlayer()->Load(kSlot);
            app->SetSaveSlot(kSlot);
            if (c.vehicle >= 0 && !c.throughGarage) app->GetPlayer()->SetSelectedVehicle(uint16_t(c.vehicle));
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
        if (credits || now - lookFrom >= kCheckFromMs)
            JudgeFrame(c, LookLabel(c, look, round), DueOf(c, look), screen, credits != nullptr, seen[next], faults);
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
    std::string missed;
    for (size_t i = 0; i < plan.size(); ++i)
        for (const std::string& line : Missed(LookLabel(c, plan[i].first, plan[i].second), DueOf(c, plan[i].first), seen[i]))
            missed += line + "\n";
    EXPECT_TRUE(missed.empty()) << missed;
    std::string report;
    for (const std::string& line : faults) report += line + "\n";
    EXPECT_TRUE(faults.empty()) << report;
}

std::string LayoutCaseName(const testing::TestParamInfo<LayoutCase>& info) {
    return CaseName(info) + (info.param.throughGarage ? "ThroughTheGarage" : "");
}

INSTANTIATE_TEST_SUITE_P(Screens, TextLayoutTest, testing::ValuesIn(kScreens), LayoutCaseName);

} // namespace
} // namespace vqt::test
