// The zoo arcade: levels and spotlights, the beam on the fire clock, monkeys placed on the
// vines and following them, one drop per lit monkey (the token rule first), catches, items
// landing with the sound of their art, the win and the record, lines dropped behind others,
// and a jungle without vines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/media/MusicProcess.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/arcade/GAZooActivity.h"
#include "game/minigames/arcade/ZooArcadeGoalItem.h"
#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "game/shell/PBeam.h"
#include "tests/game/minigames/arcade/ArcadeFixture.h"

namespace vqt::test {
namespace {

constexpr int kWorld = 1, kArcade = 3;

/// The zoo with its drops and catches within reach of the test.
class ZooProbe : public GAZoo_Activity {
public:
    using GAZoo_Activity::CatchItem;
    using GAZoo_Activity::Drop;
    using GAZoo_Activity::LaunchVelocity;
    using GAZoo_Activity::PassFallenItems;
    using GAZoo_Activity::MaybeDropToken;
};

class ZooArcadeTest : public ArcadeFixture {
protected:
    void TearDown() override {
        game_.reset();
        ArcadeFixture::TearDown();
    }
    CPlayer& Player() { return *CTLVApp::Get()->GetPlayer(); }
    void SetLevel(uint16_t level) {
        while (Player().GetActivityLevel(kWorld, kArcade) < level) Player().IncActivityLevel(kWorld, kArcade);
        while (Player().GetActivityLevel(kWorld, kArcade) > level) Player().DecActivityLevel(kWorld, kArcade);
    }
    /// The zoo at the level with the player in the vehicle, `vines` vines 150 px apart in group
    /// 2 (object ids 1, 2, ...) and the start panel closed so that play runs.
    ZooProbe* Play(uint16_t level, uint16_t vehicle = 2, int vines = 6, int16_t viewSpeed = 0) {
        SetLevel(level);
        Player().SetSelectedVehicle(vehicle);
        game_ = std::make_unique<ZooProbe>();
        game_->SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(0.0f, 0.0f));
        for (int32_t g = 0; g < 6; ++g) game_->SetStartSpeed(g, g == 5 ? viewSpeed : 0);
        for (int v = 0; v < vines; ++v) AddVine(uint32_t(v + 1), 100.0f + 150.0f * float(v));
        game_->OnActivated();
        game_->HidePanel(Arcade_Activity::kStartPanel, 1);
        game_->SetVisible(1, 0);
        return game_.get();
    }
    Zoo_Arcade_Vine* AddVine(uint32_t objectId, float x) {
        auto* vine = new Zoo_Arcade_Vine;
        EXPECT_EQ(vine->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(2, kItemPart), 1), 1);
        vine->SetObjectId(objectId);
        vine->SetGroup(2);
        vine->SetPosition(CPointF(x, 60.0f), 0, 1);
        if (game_->AcceptObject(vine)) game_->AddChild(vine);
        return vine;
    }
    /// A monkey from the game's own, moved into the beam's light.
    Zoo_Arcade_Monkey* MonkeyInBeam() {
        EXPECT_GT(game_->ActiveMonkeys().Count(), 0);
        Zoo_Arcade_Monkey* monkey = game_->ActiveMonkeys().GetAt(0);
        monkey->SetPosition(game_->GetBeam()->GetPosition(), 0, 1);
        return monkey;
    }
    /// Goal items thrown until `n` are falling (tokens may come first).
    void ThrowItems(int n) {
        Zoo_Arcade_Monkey* monkey = game_->ActiveMonkeys().GetAt(0);
        for (int guard = 0; game_->LiveItems().Count() < n && guard < 100; ++guard) game_->Drop(monkey);
        ASSERT_EQ(game_->LiveItems().Count(), n);
    }
    void OverVehicle(int first, int count) {
        for (int i = first; i < first + count; ++i)
            game_->LiveItems().GetAt(i)->SetPosition(game_->GetVehicle()->GetPosition(), 0, 1);
    }
    void Frame(uint32_t ms) {
        clock().Advance(ms);
        game_->OnIdle();
    }

    std::unique_ptr<ZooProbe> game_;
};

