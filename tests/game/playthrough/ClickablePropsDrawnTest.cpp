// Every screen's clickable props are drawn where a click reaches them: the stage is walked with
// the main window's own hit test, and each prop found (a button, an award, a panel) must have its
// drawn rectangle over every point that reaches it, and its ink (what hiding it alone takes away
// from the picture) must cover those points. Buttons also keep their ink clear of the caption box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/TextView.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/BaseButton.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "platform/Window.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/Png.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int kSlot = 1;
constexpr uint32_t kSettleMs = 2400;
/// The stage is hit-tested every kStep pixels.
constexpr int kStep = 3;
/// How far outside a prop's ink a click may still reach it (a round badge's box corners).
constexpr int kInkSlack = 1;
/// Pixels a button's ink keeps clear of the caption box.
constexpr int kCaptionGap = 3;

enum class Setup {
    Plain,
    /// A town on the player's first drive: its welcome panel is up.
    FirstDrive,
    /// The screen's panel `panel` opened over it once it has settled.
    Panel,
};

struct ScreenCase {
    const char* name;
    uint16_t entry;
    /// The vehicle the player drives there (-1: none chosen).
    int vehicle;
    Setup setup;
    /// The buttons a click reaches (a town's own rest under its panels).
    size_t buttons;
    int16_t panel = -1;
};

void PrintTo(const ScreenCase& c, std::ostream* out) { *out << c.name; }

const ScreenCase kScreens[] = {
    {"ordinary screen", 60, -1, Setup::Plain, 2},
    {"sign-in", 4, -1, Setup::Plain, 2}, // the delete button waits for a badge
    {"garage", 5, 0, Setup::Plain, 6},
    {"circus certificate", 6, 0, Setup::Plain, 11},
    {"zoo certificate", 21, 2, Setup::Plain, 11},
    {"city certificate", 20, 4, Setup::Plain, 11},
    {"circus town", 8, 0, Setup::Plain, 1},
    {"zoo", 14, 2, Setup::Plain, 1},
    {"city", 17, 4, Setup::Plain, 1},
    {"city, welcome panel", 17, 4, Setup::FirstDrive, 1},
    {"circus town, menu panel", 8, 0, Setup::Panel, 3, CTLVActivity::kPanelMenu},
    {"zoo, quit question", 14, 2, Setup::Panel, 2, CTLVActivity::kPanelQuit},
    {"circus arcade, menu panel", 15, 0, Setup::Panel, 4, CTLVActivity::kPanelMenu},
};

/// The rectangle a view is drawn in on the stage, through all its parents.
CRect16 DrawnRect(OView* view) {
    CRect16 rect;
    view->GetBoundsRect(&rect);
    for (OView* parent = view->ParentView(); parent; parent = parent->ParentView()) {
        CPoint16 corner;
        parent->GetAnchorInt(&corner, 1);
        rect = rect.Offset(corner.x, corner.y);
    }
    return rect;
}

RgbImage StagePicture() {
    OWindow* window = OVQEngine::Instance()->GetMainWindow();
    const plat::Window* shown = plat::WindowById(window->GetWindowId());
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}

bool SamePixel(const RgbImage& a, const RgbImage& b, int x, int y) {
    const size_t at = (size_t(y) * size_t(a.width) + size_t(x)) * 3;
    return a.rgb[at] == b.rgb[at] && a.rgb[at + 1] == b.rgb[at + 1] && a.rgb[at + 2] == b.rgb[at + 2];
}

struct Target {
    OView* view;
    std::vector<CPoint16> hits;
};

std::string Describe(const ScreenCase& screen, const OView* view) {
    char line[160];
    std::snprintf(line, sizeof line, "%s: %s (class %u, id %u)", screen.name, view->GetName(),
                  unsigned(view->GetClassId()), unsigned(view->GetObjectId()));
    return line;
}

