// The whole program on the three generated round-ups, {1, 0, 18} (circus town), {1, 0, 23} (zoo)
// and {1, 0, 25} (city), each at level 1 (four animals kept of twelve) with the town's first
// vehicle and a fixed seed, started directly by the test kit: a bot closes the start panel,
// starts driving with SPACE and steers with the arrow keys round one animal after another until
// every one is caught; the win panel shows, its return button leads to the town and the saved
// record holds the raised level, the completed round-up, the hero point and the badges taken.
// At level 2 the menu's easier level lowers the level and leaves for the town.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/minigames/roundup/RoundUpClasses.h"
#include "game/minigames/roundup/RoundUpTowns.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldBuckets.h"
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

/// The boxes of the walls the vehicle must drive round.
std::vector<CRect16> Walls(CRoundUpActivity* r) {
    std::vector<CRect16> out;
    for (int32_t i = 0; i < r->ChildCount(); ++i)
        if (auto* prop = dynamic_cast<OActivityProp*>(r->ChildAt(i)); prop && prop->IsA(Blocker::kClassId))
            out.push_back(CWorldBuckets::BoxOf(prop));
    return out;
}
/// The place of a wall nearest to `p`: a wide wall blocks the vehicle at its ends as well as
/// at its middle.
CPointF NearestOf(const CRect16& wall, const CPointF& p) {
    return CPointF(std::clamp(p.x, float(wall.left), float(wall.right)),
                   std::clamp(p.y, float(wall.top), float(wall.bottom)));
}

/// Where the bot drives: round an animal, or to a place where it waits.
struct Orbit {
    CPointF centre;
    double radius = kOrbit;
    bool park = false; ///< no room round any animal: the vehicle waits at `centre`, away from them
};

/// The round of an animal, false when there is no room for it: too near a wall or the map's
/// edge the round would run into them, and the animal roams off them in time.
bool RoundOf(CRoundUpActivity* r, const DRoundUp* a, Orbit* out) {
    const CPointF g = a->GetGroundPosition();
    *out = Orbit{g, kOrbit};
    for (const CRect16& wall : Walls(r)) {
        const CPointF w((wall.left + wall.right) / 2.0f, (wall.top + wall.bottom) / 2.0f);
        if (std::hypot(double(g.x) - w.x, 2.0 * (double(g.y) - w.y)) < kOrbit + kWallReach) return false;
    }
    return Clearance(r, g) >= kOrbit + 35.0;
}

/// The free animal the bot goes for: the nearest of those with room for an orbit round them,
/// kept until it is caught or has no room left. With none, a place across the middle from the
/// free animals, well inside the map, where the vehicle waits while they roam back (near an
/// edge they head for the middle); a moving vehicle would only drive them back.
Orbit OrbitOf(CRoundUpActivity* r, const CPointF& from, bool* any, DRoundUp** chosen) {
    Orbit kept;
    const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
    double sumX = 0.0, sumY = 0.0;
    int free = 0;
    for (int32_t i = 0; i < list.Count(); ++i)
        if (auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i)); a && !a->IsCaught())
            sumX += a->GetGroundPosition().x, sumY += a->GetGroundPosition().y, ++free;
    *any = free > 0;
    if (*chosen && !(*chosen)->IsCaught() && RoundOf(r, *chosen, &kept)) return kept;
    *chosen = nullptr;
    const CRect16 map = r->GetMapRect();
    const CPointF middle((map.left + map.right) / 2.0f, (map.top + map.bottom) / 2.0f);
    Orbit best{middle, kOrbit, true};
    if (free > 0) {
        const double awayX = middle.x - (sumX / free - middle.x), awayY = middle.y - (sumY / free - middle.y);
        const double spanX = (map.right - map.left) / 2.0 - 200.0, spanY = (map.bottom - map.top) / 2.0 - 150.0;
        best.centre = CPointF(float(std::clamp(awayX, middle.x - spanX, middle.x + spanX)),
                              float(std::clamp(awayY, middle.y - spanY, middle.y + spanY)));
    }
    double bestDistance = 1e18;
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i));
        if (!a || a->IsCaught()) continue;
        Orbit round;
        const CPointF g = a->GetGroundPosition();
        const double d = std::hypot(double(g.x) - from.x, double(g.y) - from.y);
        if (RoundOf(r, a, &round) && d < bestDistance) bestDistance = d, best = round, *chosen = a;
    }
    return best;
}