TEST_F(ZooArcadeTest, TheLevelSetsGoalTokensAndFasterSceneryButNotTheView) {
    const struct {
        uint16_t level;
        uint16_t goal, tokens;
        int32_t raise;
    } cases[] = {{1, 10, 3, 60}, {2, 15, 5, 90}, {3, 20, 7, 120}};
    for (const auto& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level));
        ZooProbe* game = Play(c.level, 2, 6, 40);
        EXPECT_EQ(game->GetGoal(), c.goal);
        EXPECT_EQ(game->GetItemsLeft(), c.goal);
        EXPECT_EQ(game->GetTokensLeft(), c.tokens);
        EXPECT_EQ(game->TokenPool().Count(), int32_t(c.tokens));
        for (int32_t g = 0; g < 5; ++g) {
            EXPECT_EQ(game->GetStartSpeed(g), c.raise);
            EXPECT_EQ(game->GetGroupSpeed(g), float(c.raise));
        }
        EXPECT_EQ(game->GetStartSpeed(5), 40);
        EXPECT_EQ(game->GetGroupSpeed(5), 40.0f);
    }
}

TEST_F(ZooArcadeTest, EachVehicleHasItsSpotlight) {
    const struct {
        uint16_t vehicle;
        int16_t leftMargin;
        uint32_t fireMs;
        int32_t onMs;
        uint16_t art, sound;
    } cases[] = {{2, 75, 1100, 500, 623, 129}, {3, 50, 1000, 750, 223, 130}};
    for (const auto& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        ZooProbe* game = Play(1, c.vehicle);
        PBeam* beam = game->GetBeam();
        ASSERT_NE(beam, nullptr);
        EXPECT_EQ(game->GetLeftMargin(), c.leftMargin);
        EXPECT_EQ(game->GetFireInterval(), c.fireMs);
        EXPECT_EQ(game->GetBeamClock().duration, c.onMs);
        ChunkId art = kNullChunkId;
        beam->GetPartID(&art);
        EXPECT_EQ(art, MakeChunkId(2, c.art));
        EXPECT_EQ(beam->GetLaunchSound(), MakeChunkId(7, c.sound));
        EXPECT_EQ(beam->GetOwner(), game->GetVehicle());
        EXPECT_FALSE(beam->IsVisible());
        EXPECT_TRUE(game->FireClock().HasElapsed()) << "the first shot is allowed at once";
    }
}

TEST_F(ZooArcadeTest, TheBeamGoesOutAloneAndFireInsideTheIntervalDoesNothing) {
    const struct {
        uint16_t vehicle;
        uint32_t onMs, fireMs;
    } cases[] = {{2, 500, 1100}, {3, 750, 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        ZooProbe* game = Play(1, c.vehicle);
        PBeam* beam = game->GetBeam();
        std::vector<uint32_t> lit;
        uint32_t wentOut = 0;
        bool wasOn = false;
        for (uint32_t t = 0; t <= 2400; t += 10) {
            if (t % 50 == 0) game->OnButtonDown();
            if (beam->IsVisible() && !wasOn) lit.push_back(t);
            if (!beam->IsVisible() && wasOn && wentOut == 0) wentOut = t;
            wasOn = beam->IsVisible();
            Frame(10);
        }
        // A click lights the beam only once the interval is over: the first click after it.
        const uint32_t apart = (c.fireMs / 50 + 1) * 50;
        ASSERT_GE(lit.size(), 2u);
        EXPECT_EQ(lit[0], 0u);
        EXPECT_EQ(wentOut, c.onMs + 10) << "out at the first frame past its time";
        for (std::size_t i = 1; i < lit.size(); ++i) EXPECT_EQ(lit[i] - lit[i - 1], apart);
    }
}

TEST_F(ZooArcadeTest, MonkeysStartOnTheChosenVinesWithOffsetsNeverRepeatedAndAtMostSeven) {
    const struct {
        int vines;
        unsigned seed;
    } cases[] = {{3, 1}, {6, 7}, {30, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.vines) + " vines");
        std::srand(c.seed);
        const std::vector<int32_t> expected = ZooVineChooser::StartingVines(c.vines);
        std::srand(c.seed);
        ZooProbe* game = Play(1, 2, c.vines);
        const int32_t active = game->ActiveMonkeys().Count();
        EXPECT_EQ(active, std::min<int32_t>(int32_t(expected.size()), 7));
        float lastY = 0.0f;
        for (int32_t i = 0; i < active; ++i) {
            Zoo_Arcade_Monkey* monkey = game->ActiveMonkeys().GetAt(i);
            const Zoo_Arcade_Vine* vine = game->Vines().GetAt(expected[size_t(i)]);
            EXPECT_EQ(monkey->GetVineId(), int16_t(vine->GetObjectId()));
            EXPECT_EQ(monkey->GetPosition().x, vine->GetPosition().x);
            const float offset = monkey->GetPosition().y - vine->GetPosition().y;
            EXPECT_TRUE(offset == -28.0f || offset == 32.0f || offset == 103.0f) << offset;
            if (i > 0) {
                EXPECT_NE(monkey->GetPosition().y, lastY) << "the same offset twice running";
            }
            lastY = monkey->GetPosition().y;
            EXPECT_TRUE(monkey->IsVisible());
            EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kSwingPause);
        }
        EXPECT_GE(game->GetCurrentVine(), 0);
        EXPECT_LT(game->GetCurrentVine(), c.vines);
    }
}

