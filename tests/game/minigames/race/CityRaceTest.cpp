// The city race: what each hit does, which points of a section it keeps and turns into what,
// the canisters along the vehicle's heading, the drops of a gassed crook, the closing lines,
// the buttons, the spoken lines' skip marks and the engine sound's rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Snippet.h"
#include "game/shell/Destructible.h"
#include "game/shell/Headings.h"
#include "game/shell/PParticle.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/game/minigames/race/CityRaceFixture.h"

namespace vqt::test {
namespace {

class CityRaceTest : public CityRaceFixture {
protected:
    void FlushLines() { app->GetMessageProcess()->FlushMessages(); }
    int32_t LiveOfKind(Race* race, int32_t kind) { return race->Track().Objects().CountOfKind(kind, Race::kKinds); }
};

/// What the first draw of a seed says, as the race reads it.
enum class Draw { kNone, kOneInEight, kOneInFour, kCrookLine };

std::set<int> ExpectedLines(Draw draw, uint32_t seed) {
    xSRand(seed);
    const int32_t r = xRand();
    switch (draw) {
    case Draw::kOneInEight: return (r & 7) == 0 ? std::set<int>{4} : std::set<int>{};
    case Draw::kCrookLine: {
        const int lines[] = {6, 8, 10, 11, 12};
        return r % 10 < 5 ? std::set<int>{lines[r % 10]} : std::set<int>{};
    }
    default: return {};
    }
}

TEST_F(CityRaceTest, EveryHitOfTheTableScoresCountsRetiresOrRemoves) {
    enum Hitter { kVehicle, kShot };
    enum Fate { kStays, kRetired, kRemoved };
    struct Row {
        Hitter hitter;
        int32_t kind;
        int32_t state;
        int32_t answer;
        int score, goals;
        Fate fate;
        int32_t stateAfter;
        bool bonus;
        std::set<uint16_t> sounds;
        Draw draw;
        int crooksOut;
    };
    const Row rows[] = {
        {kVehicle, Race::kCrookJunk, 0, 1, 0, 0, kRetired, 1, false, {}, Draw::kNone, 0},
        {kVehicle, Race::kCrookJunk, 1, 1, 0, 0, kStays, 1, false, {}, Draw::kNone, 0},
        {kVehicle, Race::kLoot, 0, 1, 1, 0, kRemoved, 0, false, {184}, Draw::kNone, 0},
        {kVehicle, Race::kToken, 0, 1, 0, 1, kRemoved, 0, false, {}, Draw::kNone, 0},
        {kVehicle, Race::kJunk, 0, 1, 0, 0, kRetired, 1, false, {}, Draw::kOneInEight, 0},
        {kVehicle, Race::kJunk, 1, 1, 0, 0, kStays, 1, false, {}, Draw::kNone, 0},
        {kVehicle, Race::kBumpable, 0, 1, 0, 0, kRetired, 1, false, {}, Draw::kOneInEight, 0},
        {kVehicle, Race::kPowerUp, 0, 1, 0, 0, kRemoved, 0, true, {5}, Draw::kNone, 0},
        {kVehicle, Race::kCrook, 0, 1, 0, 0, kStays, 0, false, {}, Draw::kNone, 0},
        {kShot, Race::kCrookJunk, 0, 1, 0, 0, kStays, 1, false, {}, Draw::kNone, 1},
        {kShot, Race::kCrookJunk, 1, 1, 0, 0, kStays, 1, false, {}, Draw::kNone, 0},
        {kShot, Race::kLoot, 0, 0, 0, 0, kStays, 0, false, {}, Draw::kNone, 0},
        {kShot, Race::kToken, 0, 0, 0, 0, kStays, 0, false, {}, Draw::kNone, 0},
        {kShot, Race::kJunk, 0, 1, 0, 0, kRetired, 1, false, {}, Draw::kOneInFour, 0},
        {kShot, Race::kJunk, 1, 1, 0, 0, kStays, 1, false, {}, Draw::kNone, 0},
        {kShot, Race::kBumpable, 0, 1, 0, 0, kRetired, 1, false, {}, Draw::kOneInFour, 0},
        {kShot, Race::kPowerUp, 0, 0, 0, 0, kStays, 0, false, {}, Draw::kNone, 0},
        {kShot, Race::kCrook, 0, 1, 0, 0, kStays, 6, false, {}, Draw::kCrookLine, 0},
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
            Destructible junk;
            DRacing crook(race);
            TLV_Object* target = &plain;
            if (r.kind == Race::kJunk || r.kind == Race::kBumpable) target = &junk;
            if (r.kind == Race::kCrook) target = &crook;
            PlaceLive(race, target, r.kind, 100.0f, 200.0f, r.state, r.kind == Race::kCrook ? kCrookParts[0] : kJunkPart);
            if (r.kind == Race::kCrook) crook.SetBehaviourState(r.state);
            PParticle shot;
            race->AddChild(&shot);
            OActivityProp* hitter = r.hitter == kShot ? static_cast<OActivityProp*>(&shot) : race->GetRaceVehicle();
            const uint16_t score = race->GetScore(), charges = race->GetChargesLeft(), goals = race->GetGoalCount();
            const int32_t tokens = LiveOfKind(race, Race::kToken), crooks = LiveOfKind(race, Race::kCrook);
            FlushLines();
            StopSounds();
            const size_t spoken = race->SpokenLines().size();
            const bool tokenDrop = r.draw == Draw::kOneInFour && (xSRand(seed), xRand() % 4 == 0);
            xSRand(seed);

            EXPECT_EQ(race->OnObjectHit(hitter, target), r.answer) << what;
            EXPECT_EQ(race->GetScore(), score + r.score) << what;
            EXPECT_EQ(race->GetChargesLeft(), charges) << what << ": the charges stay";
            EXPECT_EQ(race->GetGoalCount(), goals + r.goals) << what;
            EXPECT_EQ(race->IsBonusClockRunning(), r.bonus) << what;
            if (r.kind == Race::kCrook) {
                EXPECT_EQ(crook.GetBehaviourState(), r.stateAfter) << what;
            } else {
                EXPECT_EQ(target->GetState(), r.stateAfter) << what;
            }
            const bool live = race->Track().Objects().IsLive(target);
            const bool retired = race->Track().Objects().IsRetired(target);
            EXPECT_EQ(live, r.fate == kStays) << what;
            EXPECT_EQ(retired, r.fate == kRetired) << what;
            if (r.fate == kRetired) {
                EXPECT_TRUE(target->IsVisible()) << what << ": retired, not hidden";
            }
            EXPECT_EQ(RaceSoundsPlaying(*race), r.sounds) << what;
            const std::set<int> lines(race->SpokenLines().begin() + long(spoken), race->SpokenLines().end());
            EXPECT_EQ(lines, ExpectedLines(r.draw, seed)) << what;
            EXPECT_EQ(LiveOfKind(race, Race::kToken) - tokens, r.goals ? -1 : tokenDrop ? 1 : 0) << what;
            EXPECT_EQ(LiveOfKind(race, Race::kCrook) - crooks, r.crooksOut) << what;
            if (tokenDrop) {
                const OActivityProp* token = race->Track().Objects().Live().back().prop;
                EXPECT_EQ(token->GetPosition().x, target->GetPosition().x) << what;
                EXPECT_EQ(token->GetPosition().y, target->GetPosition().y + Race::kTokenDrop) << what << ": just below";
            }
            if (r.crooksOut) {
                const OActivityProp* out = race->Track().Objects().Live().back().prop;
                EXPECT_TRUE(out->IsA(DRacing::kClassId)) << what;
                EXPECT_EQ(out->GetPosition().x, target->GetPosition().x) << what << ": where the junk stood";
                EXPECT_TRUE(out->IsVisible()) << what;
            }
            race->Track().Objects().Clear();
            race->RemoveChild(&shot);
            race->RemoveChild(target);
            SwitchTo(kQuietScreen);
        }
    }
}

TEST_F(CityRaceTest, ASectionKeepsCrookJunkForTheChargesLeftAtMostOnePowerUpAndNothingThatComesOutOfJunk) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    const int32_t charges = race->GetChargesLeft();
    std::vector<std::unique_ptr<TLV_Object>> out;
    xSRand(11);
    for (int crookJunkOut : {0, 10, 14, 15, 20}) {
        while (int(out.size()) < crookJunkOut) {
            out.push_back(std::make_unique<TLV_Object>());
            PlaceLive(race, out.back().get(), Race::kCrookJunk, 600.0f, 10.0f);
        }
        const int32_t room = std::max(charges - crookJunkOut, 0);
        for (int trial = 0; trial < 200; ++trial) {
            const size_t n = size_t(xRand() % 14);
            std::vector<int32_t> kinds(n);
            int count[Race::kKinds] = {};
            for (size_t i = 0; i < n; ++i) {
                kinds[i] = xRand() % Race::kKinds;
                ++count[kinds[i]];
            }
            debug().Clear();
            race->ConvertKinds(kinds);
            ASSERT_EQ(kinds.size(), n);
            int after[Race::kKinds] = {};
            for (int32_t k : kinds) ++after[k];
            const std::string at = std::to_string(crookJunkOut) + " crook junk out, trial " + std::to_string(trial);
            EXPECT_EQ(after[Race::kCrookJunk], std::min(count[Race::kCrookJunk], room)) << at;
            EXPECT_EQ(after[Race::kLoot] + after[Race::kToken] + after[Race::kCrook], 0) << at;
            EXPECT_LE(after[Race::kPowerUp], std::min(count[Race::kPowerUp], 1)) << at;
            EXPECT_EQ(after[Race::kJunk], count[Race::kJunk]) << at;
            EXPECT_EQ(after[Race::kBumpable], int(n) - after[Race::kCrookJunk] - after[Race::kPowerUp] - after[Race::kJunk])
                << at;
            auto times = [&](const std::string& line) {
                int found = 0;
                for (size_t p = traced().find(line); p != std::string::npos; p = traced().find(line, p + 1)) ++found;
                return found;
            };
            EXPECT_EQ(times("Converting goal to bumpable\n"), count[Race::kCrookJunk] - after[Race::kCrookJunk]) << at;
            EXPECT_EQ(times("Removing goal item\n"), after[Race::kCrookJunk]) << at;
            EXPECT_EQ(times("Converting power-up to bumpable\n"), count[Race::kPowerUp] - after[Race::kPowerUp]) << at;
        }
    }
    race->Track().Objects().Clear();
    for (auto& prop : out) race->RemoveChild(prop.get());
}

