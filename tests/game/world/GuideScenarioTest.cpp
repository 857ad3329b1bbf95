// The circus town on the generated game data, visited for the first time: the drive tutorial
// opens over the map with its picture, and once it is closed the guide arrow points toward a
// token out of sight.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/ActivityProp.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/WorldClasses.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr int kNewPlayer = 2;

class GuideScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
    }
};

TEST_F(GuideScenarioTest, AFirstVisitShowsTheTutorialThenTheArrowToATokenOutOfSight) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kNewPlayer] = StoredRecord("Al").bytes(); // never drove: no visit counted
    PutSave(records);
    Ini("STARTACTIVITY=5\n");

    constexpr uint32_t kFrameMs = 16;
    uint32_t now = 0, arrived = 0;
    ChunkId shown = kNullChunkId;
    RgbImage tutorial, arrow;
    int32_t arrowState = -1;
    bool tokenOffScreen = false;
    auto settledOn = [&](uint16_t entry) {
        OActivityManager* manager = GetActivityManager();
        return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && now >= arrived + 800;
    };
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    TLVWorld_Activity* world = nullptr;
    const std::vector<Step> steps = {
        {[&] { return settledOn(5); }, [] { Click(buttons::kGarageGo); }}, // go
        {[&] { return settledOn(8) && CurrentGameActivity()->IsPanelShown(TLVWorld_Activity::kTutorialPanel); },
         [&] {
             world = CurrentWorld();
             tutorial = StagePicture();
             world->HidePanel(TLVWorld_Activity::kTutorialPanel, 1);
         }},
        {[&] { return !world->IsPanelShown(-1); },
         [&] {
             // The town keeps the arrow on a token (it drops one on a puppy: puppies come to
             // the vehicle by themselves).
             const auto& tokens = world->GetList(TLVWorld_Activity::kTokens);
             if (tokens.Count() == 0) return;
             OActivityProp* token = tokens.GetAt(tokens.Count() - 1);
             const CPointF at = token->GetPosition();
             tokenOffScreen = !world->PointInVisibleRect(CPoint16(int16_t(at.x), int16_t(at.y)), 0);
             world->ShowGuideArrow(token);
         }},
        {[&] { return world->GetGuideArrow() && now >= arrived + 2000; },
         [&] {
             arrow = StagePicture();
             arrowState = world->GetGuideArrow()->GetState();
         }},
    };
    size_t next = 0;
    Scenario s = Game(kFrameMs);
    s.frames = 12000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CTLVApp::Get()->GetPlayer()->Load(kNewPlayer);
            CTLVApp::Get()->SetSaveSlot(kNewPlayer);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            shown = id;
            arrived = now;
        }
        if (next < steps.size() && steps[next].ready()) steps[next++].act();
    };
    const ScenarioRun run = RunScenario(s);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    ASSERT_EQ(next, steps.size());
    EXPECT_TRUE(tokenOffScreen);
    EXPECT_GE(arrowState, 1);
    EXPECT_LE(arrowState, 8);
    ExpectMatchesGoldenImage("game/world/drive_tutorial.png", tutorial);
    ExpectMatchesGoldenImage("game/world/guide_arrow_token.png", arrow);
}

} // namespace
} // namespace vqt::test