TEST_F(ZooArcadeTest, AJungleWithoutVinesHasNoMonkeysAndPlaysOn) {
    ZooProbe* game = Play(1, 2, 0);
    EXPECT_EQ(game->ActiveMonkeys().Count(), 0);
    EXPECT_EQ(game->GetCurrentVine(), -1);
    for (int i = 0; i < 100; ++i) {
        if (i % 20 == 0) game->OnButtonDown();
        Frame(16);
    }
    EXPECT_EQ(game->Monkeys().Count(), 0);
    EXPECT_NE(traced().find("no vines, so no monkeys"), std::string::npos);
}

TEST_F(ZooArcadeTest, ALitMonkeyIsHitOnceAndDropsOneThing) {
    ZooProbe* game = Play(1, 2);
    Zoo_Arcade_Monkey* monkey = MonkeyInBeam();
    game->Shoot();
    ASSERT_TRUE(game->GetBeam()->IsVisible());
    game->BeamTest();
    game->BeamTest();
    EXPECT_TRUE(monkey->IsHit());
    EXPECT_EQ(monkey->GetBehaviourState(), Zoo_Arcade_Monkey::kHit);
    EXPECT_EQ(game->LiveItems().Count() + game->LiveTokens().Count(), 1);
    // Lit again after the interval, it drops nothing more.
    Frame(1200);
    monkey->SetPosition(game->GetBeam()->GetPosition(), 0, 1);
    game->Shoot();
    game->BeamTest();
    EXPECT_EQ(game->LiveItems().Count() + game->LiveTokens().Count(), 1);
}

