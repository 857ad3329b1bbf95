// The whole program on the generated circus round-up {1, 0, 18} (level 1, four animals kept of
// twelve, vehicle 0, a fixed seed), started directly by the test kit: a bot closes the start
// panel, starts driving with SPACE and steers with the arrow keys round one animal after
// another until every one is caught; the win panel shows, its return button leads to the town
// and the saved record holds the raised level, the completed round-up and the hero point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/minigames/roundup/GUToonActivity.h"
#include "game/minigames/roundup/RoundUpClasses.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "game/world/characters/DRoundUp.h"
#include "game/world/vehicles/VIsometric.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kBo = 3;
constexpr uint32_t kLeft = 0x25, kRight = 0x27;
/// The orbit the bot drives round an animal (stage pixels; the view squashes it vertically).
constexpr double kOrbit = 60.0;
/// How near the vehicle comes to a wall's middle before it turns away.
constexpr double kWallReach = 100.0;

void Script(const std::string& lines) {
    static_cast<plat::ScriptedMessages&>(plat::messages())
        .LoadScript(lines, OVQEngine::Instance()->GetMainWindow()->GetWindowId());
}
std::string ClickAt(uint32_t ms, int x, int y) {
    const std::string at = " 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
    return std::to_string(ms) + " WM_MOUSEMOVE" + at + std::to_string(ms + 50) + " WM_LBUTTONDOWN 1" + at.substr(2) +
           std::to_string(ms + 100) + " WM_LBUTTONUP" + at;
}
RgbImage StagePicture() {
    const plat::Window* shown = plat::WindowById(OVQEngine::Instance()->GetMainWindow()->GetWindowId());
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}
CRoundUpActivity* RoundUp() { return dynamic_cast<CRoundUpActivity*>(CurrentGameActivity()); }
void Hold(uint32_t key, bool down) { static_cast<plat::HeadlessInput&>(plat::input()).SetKeyDown(int32_t(key), down); }

/// How far a point lies inside the map (the least of its four margins).
double Clearance(CRoundUpActivity* r, const CPointF& p) {
    const CRect16 map = r->GetMapRect();
    return std::min({double(p.x) - map.left, double(map.right) - p.x, 2.0 * (double(p.y) - map.top),
                     2.0 * (double(map.bottom) - p.y)});
}

/// The places of the walls the vehicle must drive round.
std::vector<CPointF> Walls(CRoundUpActivity* r) {
    std::vector<CPointF> out;
    for (int32_t i = 0; i < r->ChildCount(); ++i)
        if (auto* prop = dynamic_cast<OActivityProp*>(r->ChildAt(i)); prop && prop->IsA(Blocker::kClassId))
            out.push_back(prop->GetPosition());
    return out;
}
/// The round the bot drives: an animal and how wide (wide enough to take in a wall beside it).
struct Orbit {
    CPointF centre;
    double radius = kOrbit;
    bool herd = false; ///< no room round any animal: the vehicle heads for `centre`, behind one
};

/// The free animal the bot goes for: the nearest of those with room for an orbit round them;
/// when every one is up against an edge, the map's middle (they head back there).
/// The round of an animal, false when there is no room for it.
bool RoundOf(CRoundUpActivity* r, const DRoundUp* a, Orbit* out) {
    const CPointF g = a->GetGroundPosition();
    // Too near a wall the round would run into it: the animal roams off it in time.
    *out = Orbit{g, kOrbit};
    for (const CPointF& w : Walls(r))
        if (std::hypot(double(g.x) - w.x, 2.0 * (double(g.y) - w.y)) < kOrbit + kWallReach) return false;
    return Clearance(r, g) >= kOrbit + 35.0;
}

