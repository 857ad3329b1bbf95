// The driving world's start, frames, events and stop as the activity manager runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/Event.h"
#include "engine/core/Window.h"
#include "game/shell/Player.h"
#include "game/world/towns/WMetropolisActivity.h"
#include "game/world/towns/WToonActivity.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

using Log = std::vector<std::string>;

class WorldLifecycleTest : public WorldFixture {};

TEST_F(WorldLifecycleTest, TheFactoryMakesTheTownsUnderTheirOwnNamesOnTheWorld) {
    struct Case {
        uint32_t classId;
        const char* name;
        std::vector<uint32_t> is;
        std::vector<uint32_t> isNot;
    };
    const Case cases[] = {
        {500, "WToon_Activity", {500, 201, 200, 53, 52, 50, 20, 10, 1}, {501, 206, 202}},
        {501, "WMetropolis_Activity", {501, 201, 200, 53}, {500, 206}},
    };
    xWorld_RegisterClasses(); // the program's makers, not the fixture's spy
    CTLVFactory factory;
    for (const Case& c : cases) {
        const size_t before = traced().size();
        OActivity* made = factory.CreateActivity(c.classId);
        ASSERT_NE(made, nullptr) << c.name;
        EXPECT_STREQ(made->GetName(), c.name);
        EXPECT_NE(dynamic_cast<TLVWorld_Activity*>(made), nullptr) << c.name << " is a world, not a stand-in";
        for (uint32_t id : c.is) EXPECT_TRUE(made->IsA(id)) << c.name << " IsA " << id;
        for (uint32_t id : c.isNot) EXPECT_FALSE(made->IsA(id)) << c.name << " IsA " << id;
        EXPECT_EQ(traced().find("stand-in", before), std::string::npos) << traced().substr(before);
        delete made;
    }
}

TEST_F(WorldLifecycleTest, ANewWorldHasItsDefaults) {
    SpyWorld world;
    EXPECT_TRUE(world.IsA(201));
    EXPECT_FALSE(world.IsA(206));
    EXPECT_FLOAT_EQ(world.GetStartSpeed(), 200.0f);
    EXPECT_FLOAT_EQ(world.GetArrivalRadius(), 50.0f);
    EXPECT_FLOAT_EQ(world.GetAccelerationStep(), 0.1f);
    EXPECT_FLOAT_EQ(world.GetDecelerationStep(), 0.2f);
    EXPECT_EQ(world.GetBorderMargin(), 100);
    EXPECT_EQ(world.GetDrivingMode(), 7);
    EXPECT_EQ(world.GetStopFlag(), 1);
    EXPECT_FLOAT_EQ(world.GetNormalSpeed(), 150.0f);
    EXPECT_FLOAT_EQ(world.GetSirenSpeed(), 225.0f);
    EXPECT_EQ(world.GetActionCooldown(), 500);
    EXPECT_EQ(world.GetCurrentWayPoint(), 6);
    EXPECT_EQ(world.GetCollectableSet(), -1);
    EXPECT_EQ(world.GetStartHintFlag(), 1);
    EXPECT_EQ(world.GetCursorMode(), 0);
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(world.GetQuota(k), 0) << k;
    struct TimerCase {
        const char* name;
        const CTimerRec& timer;
        uint8_t running;
        int32_t duration;
        bool paused;
    };
    const TimerCase timers[] = {
        {"key", world.KeyTimer(), 1, 5000, true},         {"idle", world.IdleTimer(), 0, 15000, false},
        {"action", world.ActionTimer(), 1, 0, false},     {"start hint", world.WorldHintTimer(), 0, 30000, false},
        {"intro", world.IntroTimer(), 0, 2000, false},    {"stop", world.StopTimer(), 0, 50, false},
        {"fade", world.GetFadeTimer(), 1, 66, false},     {"contact", world.GetContactTimer(), 1, 0, false},
    };
    for (const TimerCase& t : timers) {
        EXPECT_EQ(t.timer.running, t.running) << t.name;
        EXPECT_EQ(t.timer.duration, t.duration) << t.name;
        EXPECT_EQ(t.timer.paused != 0, t.paused) << t.name;
    }
    for (uint32_t key : {32u, 18u}) {
        bool watched = false;
        for (int32_t i = 0; i < world.WatchedKeyCount(); ++i) watched = watched || world.WatchedKey(i) == key;
        EXPECT_TRUE(watched) << key;
    }
}