TEST_F(ZooArcadeTest, TheTokenRuleHoldsAtItsBounds) {
    const struct {
        uint16_t level;
        uint16_t left;
        bool mayDrop;
    } cases[] = {{1, 1, false}, {1, 3, false}, {1, 4, true}, {3, 7, false}, {3, 8, true}, {3, 20, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE("left " + std::to_string(c.left));
        ZooProbe* game = Play(c.level);
        Zoo_Arcade_Monkey* monkey = game->ActiveMonkeys().GetAt(0);
        const uint16_t tokens = game->GetTokensLeft();
        for (unsigned seed = 1; seed <= 20; ++seed) {
            std::srand(seed);
            const bool model = c.mayDrop && std::rand() % (c.left - 1) + 1 <= game->GetTokensLeft();
            std::srand(seed);
            const uint16_t before = game->GetTokensLeft();
            const bool dropped = game->MaybeDropToken(monkey, c.left) != nullptr;
            EXPECT_EQ(dropped, model && before > 0 && before < c.left) << seed;
            EXPECT_EQ(game->GetTokensLeft(), before - (dropped ? 1 : 0));
        }
        EXPECT_LE(tokens - game->GetTokensLeft(), int(tokens));
    }
}

TEST_F(ZooArcadeTest, AThrownItemRisesThenFallsAndLandingNeverCounts) {
    ZooProbe* game = Play(1, 2);
    ThrowItems(1);
    Zoo_Arcade_GoalItem* item = game->LiveItems().GetAt(0);
    EXPECT_EQ(item->GetVelocity().y, GAZoo_Activity::kThrowUp);
    EXPECT_TRUE(item->IsVisible());
    EXPECT_EQ(item->GetPriority(), Zoo_Arcade_GoalItem::kPriority);
    float y = item->GetPosition().y, top = y;
    bool fell = false;
    for (int i = 0; i < 200 && game->LiveItems().Count() == 1; ++i) {
        clock().Advance(16);
        item->OnIdle();
        const float now = item->GetPosition().y;
        game->OnIdle();
        if (now > y) {
            fell = true;
        } else {
            EXPECT_FALSE(fell) << "an item that falls never rises again";
        }
        top = std::min(top, now);
        y = now;
    }
    EXPECT_TRUE(fell);
    EXPECT_LT(top, game->ActiveMonkeys().GetAt(0)->GetPosition().y + 1.0f);
    EXPECT_EQ(game->LiveItems().Count(), 0) << "it landed at the stage's bottom";
    EXPECT_EQ(game->PendingRemovals(), 0) << "deleted after the frame";
    EXPECT_EQ(game->GetItemsLeft(), 10);
    EXPECT_EQ(game->GetCaught(), 0);
}

TEST_F(ZooArcadeTest, AGoalItemIsThrownAndFallsAtThePositionsOfTheModelEveryFrame) {
    ZooProbe* game = Play(1, 2); // the view stands; group 2 runs 60 px/s
    Zoo_Arcade_Monkey* monkey = game->ActiveMonkeys().GetAt(0);
    while (game->GetTokensLeft() > 0) game->MaybeDropToken(monkey, 20); // no token comes first now
    const float drift = game->GetGroupSpeed(2) - game->GetGroupSpeed(5);
    ASSERT_EQ(drift, 60.0f);
    for (unsigned seed : {2u, 9u, 31u}) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        float vx = float(std::rand() % 200) - drift - 100.0f, vy = -75.0f;
        std::srand(seed);
        game->Drop(monkey);
        Zoo_Arcade_GoalItem* item = game->LiveItems().GetAt(game->LiveItems().Count() - 1);
        float x = monkey->GetPosition().x, y = monkey->GetPosition().y;
        ASSERT_EQ(item->GetPosition(), CPointF(x, y)) << "thrown from the monkey";
        ASSERT_EQ(item->GetVelocity().x, vx);
        ASSERT_EQ(item->GetVelocity().y, vy);
        // Each 20 ms the pull of 500 px/s/s adds 10 px/s downward, then the item moves.
        bool rose = false;
        for (int f = 0; f < 60; ++f) {
            clock().Advance(20);
            item->OnIdle();
            vy += 500.0f * 0.02f;
            x += vx * 0.02f;
            y += vy * 0.02f;
            rose = rose || vy < 0.0f;
            EXPECT_NEAR(item->GetPosition().x, x, 0.01f) << "frame " << f;
            EXPECT_NEAR(item->GetPosition().y, y, 0.01f) << "frame " << f;
            EXPECT_NEAR(item->GetVelocity().y, vy, 0.001f) << "frame " << f;
        }
        EXPECT_TRUE(rose) << "up first";
        EXPECT_GT(y, monkey->GetPosition().y + 100.0f) << "then down";
    }
}

/// The zoo with its sound and message processes on the null sound device.
class ZooArcadeSoundTest : public ZooArcadeTest {
protected:
    void SetUp() override {
        withProcesses_ = true;
        ZooArcadeTest::SetUp();
    }
};

TEST_F(ZooArcadeSoundTest, LinesFourToTenAreDroppedWhileALineIsQueued) {
    ExpectLinesQueuedBehindAnother(*Play(1), {{0, true}, {3, true}, {4, false}, {6, false}, {8, false}, {10, false},
                                              {11, true}, {13, true}, {14, false}});
}

TEST_F(ZooArcadeSoundTest, TheStartPanelGoingPutsOnTheZoosMusic) {
    OMusicProcess* music = CTLVApp::Get()->GetMusic();
    ASSERT_NE(music, nullptr);
    music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, 7});
    Arcade_Game* game = Play(1);
    ASSERT_TRUE(music->GetSnippetData().has_value());
    EXPECT_EQ(music->GetSnippetData()->firstEntry, 581) << "the start panel closed";
    // The start panel's hook (a click on it, its time-out) starts the music while it shows.
    music->Stop();
    music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, 7});
    game->OnPanelDismissed(Arcade_Activity::kStartPanel - 1);
    EXPECT_EQ(music->GetSnippetData()->firstEntry, 7) << "another panel leaves the music";
    game->OnPanelDismissed(Arcade_Activity::kStartPanel);
    ASSERT_TRUE(music->GetSnippetData().has_value());
    EXPECT_EQ(music->GetSnippetData()->firstEntry, 581);
}

