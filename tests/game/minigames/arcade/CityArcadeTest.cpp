// The city arcade: levels, hidden blockers and the spawn clock, crooks walking in and dropping
// onto their lanes, the limit on crooks at once, canister bursts to their stop line, stops
// counted once with praise (none at the first stop nor at the one that leaves one crook),
// lines 4-10 dropped behind others, tokens by their rules, goods, pushed blockers, the street's
// push at its ends, steering against the left bound, the end clock and the record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/media/MusicProcess.h"
#include "game/minigames/arcade/GAMetropolisActivity.h"
#include "game/minigames/arcade/MetroArcadeBlocker.h"
#include "game/minigames/arcade/MetroArcadeCrook.h"
#include "tests/game/minigames/arcade/ArcadeFixture.h"

namespace vqt::test {
namespace {

constexpr int kWorld = 2, kArcade = 3;
constexpr float kStreet = 2000.0f;

/// The city over a street 2000 px wide, its crooks' counting within reach of the test.
class CityProbe : public GAMetropolis_Activity {
public:
    CityProbe() { SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(kStreet - float(GetStageWidth()), 0.0f)); }
    CPointF GetBackgroundSize() override { return CPointF(kStreet, 480.0f); }
    using GAMetropolis_Activity::CountStop;
    using GAMetropolis_Activity::PushBlocker;
};

class CityArcadeTest : public ArcadeFixture {
protected:
    void TearDown() override {
        input().SetKeyDown(int32_t(Arcade_Activity::kKeyLeft), false);
        input().SetKeyDown(int32_t(Arcade_Activity::kKeyRight), false);
        game_.reset();
        ArcadeFixture::TearDown();
    }
    CPlayer& Player() { return *CTLVApp::Get()->GetPlayer(); }
    /// The city at the level in the vehicle, with blockers at the x positions (on lane 200),
    /// the start panel closed unless asked.
    CityProbe* Play(uint16_t level, uint16_t vehicle = 4, const std::vector<float>& blockers = {}, bool closeStart = true) {
        while (Player().GetActivityLevel(kWorld, kArcade) < level) Player().IncActivityLevel(kWorld, kArcade);
        while (Player().GetActivityLevel(kWorld, kArcade) > level) Player().DecActivityLevel(kWorld, kArcade);
        Player().SetSelectedVehicle(vehicle);
        game_ = std::make_unique<CityProbe>();
        for (const float x : blockers) AddBlocker(x);
        game_->OnActivated();
        if (closeStart) game_->HidePanel(Arcade_Activity::kStartPanel, 1);
        game_->SetVisible(1, 0);
        return game_.get();
    }
    Metro_Arcade_Blocker* AddBlocker(float x, float y = 200.0f) {
        auto* blocker = new Metro_Arcade_Blocker;
        EXPECT_EQ(blocker->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(2, kItemPart), 1), 1);
        blocker->SetGroup(5);
        blocker->SetPosition(CPointF(x, y), 0, 1);
        if (game_->AcceptObject(blocker)) game_->AddChild(blocker);
        return blocker;
    }
    /// A crook of the game, running on the street.
    Metro_Arcade_Crook* RunningCrook() {
        game_->SpawnWalking();
        EXPECT_GT(game_->Crooks().Count(), 0);
        Metro_Arcade_Crook* crook = game_->Crooks().GetAt(game_->Crooks().Count() - 1);
        crook->ShowFrame(Metro_Arcade_Crook::kRunFrame);
        crook->SetBehaviourState(Metro_Arcade_Crook::kRun);
        return crook;
    }
    void Step(TLV_Object* object, uint32_t ms = 20) {
        clock().Advance(ms);
        object->OnIdle();
    }

    std::unique_ptr<CityProbe> game_;
};