TEST_F(WorldLifecycleTest, StartingRunsTheQuotasThePropsTheVehicleTheViewsAndTheFollowersInOrder) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(SpyWorld::log, (Log{"SetCollectableQuotas", "ApplyCollectableQuotas", "OnWorldStart", "CreateInfoView",
                                  "CreateButtonPanel 4", "RestoreFollowers"}));
    EXPECT_EQ(world->GetCursorMode(), 1);
    EXPECT_EQ(world->IdleTimer().running, 1);
    EXPECT_EQ(world->IdleTimer().duration, 15000);
    EXPECT_EQ(world->GetVehicle(), nullptr) << "no vehicle part: no vehicle";
}

TEST_F(WorldLifecycleTest, TheIntroPlaysOnlyWhenWantedAndNotDoneAndADoneIntroDropsTheStartHint) {
    struct Case {
        bool hasIntro, introDone;
        bool plays;
        int32_t hintFlag;
    };
    const Case cases[] = {{false, false, false, 1}, {true, false, true, 1}, {true, true, false, 0}, {false, true, false, 0}};
    for (const Case& c : cases) {
        SpyWorld::log.clear();
        SpyWorld::setup = {.hasIntro = c.hasIntro, .introDone = c.introDone};
        SpyWorld* world = ShowWorld(kEmptyWorld);
        ASSERT_NE(world, nullptr);
        const bool played = std::count(SpyWorld::log.begin(), SpyWorld::log.end(), "OnIntro") == 1;
        EXPECT_EQ(played, c.plays) << c.hasIntro << c.introDone;
        EXPECT_EQ(world->IntroTimer().running, c.plays ? 1 : 0);
        if (c.plays) {
            EXPECT_EQ(world->IntroTimer().duration, 0);
            EXPECT_TRUE(world->IntroTimer().HasElapsed() || clock().TickCount() == world->IntroTimer().start);
        }
        EXPECT_EQ(world->GetStartHintFlag(), c.hintFlag);
        EXPECT_EQ(world->WorldHintTimer().running, c.hintFlag);
        EXPECT_EQ(world->WorldHintTimer().duration, 30000);
        SwitchTo(kPlainScreen);
    }
}

TEST_F(WorldLifecycleTest, TheDriveTutorialOpensUntilAVisitCounterIsRaised) {
    struct Case {
        int raised; // counter raised before the start, or -1
        bool tutorial;
    };
    const Case cases[] = {{-1, true}, {12, true}, {16, true}, {13, false}, {14, false}, {15, false}};
    for (const Case& c : cases) {
        app->GetPlayer()->SetDefaults();
        if (c.raised >= 0) app->GetPlayer()->IncCounter(c.raised);
        SpyWorld::log.clear();
        for (int start = 0; start < 2; ++start) {
            SpyWorld* world = ShowWorld(kEmptyWorld);
            ASSERT_NE(world, nullptr);
            const bool opened = std::count(SpyWorld::log.begin(), SpyWorld::log.end(), "CreateButtonPanel 4") == start + 1;
            EXPECT_EQ(opened, c.tutorial) << "counter " << c.raised << ", start " << start;
            EXPECT_EQ(world->GetTutorialPending(), c.tutorial ? 0 : 1);
            EXPECT_EQ(world->GetHintTimer().running, c.tutorial ? 0 : 1) << "the game activity's hint timer";
            SwitchTo(kPlainScreen);
        }
    }
}

TEST_F(WorldLifecycleTest, ARoundUpKeepsNoFollowersAtItsStartOrItsStop) {
    for (const uint16_t entry : {kRoundUpWorld, kEmptyWorld}) {
        SpyWorld::log.clear();
        ASSERT_NE(ShowWorld(entry), nullptr);
        SwitchTo(kPlainScreen);
        const bool roundUp = entry == kRoundUpWorld;
        EXPECT_EQ(std::count(SpyWorld::log.begin(), SpyWorld::log.end(), "RestoreFollowers"), roundUp ? 0 : 1);
        EXPECT_EQ(std::count(SpyWorld::log.begin(), SpyWorld::log.end(), "SaveFollowers"), roundUp ? 0 : 1);
        EXPECT_EQ(std::count(SpyWorld::log.begin(), SpyWorld::log.end(), "OnStop"), 1);
    }
}