/// The props the main window's hit test finds on the stage (the screen's own activity aside),
/// with the points where it finds each.
std::vector<Target> Survey() {
    OWindow* window = OVQEngine::Instance()->GetMainWindow();
    std::map<OView*, size_t> index;
    std::vector<Target> targets;
    for (int y = kStep / 2; y < 480; y += kStep)
        for (int x = kStep / 2; x < 640; x += kStep) {
            const CPoint16 point{int16_t(x), int16_t(y)};
            OView* hit = window->ViewAtPoint(point);
            if (!hit || hit->IsA(OActivity::kClassId)) continue;
            auto [at, added] = index.emplace(hit, targets.size());
            if (added) targets.push_back({hit, {}});
            targets[at->second].hits.push_back(point);
        }
    return targets;
}

/// Where a click reaching the prop lies outside the rectangle it is drawn in.
void CheckReachedWhereDrawn(const ScreenCase& screen, const Target& t, std::vector<std::string>& faults) {
    const CRect16 drawn = DrawnRect(t.view);
    for (const CPoint16& p : t.hits) {
        if (drawn.ContainsPoint(p.x, p.y)) continue;
        char line[160];
        std::snprintf(line, sizeof line, " is clicked at (%d, %d) but drawn at (%d, %d)-(%d, %d)", p.x, p.y, drawn.left,
                      drawn.top, drawn.right, drawn.bottom);
        faults.push_back(Describe(screen, t.view) + line);
        return;
    }
}

/// Where the voice lines' captions show: the box the profile places by its centre.
CRect16 CaptionBox() {
    const t_sPoint centre = xProfiles_Values().hmCaptionPosition;
    const int16_t width = xProfiles_Store().captionWidth, height = xProfiles_Store().captionHeight;
    const int16_t left = int16_t(centre.first - width / 2), top = int16_t(centre.second - height / 2);
    return CRect16(left, top, int16_t(left + width), int16_t(top + height));
}

/// The prop's ink: the bounds of what hiding it alone takes away from the rectangle it is drawn
/// in (pixels that come back as they were once it shows again); empty when it shows nothing.
CRect16 InkRect(OView* view, const RgbImage& shown, const RgbImage& hidden, const RgbImage& again) {
    const CRect16 drawn = DrawnRect(view);
    int left = 640, top = 480, right = 0, bottom = 0;
    for (int y = std::max(0, int(drawn.top)); y < std::min(480, int(drawn.bottom)); ++y)
        for (int x = std::max(0, int(drawn.left)); x < std::min(640, int(drawn.right)); ++x) {
            if (SamePixel(shown, hidden, x, y) || !SamePixel(shown, again, x, y)) continue;
            left = std::min(left, x), top = std::min(top, y);
            right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
        }
    return right > left ? CRect16(int16_t(left), int16_t(top), int16_t(right), int16_t(bottom)) : CRect16();
}

/// The pictures with the prop shown, hidden and shown again: its ink must cover every point a
/// click reaches it at (an outline or a ring encloses what it takes), and a button's ink stays
/// clear of the caption box.
void CheckShown(const ScreenCase& screen, const Target& t, const RgbImage& shown, const RgbImage& hidden,
                const RgbImage& again, std::vector<std::string>& faults) {
    const CRect16 ink = InkRect(t.view, shown, hidden, again);
    char line[200];
    // A transparent text view is a label: its letters show and the board under it around them.
    const auto* text = dynamic_cast<const OTextView*>(t.view);
    if (!(text && text->IsTransparent()))
        for (const CPoint16& p : t.hits) {
            if (p.x >= ink.left - kInkSlack && p.x < ink.right + kInkSlack && p.y >= ink.top - kInkSlack &&
                p.y < ink.bottom + kInkSlack)
                continue;
            if (ink.right <= ink.left)
                std::snprintf(line, sizeof line, " is clicked at (%d, %d) but shows nowhere", p.x, p.y);
            else
                std::snprintf(line, sizeof line, " is clicked at (%d, %d) but shows only at (%d, %d)-(%d, %d)", p.x,
                              p.y, ink.left, ink.top, ink.right, ink.bottom);
            faults.push_back(Describe(screen, t.view) + line);
            break;
        }
    if (!dynamic_cast<Base_Button_Prop*>(t.view) || ink.right <= ink.left) return;
    const CRect16 box = CaptionBox();
    if (ink.right + kCaptionGap <= box.left || box.right + kCaptionGap <= ink.left ||
        ink.bottom + kCaptionGap <= box.top || box.bottom + kCaptionGap <= ink.top)
        return;
    std::snprintf(line, sizeof line, " shows at (%d, %d)-(%d, %d), within %d px of the caption box (%d, %d)-(%d, %d)",
                  ink.left, ink.top, ink.right, ink.bottom, kCaptionGap, box.left, box.top, box.right, box.bottom);
    faults.push_back(Describe(screen, t.view) + line);
}