/// The bot keeps to one animal until it is caught or has no room left round it.
Orbit OrbitOf(CRoundUpActivity* r, const CPointF& from, bool* any, DRoundUp** chosen) {
    Orbit kept;
    if (*chosen && !(*chosen)->IsCaught() && RoundOf(r, *chosen, &kept)) {
        *any = true;
        return kept;
    }
    *chosen = nullptr;
    const CRect16 map = r->GetMapRect();
    const CPointF middle((map.left + map.right) / 2.0f, (map.top + map.bottom) / 2.0f);
    Orbit best{middle, kOrbit, false};
    double bestDistance = 1e18, herdDistance = 1e18;
    *any = false;
    const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i));
        if (!a || a->IsCaught()) continue;
        *any = true;
        Orbit round;
        const CPointF g = a->GetGroundPosition();
        const double d = std::hypot(double(g.x) - from.x, double(g.y) - from.y);
        if (RoundOf(r, a, &round)) {
            if (d < bestDistance) bestDistance = d, best = round, *chosen = a;
        } else if (!*chosen && d < herdDistance) {
            // Behind the animal, seen from the middle, so that it shies back toward the middle.
            const double ox = double(g.x) - middle.x, oy = 2.0 * (double(g.y) - middle.y);
            const double o = std::max(1.0, std::hypot(ox, oy));
            // Against an edge it is left alone: it heads back for the middle by itself;
            const CPointF behind(float(g.x + ox / o * 90.0), float(g.y + oy / o * 45.0));
            if (Clearance(r, behind) < 70.0) continue;
            bool byWall = false;
            for (const CPointF& w : Walls(r))
                byWall |= std::hypot(double(g.x) - w.x, 2.0 * (double(g.y) - w.y)) < kOrbit + kWallReach;
            if (byWall) continue; // so does an animal beside a wall
            herdDistance = d;
            best = Orbit{behind, kOrbit, true};
        }
    }
    return best;
}

/// One frame of the bot: the way along the orbit round the animal (inward when far, outward
/// when too near), and the arrow that turns the vehicle's heading toward it.
void Steer(CRoundUpActivity* r, DRoundUp** chosen) {
    auto* vehicle = dynamic_cast<VIsometric*>(r->GetVehicle());
    const CPointF v = vehicle ? vehicle->GetPosition() : CPointF();
    bool any = false;
    const Orbit orbit = vehicle ? OrbitOf(r, v, &any, chosen) : Orbit{};
    const CPointF a = orbit.centre;
    const double radius = orbit.radius;
    if (!any) {
        Hold(kLeft, false);
        Hold(kRight, false);
        return;
    }
    // Measured in a space where the view's squash is undone, so the orbit is round.
    const double rx = double(v.x) - a.x, ry = 2.0 * (double(v.y) - a.y);
    const double distance = std::max(1.0, std::hypot(rx, ry));
    double wantX, wantY;
    if (orbit.herd) {
        wantX = -rx;
        wantY = -ry;
    } else if (distance > 2.0 * radius) {
        // From afar the bot comes in on the animal's outer side, so that it shies toward the
        // middle of the map rather than against an edge.
        const CRect16 map = r->GetMapRect();
        const double ox = double(a.x) - (map.left + map.right) / 2.0, oy = 2.0 * (double(a.y) - (map.top + map.bottom) / 2.0);
        const double o = std::max(1.0, std::hypot(ox, oy));
        const double tx = a.x + ox / o * radius, ty = 2.0 * a.y + oy / o * radius;
        wantX = tx - v.x;
        wantY = ty - 2.0 * v.y;
    } else {
        const double ux = rx / distance, uy = ry / distance;
        const double pull = std::clamp((distance - radius) / kOrbit, -1.0, 1.0);
        wantX = -uy - pull * ux;
        wantY = ux - pull * uy;
    }
    // Walls ahead push the way aside, but for one the orbit takes in.
    const double want = std::max(1e-6, std::hypot(wantX, wantY));
    wantX /= want;
    wantY /= want;
    for (const CPointF& w : Walls(r)) {
        const double wx = double(v.x) - w.x, wy = 2.0 * (double(v.y) - w.y);
        const double d = std::max(1.0, std::hypot(wx, wy));
        if (std::hypot(double(w.x) - a.x, 2.0 * (double(w.y) - a.y)) < radius) continue;
        if (d < kWallReach) {
            wantX += wx / d * (kWallReach - d) / 30.0;
            wantY += wy / d * (kWallReach - d) / 30.0;
        }
    }
    // So does the map's edge.
    const CRect16 map = r->GetMapRect();
    const double mx = (map.left + map.right) / 2.0 - v.x, my = 2.0 * ((map.top + map.bottom) / 2.0 - v.y);
    const double m = std::max(1.0, std::hypot(mx, my)), room = Clearance(r, v);
    if (room < 40.0) {
        wantX += mx / m * (40.0 - room) / 10.0;
        wantY += my / m * (40.0 - room) / 10.0;
    }
    Vec3 h;
    vehicle->GetHeadingVector(&h);
    const double cross = double(h.x) * wantY - 2.0 * double(h.y) * wantX;
    Hold(kRight, cross > 0.05);
    Hold(kLeft, cross < -0.05);
}

class RoundUpScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        xRoundUp_RegisterClasses();
    }
};

TEST_F(RoundUpScenarioTest, ABotRoundsUpEveryCircusAnimalByTheArrowsAndTheWinIsSaved) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").WorldWord(0, CPlayer::kLevels + CRoundUpActivity::kActivity, 1).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=18\n");
    RgbImage startPanel, closingLoop, winPanel;
    std::string spoken;
    uint16_t badgesBefore = 0, heroBefore = 0, countBefore = 0;
    uint32_t now = 0, since = 0;
    ChunkId shown = kNullChunkId;
    bool driving = false;
    std::vector<int> leftSeen;
    DRoundUp* chosen = nullptr;
    auto settled = [&](uint16_t entry) {
        OActivityManager* manager = GetActivityManager();
        return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && now >= since + 1000;
    };
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    const std::vector<Step> steps = {
        {[&] { return settled(18) && RoundUp() && RoundUp()->IsPanelShown(CRoundUpActivity::kStartPanel); },
         [&] {
             startPanel = StagePicture();
             Script(ClickAt(0, 430, 340)); // the start panel's button
         }},
        {[&] { return RoundUp() && !RoundUp()->IsPanelShown(-1) && now >= since + 1000; },
         [&] {
             Script("0 WM_KEYDOWN 32 0 0 0\n100 WM_KEYUP 32 0 0 0\n"); // drive
             driving = true;
         }},
        {[&] { return RoundUp() && RoundUp()->IsPanelShown(CRoundUpActivity::kWinPanel) && now >= since + 500; },
         [&] {
             driving = false;
             Hold(kLeft, false);
             Hold(kRight, false);
             winPanel = StagePicture();
             Script(ClickAt(0, 210, 340)); // return to the town
         }},
        {[&] { return settled(8); }, [] {}},
    };
    size_t next = 0;
    Scenario s = Game(kFrameMs);
    s.frames = 600000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            player->Load(kBo);
            CTLVApp::Get()->SetSaveSlot(kBo);
            badgesBefore = player->GetBadgeCount(0, CRoundUpActivity::kActivity);
            heroBefore = player->GetHeroPoints(0);
            countBefore = player->GetActivityCount(0, CRoundUpActivity::kActivity);
            xSRand(2024);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            shown = id;
            since = now;
        }
        if (CRoundUpActivity* r = RoundUp()) {
            const int left = r->GetAnimalsLeft();
            if (leftSeen.empty() || leftSeen.back() != left) {
                if (!leftSeen.empty() && leftSeen.back() == 4 && closingLoop.width == 0) closingLoop = StagePicture();
                leftSeen.push_back(left);
            }
            if (driving && !r->IsPanelShown(-1)) Steer(r, &chosen);
        }
        if (OMessageProcess* messages = OApplication::Get()->GetMessageProcess()) {
            for (int32_t i = 0; i < messages->QueueLength(); ++i) {
                const std::string& caption = messages->QueuedAt(i)->caption;
                if (spoken.find(caption + "\n") == std::string::npos) spoken += caption + "\n";
            }
        }
        if (next < steps.size() && steps[next].ready()) {
            steps[next].act();
            since = now;
            ++next;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(next, steps.size()) << "stopped before step " << next << " after " << run.framesRun << " frames\n"
                                  << run.trace.substr(run.trace.size() > 3000 ? run.trace.size() - 3000 : 0);
    EXPECT_EQ(leftSeen, (std::vector<int>{4, 3, 2, 1, 0})) << "each catch lowers animals left by one";
    ExpectMatchesGoldenImage("game/minigames/roundup_start_panel.png", startPanel);
    ExpectMatchesGoldenImage("game/minigames/roundup_closing_loop.png", closingLoop);
    ExpectMatchesGoldenImage("game/minigames/roundup_win_panel.png", winPanel);
    ExpectMatchesGolden("game/minigames/roundup_spoken_lines.txt", spoken);

    CPlayer stored;
    ASSERT_EQ(stored.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(stored.GetActivityLevel(0, CRoundUpActivity::kActivity), 2);
    EXPECT_EQ(stored.GetActivityCount(0, CRoundUpActivity::kActivity), countBefore + 1);
    EXPECT_EQ(stored.GetHeroPoints(0), heroBefore + 1);
    EXPECT_GE(stored.GetBadgeCount(0, CRoundUpActivity::kActivity), badgesBefore);
}

} // namespace
} // namespace vqt::test
