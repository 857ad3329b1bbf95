// The counter panel over each screen of the generated game, however the screen was reached: the
// mode its activity names, the counters it sets standing inside the bar and clear of each other,
// each number's digits clear of every icon at every count it can show, and no bar drawn where no
// counter stands. The screens are opened, not played.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "engine/media/TextDView.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/StartActivities.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int kSlot = 1;
/// How long each screen of a path may take to show, and how long the last one shows before the
/// panel is looked at.
constexpr uint32_t kShowLimitMs = 6000, kSettleMs = 1000;
/// The panel's modes: the host alone (the shell's screens) or the counters on their bar.
constexpr uint16_t kHostAlone = 1, kOnTheBar = 2;

struct BarCase {
    std::string label;
    const char* name; ///< for the test's name
    /// The screens in turn: the first started from the profile, each next one requested once
    /// the one before shows (as its buttons would).
    std::vector<uint16_t> path;
    /// The vehicle driven (-1: the record's own).
    int vehicle;
    uint16_t mode;
    int counters;
    /// Whether the town shows its mission's counters, as its mission starts, once it shows.
    bool mission = false;
};

void PrintTo(const BarCase& c, std::ostream* out) { *out << c.label; }

BarCase Reached(const std::string& how, const std::vector<uint16_t>& path, const StartActivity& a) {
    return {std::string(a.name) + how, nullptr, path, a.vehicle, kOnTheBar, a.kind == StartKind::Town ? 3 : 2};
}

/// Every town and game started from the profile; each town also through the garage, in its
/// mission and back from one of its games, a puzzle from its town; then the shell's screens with
/// the host.
std::vector<BarCase> Cases() {
    std::vector<BarCase> cases;
    for (const StartActivity& a : kStartActivities) {
        cases.push_back(Reached(" started", {a.entry}, a));
        if (a.kind != StartKind::Town) continue;
        cases.push_back(Reached(" through the garage", {5, a.entry}, a));
        BarCase mission = Reached(" in its mission", {a.entry}, a);
        mission.counters = 2;
        mission.mission = true;
        cases.push_back(mission);
    }
    cases.push_back(Reached(" left from its race", {22, 17}, StartActivityOf(17)));
    cases.push_back(Reached(" left from its arcade", {15, 8}, StartActivityOf(8)));
    cases.push_back(Reached(" from its town", {14, 10}, StartActivityOf(10)));
    cases.push_back(Reached(" from its town", {8, 18}, StartActivityOf(18)));
    cases.push_back({"sign-in", nullptr, {4}, -1, kHostAlone, 0});
    cases.push_back({"garage", nullptr, {5}, -1, kHostAlone, 0});
    cases.push_back({"garage from the sign-in", nullptr, {4, 5}, -1, kHostAlone, 0});
    for (BarCase& c : cases) c.name = c.label.c_str();
    return cases;
}
const std::vector<BarCase> kCases = Cases();

/// A shown part of the panel: its counter, what it is, where, and for a number where its
/// digits are drawn (the box is wider than they, and reaches back over the icon).
struct Piece {
    int counter;
    std::string what;
    CRect16 rect;
    CRect16 ink;
};