TEST_F(CityArcadeTest, TheLevelSetsGoalTokensHiddenBlockersAndTheSpawnClock) {
    const struct {
        uint16_t level;
        uint16_t goal, tokens;
        int hidden;
    } cases[] = {{1, 20, 3, 6}, {2, 35, 5, 4}, {3, 50, 7, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level));
        CityProbe* game = Play(c.level, 4, {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000});
        EXPECT_EQ(game->GetGoal(), c.goal);
        EXPECT_EQ(game->GetCrooksLeft(), c.goal);
        EXPECT_EQ(game->GetTokensLeft(), c.tokens);
        int hidden = 0;
        for (int32_t i = 0; i < game->Blockers().Count(); ++i) hidden += game->Blockers().GetAt(i)->IsVisible() ? 0 : 1;
        EXPECT_EQ(hidden, c.hidden);
        const int32_t base = 2500 - 250 * c.level;
        EXPECT_GE(game->GetSpawnClock().duration, base);
        EXPECT_LT(game->GetSpawnClock().duration, base + 500);
        ASSERT_NE(game->GetOverlay(), nullptr);
        EXPECT_FALSE(game->GetOverlay()->IsVisible());
        EXPECT_EQ(game->GetVehicle()->GetPriority(), 2500);
    }
}

TEST_F(CityArcadeTest, ACrookWalksInFromTheLeftAndRunsRightAtItsSpeed) {
    CityProbe* game = Play(1);
    std::srand(5);
    const float lane = GAMetropolis_Activity::kLaneY[(std::srand(5), std::rand() % 2)];
    std::srand(5);
    game->SpawnWalking();
    ASSERT_EQ(game->Crooks().Count(), 1);
    Metro_Arcade_Crook* crook = game->Crooks().GetAt(0);
    EXPECT_EQ(crook->GetPosition(), CPointF(-60.0f, lane));
    EXPECT_EQ(crook->GetPriority(), int32_t(5.0f * lane));
    EXPECT_EQ(crook->GetBehaviourState(), Metro_Arcade_Crook::kEnter);
    Step(crook);
    EXPECT_EQ(crook->GetBehaviourState(), Metro_Arcade_Crook::kRun) << "it enters on the next step";
    Step(crook);
    EXPECT_EQ(crook->GetVelocity().x, Metro_Arcade_Crook::kRunSpeed);
    float x = crook->GetPosition().x;
    for (int f = 0; f < 20; ++f) {
        Step(crook);
        EXPECT_FLOAT_EQ(crook->GetPosition().x, x + 2.0f) << "100 px/s over 20 ms, frame " << f;
        EXPECT_EQ(crook->GetPosition().y, lane);
        x = crook->GetPosition().x;
    }
}

TEST_F(CityArcadeTest, ACrookEscapesSlowOrFastAndLeavesTheStreetPastItsLeftEdge) {
    CityProbe* game = Play(1);
    const struct {
        int32_t direction;
        float speed;
        int32_t frame, state;
    } cases[] = {{0, -100.0f, Metro_Arcade_Crook::kSlowFrame, Metro_Arcade_Crook::kEscapeSlow},
                 {1, -150.0f, Metro_Arcade_Crook::kFastFrame, Metro_Arcade_Crook::kEscapeFast}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.direction);
        Metro_Arcade_Crook* crook = RunningCrook();
        EXPECT_STREQ(crook->GetName(), "Zoo_Arcade_Monkey");
        EXPECT_TRUE(crook->IsA(3400));
        crook->Escape(c.direction);
        EXPECT_EQ(crook->GetVelocity().x, c.speed);
        EXPECT_EQ(crook->GetState(), c.frame);
        EXPECT_EQ(crook->GetBehaviourState(), c.state);
        // Its box wholly left of the view: off the street, hidden, back in the pool.
        const int32_t pooled = game->CrookPool().Count();
        crook->SetPosition(CPointF(-float(crook->GetWidth()) / 2.0f - 1.0f, crook->GetPosition().y), 0, 1);
        clock().Advance(20);
        game->OnIdle();
        EXPECT_EQ(game->CrookPool().Count(), pooled + 1);
        EXPECT_FALSE(crook->IsVisible());
        for (int32_t i = 0; i < game->Crooks().Count(); ++i) EXPECT_NE(game->Crooks().GetAt(i), crook);
    }
    // A runner that reaches the end of the street turns to escape slowly.
    Metro_Arcade_Crook* runner = RunningCrook();
    runner->SetPosition(CPointF(kStreet - 1.0f, runner->GetPosition().y), 0, 1);
    Step(runner);
    EXPECT_FALSE(runner->ShowsSlowEscape()) << "not yet at the end";
    runner->SetPosition(CPointF(kStreet, runner->GetPosition().y), 0, 1);
    Step(runner);
    EXPECT_TRUE(runner->ShowsSlowEscape());
    EXPECT_EQ(runner->GetVelocity().x, -100.0f);
}