/// One frame of the bot: the way along the orbit round the animal (inward when far, outward
/// when too near), and the arrow that turns the vehicle's heading toward it. False when the
/// vehicle is to stand: nothing left, or waiting at its place.
bool Steer(CRoundUpActivity* r, DRoundUp** chosen) {
    auto* vehicle = dynamic_cast<VIsometric*>(r->GetVehicle());
    const CPointF v = vehicle ? vehicle->GetPosition() : CPointF();
    bool any = false;
    const Orbit orbit = vehicle ? OrbitOf(r, v, &any, chosen) : Orbit{};
    const CPointF a = orbit.centre;
    const double radius = orbit.radius;
    // Measured in a space where the view's squash is undone, so the orbit is round.
    const double rx = double(v.x) - a.x, ry = 2.0 * (double(v.y) - a.y);
    const double distance = std::max(1.0, std::hypot(rx, ry));
    if (!any || (orbit.park && distance < kOrbit)) {
        Hold(kLeft, false);
        Hold(kRight, false);
        return false;
    }
    const double ux = rx / distance, uy = ry / distance;
    double wantX, wantY;
    if (orbit.park) {
        wantX = -rx;
        wantY = -ry;
    } else if (distance > 2.0 * radius) {
        // From afar the bot comes in along a tangent of the orbit, in the orbit's own sense, so
        // that it never passes near the animal and drives it off.
        const double t = std::acos(radius / distance), c = std::cos(t), sn = std::sin(t);
        const double wx = ux * c - uy * sn, wy = ux * sn + uy * c;
        wantX = a.x + radius * wx - v.x;
        wantY = 2.0 * a.y + radius * wy - 2.0 * v.y;
    } else {
        const double pull = std::clamp((distance - radius) / kOrbit, -1.0, 1.0);
        wantX = -uy - pull * ux;
        wantY = ux - pull * uy;
    }
    // Walls ahead push the way aside, but for one the orbit takes in.
    const double want = std::max(1e-6, std::hypot(wantX, wantY));
    wantX /= want;
    wantY /= want;
    for (const CRect16& wall : Walls(r)) {
        const CPointF w = NearestOf(wall, v);
        const double wx = double(v.x) - w.x, wy = 2.0 * (double(v.y) - w.y);
        const double d = std::max(1.0, std::hypot(wx, wy));
        const CPointF inside = NearestOf(wall, a);
        if (std::hypot(double(inside.x) - a.x, 2.0 * (double(inside.y) - a.y)) < radius) continue;
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
    // Facing straight away from the way the cross product is small too: turn round then.
    const bool away = double(h.x) * wantX + 2.0 * double(h.y) * wantY < 0.0;
    Hold(kRight, cross > 0.05 || (away && cross >= -0.05));
    Hold(kLeft, cross < -0.05);
    return true;
}

void PressEsc() { Script("0 WM_KEYDOWN 27 0 0 0\n100 WM_KEYUP 27 0 0 0\n"); }

/// One round-up of the table: its entry, its town's values, the stem of its golden files and
/// the seed of the bot's play.
struct RoundUpRow {
    const char* name;
    uint16_t entry;
    const RoundUpTown* town;
    const char* golden;
    uint32_t seed;
};
void PrintTo(const RoundUpRow& row, std::ostream* out) { *out << row.name << " round-up {1, 0, " << row.entry << "}"; }
const RoundUpRow kRows[] = {
    {"Circus", 18, &round_up_towns::kCircus, "game/minigames/roundup", 2024},
    {"Zoo", 23, &round_up_towns::kZoo, "game/minigames/roundup_zoo", 2024},
    {"City", 25, &round_up_towns::kCity, "game/minigames/roundup_city", 1},
};

/// The badges lying in the round-up that can still be taken.
int TokensLeft(CRoundUpActivity* r) {
    int n = 0;
    for (int32_t i = 0; i < r->ChildCount(); ++i)
        if (auto* token = dynamic_cast<Token*>(r->ChildAt(i)); token && token->IsVisible()) ++n;
    return n;
}

/// One frame's state of the round-up: the vehicle, the animals, the count and the track.
uint64_t StateHash(CRoundUpActivity* r) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](int64_t v) { h = (h ^ uint64_t(v)) * 1099511628211ull; };
    if (TLV_Object* vehicle = r->GetVehicle()) {
        mix(int64_t(vehicle->GetPosition().x * 100));
        mix(int64_t(vehicle->GetPosition().y * 100));
        mix(vehicle->GetState());
    }
    mix(r->GetAnimalsLeft());
    const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i))) {
            mix(int64_t(a->GetPosition().x * 100));
            mix(int64_t(a->GetPosition().y * 100));
            mix(a->GetState());
            mix(a->IsCaught());
        }
    }
    mix(r->GetTrack().SegmentCount());
    return h;
}