/// Where a canister thrown along heading h from `from` lands, as the race is told to aim.
CPoint16 ShotTarget(const CPointF& from, int32_t h, float range) {
    const CHeading& d = kHeadings[size_t((h % 32 + 32) % 32)];
    return CPoint16(int16_t(from.x + d.x * range), int16_t(from.y + d.y * range));
}

TEST_F(CityRaceTest, AVolleyFliesAlongTheHeadingLessTheLeanAndFiveMoreFollow45MsApart) {
    const struct {
        uint16_t vehicle;
        int32_t lean; // -1 left, 0 none, 1 right
        bool bonus;
        float range;
        float flightMs;
    } cases[] = {{4, 0, false, 450.0f, 500.0f}, {4, 1, true, 450.0f, 500.0f}, {4, -1, false, 450.0f, 500.0f},
                 {5, 0, true, 500.0f, 400.0f},  {5, -1, true, 500.0f, 400.0f}, {5, 1, false, 500.0f, 400.0f}};
    for (const auto& c : cases) {
        const std::string what = "vehicle " + std::to_string(c.vehicle) + " lean " + std::to_string(c.lean) +
                                 (c.bonus ? " three-way" : "");
        Race* race = StartRace(c.vehicle);
        ASSERT_NE(race, nullptr);
        VFlat* vehicle = race->GetVehicle();
        ASSERT_NE(vehicle, nullptr);
        // The arrow held until the vehicle leans a step; it stays held through the volley.
        const int32_t arrow = c.lean > 0 ? 39 : 37;
        if (c.lean != 0) input().SetKeyDown(arrow, true);
        for (int frame = 0; frame < 30 && c.lean != 0 && vehicle->GetStep() == 0; ++frame) Frames(1, 16);
        ASSERT_EQ(vehicle->GetStep() != 0, c.lean != 0) << what;
        if (c.bonus) race->StartBonusClock(0);
        CPointF from;
        vehicle->GetAnchorPoint(&from);
        const int32_t heading = vehicle->GetNeutralState() - vehicle->GetStep();
        race->Fire();
        EXPECT_EQ(race->IsBurstThreeWay(), c.bonus) << what;
        EXPECT_EQ(race->GetBurstShotsLeft(), Race::kMoreShots) << what;
        std::vector<PParticle*> flying;
        for (PParticle* shot : race->Shots()) {
            if (shot->IsVisible()) flying.push_back(shot);
        }
        const int32_t spread = c.bonus ? 1 : 0;
        ASSERT_EQ(flying.size(), size_t(2 * spread + 1)) << what;
        // The model: straight along its heading from the anchor at range / flight time.
        std::vector<CPointF> velocity;
        for (size_t i = 0; i < flying.size(); ++i) {
            const int32_t h = heading - spread + int32_t(i);
            const CPoint16 target = ShotTarget(from, h, c.range);
            EXPECT_EQ(flying[i]->GetTarget().x, target.x) << what << " shot " << i;
            EXPECT_EQ(flying[i]->GetTarget().y, target.y) << what << " shot " << i;
            EXPECT_EQ(flying[i]->GetLaunchSound(), MakeChunkId(7, 108)) << what;
            EXPECT_EQ(flying[i]->GetLandingSound(), MakeChunkId(7, 779)) << what;
            const CHeading& d = kHeadings[size_t((h % 32 + 32) % 32)];
            velocity.emplace_back(d.x * c.range * 1000.0f / c.flightMs, d.y * c.range * 1000.0f / c.flightMs);
        }
        std::vector<CPointF> start;
        for (PParticle* shot : flying) start.push_back(shot->GetPosition());
        for (size_t i = 0; i < flying.size(); ++i) {
            EXPECT_EQ(start[i].x, from.x) << what;
            EXPECT_EQ(start[i].y, from.y) << what;
        }
        // Each frame every shot of the first volley lies where the model puts it.
        for (int frame = 1; frame <= 2; ++frame) {
            Frames(1, 16);
            const float t = float(frame * 16) / 1000.0f;
            for (size_t i = 0; i < flying.size(); ++i) {
                EXPECT_NEAR(flying[i]->GetPosition().x, start[i].x + velocity[i].x * t, 0.01f) << what << " frame " << frame;
                EXPECT_NEAR(flying[i]->GetPosition().y, start[i].y + velocity[i].y * t, 0.01f) << what << " frame " << frame;
            }
        }
        const size_t made = race->Shots().size();
        for (int more = 0; more < Race::kMoreShots + 1 && race->GetBurstShotsLeft() > 0; ++more) {
            const int32_t left = race->GetBurstShotsLeft();
            race->Fire();
            EXPECT_EQ(race->GetBurstShotsLeft(), left) << what << ": no second volley while one runs";
            Frames(3, 16);
        }
        EXPECT_EQ(race->GetBurstShotsLeft(), 0) << what;
        EXPECT_GE(race->Shots().size(), made) << what;
        if (c.lean != 0) input().SetKeyDown(arrow, false);
        SwitchTo(kQuietScreen);
    }
}