class ClickablePropsDrawnTest : public ShellScenarioTest, public ::testing::WithParamInterface<ScreenCase> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(ClickablePropsDrawnTest, EachIsDrawnWhereAClickReachesIt) {
    const ScreenCase& screen = GetParam();
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord("Driver " + std::to_string(slot)).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=60\n");

    enum class Step { Ask, Settle, Survey, Hide, Show, Compare, Done } step = Step::Ask;
    uint32_t askedAt = 0;
    std::vector<Target> targets;
    size_t next = 0;
    RgbImage shown, hidden;
    std::vector<std::string> faults;
    size_t buttons = 0;
    Scenario s = Game(kFrameMs);
    s.frames = (kSettleMs + 3000) / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        CTLVApp* app = CTLVApp::Get();
        OActivityManager* manager = GetActivityManager();
        if (!app || !manager) return;
        switch (step) {
        case Step::Ask:
            if (manager->IsSwitchPending()) return;
            app->GetPlayer()->Load(kSlot);
            app->SetSaveSlot(kSlot);
            if (screen.vehicle >= 0) app->GetPlayer()->SetSelectedVehicle(uint16_t(screen.vehicle));
            // A player who has driven in every town before meets no welcome panel.
            if (screen.setup != Setup::FirstDrive)
                for (int counter : {13, 14, 15}) app->GetPlayer()->IncCounter(counter);
            manager->RequestActivity(MakeChunkId(1, screen.entry));
            askedAt = now;
            step = Step::Settle;
            return;
        case Step::Settle:
            if (manager->IsSwitchPending() || manager->GetCurrentId() != MakeChunkId(1, screen.entry)) return;
            // Surveyed once it has run a while: its panels are up, its host has begun.
            if (now - askedAt < kSettleMs) return;
            if (screen.setup == Setup::Panel) {
                if (CTLVActivity* activity = CurrentGameActivity(); activity && !activity->IsPanelShown(screen.panel)) {
                    activity->CreateButtonPanel(screen.panel);
                    return;
                }
            }
            step = Step::Survey;
            return;
        case Step::Survey:
            targets = Survey();
            for (const Target& t : targets) {
                CheckReachedWhereDrawn(screen, t, faults);
                buttons += dynamic_cast<Base_Button_Prop*>(t.view) ? 1 : 0;
            }
            step = Step::Hide;
            return;
        case Step::Hide:
            if (next >= targets.size()) {
                step = Step::Done;
                return;
            }
            shown = StagePicture();
            targets[next].view->SetVisible(0, 0);
            step = Step::Show;
            return;
        case Step::Show:
            hidden = StagePicture();
            targets[next].view->SetVisible(1, 0);
            step = Step::Compare;
            return;
        case Step::Compare:
            CheckShown(screen, targets[next], shown, hidden, StagePicture(), faults);
            ++next;
            step = Step::Hide;
            return;
        case Step::Done:
            return;
        }
    };
    const ScenarioRun run = RunScenario(s);

    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(step, Step::Done) << screen.name << " was not surveyed in the run";
    EXPECT_EQ(buttons, screen.buttons) << screen.name << ": the buttons a click reaches";
    std::string report;
    for (const std::string& line : faults) report += line + "\n";
    EXPECT_TRUE(faults.empty()) << report;
}

INSTANTIATE_TEST_SUITE_P(Screens, ClickablePropsDrawnTest, ::testing::ValuesIn(kScreens),
                         [](const ::testing::TestParamInfo<ScreenCase>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

} // namespace
} // namespace vqt::test