/// What a play leaves to check.
struct Played {
    size_t stepsDone = 0, steps = 0;
    ScenarioRun run;
    std::vector<int> leftSeen;
    RgbImage startPanel, closingLoop, winPanel;
    std::string spoken;
    std::vector<uint64_t> hashes;
    std::vector<uint16_t> visited;
    uint16_t badgesBefore = 0, heroBefore = 0, countBefore = 0;
    int tokensAtStart = 0, tokensAtEnd = 0;
    ChunkId vehiclePart = kNullChunkId, markArt = kNullChunkId;
    int animalsKept = -1;
    std::unique_ptr<CPlayer> stored = std::make_unique<CPlayer>();
};

/// What the bot does: round every animal up and return, or take the menu's easier level.
enum class Plan { Win, Easier };

class RoundUpScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        xRoundUp_RegisterClasses();
    }

    /// The round-up of `row`, Bo at `level` with the town's first vehicle, the seed `seed`.
    Played Play(const RoundUpRow& row, Plan plan, uint16_t level, uint32_t seed, uint32_t seconds = 600) {
        RenewContext();
        // Every play starts at the same tick: the animals read the clock as well as the seed.
        clock().Set(plat::VirtualClock::kStart);
        xWorld_RegisterClasses();
        xRoundUp_RegisterClasses();
        const RoundUpTown& town = *row.town;
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kBo] = StoredRecord("Bo").WorldWord(town.world, CPlayer::kLevels + CRoundUpActivity::kActivity, level).bytes();
        PutSave(records);
        Ini("STARTACTIVITY=" + std::to_string(row.entry) + "\n");
        Played played;
        uint32_t now = 0, since = 0, spacePressed = 0;
        ChunkId shown = kNullChunkId;
        bool driving = false;
        DRoundUp* chosen = nullptr;
        auto settled = [&](uint16_t entry) {
            OActivityManager* manager = GetActivityManager();
            return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && now >= since + 1000;
        };
        auto panelFor = [&](int16_t panel, uint32_t ms) {
            return RoundUp() && RoundUp()->IsPanelShown(panel) && now >= since + ms;
        };
        struct Step {
            std::function<bool()> ready;
            std::function<void()> act;
        };
        const Step start = {[&] { return settled(row.entry) && panelFor(CRoundUpActivity::kStartPanel, 0); },
                            [&] {
                                CRoundUpActivity* r = RoundUp();
                                played.startPanel = StagePicture();
                                ChunkId part = kNullChunkId;
                                if (r->GetVehicle()) r->GetVehicle()->GetPartID(&part);
                                played.vehiclePart = part;
                                played.markArt = r->GetTrack().GetMarkArt();
                                played.animalsKept = r->GetList(TLVWorld_Activity::kRoundUps).Count();
                                Script(ClickAt(0, 430, 340)); // the start panel's button
                            }};
        std::vector<Step> steps = {start};
        if (plan == Plan::Win) {
            steps.push_back({[&] { return RoundUp() && !RoundUp()->IsPanelShown(-1) && now >= since + 1000; },
                             [&] {
                                 played.tokensAtStart = TokensLeft(RoundUp());
                                 driving = true; // the bot starts the vehicle with SPACE
                             }});
            steps.push_back({[&] { return panelFor(CRoundUpActivity::kWinPanel, 500); },
                             [&] {
                                 driving = false;
                                 Hold(kLeft, false);
                                 Hold(kRight, false);
                                 played.tokensAtEnd = TokensLeft(RoundUp());
                                 played.winPanel = StagePicture();
                                 Script(ClickAt(0, 210, 340)); // return to the town
                             }});
        } else {
            steps.push_back({[&] { return RoundUp() && !RoundUp()->IsPanelShown(-1) && now >= since + 1000; },
                             [&] { PressEsc(); }});
            steps.push_back({[&] { return panelFor(CTLVActivity::kPanelMenu, 500); },
                             [&] { Script(ClickAt(0, 430, 305)); }}); // the menu's easier level
            steps.push_back({[&] { return panelFor(CTLVActivity::kPanelLeave, 500); },
                             [&] { Script(ClickAt(0, 430, 340)); }}); // yes, to the town
        }
        steps.push_back({[&] { return settled(town.returnTo); }, [] {}});
        played.steps = steps.size();

        Scenario s = Game(kFrameMs);
        s.frames = seconds * 1000 / kFrameMs;
        s.watch = [&](uint32_t tick) {
            now = (tick - 1) * kFrameMs;
            if (tick == 1) {
                xSRand(seed);
                TLVWorld_Activity::escapeSide = 0; // the escape search's side lives on between runs
                // So do the arrows the last play's bot held when its time ran out.
                Hold(kLeft, false);
                Hold(kRight, false);
                CPlayer* player = CTLVApp::Get()->GetPlayer();
                player->Load(kBo);
                player->SetSelectedVehicle(town.vehicles[0].number);
                CTLVApp::Get()->SetSaveSlot(kBo);
                played.badgesBefore = player->GetBadgeCount(town.world, CRoundUpActivity::kActivity);
                played.heroBefore = player->GetHeroPoints(town.world);
                played.countBefore = player->GetActivityCount(town.world, CRoundUpActivity::kActivity);
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                shown = id;
                since = now;
                played.visited.push_back(ChunkEntryOf(id));
            }
            if (CRoundUpActivity* r = RoundUp(); r && manager && !manager->IsSwitchPending()) {
                played.hashes.push_back(StateHash(r));
                const int left = r->GetAnimalsLeft();
                if (played.leftSeen.empty() || played.leftSeen.back() != left) {
                    if (played.leftSeen.size() == 1 && played.closingLoop.width == 0) played.closingLoop = StagePicture();
                    played.leftSeen.push_back(left);
                }
                if (driving && !r->IsPanelShown(-1)) {
                    // SPACE starts and stops the vehicle; a press takes a few frames to arrive.
                    const bool go = Steer(r, &chosen);
                    if (go != (r->GetSpaceLatch() == TLVWorld_Activity::kLatchDrive) && now >= spacePressed + 500) {
                        Script("0 WM_KEYDOWN 32 0 0 0\n100 WM_KEYUP 32 0 0 0\n");
                        spacePressed = now;
                    }
                }
            }
            if (OMessageProcess* messages = OApplication::Get()->GetMessageProcess()) {
                for (int32_t i = 0; i < messages->QueueLength(); ++i) {
                    const std::string& caption = messages->QueuedAt(i)->caption;
                    if (played.spoken.find(caption + "\n") == std::string::npos) played.spoken += caption + "\n";
                }
            }
            if (played.stepsDone < steps.size() && steps[played.stepsDone].ready()) {
                steps[played.stepsDone].act();
                since = now;
                ++played.stepsDone;
            }
        };
        played.run = RunScenario(s);
        played.stored->Load(kBo);
        return played;
    }
};