TEST_F(CityRaceTest, AGassedCrookDropsATokenOneTimeInFourElseLootWhileChargesExceedTheLootOut) {
    int tokens = 0, loot = 0;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        Race* race = StartRace();
        ASSERT_NE(race, nullptr);
        DRacing crook(race);
        PlaceLive(race, &crook, Race::kCrook, 320.0f, 120.0f, 0, kCrookParts[0]);
        PParticle shot;
        race->AddChild(&shot);
        xSRand(seed);
        race->OnObjectHit(&shot, &crook);
        ASSERT_EQ(crook.GetBehaviourState(), 6);
        const int32_t before[2] = {LiveOfKind(race, Race::kToken), LiveOfKind(race, Race::kLoot)};
        for (int i = 0; i < 30 && !crook.HasDropped(); ++i) Frames(1, 16);
        ASSERT_TRUE(crook.HasDropped()) << "seed " << seed;
        const int32_t newTokens = LiveOfKind(race, Race::kToken) - before[0];
        const int32_t newLoot = LiveOfKind(race, Race::kLoot) - before[1];
        EXPECT_EQ(newTokens + newLoot, 1) << "one item in a crook's life, seed " << seed;
        tokens += newTokens;
        loot += newLoot;
        // Hit again: nothing more.
        race->OnObjectHit(&shot, &crook);
        Frames(10, 16);
        EXPECT_EQ(LiveOfKind(race, Race::kToken) + LiveOfKind(race, Race::kLoot) - before[0] - before[1], 1) << seed;
        race->Track().Objects().Clear();
        race->RemoveChild(&shot);
        race->RemoveChild(&crook);
        SwitchTo(kQuietScreen);
    }
    EXPECT_GT(tokens, 0);
    EXPECT_GT(loot, tokens) << "loot three times in four";
}

