// The round-up driver on the generated circus round-up {1, 0, 18} at level 1, the whole program
// running: once it drives, every free animal but the one farthest from the vehicle is caught,
// and that one is held in the map's corner farthest from the vehicle, out of the view and with
// no room round it for an orbit. A driver that only waits for it to roam back never sees it
// again; this one goes and looks for it.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/minigames/roundup/RoundUpClasses.h"
#include "game/minigames/roundup/RoundUpTowns.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "game/world/characters/DRoundUp.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kBo = 3;
/// How long the driver may take to bring the held animal into view, and the bound of the play
/// (it ends once the animal was seen, or could no longer be in time).
constexpr uint32_t kFindMs = 60000, kPlayMs = 120000;

class RoundUpDriverTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        xRoundUp_RegisterClasses();
    }
};

bool Holds(const CRect16& r, const CPointF& p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

TEST_F(RoundUpDriverTest, WithTheLastAnimalOutOfViewAndNoRoomRoundItTheDriverGoesToLookForIt) {
    const RoundUpTown& town = round_up_towns::kCircus;
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").WorldWord(town.world, CPlayer::kLevels + CRoundUpActivity::kActivity, 1).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=18\n");
    const std::unique_ptr<MiniGameDriver> driver = MakeRoundUpDriver(HeadlessBotInput());
    DRoundUp* held = nullptr;
    CPointF corner;
    uint32_t heldAt = 0, seenAt = 0;
    bool outOfViewAtFirst = false;
    Scenario s = Game(kFrameMs);
    s.frames = kPlayMs / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            xSRand(1);
            TLVWorld_Activity::escapeSide = 0;
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            player->Load(kBo);
            player->SetSelectedVehicle(town.vehicles[0].number);
            CTLVApp::Get()->SetSaveSlot(kBo);
        }
        OActivityManager* manager = GetActivityManager();
        auto* r = manager ? dynamic_cast<CRoundUpActivity*>(manager->GetCurrentActivity()) : nullptr;
        if (r && !manager->IsSwitchPending() && r->GetVehicle()) {
            const CPointF v = r->GetVehicle()->GetPosition();
            if (!held && r->GetSpaceLatch() == TLVWorld_Activity::kLatchDrive) {
                // The driver drives: all but the farthest free animal are caught, that one held
                // in the corner farthest from the vehicle.
                const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
                double farthest = -1.0;
                for (int32_t i = 0; i < list.Count(); ++i)
                    if (auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i)); a && !a->IsCaught()) {
                        const double d = std::hypot(a->GetPosition().x - v.x, a->GetPosition().y - v.y);
                        if (d > farthest) farthest = d, held = a;
                    }
                for (int32_t i = 0; i < list.Count(); ++i)
                    if (auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i)); a && a != held && !a->IsCaught()) a->Catch();
                const CRect16 map = r->GetMapRect();
                const float x = v.x < (map.left + map.right) / 2.0f ? map.right - 40.0f : map.left + 40.0f;
                const float y = v.y < (map.top + map.bottom) / 2.0f ? map.bottom - 30.0f : map.top + 30.0f;
                corner = CPointF(x, y);
                heldAt = now;
                outOfViewAtFirst = !Holds(r->GetVisibleRect(), corner);
            }
            if (held && !held->IsCaught()) {
                held->SetPosition(corner, 0, 1);
                if (!seenAt && Holds(r->GetVisibleRect(), corner)) seenAt = now;
            }
        }
        if (seenAt || (held && now > heldAt + kFindMs)) return RequestQuit();
        const std::string lines = manager ? driver->Step(manager->GetCurrentActivity(), now) : "";
        if (!lines.empty()) Script(lines);
    };
    const ScenarioRun run = RunScenario(s);
    driver->Release();
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_NE(held, nullptr) << "the driver never drove";
    EXPECT_TRUE(outOfViewAtFirst) << "the held animal's corner was in view from the start";
    EXPECT_GT(seenAt, 0u) << "the driver waited for the held animal and never went to look for it";
    if (seenAt) {
        EXPECT_LE(seenAt - heldAt, kFindMs);
    }
}

} // namespace
} // namespace vqt::test