class RoundUpTownScenarioTest : public RoundUpScenarioTest, public ::testing::WithParamInterface<RoundUpRow> {};

std::string RowName(const ::testing::TestParamInfo<RoundUpRow>& info) { return info.param.name; }

TEST_P(RoundUpTownScenarioTest, ABotRoundsUpEveryAnimalByTheArrowsAndTheWinIsSaved) {
    const RoundUpRow& row = GetParam();
    const RoundUpTown& town = *row.town;
    const Played played = Play(row, Plan::Win, 1, row.seed);
    EXPECT_EQ(played.run.exitCode, 0);
    const std::string& trace = played.run.trace;
    ASSERT_EQ(played.stepsDone, played.steps) << "stopped before step " << played.stepsDone << " after "
                                              << played.run.framesRun << " frames\n"
                                              << trace.substr(trace.size() > 3000 ? trace.size() - 3000 : 0);
    // The town's own vehicle, marks and animals.
    EXPECT_EQ(played.vehiclePart, town.vehicles[0].part);
    EXPECT_EQ(played.markArt, town.vehicles[0].markArt);
    EXPECT_EQ(played.animalsKept, 4) << "level 1 keeps four of the twelve animals";
    EXPECT_EQ(played.leftSeen, (std::vector<int>{4, 3, 2, 1, 0})) << "each catch lowers animals left by one";
    EXPECT_EQ(played.visited, (std::vector<uint16_t>{row.entry, town.returnTo}));
    const std::string stem = row.golden;
    ExpectMatchesGoldenImage(stem + "_start_panel.png", played.startPanel);
    ExpectMatchesGoldenImage(stem + "_closing_loop.png", played.closingLoop);
    ExpectMatchesGoldenImage(stem + "_win_panel.png", played.winPanel);
    ExpectMatchesGolden(stem + "_spoken_lines.txt", played.spoken);

    const CPlayer& stored = *played.stored;
    EXPECT_EQ(stored.GetActivityLevel(town.world, CRoundUpActivity::kActivity), 2);
    EXPECT_EQ(stored.GetActivityCount(town.world, CRoundUpActivity::kActivity), played.countBefore + 1);
    EXPECT_EQ(stored.GetHeroPoints(town.world), played.heroBefore + 1);
    EXPECT_EQ(stored.GetBadgeCount(town.world, CRoundUpActivity::kActivity),
              played.badgesBefore + (played.tokensAtStart - played.tokensAtEnd))
        << "one badge for each token the vehicle took";
}