TEST_F(CityRaceTest, LootDropsOnlyWhileTheChargesLeftExceedTheLootOut) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    const int32_t charges = race->GetChargesLeft();
    const CPointF at(200.0f, race->GetScrollOffset().y + 100.0f);
    for (int32_t i = 0; i < charges + 3; ++i) race->DropRandomItem(at);
    EXPECT_EQ(LiveOfKind(race, Race::kLoot), charges) << "no more loot out than charges left";
    const OActivityProp* last = race->Track().Objects().Live().back().prop;
    EXPECT_EQ(last->GetPosition().x, at.x);
    EXPECT_EQ(last->GetPosition().y, at.y);
    TLV_Object probe;
    PlaceLive(race, &probe, Race::kJunk, at.x, at.y - race->GetScrollOffset().y);
    probe.UpdateZOrder();
    EXPECT_EQ(last->GetPriority(), probe.GetPriority() + Race::kDropPriority) << "drawn 50 above its place";
    race->DropToken(at);
    EXPECT_EQ(LiveOfKind(race, Race::kToken), 1);
    const OActivityProp* token = race->Track().Objects().Live().back().prop;
    const uint16_t goals = race->GetGoalCount();
    race->OnObjectHit(race->GetRaceVehicle(), const_cast<OActivityProp*>(token));
    EXPECT_EQ(race->GetGoalCount(), goals + 1) << "a dropped token counts as a goal";
    race->Track().Objects().Clear();
    race->RemoveChild(&probe);
}

