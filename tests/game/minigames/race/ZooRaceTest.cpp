// The zoo race: what each hit does, which points of a section it keeps and turns into what,
// the beam by lean step and widened under the bonus clock, the closing lines and the drops.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/media/MessageProcess.h"
#include "game/shell/Destructible.h"
#include "game/shell/PBeam.h"
#include "game/shell/PParticle.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/game/minigames/race/ZooRaceFixture.h"

namespace vqt::test {
namespace {

using Race = GRZoo_Activity;

class ZooRaceTest : public ZooRaceFixture {};

TEST_F(ZooRaceTest, EveryHitOfTheTableScoresCountsRetiresOrRemoves) {
    enum Hitter { kVehicle, kBeam, kShot };
    enum Fate { kStays, kRetired, kRemoved };
    struct Row {
        Hitter hitter;
        int32_t kind;
        int32_t state;
        uint16_t part;
        int32_t answer;
        int score, goals;
        Fate fate;
        int32_t stateAfter;
        bool bonus;
        std::set<int> lines;
    };
    const Row rows[] = {
        {kVehicle, Race::kClothes, 0, 712, 1, 1, 0, kRemoved, 0, false, {}},
        {kVehicle, Race::kBadge, 0, 826, 1, 0, 1, kRemoved, 0, false, {}},
        {kVehicle, Race::kObstacle, 0, 387, 1, 0, 0, kRetired, 1, false, {}},
        {kVehicle, Race::kObstacle, 0, kWarningObstacle, 1, 0, 0, kRetired, 1, false, {6, 7}},
        {kVehicle, Race::kObstacle, 1, kWarningObstacle, 1, 0, 0, kStays, 1, false, {}},
        {kVehicle, Race::kFlashlight, 0, 503, 1, 0, 0, kRemoved, 0, true, {9}},
        {kBeam, Race::kClothes, 0, 712, 0, 0, 0, kStays, 0, false, {}},
        {kBeam, Race::kObstacle, 0, 387, 0, 0, 0, kStays, 0, false, {}},
        {kBeam, Race::kFlashlight, 0, 503, 0, 0, 0, kStays, 0, false, {}},
        {kShot, Race::kObstacle, 0, 387, 1, 0, 0, kStays, 0, false, {}},
    };
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        for (const Row& r : rows) {
            const std::string what = "kind " + std::to_string(r.kind) + " part " + std::to_string(r.part) + " state " +
                                     std::to_string(r.state) + " hitter " + std::to_string(int(r.hitter)) + ", seed " +
                                     std::to_string(seed);
            Race* race = StartRace();
            ASSERT_NE(race, nullptr);
            ASSERT_NE(race->GetBeam(), nullptr);
            Destructible obstacle;
            TLV_Object plain;
            TLV_Object* target = r.kind == Race::kObstacle ? static_cast<TLV_Object*>(&obstacle) : &plain;
            PlaceLive(race, target, r.kind, 100.0f, 200.0f, r.state, r.part);
            PParticle shot;
            race->AddChild(&shot);
            OActivityProp* hitter = r.hitter == kVehicle ? race->GetRaceVehicle()
                                    : r.hitter == kBeam  ? static_cast<OActivityProp*>(race->GetBeam())
                                                         : &shot;
            const uint16_t score = race->GetScore(), charges = race->GetChargesLeft(), goals = race->GetGoalCount();
            const size_t spoken = race->SpokenLines().size();
            xSRand(seed);
            const int warn = r.lines.count(6) ? xRand() % 5 : -1;
            xSRand(seed);

            EXPECT_EQ(race->OnObjectHit(hitter, target), r.answer) << what;
            EXPECT_EQ(race->GetScore(), score + r.score) << what;
            EXPECT_EQ(race->GetChargesLeft(), charges) << what << ": the charges stay";
            EXPECT_EQ(race->GetGoalCount(), goals + r.goals) << what;
            EXPECT_EQ(race->IsBonusClockRunning(), r.bonus) << what;
            EXPECT_EQ(target->GetState(), r.stateAfter) << what;
            EXPECT_EQ(race->Track().Objects().IsLive(target), r.fate == kStays) << what;
            EXPECT_EQ(race->Track().Objects().IsRetired(target), r.fate == kRetired) << what;
            for (size_t i = spoken; i < race->SpokenLines().size(); ++i) {
                EXPECT_TRUE(r.lines.count(race->SpokenLines()[i])) << what << ": line " << race->SpokenLines()[i];
            }
            if (warn >= 0) {
                // The seed's draw picks the warning, or none at all.
                for (size_t i = spoken; i < race->SpokenLines().size(); ++i) {
                    EXPECT_EQ(race->SpokenLines()[i], 6 + warn) << what;
                }
            }
            race->Track().Objects().Clear();
            race->RemoveChild(&shot);
            race->RemoveChild(target);
            SwitchTo(kQuietScreen);
        }
    }
}

TEST_F(ZooRaceTest, TheBeamLightsAMonkeyAndMayCallOut) {
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        Race* race = StartRace();
        ASSERT_NE(race, nullptr);
        DRacing monkey(race);
        PlaceLive(race, &monkey, Race::kMonkey, 300.0f, 200.0f, 0, 601);
        xSRand(seed);
        EXPECT_EQ(race->OnObjectHit(race->GetBeam(), &monkey), 1);
        EXPECT_EQ(monkey.GetBehaviourState(), 6) << "the monkey's hit";
        race->Track().Objects().Clear();
        race->RemoveChild(&monkey);
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ZooRaceTest, TheBeamFollowsTheLeanStepAndWidensUnderTheBonusClock) {
    const struct {
        uint16_t vehicle;
        ChunkId part;
    } vehicles[] = {{2, MakeChunkId(2, 1072)}, {3, MakeChunkId(2, 1109)}};
    for (const auto& v : vehicles) {
        Race* race = StartRace(v.vehicle);
        ASSERT_NE(race, nullptr);
        PBeam* beam = race->GetBeam();
        ASSERT_NE(beam, nullptr);
        ChunkId shown = kNullChunkId;
        beam->GetPartID(&shown);
        EXPECT_EQ(shown, v.part);
        EXPECT_EQ(beam->GetPriority(), Race::kBeamPriority);
        EXPECT_EQ(beam->GetState(), Race::kBeamState);
        VFlat* vehicle = race->GetVehicle();
        ASSERT_NE(vehicle, nullptr);
        const struct {
            int toward;
            bool bonus;
        } steps[] = {{+1, false}, {-1, false}, {-1, false}, {+1, true}, {+1, true}};
        for (const auto& s : steps) {
            if (s.bonus) race->StartBonusClock(0);
            Frames(20, 16); // the step interval runs out
            if (s.toward > 0) {
                vehicle->KeyMovePos(0, 0);
                race->OnSteerRight();
            } else {
                vehicle->KeyMoveNeg(0, 0);
                race->OnSteerLeft();
            }
            const int32_t narrow = vehicle->GetStep() + Race::kBeamState;
            EXPECT_EQ(beam->GetState(), narrow + (s.bonus ? Race::kWide : 0))
                << "vehicle " << v.vehicle << " step " << vehicle->GetStep();
        }
        race->OnSteerCentre();
        const int32_t narrow = vehicle->GetStep() + Race::kBeamState;
        race->Fire();
        EXPECT_EQ(beam->GetState(), narrow + Race::kWide) << "the bonus beam fires wide";
        EXPECT_TRUE(beam->IsVisible()) << "fired";
        Frames(300, 16); // the bonus clock runs out
        EXPECT_FALSE(race->IsBonusClockRunning());
        EXPECT_EQ(beam->GetState(), narrow) << "narrow again once the bonus is over";
        race->Fire();
        EXPECT_EQ(beam->GetState(), narrow) << "without the bonus it fires as it stands";
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ZooRaceTest, ASectionKeepsNoClothesNorBadgeAndAtMostOneFlashlight) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        xSRand(seed);
        std::vector<int32_t> kinds;
        const size_t count = size_t(xRand() % 12);
        for (size_t i = 0; i < count; ++i) kinds.push_back(int32_t(xRand() % Race::kKinds));
        const std::vector<int32_t> before = kinds;
        race->ConvertKinds(kinds);
        ASSERT_EQ(kinds.size(), before.size()) << "the zoo turns points, it takes none away";
        int flashlights = 0;
        for (size_t i = 0; i < kinds.size(); ++i) {
            EXPECT_NE(kinds[i], Race::kClothes) << seed;
            EXPECT_NE(kinds[i], Race::kBadge) << seed;
            if (kinds[i] == Race::kFlashlight) ++flashlights;
            if (before[i] == Race::kMonkey || before[i] == Race::kObstacle) {
                EXPECT_EQ(kinds[i], before[i]) << seed;
            }
            if (before[i] != kinds[i]) {
                EXPECT_EQ(kinds[i], Race::kObstacle) << seed;
            }
        }
        EXPECT_LE(flashlights, 1) << seed;
    }
}