TEST_F(ZooArcadeSoundTest, LandedItemsSoundByTheirArt) {
    const struct {
        uint16_t art, sound;
    } cases[] = {{502, 139}, {504, 132}, {505, 133}, {506, 134}, {507, 834}};
    for (const auto& c : cases)
        ASSERT_TRUE(CTLVApp::Get()->AddSnippet(MakeChunkId(7, c.sound), NewRawSnippet(Bytes(4000, 1))));
    OSoundProcess* sound = CTLVApp::Get()->GetSoundProcess();
    ASSERT_NE(sound, nullptr);
    ZooProbe* game = Play(1);
    ThrowItems(int(std::size(cases)));
    const float bottom = float(game->GetStageHeight());
    std::set<uint16_t> landed;
    while (game->LiveItems().Count() > 0) {
        Zoo_Arcade_GoalItem* item = game->LiveItems().GetAt(0);
        ChunkId art = kNullChunkId;
        item->GetPartID(&art);
        sound->StopAllExcept(0);
        item->SetPosition(CPointF(item->GetPosition().x, bottom + 1.0f), 0, 1);
        game->PassFallenItems();
        // What plays now, among the landing sounds.
        std::vector<uint16_t> playing;
        for (const auto& c : cases) {
            const xSnippet* snippet = CTLVApp::Get()->FindSnippet(MakeChunkId(7, c.sound));
            for (uint32_t pipe = OSoundProcess::kFirstFreePipe; pipe < sound->GetPipeCount(); ++pipe) {
                const SoundChannel* channel = sound->GetChannel(pipe);
                if (channel && !channel->isFree && channel->snippet == snippet) playing.push_back(c.sound);
            }
        }
        const auto expected = std::find_if(std::begin(cases), std::end(cases), [&](const auto& c) { return MakeChunkId(2, c.art) == art; });
        ASSERT_NE(expected, std::end(cases)) << "a falling item of another art";
        EXPECT_EQ(playing, std::vector<uint16_t>{expected->sound}) << "art " << expected->art;
        landed.insert(expected->art);
    }
    EXPECT_EQ(landed.size(), std::size(cases)) << "each piece of clothing landed once";
    EXPECT_EQ(game->GetItemsLeft(), 10) << "landed items never count";
}

TEST_F(ZooArcadeTest, TheLaunchDriftsAgainstTheScenery) {
    ZooProbe* game = Play(2, 2, 6, 30);
    const int32_t drift = int32_t(game->GetGroupSpeed(2) - game->GetGroupSpeed(5));
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::srand(seed);
        const float x = float(std::rand() % 200 - drift - 100);
        std::srand(seed);
        const CPointF v = game->LaunchVelocity();
        EXPECT_EQ(v.x, x);
        EXPECT_EQ(v.y, -75.0f);
    }
}

TEST_F(ZooArcadeTest, TwoItemsCaughtInOnePassAtOneLeftWinOnceAndShowZero) {
    ZooProbe* game = Play(1, 2);
    const uint16_t count = Player().GetActivityCount(kWorld, kArcade);
    const uint16_t hero = Player().GetHeroPoints(kWorld);
    const uint16_t badges = Player().GetBadgeCount(kWorld, kArcade);
    ThrowItems(11);
    OverVehicle(2, 9);
    EXPECT_TRUE(game->CatchTest(game->GetVehicle()));
    EXPECT_EQ(game->GetItemsLeft(), 1);
    EXPECT_EQ(game->GetPanel(Arcade_Game::kResultsPanel), nullptr);
    OverVehicle(0, 2);
    EXPECT_TRUE(game->CatchTest(game->GetVehicle()));
    EXPECT_EQ(game->GetItemsLeft(), 0);
    EXPECT_EQ(game->GetCaught(), 11);
    EXPECT_EQ(Player().GetActivityCount(kWorld, kArcade), count + 1);
    EXPECT_EQ(Player().GetActivityLevel(kWorld, kArcade), 2);
    EXPECT_EQ(Player().GetHeroPoints(kWorld), hero + 1);
    EXPECT_EQ(Player().GetBadgeCount(kWorld, kArcade), badges) << "only tokens raise the badges";
    EXPECT_TRUE(game->IsPanelShown(Arcade_Game::kResultsPanel));
    EXPECT_EQ(game->LiveItems().Count(), 0);
    EXPECT_EQ(game->PendingRemovals(), 11);
    Frame(16);
    EXPECT_EQ(game->PendingRemovals(), 0);
}