TEST_F(CityRaceTest, TheClosingLinesGoByScoreWhateverTheLevel) {
    const struct {
        uint16_t score;
        std::vector<int> lines;
    } cases[] = {{0, {16}}, {1, {14, 15}}, {25, {14, 15}}};
    for (const auto& c : cases) EXPECT_EQ(Race::ClosingLines(c.score), c.lines) << c.score;
}

TEST_F(CityRaceTest, TheButtonsLeaveEarlyButton3TooOrRequestTheTownOrTheRaceAgain) {
    const struct {
        int16_t panel, button;
        uint16_t levelBefore, levelAfter;
        ChunkId requested;
    } cases[] = {
        // The menu's leave and quit buttons only ask; yes to either costs the level, no keeps it.
        {0, 1, 2, 2, kNullChunkId}, {0, 3, 3, 3, kNullChunkId}, {6, 1, 2, 1, Race::kTown}, {6, 1, 1, 1, Race::kTown},
        {6, 0, 2, 2, kNullChunkId}, {1, 1, 3, 2, kNullChunkId}, {1, 1, 1, 1, kNullChunkId}, {1, 0, 3, 3, kNullChunkId},
        {3, 0, 2, 2, Race::kTown},  {3, 1, 2, 2, Race::kSelf},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.panel) + "," + std::to_string(c.button) + " at level " +
                                 std::to_string(c.levelBefore);
        Race* race = StartRace(4, c.levelBefore);
        ASSERT_NE(race, nullptr);
        race->CreateButtonPanel(c.panel);
        race->OnButton(c.panel, c.button);
        EXPECT_EQ(app->GetPlayer()->GetActivityLevel(Race::kWorld, Race::kRaceGame), c.levelAfter) << what;
        if (c.requested != kNullChunkId) {
            EXPECT_TRUE(manager->IsSwitchPending()) << what;
            EXPECT_EQ(manager->GetPendingId(), c.requested) << what;
        }
        SwitchTo(kQuietScreen);
        ResetLevel();
    }
}