TEST_F(ZooRaceTest, TheClosingLinesGoByScore) {
    const struct {
        uint16_t score;
        std::vector<int> lines;
    } cases[] = {{0, {19}}, {1, {15, 16, 17, 18}}, {30, {15, 16, 17, 18}}};
    for (const auto& c : cases) EXPECT_EQ(Race::ClosingLines(c.score), c.lines) << c.score;
}

TEST_F(ZooRaceTest, TheStartSetsUpTheRaceAndTheFinishTakesItsHalves) {
    for (uint16_t level : {1, 2, 3}) {
        Race* race = StartRace(2, level);
        ASSERT_NE(race, nullptr);
        EXPECT_EQ(race->GetRaceWorld(), Race::kWorld);
        EXPECT_EQ(race->GetChargesLeft(), 10 * level + 5);
        ASSERT_NE(race->GetVehicle(), nullptr);
        EXPECT_EQ(race->GetVehicle()->GetNeutralState(), Race::kNeutralState);
        ASSERT_NE(race->GetVehicle()->GetAttachedProp(), nullptr) << "the light for the siren";
        const std::vector<int> intro{0, 1, 2, 3, 4, 5};
        EXPECT_EQ(race->SpokenLines(), intro);
        ASSERT_EQ(race->FinishProps().size(), 6u);
        TLV_Object* half = race->MakeFinishProp(1);
        ASSERT_NE(half, nullptr);
        ChunkId shown = kNullChunkId;
        half->GetPartID(&shown);
        EXPECT_EQ(shown, MakeChunkId(2, 1061));
        EXPECT_EQ(race->FinishProps().size(), 6u) << "taken from the start's";
        SwitchTo(kQuietScreen);
    }
}