TEST_F(ZooArcadeTest, ACaughtTokenRaisesTheBadgesUpToTheirTop) {
    ZooProbe* game = Play(1, 2);
    VFlat* vehicle = game->GetVehicle();
    const uint16_t badges = Player().GetBadgeCount(kWorld, kArcade);
    Arcade_Token* token = game->TakeToken(true);
    game->AddChild(token);
    token->SetVisible(1, 0);
    token->SetPosition(vehicle->GetPosition(), 0, 1);
    EXPECT_TRUE(game->CatchTest(vehicle));
    EXPECT_FALSE(token->IsVisible());
    EXPECT_EQ(token->GetPosition(), CPointF(-100.0f, -100.0f));
    EXPECT_EQ(Player().GetBadgeCount(kWorld, kArcade), badges + 1);
    EXPECT_EQ(game->GetItemsLeft(), 10) << "a token is no item";
}

TEST_F(ZooArcadeTest, TokensCaughtNearTheTopStopTheBadgesAtOneHundredFifty) {
    const struct {
        uint16_t before;
        int tokens;
        uint16_t after;
    } cases[] = {{148, 1, 149}, {149, 1, 150}, {149, 3, 150}, {150, 2, 150}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + " + " + std::to_string(c.tokens));
        const_cast<PlayerRecord&>(Player().Record()).world[kWorld][CPlayer::kBadges] = c.before;
        ZooProbe* game = Play(1, 2);
        for (int t = 0; t < c.tokens; ++t) {
            Arcade_Token* token = game->TakeToken(true);
            ASSERT_NE(token, nullptr);
            game->AddChild(token);
            token->SetVisible(1, 0);
            token->SetPosition(game->GetVehicle()->GetPosition(), 0, 1);
            EXPECT_TRUE(game->CatchTest(game->GetVehicle()));
        }
        EXPECT_EQ(Player().GetBadgeCount(kWorld, kArcade), c.after);
    }
}

TEST_F(ZooArcadeTest, MonkeysFollowTheirVinesAndLetGoOffTheStage) {
    ZooProbe* game = Play(3, 2, 6);
    ASSERT_GT(game->ActiveMonkeys().Count(), 0);
    Zoo_Arcade_Monkey* monkey = game->ActiveMonkeys().GetAt(0);
    const Zoo_Arcade_Vine* vine = monkey->FindVine(monkey->GetVineId());
    ASSERT_NE(vine, nullptr);
    for (int i = 0; i < 10; ++i) {
        Frame(16);
        if (monkey->GetVineId() == int16_t(vine->GetObjectId()) && monkey->GetBehaviourState() == Zoo_Arcade_Monkey::kSwingPause) {
            EXPECT_EQ(monkey->GetPosition().x, vine->GetPosition().x);
        }
    }
    monkey->SetPosition(CPointF(-200.0f, monkey->GetPosition().y), 0, 1);
    monkey->SetVineX(-10000.0f);
    Frame(16);
    for (int32_t i = 0; i < game->ActiveMonkeys().Count(); ++i) EXPECT_NE(game->ActiveMonkeys().GetAt(i), monkey);
    EXPECT_FALSE(monkey->IsVisible());
}

TEST_F(ZooArcadeTest, ButtonsLeaveEarlyOrPlayAgain) {
    const struct {
        uint16_t level;
        int16_t panel, button;
        uint16_t after;
    } cases[] = {{2, CTLVActivity::kPanelMenu, 1, 2},  {2, CTLVActivity::kPanelLeave, 1, 1},
                 {1, CTLVActivity::kPanelLeave, 1, 1}, {3, CTLVActivity::kPanelLeave, 1, 2},
                 {2, CTLVActivity::kPanelLeave, 0, 2}, {2, Arcade_Game::kResultsPanel, 1, 2}};
    for (const auto& c : cases) {
        Play(c.level);
        game_->OnButton(c.panel, c.button);
        EXPECT_EQ(Player().GetActivityLevel(kWorld, kArcade), c.after) << c.level;
    }
}

TEST_F(ZooArcadeTest, StoppingDeletesMonkeysItemsAndTokens) {
    ZooProbe* game = Play(1, 2);
    ThrowItems(2);
    const int32_t children = game->ChildCount();
    const int32_t monkeys = game->Monkeys().Count();
    ASSERT_GT(monkeys, 0);
    game->FlushSoundQueues();
    EXPECT_EQ(game->Monkeys().Count(), 0);
    EXPECT_EQ(game->ActiveMonkeys().Count(), 0);
    EXPECT_EQ(game->LiveItems().Count(), 0);
    EXPECT_EQ(game->TokenPool().Count() + game->LiveTokens().Count(), 0);
    EXPECT_LE(game->ChildCount(), children - monkeys - 2);
}

} // namespace
} // namespace vqt::test