TEST_F(CityRaceTest, TheStartSetsUpTheRaceSpeaksFourLinesAndHoldsTheEngineRate) {
    for (uint16_t vehicle : {4, 5}) {
        for (uint16_t level : {1, 2, 3}) {
            const std::string what = "vehicle " + std::to_string(vehicle) + " level " + std::to_string(level);
            app->GetPlayer()->SetSelectedVehicle(vehicle);
            while (app->GetPlayer()->GetActivityLevel(Race::kWorld, Race::kRaceGame) < level)
                app->GetPlayer()->IncActivityLevel(Race::kWorld, Race::kRaceGame);
            SwitchTo(kRaceScreen);
            auto* race = dynamic_cast<Race*>(CurrentGameActivity());
            ASSERT_NE(race, nullptr) << what;
            EXPECT_EQ(race->GetChargesLeft(), 10 * level + 5) << what;
            EXPECT_EQ(race->GetRaceWorld(), Race::kWorld);
            EXPECT_TRUE(race->IsPanelShown(Race::kIntroPanel)) << what;
            EXPECT_EQ(race->GetVehicle()->GetNeutralState(), Race::kNeutralState);
            EXPECT_EQ(race->GetVehicle()->GetStepCount(), 1);
            EXPECT_EQ(race->SpokenLines(), (std::vector<int>{0, 1, 2, 3})) << what;
            EXPECT_TRUE(race->HoldsPipe3Rate()) << what << ": the engine sound's rate is the race's";
            EXPECT_EQ(race->PartForKind(Race::kPowerUp, 1100), MakeChunkId(2, vehicle == 4 ? 1070 : 1071)) << what;
            EXPECT_EQ(race->PartForKind(Race::kCrook, 1100), kNullChunkId) << "a kind of another class has no part";
            app->GetMessageProcess()->FlushMessages();
            race->HidePanel(Race::kIntroPanel, 1);
            SwitchTo(kQuietScreen);
            ResetLevel();
        }
    }
}

TEST_F(CityRaceTest, TheEngineSoundRunsAtTwiceItsRateWhileTheRoadMovesAndAtItsRateStanding) {
    const struct {
        float speed;
        int32_t rate;
    } cases[] = {{0.0f, 11025}, {-0.0f, 11025}, {0.5f, 22050}, {80.0f, 22050}, {250.0f, 22050}, {NAN, 11025}};
    for (const auto& c : cases) EXPECT_EQ(Race::EngineRate(c.speed), c.rate) << c.speed;

    Race* race = StartRace(5);
    ASSERT_NE(race, nullptr);
    Frames(5, 16);
    ASSERT_GT(std::hypot(race->scrollVelocity.x, race->scrollVelocity.y), 0.0f) << "the road moves";
    EXPECT_EQ(race->GetPipe3Rate(), 22050);
    EXPECT_EQ(xSound_GetPlaybackRate(Pipe(3)), 22050) << "pipe 3 plays at the held rate";
    race->scrollVelocity = Vec3();
    race->OnIdle();
    EXPECT_EQ(race->GetPipe3Rate(), 11025) << "a standing road";
}