TEST_F(ZooRaceTest, AHitMonkeyDropsClothesToScoreOrATokenToCount) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    const struct {
        bool pickup;
        int32_t kind;
        int score, goals;
    } drops[] = {{false, Race::kClothes, 1, 0}, {true, Race::kBadge, 0, 1}};
    for (const auto& d : drops) {
        const CPointF at(250.0f, race->GetScrollOffset().y + 120.0f);
        if (d.pickup) race->DropPickup(at);
        else race->DropRandomItem(at);
        const auto& live = race->Track().Objects().Live();
        ASSERT_FALSE(live.empty());
        OActivityProp* item = live.back().prop;
        EXPECT_EQ(live.back().kind, d.kind);
        EXPECT_EQ(item->GetPosition().x, at.x);
        EXPECT_TRUE(item->IsVisible());
        const uint16_t score = race->GetScore(), goals = race->GetGoalCount();
        race->OnObjectHit(race->GetRaceVehicle(), item);
        EXPECT_EQ(race->GetScore(), score + d.score);
        EXPECT_EQ(race->GetGoalCount(), goals + d.goals);
        EXPECT_FALSE(race->Track().Objects().IsLive(item));
    }
}

TEST_F(ZooRaceTest, PausingSuspendsTheRaceAndItsChildren) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    race->Pause();
    EXPECT_TRUE(race->IsSuspended());
    EXPECT_TRUE(race->GetBeam()->IsSuspended());
    race->Resume();
    EXPECT_FALSE(race->IsSuspended());
    EXPECT_FALSE(race->GetBeam()->IsSuspended());
}

TEST_F(ZooRaceTest, TheBeamStandsAheadOfTheVehicleEveryFrameAsItSteersAndShines) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    PBeam* beam = race->GetBeam();
    VFlat* vehicle = race->GetVehicle();
    ASSERT_NE(beam, nullptr);
    ASSERT_NE(vehicle, nullptr);
    // Right, left, shining, wide under the bonus, back: the beam's place is the vehicle's less
    // the frame point of its shining state, whatever state it shows.
    const struct {
        int toward;
        bool fire, bonus;
    } frames[] = {{+1, false, false}, {+1, true, false}, {0, false, false}, {-1, true, true},
                  {-1, false, true},  {0, true, true},   {+1, false, false}, {0, true, false}};
    for (size_t i = 0; i < std::size(frames); ++i) {
        const auto& f = frames[i];
        if (f.bonus) race->StartBonusClock(0);
        if (f.toward > 0) vehicle->KeyMovePos(0, 0);
        if (f.toward < 0) vehicle->KeyMoveNeg(0, 0);
        if (f.fire) race->Fire();
        for (int frame = 0; frame < 3; ++frame) {
            Frames(1, 16);
            const CPointF point = beam->GetFramePoint(Race::kBeamState, 0);
            EXPECT_EQ(beam->GetPosition().x, vehicle->GetPosition().x - point.x) << i << "." << frame;
            EXPECT_EQ(beam->GetPosition().y, vehicle->GetPosition().y - point.y) << i << "." << frame;
        }
    }
}

TEST_F(ZooRaceTest, TheIntroLinesArePlayedOutWhileTheIntroPanelShows) {
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

} // namespace
} // namespace vqt::test