TEST_P(RoundUpTownScenarioTest, AtLevel2TheMenusEasierLevelLowersTheLevelAndLeavesForTheTown) {
    const RoundUpRow& row = GetParam();
    const Played played = Play(row, Plan::Easier, 2, 7, 60);
    ASSERT_EQ(played.stepsDone, played.steps) << "stopped before step " << played.stepsDone;
    EXPECT_EQ(played.visited, (std::vector<uint16_t>{row.entry, row.town->returnTo}));
    EXPECT_EQ(played.stored->GetActivityLevel(row.town->world, CRoundUpActivity::kActivity), 1);
    EXPECT_EQ(played.stored->GetActivityCount(row.town->world, CRoundUpActivity::kActivity), played.countBefore)
        << "leaving is no completed round-up";
}

INSTANTIATE_TEST_SUITE_P(Towns, RoundUpTownScenarioTest, ::testing::ValuesIn(kRows), RowName);

TEST_F(RoundUpScenarioTest, TwoPlaysOfTheCircusRoundUpWithOneSeedGiveTheSameStateAtEveryFrame) {
    const Played first = Play(kRows[0], Plan::Win, 1, 5, 40);
    const Played second = Play(kRows[0], Plan::Win, 1, 5, 40);
    ASSERT_GT(first.hashes.size(), 1000u);
    ASSERT_EQ(first.hashes.size(), second.hashes.size());
    for (size_t frame = 0; frame < first.hashes.size(); ++frame)
        ASSERT_EQ(first.hashes[frame], second.hashes[frame]) << "the plays part at frame " << frame;
    EXPECT_EQ(first.spoken, second.spoken);
}

} // namespace
} // namespace vqt::test