TEST_F(CityArcadeTest, ADroppedCrookFallsToItsLaneAndLands) {
    CityProbe* game = Play(1, 4, {}, false); // the start panel keeps other crooks away
    game->SpawnDropping();
    ASSERT_EQ(game->Crooks().Count(), 1);
    Metro_Arcade_Crook* crook = game->Crooks().GetAt(0);
    const float lane = crook->GetLaneY();
    EXPECT_TRUE(lane == 90.0f || lane == 200.0f);
    EXPECT_EQ(crook->GetPosition().y, -30.0f);
    EXPECT_EQ(crook->GetState(), Metro_Arcade_Crook::kDropFrame);
    EXPECT_EQ(crook->GetPriority(), 10000);
    float y = -30.0f, v = 80.0f;
    for (int f = 0; f < 200 && crook->IsLanding(); ++f) {
        Step(crook);
        v = std::min(v + 100.0f * 0.02f, 400.0f);
        y += v * 0.02f;
        if (crook->IsLanding() && y < lane) {
            EXPECT_NEAR(crook->GetPosition().y, y, 0.01f) << "frame " << f;
        }
        game->OnIdle();
    }
    EXPECT_FALSE(crook->IsLanding());
    EXPECT_EQ(crook->GetPosition().y, lane);
    EXPECT_EQ(crook->GetState(), Metro_Arcade_Crook::kLandFrame);
    EXPECT_EQ(crook->GetBehaviourState(), Metro_Arcade_Crook::kLanding);
    crook->OnAnimationEnd();
    EXPECT_EQ(crook->GetBehaviourState(), Metro_Arcade_Crook::kEnter) << "an ordinary crook now";
}

TEST_F(CityArcadeTest, NoCrookEntersBeyondTheCrooksLeftNorUnderAPanel) {
    CityProbe* game = Play(1);
    for (int i = 0; i < 30; ++i) game->SpawnWalking();
    EXPECT_EQ(game->Crooks().Count(), 20) << "as many as are left";
    for (int i = 0; i < 18; ++i) game->CountStop(game->Crooks().GetAt(i));
    game->SpawnDropping();
    EXPECT_EQ(game->Crooks().Count(), 20);

    CityProbe* covered = Play(1, 4, {}, false);
    for (int i = 0; i < 100; ++i) {
        clock().Advance(100);
        covered->OnIdle();
    }
    EXPECT_EQ(covered->Crooks().Count(), 0) << "the start panel shows";
}