bool Inside(const CRect16& inner, const CRect16& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

bool Overlap(const CRect16& a, const CRect16& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string Text(const CRect16& r) {
    return "x " + std::to_string(r.left) + "-" + std::to_string(r.right) + " y " + std::to_string(r.top) + "-" +
           std::to_string(r.bottom);
}

/// The icons, numbers and zero marks the panel shows.
std::vector<Piece> ShownPieces(CCounterPanel& panel) {
    std::vector<Piece> pieces;
    auto add = [&](int counter, OView* view, const char* what) {
        if (!view || !view->IsShownThroughParents() || !view->IsVisible()) return;
        Piece piece{counter, "counter " + std::to_string(counter) + "'s " + what, view->GetScreenRect(), {}};
        if (auto* number = dynamic_cast<OTextDView*>(view))
            for (const CTextLine& line : number->LaidOutLines()) piece.ink = FromClip(line.ink);
        pieces.push_back(piece);
    };
    for (int i = 0; i < CCounterPanel::kCounters; ++i) {
        add(i, panel.GetIcon(i), "icon");
        add(i, panel.GetNumber(i), "number");
        add(i, panel.GetZeroMark(i), "zero mark");
    }
    return pieces;
}

/// Every shown piece inside the bar, no two counters over each other, and no number's digits
/// over its own icon.
std::vector<std::string> PlacementFaults(CCounterPanel& panel) {
    std::vector<std::string> faults;
    const CRect16 bar = panel.GetScreenRect();
    const std::vector<Piece> pieces = ShownPieces(panel);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece& a = pieces[i];
        if (!Inside(a.rect, bar)) faults.push_back(a.what + " at " + Text(a.rect) + " is not inside the bar at " + Text(bar));
        for (size_t j = i + 1; j < pieces.size(); ++j) {
            const Piece& b = pieces[j];
            const bool same = a.counter == b.counter;
            if (!same && Overlap(a.rect, b.rect))
                faults.push_back(a.what + " at " + Text(a.rect) + " lies over " + b.what + " at " + Text(b.rect));
            if (same && Overlap(a.rect, b.ink))
                faults.push_back(b.what + "'s digits at " + Text(b.ink) + " lie over " + a.what + " at " + Text(a.rect));
        }
    }
    return faults;
}

/// The counts a counter shows: up to 150 badges, fewer of anything else.
constexpr uint16_t kMostShown = 999;

/// The rectangle grown by a pixel on every side: what keeps clear of it does not touch it.
CRect16 Grown(const CRect16& r) {
    return CRect16(int16_t(r.left - 1), int16_t(r.top - 1), int16_t(r.right + 1), int16_t(r.bottom + 1));
}

/// Each counter showing every count of up to three digits: its digits must keep at least a
/// pixel clear of every icon shown. The counts are written into the counted values (the player
/// record's or the game's own words), which are given back afterwards.
std::vector<std::string> DigitFaults(CCounterPanel& panel) {
    std::vector<std::string> faults;
    int written = 0;
    for (int i = 0; i < CCounterPanel::kCounters; ++i) {
        OTextDView* number = panel.GetNumber(i);
        OActivityProp* own = panel.GetIcon(i);
        auto* value = const_cast<uint16_t*>(panel.GetValue(i));
        if (!number || !own || !IsShown(own) || !value) continue;
        const uint16_t kept = *value;
        size_t toldDigits = 0; // one fault is told for each digit count
        for (uint16_t count = 0; count <= kMostShown; ++count) {
            *value = count;
            panel.Refresh();
            if (!IsShown(number)) continue; // the zero mark stands for it
            ++written;
            const std::string digits = std::to_string(count);
            for (const CTextLine& line : number->LaidOutLines())
                for (int k = 0; k < CCounterPanel::kCounters; ++k) {
                    OActivityProp* icon = panel.GetIcon(k);
                    if (!icon || !IsShown(icon) || !Overlap(Grown(icon->GetScreenRect()), FromClip(line.ink))) continue;
                    if (digits.size() <= toldDigits) continue;
                    toldDigits = digits.size();
                    faults.push_back("counter " + std::to_string(i) + "'s " + digits + " at " + Text(FromClip(line.ink)) +
                                     " is not clear of counter " + std::to_string(k) + "'s icon at " +
                                     Text(icon->GetScreenRect()));
                }
        }
        *value = kept;
    }
    if (written == 0) faults.push_back("no counter's number was shown");
    panel.Refresh();
    return faults;
}

/// The stage's pixels inside the rectangle.
std::vector<uint8_t> PixelsIn(const RgbImage& picture, const CRect16& r) {
    std::vector<uint8_t> pixels;
    for (int y = std::max<int>(0, r.top); y < std::min<int>(picture.height, r.bottom); ++y)
        for (int x = std::max<int>(0, r.left); x < std::min<int>(picture.width, r.right); ++x)
            for (int k = 0; k < 3; ++k) pixels.push_back(picture.rgb[size_t(y * picture.width + x) * 3 + size_t(k)]);
    return pixels;
}

/// The saved record of the slot is the player's, who drives the vehicle (-1: the record's own).
void SignIn(CTLVApp& app, int vehicle) {
    CPlayer& player = *app.GetPlayer();
    player.Load(kSlot);
    app.SetSaveSlot(kSlot);
    if (vehicle >= 0) player.SetSelectedVehicle(uint16_t(vehicle));
}

class CounterBarTest : public ShellScenarioTest, public testing::WithParamInterface<BarCase> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(CounterBarTest, TheScreensModeShowsItsCountersInsideTheBarAndNoBarWithoutThem) {
    const BarCase& c = GetParam();
    PutSave({{kSlot, StoredRecord("Driver").bytes()}});
    Ini("STARTACTIVITY=" + std::to_string(c.path.front()) + "\n");

    enum class Step { Walking, Settling, PanelHidden, Done } step = Step::Walking;
    size_t reached = 0;
    uint32_t shownAt = 0;
    CRect16 bar;
    RgbImage withPanel, withoutPanel;
    uint16_t mode = 0;
    bool barShown = false;
    int counters = 0;
    std::vector<std::string> faults;
    Scenario s = Game(kFrameMs);
    s.frames = uint32_t((c.path.size() * kShowLimitMs + kSettleMs + 500) / kFrameMs);
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        CTLVApp* app = CTLVApp::Get();
        if (tick == 1 && app) SignIn(*app, c.vehicle);
        OActivityManager* manager = GetActivityManager();
        CCounterPanel* panel = app ? app->GetCounterPanel() : nullptr;
        if (!manager || !panel) return;
        switch (step) {
        case Step::Walking: {
            const bool shows = !manager->IsSwitchPending() && manager->GetCurrentId() == MakeChunkId(1, c.path[reached]);
            if (!shows || !CurrentGameScreen()) break;
            if (++reached < c.path.size()) {
                manager->RequestActivity(MakeChunkId(1, c.path[reached]));
                break;
            }
            if (c.mission)
                if (TownWorld* town = CurrentTown()) {
                    panel->Release();
                    town->ShowMissionCounters();
                }
            shownAt = now;
            step = Step::Settling;
            break;
        }
        case Step::Settling:
            if (now < shownAt + kSettleMs) break;
            mode = panel->GetMode();
            barShown = panel->IsVisible() != 0;
            bar = panel->GetScreenRect();
            counters = 0;
            for (int i = 0; i < CCounterPanel::kCounters; ++i)
                if (OActivityProp* icon = panel->GetIcon(i); icon && IsShown(icon)) ++counters;
            faults = PlacementFaults(*panel);
            if (c.counters > 0)
                for (std::string& fault : DigitFaults(*panel)) faults.push_back(std::move(fault));
            // What the panel draws: the stage with it, then without it.
            withPanel = StagePicture();
            panel->Show(false);
            step = Step::PanelHidden;
            break;
        case Step::PanelHidden:
            // The stage is presented once more before it is read.
            if (now < shownAt + kSettleMs + 2 * kFrameMs) break;
            withoutPanel = StagePicture();
            panel->Show(true);
            step = Step::Done;
            break;
        case Step::Done: RequestQuit(); break;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(step, Step::Done) << "every screen of the path showed (reached " << reached << ")";
    EXPECT_EQ(mode, c.mode);
    EXPECT_TRUE(barShown) << "the panel is shown in the screen's mode";
    EXPECT_EQ(counters, c.counters) << "counters shown";
    std::string report;
    for (const std::string& fault : faults) report += fault + "\n";
    EXPECT_TRUE(faults.empty()) << report;
    const bool drawn = PixelsIn(withPanel, bar) != PixelsIn(withoutPanel, bar);
    EXPECT_EQ(drawn, c.counters > 0) << "the bar at " << Text(bar) << " draws only where counters stand on it";
}

INSTANTIATE_TEST_SUITE_P(Screens, CounterBarTest, testing::ValuesIn(kCases), CaseName<BarCase>);

} // namespace
} // namespace vqt::test