TEST_F(WorldLifecycleTest, StoppingSavesTheRecordIntoTheSignedInSlotAndChangesNoOtherBytes) {
    const std::string save = folder / "save.vqk";
    xProfiles_Set("USERFILE", save.c_str());
    ASSERT_TRUE(WritePlayers(save, [](uint16_t slot, CPlayer& player) {
        player.SetName(("Driver " + std::to_string(slot)).c_str());
        for (uint16_t i = 0; i < slot; ++i) player.IncCounter(2);
    }));
    const std::array<Bytes, 8> before = SlotChunks(save);
    constexpr int16_t kSlot = 3;
    app->GetPlayer()->Load(kSlot);
    app->SetSaveSlot(kSlot);
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    app->GetPlayer()->IncCounter(14);
    app->GetPlayer()->AddHeroPoints(0, 7);
    SwitchTo(kPlainScreen);

    EXPECT_EQ(std::vector<std::string>(SpyWorld::log.end() - 2, SpyWorld::log.end()), (Log{"OnStop", "SaveFollowers"}));
    const std::array<Bytes, 8> after = SlotChunks(save);
    for (int slot = 0; slot < 8; ++slot) {
        if (slot == kSlot) EXPECT_NE(after[size_t(slot)], before[size_t(slot)]);
        else EXPECT_EQ(after[size_t(slot)], before[size_t(slot)]) << "slot " << slot;
    }
    CPlayer stored;
    stored.Load(kSlot);
    EXPECT_STREQ(stored.GetName(), "Driver 3");
    EXPECT_EQ(stored.GetCounter(2), 3);
    EXPECT_EQ(stored.GetCounter(14), 1);
    EXPECT_EQ(stored.GetHeroPoints(0), app->GetPlayer()->GetHeroPoints(0));
}

TEST_F(WorldLifecycleTest, WithoutASignedInPlayerStoppingWritesNothingAndSaysSo) {
    const std::string save = folder / "save.vqk";
    xProfiles_Set("USERFILE", save.c_str());
    ASSERT_TRUE(WritePlayers(save, [](uint16_t, CPlayer&) {}));
    const std::string before = ReadFileBytes(save);
    app->SetSaveSlot(-1);
    ASSERT_NE(ShowWorld(kEmptyWorld), nullptr);
    SwitchTo(kPlainScreen);
    EXPECT_EQ(ReadFileBytes(save), before);
    EXPECT_NE(traced().find(": no player signed in, the record is not saved"), std::string::npos);
}

TEST_F(WorldLifecycleTest, MouseMovesAndClicksReachTheWorldsHooksWithThePointerInClientCoordinates) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    input().SetClientOrigin(OWindow::Main()->GetWindowId(), plat::WinPoint{100, 40});
    struct Case {
        uint32_t type;
        plat::WinPoint screen;
        const char* kind;
        CPoint16 client;
    };
    const Case cases[] = {
        {kEvMouseMove, {420, 300}, "move", CPoint16(320, 260)},
        {kEvClick, {101, 41}, "click", CPoint16(1, 1)},
        {kEvMouseMove, {50, 20}, "move", CPoint16(-50, -20)},
    };
    for (const Case& c : cases) {
        input().SetCursorPos(c.screen);
        xEvent event;
        event.category = kEventMouse;
        event.type = c.type;
        event.cursor = CPoint16(7, 7);
        world->mouse.clear();
        EXPECT_EQ(world->HandleEvent(event), 0) << "consumed";
        ASSERT_EQ(world->mouse.size(), 1u);
        EXPECT_EQ(world->mouse[0].kind, c.kind);
        EXPECT_EQ(world->mouse[0].cursor.x, c.client.x);
        EXPECT_EQ(world->mouse[0].cursor.y, c.client.y);
    }
    xEvent other;
    other.category = kEventMouse;
    other.type = kEvButtonDown;
    world->mouse.clear();
    world->HandleEvent(other);
    EXPECT_TRUE(world->mouse.empty()) << "other events go to the game activity";
}