TEST_F(CityArcadeTest, ABurstTossesCanistersUpToTheStopLine) {
    const struct {
        uint16_t vehicle;
        int32_t canisters;
        float speed;
    } cases[] = {{4, 4, -1000.0f}, {5, 6, -800.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        CityProbe* game = Play(1, c.vehicle);
        clock().Advance(10); // the fire clock runs out at once
        game->Shoot();
        ASSERT_EQ(game->Canisters().Count(), 1);
        PArcadeParticle* first = game->Canisters().GetAt(0);
        EXPECT_FLOAT_EQ(first->GetVelocity().y, c.speed);
        EXPECT_EQ(first->GetStopLine(), 90);
        game->Shoot();
        EXPECT_EQ(game->Canisters().Count(), 1) << "no second burst while one runs";
        for (int f = 0; f < 20; ++f) {
            clock().Advance(26);
            game->OnIdle();
        }
        EXPECT_FALSE(game->IsBurstRunning());
        EXPECT_EQ(game->Canisters().Count(), c.canisters) << "one at once, then the burst";
        for (int f = 0; f < 100 && first->GetVelocity().y != 0.0f; ++f) {
            Step(first, 10);
            EXPECT_GE(first->GetPosition().y, 90.0f - 10.0f) << "frame " << f;
        }
        EXPECT_EQ(first->GetVelocity().y, 0.0f) << "the flight ended at the stop line";
    }
}

TEST_F(CityArcadeTest, ACanisterRisesAtThePositionsOfTheModelEveryFrameUntilItsStopLine) {
    const struct {
        uint16_t vehicle;
        uint32_t flightMs;
    } cases[] = {{4, 400}, {5, 500}};
    for (const auto& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        CityProbe* game = Play(1, c.vehicle);
        clock().Advance(10);
        game->Shoot();
        ASSERT_GE(game->Canisters().Count(), 1);
        PArcadeParticle* canister = game->Canisters().GetAt(0);
        CPointF anchor;
        game->GetVehicle()->GetAnchorPoint(&anchor);
        ASSERT_EQ(canister->GetPosition(), anchor) << "tossed from the vehicle's anchor";
        // 400 px over the flight time, straight up, a step every 20 ms frame, until it is above
        // the line at y 90.
        const float speed = 400.0f / (float(c.flightMs) / 1000.0f);
        float y = anchor.y;
        bool ended = false;
        int frames = 0;
        for (; frames < 100 && !ended; ++frames) {
            ended = y < 90.0f;
            clock().Advance(20);
            canister->OnIdle();
            if (!ended) y -= speed * 0.02f;
            EXPECT_NEAR(canister->GetPosition().y, y, 0.01f) << "frame " << frames;
            EXPECT_EQ(canister->GetPosition().x, anchor.x) << "frame " << frames;
        }
        EXPECT_TRUE(ended);
        EXPECT_EQ(canister->GetVelocity().y, 0.0f) << "the flight ended at the stop line";
        EXPECT_EQ(canister->GetArcHeight(), 0);
        EXPECT_GT(frames, 10) << "a flight, not a hop";
    }
}

TEST_F(CityArcadeTest, StopsCountOnceWithPraiseAndTheLastStartsTheEndClock) {
    CityProbe* game = Play(1);
    const uint16_t count = Player().GetActivityCount(kWorld, kArcade);
    Metro_Arcade_Crook* crook = RunningCrook();
    game->CrookHit(crook);
    game->CrookHit(crook);
    EXPECT_EQ(game->GetStopped(), 1) << "a crook counts once";
    EXPECT_EQ(crook->GetBehaviourState(), Metro_Arcade_Crook::kHit);
    for (int i = 0; i < 18; ++i) game->CountStop(crook);
    EXPECT_EQ(game->GetCrooksLeft(), 1);
    EXPECT_FALSE(game->GetEndClock().running);
    game->CountStop(crook);
    game->CountStop(crook);
    EXPECT_EQ(game->GetCrooksLeft(), 0);
    EXPECT_EQ(game->GetStopped(), 20);
    EXPECT_EQ(Player().GetActivityCount(kWorld, kArcade), count + 1);
    EXPECT_EQ(Player().GetActivityLevel(kWorld, kArcade), 2);
    ASSERT_TRUE(game->GetEndClock().running);
    EXPECT_FALSE(game->IsPanelShown(Arcade_Game::kResultsPanel));
    clock().Advance(2400);
    game->OnIdle();
    EXPECT_FALSE(game->IsPanelShown(Arcade_Game::kResultsPanel));
    clock().Advance(200);
    game->OnIdle();
    EXPECT_TRUE(game->IsPanelShown(Arcade_Game::kResultsPanel)) << "2500 ms after the last stop";
}

/// The city with its message process and the voices of its praise.
class CityArcadeLinesTest : public CityArcadeTest {
protected:
    static constexpr uint16_t kPraiseVoices[] = {805, 806};
    void SetUp() override {
        withProcesses_ = true;
        voices_.assign(std::begin(kPraiseVoices), std::end(kPraiseVoices));
        CityArcadeTest::SetUp();
    }
};

TEST_F(CityArcadeLinesTest, LinesFourToTenAreDroppedWhileALineIsQueued) {
    // Line 6 has no words; numbers outside the sheet say nothing.
    ExpectLinesQueuedBehindAnother(*Play(1), {{-1, false}, {0, true}, {3, true}, {4, false}, {5, false}, {6, false},
                                              {7, false}, {10, false}, {11, true}, {13, true}, {14, false}});
}

TEST_F(CityArcadeLinesTest, TheStartPanelGoingPutsOnTheCitysMusic) {
    OMusicProcess* music = CTLVApp::Get()->GetMusic();
    ASSERT_NE(music, nullptr);
    music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, 7});
    Arcade_Game* game = Play(1, 4, {}, false);
    game->OnPanelDismissed(Arcade_Activity::kStartPanel - 1);
    EXPECT_EQ(music->GetSnippetData()->firstEntry, 7) << "another panel leaves the music";
    game->OnPanelDismissed(Arcade_Activity::kStartPanel);
    ASSERT_TRUE(music->GetSnippetData().has_value());
    EXPECT_EQ(music->GetSnippetData()->firstEntry, 151);
}