TEST_F(CityRaceTest, QuietLinesAreDroppedWhileAnotherWaitsAndCaptionsKeepTheirCodePage) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    OMessageProcess* messages = app->GetMessageProcess();
    const struct {
        int line;
        bool quiet;
        const char* caption;
    } cases[] = {
        {3, false, "Let\x92s get to work!"},
        {5, true, "Slow \x91" "em down with your gas canisters and then pick up the dropped loot."},
        {10, true, "Wow.  That\x92s good shooting!"},
        {16, false, "That was tricky! You gotta shoot stuff to find the crooks, then shoot the crooks to get the "
                    "gold. Ready to try again?"},
    };
    for (const auto& c : cases) {
        messages->FlushMessages();
        const size_t spoken = race->SpokenLines().size();
        race->Speak(c.line);
        ASSERT_EQ(race->SpokenLines().size(), spoken + 1) << c.line << ": queued when nothing waits";
        ASSERT_GT(messages->QueueLength(), 0);
        EXPECT_EQ(messages->QueuedAt(messages->QueueLength() - 1)->caption, c.caption) << c.line;
        race->Speak(c.line);
        EXPECT_EQ(race->SpokenLines().size(), spoken + (c.quiet ? 1 : 2)) << c.line << ": a quiet line waits for none";
    }
}

TEST_F(CityRaceTest, TheFinishTakesTheHiddenHalvesTheStartMadeBeforeMakingMore) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    ASSERT_EQ(race->FinishProps().size(), 6u) << "three of each side at the start";
    for (int32_t side : {0, 1}) {
        const ChunkId part = MakeChunkId(2, side == 0 ? 1064 : 1063);
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
}

TEST_F(CityRaceTest, TheSirenTogglesTheLightAndNotUnderAPanel) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    VFlat* vehicle = race->GetVehicle();
    ASSERT_NE(vehicle, nullptr);
    ASSERT_NE(vehicle->GetAttachedProp(), nullptr);
    for (int press = 1; press <= 2; ++press) {
        race->OnKey(Race::kKeyCtrl);
        EXPECT_EQ(vehicle->GetAttachedProp()->IsVisible() != 0, press == 1) << press;
    }
    race->CreateButtonPanel(Race::kEndPanel);
    race->OnKey(Race::kKeyCtrl);
    EXPECT_FALSE(vehicle->GetAttachedProp()->IsVisible()) << "no siren under a panel";
}

TEST_F(CityRaceTest, TheJumpBackMovesTheFlyingCanistersWithTheRoadAndLeavesTheHiddenOnes) {
    Race* race = StartRace();
    ASSERT_NE(race, nullptr);
    race->Fire();
    for (int i = 0; i < 20 && race->GetBurstShotsLeft() > 0; ++i) Frames(1, 16);
    ASSERT_GE(race->Shots().size(), 2u);
    PParticle* hidden = race->Shots().front();
    hidden->SetVisible(0, 0);
    std::vector<CPointF> before;
    for (PParticle* shot : race->Shots()) before.push_back(shot->GetPosition());
    const float dy = 960.0f;
    race->ShiftObjects(dy, 0.0f);
    for (size_t i = 0; i < race->Shots().size(); ++i) {
        const PParticle* shot = race->Shots()[i];
        EXPECT_EQ(shot->GetPosition().x, before[i].x) << i;
        EXPECT_EQ(shot->GetPosition().y, before[i].y + (shot == hidden ? 0.0f : dy)) << i;
    }
}

} // namespace
} // namespace vqt::test