TEST_F(WorldLifecycleTest, AWorldWithAVehiclePartDrivesItAndDropsItAtTheStop) {
    SpyWorld::setup = {.giveVehicle = true};
    struct Case {
        ChunkId part;
        bool made;
    };
    const Case cases[] = {
        {kNullChunkId, false},
        {MakeChunkId(2, kVehiclePart), true},
        {MakeChunkId(7, 12), false},   // a chunk of another index
        {MakeChunkId(2, 3999), false}, // no such part
    };
    for (const Case& c : cases) {
        auto* world = new SpyWorld;
        world->SetVehiclePartId(c.part);
        world->CreateVehicle();
        EXPECT_EQ(world->GetVehicle() != nullptr, c.made) << ChunkEntryOf(c.part);
        if (TLV_Object* vehicle = world->GetVehicle()) {
            EXPECT_EQ(vehicle->GetParent(), world);
            EXPECT_EQ(vehicle->GetFrameHook(), &VehicleTouchHook);
            EXPECT_FLOAT_EQ(static_cast<TLVComplex_Object*>(vehicle)->GetArrivalRadius(), 50.0f);
            world->CreateVehicle();
            EXPECT_EQ(world->GetVehicle(), vehicle) << "made once";
            world->DestroyVehicle();
            EXPECT_EQ(world->GetVehicle(), nullptr);
        }
        delete world;
    }
}

TEST_F(WorldLifecycleTest, TheEngineRateFollowsTheVehiclesGroundSpeed) {
    SpyWorld::setup = {.giveVehicle = true};
    SpyWorld world;
    EXPECT_EQ(world.EngineSoundRate(), 11025) << "no vehicle";
    world.SetVehiclePartId(MakeChunkId(2, kVehiclePart));
    world.CreateVehicle();
    auto* vehicle = static_cast<TLVComplex_Object*>(world.GetVehicle());
    ASSERT_NE(vehicle, nullptr);
    struct Case {
        Vec3 velocity;
        float startSpeed;
        int32_t rate;
    };
    const Case cases[] = {
        {Vec3(0, 0, 0), 200.0f, 11025},
        {Vec3(200, 0, 0), 200.0f, 22050},
        {Vec3(0, 50, 0), 200.0f, 16537},  // the vertical counts double: 11025 x 1.5
        {Vec3(-30, 40, 0), 100.0f, 20444}, // |(30, 80)| = 85.44
        {Vec3(0, 0, 100), 100.0f, 22050},
        {Vec3(2000, 0, 0), 100.0f, 34917}, // 231525 truncated to 16 bits
        {Vec3(100, 0, 0), 0.0f, 11025},             // no start speed: no division by it
    };
    for (const Case& c : cases) {
        vehicle->SetVelocityLimits(Vec3(5000, 5000, 5000), 0);
        vehicle->SetMaxSpeed(5000, 0);
        vehicle->SetVelocity(c.velocity, 0);
        world.SetStartSpeed(c.startSpeed);
        EXPECT_EQ(world.EngineSoundRate(), c.rate) << c.velocity.x << "," << c.velocity.y << "," << c.velocity.z;
    }
}

TEST_F(WorldLifecycleTest, TheStopTimerHaltsTheVehicleOnlyOnceItIsOlderThan50Ms) {
    SpyWorld::setup = {.giveVehicle = true};
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    world->SetVehiclePartId(MakeChunkId(2, kVehiclePart));
    world->CreateVehicle();
    auto* vehicle = static_cast<TLVComplex_Object*>(world->GetVehicle());
    ASSERT_NE(vehicle, nullptr);
    vehicle->SetVelocity(Vec3(30, 0, 0), 0);
    world->StopTimer().Start(50);
    Frames(1, 40);
    EXPECT_EQ(world->GetStopFlag(), 1);
    EXPECT_EQ(world->StopTimer().running, 1);
    Frames(1, 11);
    EXPECT_EQ(world->GetStopFlag(), 0);
    EXPECT_EQ(world->StopTimer().running, 0) << "disarmed";
    EXPECT_FLOAT_EQ(vehicle->GetVelocity().x, 0.0f);
}

} // namespace
} // namespace vqt::test