TEST_F(CityArcadeLinesTest, NoPraiseAtTheFirstStopNorAtTheOneThatLeavesOneCrook) {
    const struct {
        const char* stop;
        int before;
        bool mayPraise;
    } cases[] = {{"the first", 0, false}, {"the second", 1, true}, {"a middle", 9, true},
                 {"the one that leaves one", 18, false}};
    for (const auto& c : cases) {
        int praised = 0;
        for (unsigned seed = 1; seed <= 30; ++seed) {
            std::srand(seed);
            CityProbe* game = Play(1);
            Metro_Arcade_Crook* crook = RunningCrook();
            for (int i = 0; i < c.before; ++i) game->CountStop(crook);
            Messages().FlushMessages();
            game->CountStop(crook);
            ASSERT_EQ(game->GetStopped(), c.before + 1);
            for (int32_t i = 0; i < Messages().QueueLength(); ++i) {
                const xSnippet* voice = Messages().QueuedAt(i)->voice;
                EXPECT_NE(voice, nullptr) << c.stop << " stop: a line without its voice";
                ++praised;
            }
            Messages().FlushMessages();
        }
        EXPECT_EQ(praised > 0, c.mayPraise) << c.stop << " stop, praised " << praised << " times in 30 runs";
    }
}

TEST_F(CityArcadeTest, AnEscapingCrookDropsGoodsThatACanisterPicksUp) {
    CityProbe* game = Play(1);
    auto* goods = new OActivityProp("OActivityProp", 54);
    EXPECT_EQ(goods->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(2, kItemPart), 1), 1);
    game->AddChild(goods);
    goods->SetVisible(0, 0);
    game->GoodsPool().Append(goods);
    Metro_Arcade_Crook* crook = RunningCrook();
    crook->Escape(0);
    EXPECT_EQ(crook->GetVelocity().x, -100.0f);
    game->CrookHit(crook);
    EXPECT_EQ(game->GetStopped(), 1);
    ASSERT_EQ(game->LiveGoods().Count(), 1);
    EXPECT_TRUE(goods->IsVisible());
    EXPECT_EQ(goods->GetPosition(), crook->GetPosition());
    game->OnItemHit(goods, false);
    EXPECT_EQ(game->LiveGoods().Count(), 0);
    EXPECT_EQ(game->GoodsPool().Count(), 1);
    EXPECT_FALSE(goods->IsVisible());
    // A running crook that meets goods on the street takes them and escapes.
    game->GoodsPool().RemoveAt(0);
    game->LiveGoods().Append(goods);
    Metro_Arcade_Crook* runner = RunningCrook();
    goods->SetPosition(runner->GetPosition(), 0, 1);
    goods->SetVisible(1, 0);
    Step(runner);
    EXPECT_EQ(game->LiveGoods().Count(), 0);
    EXPECT_TRUE(runner->ShowsSlowEscape());
}

