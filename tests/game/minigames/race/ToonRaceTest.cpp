// The circus race: what each hit does, which points of a section it keeps and turns into what,
// the sprays along the vehicle's heading, the siren, the closing lines, the buttons and the
// end of a vehicle that keeps moving past the finish.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "engine/base/Random.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "engine/core/ActivityManager.h"
#include "game/shell/Destructible.h"
#include "game/shell/Headings.h"
#include "game/minigames/race/RacePickupFlash.h"
#include "game/shell/PParticle.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/game/minigames/race/ToonRaceFixture.h"

namespace vqt::test {
namespace {

using Race = GRToon_Activity;

class ToonRaceTest : public ToonRaceFixture {};

TEST_F(ToonRaceTest, EveryHitOfTheTableScoresCountsRetiresOrRemoves) {
    enum Hitter { kVehicle, kShot };
    enum Fate { kStays, kRetired, kRemoved };
    struct Row {
        Hitter hitter;
        int32_t kind;
        int32_t state;
        int32_t answer;
        int score, goals, fireworks;
        Fate fate;
        int32_t stateAfter;
        bool bonus;
        std::set<int> lines;
    };
    const Row rows[] = {
        {kVehicle, Race::kFire, 0, 1, 0, 0, 0, kStays, 0, false, {}},
        {kVehicle, Race::kBadge, 0, 1, 0, 1, 0, kRemoved, 0, false, {}},
        {kVehicle, Race::kObstacle, 0, 1, 0, 0, 0, kRetired, 1, false, {}},
        {kVehicle, Race::kObstacle, 1, 1, 0, 0, 0, kStays, 1, false, {}},
        {kVehicle, Race::kBarrel, 0, 1, 0, 0, 0, kRetired, 1, false, {}},
        {kVehicle, Race::kFireworks, 0, 1, 0, 0, 1, kRemoved, 0, true, {11}},
        {kShot, Race::kFire, 0, 1, 1, 0, 0, kRemoved, 0, false, {}},
        {kShot, Race::kFire, 1, 1, 0, 0, 0, kStays, 1, false, {}},
        {kShot, Race::kBadge, 0, 0, 0, 0, 0, kStays, 0, false, {}},
        {kShot, Race::kObstacle, 0, 1, 0, 0, 0, kRetired, 1, false, {}},
        {kShot, Race::kBarrel, 0, 1, 0, 0, 0, kRetired, 1, false, {}},
        {kShot, Race::kBarrel, 1, 1, 0, 0, 0, kStays, 1, false, {}},
        {kShot, Race::kFireworks, 0, 0, 0, 0, 0, kStays, 0, false, {}},
    };
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        for (const Row& r : rows) {
            const std::string what = "kind " + std::to_string(r.kind) + " state " + std::to_string(r.state) +
                                     (r.hitter == kShot ? " by a shot" : " by the vehicle") + ", seed " +
                                     std::to_string(seed);
            Race* race = StartRace();
            ASSERT_NE(race, nullptr);
            ASSERT_NE(race->GetVehicle(), nullptr);
            TLV_Object plain;
            RDestructible barrel;
            TLV_Object* target = r.kind == Race::kBarrel ? static_cast<TLV_Object*>(&barrel) : &plain;
            PlaceLive(race, target, r.kind, 100.0f, 200.0f, r.state);
            PParticle shot;
            race->AddChild(&shot);
            OActivityProp* hitter = r.hitter == kShot ? static_cast<OActivityProp*>(&shot) : race->GetRaceVehicle();
            const uint16_t score = race->GetScore(), charges = race->GetChargesLeft(), goals = race->GetGoalCount();
            const size_t spoken = race->SpokenLines().size();
            xSRand(seed);

            EXPECT_EQ(race->OnObjectHit(hitter, target), r.answer) << what;
            EXPECT_EQ(race->GetScore(), score + r.score) << what;
            EXPECT_EQ(race->GetChargesLeft(), charges) << what << ": the charges stay";
            EXPECT_EQ(race->GetGoalCount(), goals + r.goals) << what;
            EXPECT_EQ(race->GetFireworksPickedUp(), r.fireworks) << what;
            EXPECT_EQ(race->IsBonusClockRunning(), r.bonus) << what;
            EXPECT_EQ(target->GetState(), r.stateAfter) << what;
            const bool live = race->Track().Objects().IsLive(target);
            const bool retired = race->Track().Objects().IsRetired(target);
            EXPECT_EQ(live, r.fate == kStays) << what;
            EXPECT_EQ(retired, r.fate == kRetired) << what;
            if (r.fate == kRetired) {
                EXPECT_TRUE(target->IsVisible()) << what << ": retired, not hidden";
            }
            for (size_t i = spoken; i < race->SpokenLines().size(); ++i) {
                EXPECT_TRUE(r.lines.count(race->SpokenLines()[i])) << what << ": line " << race->SpokenLines()[i];
            }
            if (r.kind == Race::kBarrel && r.hitter == kShot && r.state == 0) {
                EXPECT_EQ(barrel.GetVelocity().x, -300.0f) << "a barrel in the left half flies off to the left";
                EXPECT_EQ(barrel.GetVelocity().y, -500.0f);
                EXPECT_EQ(barrel.GetSpin(), 1000.0f);
            }
            if (r.kind == Race::kFireworks && r.hitter == kVehicle) {
                ASSERT_EQ(race->Flashes().size(), 1u) << what;
                EXPECT_TRUE(race->Flashes()[0]->IsVisible());
                EXPECT_EQ(race->Flashes()[0]->GetPosition().y, race->GetRaceVehicle()->GetPosition().y - 75.0f);
            }
            if (r.kind == Race::kFire && r.hitter == kShot && r.state == 0) {
                ASSERT_EQ(race->SmokePuffs().size(), 1u) << what;
                EXPECT_EQ(race->SmokePuffs()[0]->GetPosition().x, target->GetPosition().x) << "smoke where the fire was";
            }
            race->Track().Objects().Clear();
            race->RemoveChild(&shot);
            race->RemoveChild(target);
            SwitchTo(kQuietScreen);
        }
    }
}

TEST_F(ToonRaceTest, AShotRatIsHitAndMayCallOut) {
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        Race* race = StartRace();
        ASSERT_NE(race, nullptr);
        DRacing rat(race);
        PlaceLive(race, &rat, Race::kRat, 300.0f, 200.0f);
        PParticle shot;
        race->AddChild(&shot);
        const size_t spoken = race->SpokenLines().size();
        xSRand(seed);
        EXPECT_EQ(race->OnObjectHit(&shot, &rat), 1);
        EXPECT_TRUE(race->WasRatHit());
        EXPECT_EQ(rat.GetBehaviourState(), 6) << "the rat's hit";
        for (size_t i = spoken; i < race->SpokenLines().size(); ++i) {
            EXPECT_TRUE(race->SpokenLines()[i] == 6 || race->SpokenLines()[i] == 12);
        }
        race->Track().Objects().Clear();
        race->RemoveChild(&shot);
        race->RemoveChild(&rat);
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ToonRaceTest, ASectionKeepsTwoToFourFiresAtMostOneFireworksAndNoBadge) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    std::vector<std::unique_ptr<TLV_Object>> rats;
    xSRand(7);
    for (int ratsOut : {0, 4, 5, 6}) {
        while (int(rats.size()) < ratsOut) {
            rats.push_back(std::make_unique<TLV_Object>());
            PlaceLive(race, rats.back().get(), Race::kRat, 600.0f, 10.0f);
        }
        for (int trial = 0; trial < 200; ++trial) {
            const size_t n = size_t(xRand() % 12);
            std::vector<CPointF> chosen(n);
            std::vector<int32_t> kinds(n);
            int count[Race::kKinds] = {};
            for (size_t i = 0; i < n; ++i) {
                chosen[i] = CPointF(float(i), float(i));
                kinds[i] = xRand() % Race::kKinds;
                ++count[kinds[i]];
            }
            race->ConvertKinds(chosen, kinds);
            ASSERT_EQ(chosen.size(), kinds.size());
            int after[Race::kKinds] = {};
            for (int32_t k : kinds) ++after[k];
            EXPECT_GE(after[Race::kFire], std::min(count[Race::kFire], 2)) << "fewer than two: all stay";
            EXPECT_LE(after[Race::kFire], std::min(count[Race::kFire], 4));
            EXPECT_EQ(after[Race::kBadge], 0);
            EXPECT_LE(after[Race::kFireworks], std::min(count[Race::kFireworks], 1));
            EXPECT_EQ(after[Race::kRat], ratsOut >= 5 ? 0 : count[Race::kRat]) << ratsOut << " rats out";
            EXPECT_EQ(after[Race::kObstacle], count[Race::kObstacle]);
            EXPECT_EQ(after[Race::kBarrel], count[Race::kBarrel] + count[Race::kBadge] + count[Race::kFireworks] -
                                                 after[Race::kFireworks]);
        }
    }
    race->Track().Objects().Clear();
    for (auto& rat : rats) race->RemoveChild(rat.get());
}

