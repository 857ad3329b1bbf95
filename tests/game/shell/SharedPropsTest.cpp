// The shared props on a game screen and in the city: contact answers against every kind of
// toucher, shown and hidden, the destructible's stages, the fire's levels and relights, the
// hider, the pushable and the bag on the virtual clock, and bad property values.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "game/shell/Destructible.h"
#include "game/shell/Hider.h"
#include "game/shell/Player.h"
#include "game/shell/Pushable.h"
#include "game/shell/StillProps.h"
#include "tests/game/shell/PropsFixture.h"
#include "tests/support/StoredProperties.h"

namespace vqt::test {
namespace {

class SharedPropsTest : public PropsFixture {};

TEST_F(SharedPropsTest, EveryPropAnswersEachTouchShownAndHiddenAndChangesItselfAsTold) {
    struct Case {
        const char* name;
        std::function<TLV_Object*()> make;
        int states;
        /// Answers to a vehicle, a projectile, a moving prop and a character: shown, then hidden.
        int shown[4];
        int hidden[4];
        /// The state a shown prop is in after a vehicle touched it.
        int stateAfterVehicle;
    };
    const Case cases[] = {
        {"Spawn", [] { return new Spawn; }, 2, {97, 97, 97, 97}, {97, 97, 97, 97}, 0},
        {"Destructible", [] { return new Destructible; }, 5, {65, 1, 65, 65}, {0, 0, 0, 0}, 1},
        {"Pushable", [] { return new Pushable; }, 2, {16, 0, 0, 0}, {16, 0, 0, 0}, 1},
        {"Blocker", [] { return new Blocker; }, 2, {192, 128, 192, 192}, {192, 128, 192, 192}, 0},
        {"Token", [] { return new Token; }, 2, {68, 0, 0, 0}, {68, 0, 0, 0}, 0},
        {"Fire", [] { return new Fire; }, 2, {0, 5, 5, 5}, {0, 5, 5, 5}, 0},
        {"Changeable", [] { return new Changeable; }, 2, {192, 1, 192, 192}, {192, 1, 192, 192}, 1},
        {"Hider", [] { return new Hider; }, 2, {0, 0, 0, 0}, {0, 0, 0, 0}, 0},
        {"Bag", [] { return new Bag; }, 2, {64, 1, 64, 64}, {0, 0, 0, 0}, 0},
        {"RDestructible", [] { return new RDestructible; }, 2, {64, 1, 64, 64}, {0, 0, 0, 0}, 1},
        {"Interaction_Point", [] { return new Interaction_Point; }, 2, {0, 0, 0, 0}, {0, 0, 0, 0}, 0},
    };
    Show(kPlainScreen);
    Toucher vehicle(2000), moving(TLVComplex_Object::kClassId), character(2400);
    Projectile projectile;
    TLV_Object* touchers[] = {&vehicle, &projectile, &moving, &character};
    for (const Case& c : cases) {
        for (const bool shown : {true, false}) {
            for (int k = 0; k < 4; ++k) {
                app->GetSoundProcess()->StopAllExcept(0);
                TLV_Object* prop = Place(c.make(), c.states);
                prop->SetVisible(shown ? 1 : 0, 0);
                const int answer = prop->OnContact(touchers[k]);
                EXPECT_EQ(answer, shown ? c.shown[k] : c.hidden[k]) << c.name << (shown ? " shown " : " hidden ") << k;
                if (shown && k == 0) {
                    EXPECT_EQ(prop->GetState(), c.stateAfterVehicle) << c.name;
                }
                // Only a vehicle's touch sounds: the token's collect sound and the pushable's.
                const bool sounds = k == 0 && (prop->IsA(Token::kClassId) || prop->IsA(Pushable::kClassId));
                const ChunkId sound = prop->IsA(Token::kClassId) ? Token::kCollectSound : MakeChunkId(7, kPushSound);
                EXPECT_EQ(Playing(4), sounds ? CurrentGameActivity()->FindSound(sound) : nullptr) << c.name;
                if (answer == 64 && !prop->IsA(Bag::kClassId)) {
                    EXPECT_EQ(prop->GetPriority(), Destructible::kRubblePriority) << c.name;
                }
                delete prop;
            }
        }
    }
}

TEST_F(SharedPropsTest, ADestructibleBreaksByStagesAndNeverSkipsItsRubble) {
    Show(kPlainScreen);
    // Ramming speed 100 hit at 99.9: only a bounce, traced as 99.
    auto* rammed = Place(new Destructible, 5);
    LoadStoredProperties(*rammed, PropertyBytes().Long(1510, 1, 100));
    Toucher ram(TLVComplex_Object::kClassId);
    ram.SetVelocity(Vec3(99.9f * 0.6f, 99.9f * 0.8f, 0.0f), 0);
    EXPECT_EQ(rammed->OnContact(&ram), 1);
    EXPECT_NE(traced().find("Ramming speed: 99\n"), std::string::npos);
    EXPECT_EQ(rammed->GetState(), 0);
    ram.SetVelocity(Vec3(60.0f, 80.0f, 0.0f), 0);
    rammed->OnContact(&ram);
    EXPECT_EQ(rammed->GetState(), 1) << "exactly the ramming speed breaks it";

    // An upgrade vehicle (the last, value 5) takes two stages at a time; an even number of states still
    // ends on the rubble.
    app->GetPlayer()->SetSelectedVehicle(5);
    Toucher vehicle(2000);
    struct Case {
        int states;
        std::vector<int> answers;
        std::vector<int> stages;
    };
    for (const Case& c : {Case{5, {65, 64, 0}, {2, 4, 4}}, Case{4, {65, 64, 0}, {2, 3, 3}}, Case{1, {0}, {0}}}) {
        auto* prop = Place(new Destructible, c.states);
        for (size_t i = 0; i < c.answers.size(); ++i) {
            EXPECT_EQ(prop->OnContact(&vehicle), c.answers[i]) << c.states << " states, hit " << i;
            EXPECT_EQ(prop->GetState(), c.stages[i]) << c.states;
        }
        EXPECT_TRUE(prop->IsBroken()) << c.states;
        prop->UpdateZOrder();
        if (c.states > 1) {
            EXPECT_EQ(prop->GetPriority(), Destructible::kRubblePriority);
        }
    }
    // A moving one without a broken state is not broken again and again.
    auto* single = Place(new RDestructible, 1);
    EXPECT_EQ(single->OnContact(&vehicle), 0);
    EXPECT_NE(traced().find("RDestructible : its part has no broken state"), std::string::npos);
}

TEST_F(SharedPropsTest, TheCitysTargetsKeepTheirStageInTheRecordAndCountDownTheMission) {
    auto* city = dynamic_cast<CityDouble*>(ShowScreen(kCityScreen));
    ASSERT_NE(city, nullptr);
    Toucher vehicle(2000);
    CPlayer* player = app->GetPlayer();
    player->SetQuota3Left(2, 3); // three targets to go
    struct Case {
        uint32_t objectId;
        int16_t recordWord;
        int wordChanged; // -1: none
        int targetsLeft;
    };
    for (const Case& c : {Case{4, 5, 5, 2}, Case{9, 6, -1, 2}, Case{3, 12, -1, 1}}) {
        const PlayerRecord before = player->Record();
        auto* prop = Place(new Destructible, 2);
        prop->SetObjectId(c.objectId);
        LoadStoredProperties(*prop, PropertyBytes().Short(1510, 2, c.recordWord));
        EXPECT_EQ(prop->OnContact(&vehicle), 64);
        EXPECT_EQ(city->GetMissionTargetsLeft(), c.targetsLeft) << c.objectId;
        for (int w = 0; w < PlayerRecord::kExtraWords; ++w)
            EXPECT_EQ(player->GetExtraWord(w), w == c.wordChanged ? 1 : before.extra[w]) << c.objectId << " word " << w;
        EXPECT_EQ(prop->OnContact(&vehicle), 0) << "rubble answers nothing more";
        EXPECT_EQ(city->GetMissionTargetsLeft(), c.targetsLeft);
    }
    EXPECT_NE(traced().find("Destructible : record word 12 refused"), std::string::npos);
}

TEST_F(SharedPropsTest, AFireGrowsLevelByLevelAndAWorldLightsItAgainAsOftenAsItsRelightsAllow) {
    constexpr int32_t kPeriod = 100;
    CityDouble* city = dynamic_cast<CityDouble*>(ShowScreen(kCityScreen));
    ASSERT_NE(city, nullptr);
    for (const int16_t relights : {int16_t(-1), int16_t(2), int16_t(0)}) {
        auto* fire = Place(new Fire, 2);
        fire->SetRegrow(true);
        fire->SetIgniteToFull(false);
        fire->SetMaximumLevel(3);
        fire->SetTimerPeriod(kPeriod);
        fire->SetRelights(relights);
        fire->SetStartTick(kPeriod); // as if a period had passed
        // Growing: one level a period up to the maximum, drawn at level / maximum.
        for (int expected : {2, 3, 3}) {
            Frames(1, kFrameMs);
            EXPECT_EQ(fire->GetLevel(), expected);
            EXPECT_FLOAT_EQ(fire->GetScaleH(), float(expected) / 3.0f);
            EXPECT_FLOAT_EQ(fire->GetScaleV(), float(expected) / 3.0f);
            Frames(kPeriod / kFrameMs, kFrameMs);
        }
        // Out five times: each period that it stays out the world may light it once more.
        const int before = city->relit;
        for (int round = 0; round < 5; ++round) {
            if (fire->IsVisible()) {
                EXPECT_TRUE(fire->Douse());
            }
            Toucher hose(TLVComplex_Object::kClassId);
            EXPECT_EQ(fire->OnContact(&hose), 0) << "out: nothing";
            Frames(kPeriod / kFrameMs + 1, kFrameMs);
        }
        const int expected = relights == -1 ? 5 : relights;
        EXPECT_EQ(city->relit - before, expected) << relights;
        EXPECT_EQ(fire->GetFlameTimer().running != 0, relights == -1) << relights;
        delete fire;
    }
}

TEST_F(SharedPropsTest, AHiderHidesFromWhatComesNearAndReturnsOffScreenAsOftenAsAllowed) {
    Show(kPlainScreen);
    Toucher near(2000);
    auto* lonely = Place(new Hider, 2, 100, 100);
    auto* hider = Place(new Hider, 2, 300, 200);
    LoadStoredProperties(*hider, PropertyBytes().Short(1570, 1, 50).Long(1570, 2, 1));
    near.SetPosition(CPointF(300 + 49, 200), 0, 0);
    ASSERT_TRUE(hider->WatchList().Append(&near));
    auto hidden = [&] { return !hider->IsVisible(); };
    Frames(1, kFrameMs);
    EXPECT_TRUE(hider->IsStateOne());
    EXPECT_LT(FramesUntil(hidden), 20) << "hidden once state 1 has played";
    EXPECT_EQ(hider->GetState(), 0);
    Frames(10, kFrameMs);
    EXPECT_TRUE(hidden()) << "on screen it stays away";
    hider->SetPosition(CPointF(900, 200), 0, 0); // off the stage
    Frames(1, kFrameMs);
    EXPECT_FALSE(hidden());
    EXPECT_EQ(hider->GetReappearances(), 0);
    hider->SetPosition(CPointF(300, 200), 0, 0);
    EXPECT_LT(FramesUntil(hidden), 20);
    hider->SetPosition(CPointF(900, 200), 0, 0);
    Frames(5, kFrameMs);
    EXPECT_TRUE(hidden()) << "no reappearances left";
    EXPECT_TRUE(lonely->IsVisible()) << "nothing watched: it never hides";
    EXPECT_EQ(lonely->GetState(), 0);
}

TEST_F(SharedPropsTest, APushedPropAnimatesWhileItMovesAndStandsUpAfter150Ms) {
    Show(kPlainScreen);
    Toucher vehicle(2000);
    for (const uint8_t staysDown : {0, 1}) {
        auto* prop = Place(new Pushable, 2);
        LoadStoredProperties(*prop, PropertyBytes().Byte(1520, 1, staysDown));
        EXPECT_EQ(prop->OnContact(&vehicle), 16);
        Frames(1, kFrameMs);
        EXPECT_EQ(prop->IsAnimating(), 1) << "moved since it was made";
        prop->SetPosition(CPointF(301, 200), 0, 0);
        Frames(1, kFrameMs);
        EXPECT_EQ(prop->IsAnimating(), 0) << "pushed by no more than one unit: still";
        prop->SetPosition(CPointF(310, 200), 0, 0);
        Frames(1, kFrameMs);
        EXPECT_EQ(prop->IsAnimating(), 1) << "pushed and moving";
        Frames(6, kFrameMs); // 144 ms since the push
        EXPECT_TRUE(prop->IsPushed());
        Frames(1, kFrameMs);
        EXPECT_FALSE(prop->IsPushed());
        EXPECT_EQ(prop->GetState(), staysDown ? 1 : 0) << int(staysDown);
        delete prop;
    }
}

TEST_F(SharedPropsTest, ABagWigglesEveryFiveSecondsOnlyOnScreenAndWithStatesToWiggle) {
    Show(kPlainScreen);
    auto* bag = Place(new Bag, 2);
    auto* still = Place(new Bag, 1, 200, 200);
    auto* away = Place(new Bag, 2, 2000, 200);
    const uint32_t started = away->GetWiggleTimer().start;
    Frames(312, kFrameMs); // 4992 ms
    EXPECT_EQ(bag->GetState(), 0);
    Frames(1, kFrameMs);
    EXPECT_EQ(bag->GetState(), 1);
    EXPECT_EQ(still->GetState(), 0);
    EXPECT_EQ(away->GetState(), 0);
    EXPECT_LT(FramesUntil([&] { return bag->GetState() == 0; }), 20) << "then back to 0";
    EXPECT_GT(away->GetWiggleTimer().start, started) << "its timer restarts off screen too";
}

TEST_F(SharedPropsTest, PropertiesAreStoredAndReportedShortOnesTracedAndTheSpawnPartNamedFromTheIndex) {
    Show(kPlainScreen);
    auto* spawn = Place(new Spawn, 2);
    LoadStoredProperties(*spawn, PropertyBytes().Short(1500, 1, 7).Short(1500, 2, 12).Short(1500, 9, 3).Raw(5, 1500, 1, {1}, 1));
    EXPECT_EQ(spawn->GetSpawnValue(), 7) << "a short payload leaves the value";
    EXPECT_EQ(spawn->GetSpawnPartId(), MakeChunkId(2, 12));
    EXPECT_NE(traced().find("Spawn : property 1 of family 1500 has 1 bytes, fewer than 2"), std::string::npos);
    auto* point = Place(new Interaction_Point, 0);
    LoadStoredProperties(*point, PropertyBytes().Pair(1060, 1, 40, -8));
    EXPECT_EQ(point->GetTarget(), CPointF(40, -8));
    EXPECT_FALSE(point->IsA(TLV_Object::kClassId));
    auto* blocker = Place(new Blocker, 2);
    LoadStoredProperties(*blocker, PropertyBytes().Byte(1530, 1, 1).Byte(1530, 2, 0));
    EXPECT_EQ(blocker->GetFlag(), 1);
    EXPECT_FALSE(blocker->IsActive());
    EXPECT_FALSE(blocker->IsEnabled()) << "the idle walk leaves it out";
    Smoke smoke;
    EXPECT_TRUE(smoke.IsA(1555) && smoke.IsA(1120) && smoke.GetClassId() == 1120);
    EXPECT_EQ(smoke.GetDrawMode(), 3u);
    EXPECT_EQ(smoke.GetBlendLevel(), 80);
}

} // namespace
} // namespace vqt::test