TEST_F(CityArcadeTest, APushedBlockerMovesAwayFromItsNeighbourOrTowardTheFartherOne) {
    const struct {
        const char* name;
        std::vector<float> others;
        int side;  // -1 left, +1 right, 0 either
    } cases[] = {
        {"neighbour on the left", {485.0f}, +1},
        {"neighbour on the right", {515.0f}, -1},
        {"both, the right one farther", {487.0f, 520.0f}, +1},
        {"both, the left one farther", {480.0f, 512.0f}, -1},
        {"none close", {300.0f, 700.0f}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CityProbe* game = Play(3, 4, {500.0f});
        for (const float x : c.others) AddBlocker(x);
        for (int32_t i = 0; i < game->Blockers().Count(); ++i) game->Blockers().GetAt(i)->SetVisible(1, 0);
        Metro_Arcade_Blocker* blocker = game->Blockers().GetAt(0);
        game->PushBlocker(blocker);
        const float moved = blocker->GetPosition().x - 500.0f;
        EXPECT_GE(std::abs(moved), 20.0f);
        EXPECT_LE(std::abs(moved), 34.0f);
        if (c.side != 0) {
            EXPECT_EQ(moved > 0.0f ? 1 : -1, c.side);
        }
        EXPECT_EQ(blocker->OnContact(nullptr), 65);
    }
}

TEST_F(CityArcadeTest, TheStreetIsPushedAtItsEnds) {
    const float m = kStreet - 640.0f;
    const struct {
        float scroll;
        bool left;
        float vehicleX;
        float speed;
    } cases[] = {
        {50.0f, true, 100.0f, -100.0f}, {100.0f, true, 100.0f, -200.0f}, {300.0f, true, 100.0f, -200.0f},
        {300.0f, true, 200.0f, 0.0f},   {m - 50.0f, false, 560.0f, 100.0f}, {m - 200.0f, false, 560.0f, 200.0f},
        {m, false, 560.0f, 0.0f},       {m - 50.0f, false, 400.0f, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.scroll) + (c.left ? " left" : " right"));
        CityProbe* game = Play(1);
        game->ScrollTo(CPointF(c.scroll, 0.0f), 0);
        ASSERT_EQ(game->GetScrollOffset().x, c.scroll);
        input().SetKeyDown(int32_t(Arcade_Activity::kKeyLeft), c.left);
        input().SetKeyDown(int32_t(Arcade_Activity::kKeyRight), !c.left);
        EXPECT_FLOAT_EQ(game->PushSpeed(c.vehicleX, 0.0f), c.speed);
    }
}

TEST_F(CityArcadeTest, SteeringStopsAtTheLeftBound) {
    const struct {
        float x;
        bool left;
        float velocity;
    } cases[] = {{50.0f, true, 0.0f}, {40.0f, true, 30.0f}, {40.0f, false, 30.0f}, {100.0f, true, -150.0f}, {50.0f, false, 0.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        CityProbe* game = Play(1);
        VFlat* vehicle = game->GetVehicle();
        vehicle->SetPosition(CPointF(c.x - vehicle->GetScaledHotSpot().x, 400.0f), 0, 1);
        input().SetKeyDown(int32_t(Arcade_Activity::kKeyLeft), c.left);
        input().SetKeyDown(int32_t(Arcade_Activity::kKeyRight), false);
        game->SteerVehicle(20);
        EXPECT_FLOAT_EQ(vehicle->GetVelocity().x, c.velocity);
    }
}

TEST_F(CityArcadeTest, StoppingReleasesCrooksGoodsTokensAndTheOverlay) {
    CityProbe* game = Play(1);
    RunningCrook();
    RunningCrook();
    game->FlushSoundQueues();
    EXPECT_EQ(game->Crooks().Count(), 0);
    EXPECT_EQ(game->CrookPool().Count(), 0);
    EXPECT_EQ(game->TokenPool().Count() + game->LiveTokens().Count(), 0);
    EXPECT_EQ(game->GetOverlay(), nullptr);
    EXPECT_EQ(game->GetVehicle()->GetAttachedProp(), nullptr);
}

} // namespace
} // namespace vqt::test