/// Where a shot fired along heading h from `from` lands, as the race is told to aim.
CPoint16 ShotTarget(const CPointF& from, int32_t h, float range) {
    const CHeading& d = kHeadings[size_t((h % 32 + 32) % 32)];
    return CPoint16(int16_t(from.x + d.x * range), int16_t(from.y + d.y * range));
}

TEST_F(ToonRaceTest, AVolleySpraysAlongTheHeadingAndSevenMoreFollow45MsApart) {
    const struct {
        uint16_t vehicle;
        bool bonus;
        float range;
    } cases[] = {{0, false, 450.0f}, {0, true, 450.0f}, {1, false, 500.0f}, {1, true, 500.0f}};
    for (const auto& c : cases) {
        Race* race = StartRace(c.vehicle);
        ASSERT_NE(race, nullptr);
        VFlat* vehicle = race->GetVehicle();
        ASSERT_NE(vehicle, nullptr);
        vehicle->KeyMovePos(0, 0);
        if (c.bonus) race->StartBonusClock(0);
        CPointF from;
        vehicle->GetAnchorPoint(&from);
        const int32_t heading = vehicle->GetNeutralState() - vehicle->GetStep();
        race->Fire();
        EXPECT_EQ(race->IsBurstThreeWay(), c.bonus);
        EXPECT_EQ(race->GetBurstShotsLeft(), Race::kMoreShots);
        std::vector<CPoint16> expected;
        for (int32_t h = heading - (c.bonus ? 1 : 0); h <= heading + (c.bonus ? 1 : 0); ++h)
            expected.push_back(ShotTarget(from, h, c.range));
        std::vector<CPoint16> aimed;
        std::vector<Vec3> moving;
        for (PParticle* shot : race->Shots()) {
            if (!shot->IsVisible()) continue;
            aimed.push_back(shot->GetTarget());
            moving.push_back(shot->GetVelocity());
        }
        ASSERT_EQ(aimed.size(), expected.size()) << "vehicle " << c.vehicle;
        const float flightMs = c.vehicle == 0 ? 300.0f : 350.0f;
        for (size_t i = 0; i < aimed.size(); ++i) {
            EXPECT_EQ(aimed[i].x, expected[i].x) << i;
            EXPECT_EQ(aimed[i].y, expected[i].y) << i;
            // It flies there in its flight time.
            EXPECT_NEAR(moving[i].x * flightMs / 1000.0f, float(expected[i].x) - from.x, 1.0f) << i;
            EXPECT_NEAR(moving[i].y * flightMs / 1000.0f, float(expected[i].y) - from.y, 1.0f) << i;
        }
        race->Fire();
        EXPECT_EQ(race->GetBurstShotsLeft(), Race::kMoreShots) << "no second volley while one runs";
        for (int more = Race::kMoreShots; more > 0; --more) Frames(3, 16);
        EXPECT_EQ(race->GetBurstShotsLeft(), 0);
        EXPECT_GE(race->Shots().size(), expected.size());
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ToonRaceTest, EachVehiclesSprayPlaysItsOwnSoundAndLandsSilently) {
    const struct {
        uint16_t vehicle;
        ChunkId launch;
    } cases[] = {{0, MakeChunkId(7, 65)}, {1, MakeChunkId(7, 67)}};
    for (const auto& c : cases) {
        Race* race = StartRace(c.vehicle);
        ASSERT_NE(race, nullptr);
        race->StartBonusClock(0);
        race->Fire();
        size_t flying = 0;
        for (PParticle* shot : race->Shots()) {
            if (!shot->IsVisible()) continue;
            ++flying;
            EXPECT_EQ(shot->GetLaunchSound(), c.launch) << "vehicle " << c.vehicle;
            EXPECT_EQ(shot->GetLandingSound(), PParticle::kNoSound) << "vehicle " << c.vehicle;
        }
        EXPECT_EQ(flying, 3u) << "vehicle " << c.vehicle;
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ToonRaceTest, StoppingTheRaceMidVolleyEndsTheVolleyAndDeletesItsShots) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    race->Fire();
    Frames(3, 16);
    ASSERT_GT(race->GetBurstShotsLeft(), 0);
    ASSERT_LT(race->GetBurstShotsLeft(), Race::kMoreShots);
    race->FlushSoundQueues();
    EXPECT_EQ(race->GetBurstShotsLeft(), 0) << "no spray may follow once the race has stopped";
    EXPECT_TRUE(race->Shots().empty());
    SwitchTo(kQuietScreen);
}

TEST_F(ToonRaceTest, TheSirenTogglesTheLightOrTheLightlessPicture) {
    const struct {
        uint16_t vehicle;
        bool light;
    } cases[] = {{0, true}, {1, false}};
    for (const auto& c : cases) {
        Race* race = StartRace(c.vehicle);
        ASSERT_NE(race, nullptr);
        VFlat* vehicle = race->GetVehicle();
        ASSERT_NE(vehicle, nullptr);
        EXPECT_EQ(vehicle->GetAttachedProp() != nullptr, c.light);
        for (int press = 1; press <= 2; ++press) {
            race->OnKey(Race::kKeyCtrl);
            const bool on = press == 1;
            if (c.light) {
                EXPECT_EQ(vehicle->GetAttachedProp()->IsVisible() != 0, on) << press;
            } else {
                EXPECT_EQ(vehicle->GetState(), on ? Race::kLightlessState : Race::kNeutralState) << press;
            }
        }
        race->CreateButtonPanel(Race::kEndPanel);
        race->OnKey(Race::kKeyCtrl);
        if (c.light) {
            EXPECT_FALSE(vehicle->GetAttachedProp()->IsVisible()) << "no siren under a panel";
        } else {
            EXPECT_EQ(vehicle->GetState(), Race::kNeutralState) << "no siren under a panel";
        }
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ToonRaceTest, AfterEveryPanelTheSirensLightOrPictureAgreesWithItsSound) {
    // The light, or the lightless vehicle's own picture, shows while the siren sounds on pipe 8.
    auto shown = [](VFlat* vehicle) {
        OActivityProp* light = vehicle->GetAttachedProp();
        return light ? light->IsVisible() != 0 : vehicle->GetState() == Race::kLightlessState;
    };
    auto sounding = [this] { return xSound_IsPlaying(app->GetSoundProcess()->GetChannel(8)) != 0; };
    const int16_t panels[] = {Race::kPanelMenu, Race::kPanelQuit, Race::kPanelNewCar, Race::kPanelLeave,
                              Race::kIntroPanel};
    for (const uint16_t vehicleNumber : {0, 1}) {
        for (const int16_t panel : panels) {
            SCOPED_TRACE(testing::Message() << "vehicle " << vehicleNumber << ", panel " << panel);
            Race* race = StartRace(vehicleNumber);
            ASSERT_NE(race, nullptr);
            VFlat* vehicle = race->GetVehicle();
            ASSERT_NE(vehicle, nullptr);
            race->OnKey(Race::kKeyCtrl);
            ASSERT_TRUE(shown(vehicle) && sounding()) << "the siren is on in play";
            race->CreateButtonPanel(panel);
            EXPECT_FALSE(shown(vehicle)) << "no siren shows under the panel";
            EXPECT_FALSE(sounding()) << "no siren sounds under the panel";
            race->HidePanel(panel, 1);
            ASSERT_FALSE(race->IsPanelShown(-1));
            EXPECT_EQ(shown(vehicle), sounding()) << "after the panel the siren shows as it sounds";
            race->OnKey(Race::kKeyCtrl);
            EXPECT_TRUE(shown(vehicle) && sounding()) << "the first CTRL after the panel turns the siren on";
            SwitchTo(kQuietScreen);
        }
    }
}

TEST_F(ToonRaceTest, TheClosingLinesGoByScoreAndTheLevelPlayed) {
    const struct {
        uint16_t score;
        int32_t level;
        std::vector<int> lines;
    } cases[] = {{0, 1, {18, 17}}, {5, 1, {16, 17}}, {1, 2, {16, 17}}, {0, 3, {18, 19}}, {9, 3, {16, 19}}};
    for (const auto& c : cases) EXPECT_EQ(Race::ClosingLines(c.score, c.level), c.lines) << c.score << " " << c.level;
}

TEST_F(ToonRaceTest, TheButtonsLeaveEarlyOrRequestTheTownOrTheRaceAgain) {
    const struct {
        int16_t panel, button;
        uint16_t levelBefore, levelAfter;
        ChunkId requested;
    } cases[] = {
        // The menu's leave button only asks; yes costs the level, no keeps it.
        {0, 1, 2, 2, kNullChunkId}, {6, 1, 2, 1, Race::kTown}, {6, 1, 1, 1, Race::kTown},
        {6, 0, 2, 2, kNullChunkId}, {3, 0, 2, 2, Race::kTown}, {3, 1, 2, 2, Race::kSelf},
    };
    for (const auto& c : cases) {
        Race* race = StartRace(0, c.levelBefore);
        ASSERT_NE(race, nullptr);
        race->CreateButtonPanel(c.panel);
        race->OnButton(c.panel, c.button);
        EXPECT_EQ(app->GetPlayer()->GetActivityLevel(0, Race::kRaceGame), c.levelAfter) << c.panel << "," << c.button;
        EXPECT_EQ(manager->IsSwitchPending(), c.requested != kNullChunkId) << c.panel << "," << c.button;
        if (c.requested != kNullChunkId) {
            EXPECT_EQ(manager->GetPendingId(), c.requested) << c.panel << "," << c.button;
        }
        SwitchTo(kQuietScreen);
        while (app->GetPlayer()->GetActivityLevel(0, Race::kRaceGame) > 1) app->GetPlayer()->DecActivityLevel(0, 4);
    }
}

TEST_F(ToonRaceTest, TheStartSetsUpTheRaceAndOpensTheIntro) {
    for (uint16_t level : {1, 2, 3}) {
        app->GetPlayer()->SetSelectedVehicle(0);
        while (app->GetPlayer()->GetActivityLevel(0, Race::kRaceGame) < level) app->GetPlayer()->IncActivityLevel(0, 4);
        SwitchTo(kRaceScreen);
        auto* race = dynamic_cast<Race*>(CurrentGameActivity());
        ASSERT_NE(race, nullptr);
        EXPECT_EQ(race->GetChargesLeft(), 10 * level + 5);
        EXPECT_TRUE(race->IsPanelShown(Race::kIntroPanel));
        EXPECT_EQ(race->GetVehicle()->GetNeutralState(), Race::kNeutralState);
        EXPECT_EQ(race->GetVehicle()->GetStepCount(), 1);
        const std::vector<int> intro{0, 1, 2, 3, 4, 5};
        EXPECT_EQ(race->SpokenLines(), intro);
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ToonRaceTest, TheFinishTakesTheHiddenHalvesTheStartMadeBeforeMakingMore) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    ASSERT_EQ(race->FinishProps().size(), 6u) << "three of each side at the start";
    for (int32_t side : {0, 1}) {
        const ChunkId part = MakeChunkId(2, side == 0 ? 940 : 939);
        std::set<TLV_Object*> taken;
        for (int i = 0; i < 4; ++i) {
            TLV_Object* prop = race->MakeFinishProp(side);
            ASSERT_NE(prop, nullptr);
            ChunkId shown = kNullChunkId;
            prop->GetPartID(&shown);
            EXPECT_EQ(shown, part) << "side " << side;
            EXPECT_FALSE(prop->IsVisible());
            EXPECT_TRUE(taken.insert(prop).second) << "a shown half is not taken again";
            prop->SetVisible(1, 0);
        }
    }
    EXPECT_EQ(race->FinishProps().size(), 8u) << "a fourth of each side is made anew";
}

TEST_F(ToonRaceTest, AHitRatDropsABadgeThatCountsAsAGoal) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    const CPointF at(250.0f, race->GetScrollOffset().y + 120.0f);
    race->MakeRacerEffect(at);
    const auto& live = race->Track().Objects().Live();
    ASSERT_FALSE(live.empty());
    OActivityProp* badge = live.back().prop;
    EXPECT_EQ(live.back().kind, Race::kBadge);
    EXPECT_EQ(badge->GetPosition().x, at.x);
    EXPECT_EQ(badge->GetPosition().y, at.y);
    EXPECT_TRUE(badge->IsVisible());
    const uint16_t goals = race->GetGoalCount();
    race->OnObjectHit(race->GetRaceVehicle(), badge);
    EXPECT_EQ(race->GetGoalCount(), goals + 1);
    EXPECT_FALSE(race->Track().Objects().IsLive(badge));
}

/// A shot or a barrel in flight as the test models it: each frame the velocity takes the
/// acceleration's share of the frame, then the place the velocity's.
struct FlightModel {
    CPointF at;
    Vec3 velocity;
    Vec3 acceleration;

    void Step(uint32_t ms) {
        const float seconds = float(ms) / 1000.0f;
        velocity = Vec3(velocity.x + acceleration.x * seconds, velocity.y + acceleration.y * seconds, 0.0f);
        at = CPointF(at.x + velocity.x * seconds, at.y + velocity.y * seconds);
    }
};

TEST_F(ToonRaceTest, EachShotOfAVolleyFliesAlongItsHeadingFrameByFrame) {
    constexpr uint32_t kFrame = 16;
    constexpr int kFramesFollowed = 12;
    const struct {
        uint16_t vehicle;
        int lean; // lean steps: -1 left, 0 none, +1 right
        bool bonus;
    } cases[] = {{0, 0, false}, {0, 1, false}, {0, -1, true}, {1, 0, true}, {1, 1, true}, {1, -1, false}};
    for (const auto& c : cases) {
        const std::string what = "vehicle " + std::to_string(c.vehicle) + " lean " + std::to_string(c.lean) +
                                 (c.bonus ? " three-way" : " single");
        Race* race = StartRace(c.vehicle);
        ASSERT_NE(race, nullptr);
        VFlat* vehicle = race->GetVehicle();
        ASSERT_NE(vehicle, nullptr);
        if (c.lean > 0) vehicle->KeyMovePos(0, 0);
        if (c.lean < 0) vehicle->KeyMoveNeg(0, 0);
        if (c.bonus) race->StartBonusClock(0);
        CPointF from;
        vehicle->GetAnchorPoint(&from);
        const int32_t heading = Race::kNeutralState - vehicle->GetStep();
        race->Fire();
        std::vector<PParticle*> volley;
        for (PParticle* shot : race->Shots()) {
            if (shot->IsVisible()) volley.push_back(shot);
        }
        const int32_t spread = c.bonus ? 1 : 0;
        ASSERT_EQ(volley.size(), size_t(2 * spread + 1)) << what;
        const float range = c.vehicle == 0 ? 450.0f : 500.0f, flightMs = c.vehicle == 0 ? 300.0f : 350.0f;
        std::vector<FlightModel> models;
        for (int32_t h = heading - spread; h <= heading + spread; ++h) {
            const CHeading& d = kHeadings[size_t((h % 32 + 32) % 32)];
            const float perSecond = range * 1000.0f / flightMs;
            models.push_back({from, Vec3(d.x * perSecond, d.y * perSecond, 0.0f), Vec3()});
        }
        for (int frame = 1; frame <= kFramesFollowed; ++frame) {
            Frames(1, kFrame);
            for (size_t i = 0; i < volley.size(); ++i) {
                models[i].Step(kFrame);
                ASSERT_TRUE(volley[i]->IsVisible()) << what << ": shot " << i << " frame " << frame;
                EXPECT_NEAR(volley[i]->GetPosition().x, models[i].at.x, 0.5f) << what << ": shot " << i << " frame " << frame;
                EXPECT_NEAR(volley[i]->GetPosition().y, models[i].at.y, 0.5f) << what << ": shot " << i << " frame " << frame;
            }
        }
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ToonRaceTest, AShotBarrelFliesOffToItsSideFrameByFrame) {
    constexpr uint32_t kFrame = 16;
    const struct {
        float x;
        float towardX; // the side it flies to
    } cases[] = {{100.0f, -300.0f}, {540.0f, 300.0f}};
    for (const auto& c : cases) {
        Race* race = StartRace();
        ASSERT_NE(race, nullptr);
        RDestructible barrel;
        PlaceLive(race, &barrel, Race::kBarrel, c.x, 150.0f);
        PParticle shot;
        race->AddChild(&shot);
        Frames(1, kFrame); // the barrel stands for a frame: its first step of flight is one frame long
        FlightModel model{barrel.GetPosition(), Vec3(c.towardX, -500.0f, 0.0f), Vec3(0.0f, 750.0f, 0.0f)};
        ASSERT_EQ(race->OnObjectHit(&shot, &barrel), 1);
        EXPECT_EQ(barrel.GetSpin(), 1000.0f);
        for (int frame = 1; frame <= 20; ++frame) {
            Frames(1, kFrame);
            model.Step(kFrame);
            EXPECT_NEAR(barrel.GetPosition().x, model.at.x, 0.5f) << c.x << " frame " << frame;
            EXPECT_NEAR(barrel.GetPosition().y, model.at.y, 0.5f) << c.x << " frame " << frame;
        }
        EXPECT_GT(barrel.GetVelocity().y, -500.0f) << "it falls back";
        race->Track().Objects().Clear();
        race->RemoveChild(&shot);
        race->RemoveChild(&barrel);
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ToonRaceTest, TheIntroLinesArePlayedOutWhileTheIntroPanelShows) {
    SwitchTo(kRaceScreen);
    auto* race = dynamic_cast<Race*>(CurrentGameActivity());
    ASSERT_NE(race, nullptr);
    ASSERT_TRUE(race->IsPanelShown(Race::kIntroPanel));
    OMessageProcess* messages = app->GetMessageProcess();
    ASSERT_NE(messages, nullptr);
    EXPECT_EQ(race->SpokenLines(), (std::vector<int>{0, 1, 2, 3, 4, 5})) << "the intro lines are queued";
    Frames(60, 16);
    EXPECT_TRUE(race->IsPanelShown(Race::kIntroPanel)) << "nobody has started the race";
    EXPECT_EQ(messages->QueueLength(), 0) << "the race paused under its panel does not hold the lines back";
    SwitchTo(kQuietScreen);
}

TEST_F(ToonRaceTest, AVehicleStillMovingPastTheFinishEndsTheRaceOnceTheArrivalBoundRunsOut) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    ASSERT_NE(race->GetVehicle(), nullptr);
    const auto frame = [&] {
        race->GetVehicle()->SetVelocity(Vec3(0, -60, 0), 0); // it never comes to rest
        Frames(1, kFrameMs);
    };
    clock().Advance(uint32_t(race->GetRaceClock().duration));
    for (int n = 0; n < 2000 && !race->IsArriving(); ++n) frame();
    ASSERT_TRUE(race->IsArriving()) << "the finish section comes under the vehicle";
    ASSERT_FALSE(race->HasEnded());
    const uint32_t arrived = clock().TickCount(); // the frame that began the arrival ran at this tick
    while (!race->HasEnded() && clock().TickCount() - arrived <= Race::kArrivalBoundMs + 1000) frame();
    ASSERT_TRUE(race->HasEnded());
    const uint32_t took = clock().TickCount() - arrived;
    EXPECT_GE(took, Race::kArrivalBoundMs) << "a moving vehicle has the whole bound to come to rest";
    EXPECT_LE(took, Race::kArrivalBoundMs + kFrameMs) << "and no longer";
    EXPECT_TRUE(race->IsPanelShown(Race::kEndPanel));
}

} // namespace
} // namespace vqt::test
