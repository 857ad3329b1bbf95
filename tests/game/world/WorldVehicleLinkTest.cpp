// The world and its isometric vehicle together: what the world gives the vehicle it makes, the
// vehicle's events reaching the current world, the drive tutorial's panel asking again, and the
// followers kept on the vehicle's trail.
#include <gtest/gtest.h>

#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

/// A spy world that makes the vehicle module's VIsometric, as the towns do.
class IsometricWorld : public SpyWorld {
protected:
    TLVComplex_Object* MakeVehicle() override { return TLVWorld_Activity::MakeVehicle(); }
};

/// A prop the world files as a follower, until the characters come.
class TestFollower : public TLVComplex_Object {
public:
    TestFollower() : TLVComplex_Object("TestFollower", 2410) {}
    bool IsA(uint32_t classId) const override { return classId == 2410 || classId == 2400 || TLVComplex_Object::IsA(classId); }
};

class WorldVehicleLinkTest : public WorldFixture {
protected:
    SoundChannel* Pipe(uint32_t pipe) { return app->GetSoundProcess()->GetChannel(pipe); }
};

TEST_F(WorldVehicleLinkTest, TheMadeVehicleGetsTheWorldsHooksSpeedAndStepsAndStandsStill) {
    struct Case {
        float acceleration, deceleration;
        float givenAcceleration, givenDeceleration;
    };
    const Case cases[] = {
        {0.1f, 0.2f, 0.1f, 0.2f},   // the defaults
        {0.0f, 1.0f, 1.0f, 1.0f},   // the ends of (0, 1) are outside it
        {-0.5f, 1.5f, 1.0f, 1.0f},
        {0.99f, 0.01f, 0.99f, 0.01f},
    };
    for (const Case& c : cases) {
        auto* world = new IsometricWorld;
        world->SetVehiclePartId(MakeChunkId(2, kVehiclePart));
        world->SetStartSpeed(180.0f);
        world->SetSteps(c.acceleration, c.deceleration);
        world->CreateVehicle();
        auto* vehicle = dynamic_cast<VIsometric*>(world->GetVehicle());
        ASSERT_NE(vehicle, nullptr) << traced();
        EXPECT_EQ(vehicle->GetFrameHook(), &VehicleTouchHook);
        EXPECT_EQ(vehicle->onMoving, &CenterWorldViewOnVehicle);
        EXPECT_EQ(vehicle->onHalt, &VehicleEventHook81);
        EXPECT_EQ(vehicle->onFullSpeed, &VehicleEventHook82);
        EXPECT_EQ(vehicle->onAccelerate, &VehicleEventHook83);
        EXPECT_EQ(vehicle->onDecelerate, &VehicleEventHook84);
        EXPECT_FLOAT_EQ(vehicle->GetAccelerationStep(), c.givenAcceleration) << c.acceleration;
        EXPECT_FLOAT_EQ(vehicle->GetDecelerationStep(), c.givenDeceleration) << c.deceleration;
        EXPECT_FLOAT_EQ(vehicle->GetTopSpeed(), 180.0f);
        EXPECT_FLOAT_EQ(vehicle->GetThrottle(), 0.0f);
        EXPECT_EQ(vehicle->GetParent(), world);
        delete world;
    }
}

TEST_F(WorldVehicleLinkTest, TheVehiclesEventsReachTheCurrentWorldAndAnswerTrue) {
    const struct {
        bool (*hook)(TLV_Object*);
        const char* logged;
    } cases[] = {
        {&VehicleEventHook81, "OnVehicleHalted"},
        {&VehicleEventHook82, "OnVehicleAtFullSpeed"},
        {&VehicleEventHook83, "OnVehicleAccelerating"},
        {&VehicleEventHook84, "OnVehicleDecelerating"},
    };
    for (const auto& c : cases) EXPECT_TRUE(c.hook(nullptr)) << "no world: nothing to tell, still true";
    EXPECT_TRUE(SpyWorld::log.empty());
    ShowWorld(kEmptyWorld);
    for (const auto& c : cases) {
        SpyWorld::log.clear();
        EXPECT_TRUE(c.hook(nullptr));
        EXPECT_EQ(SpyWorld::log, std::vector<std::string>{c.logged});
    }
}

TEST_F(WorldVehicleLinkTest, TheTutorialPanelAskingAgainSilencesAllButPipeZeroAndBlinksItsButton) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    OSoundProcess* sound = app->GetSoundProcess();
    xSnippet* tone = world->LoadSound(MakeChunkId(7, 189));
    ASSERT_NE(tone, nullptr);
    for (uint32_t pipe : {0u, 1u, 3u, 5u}) sound->Play(tone, pipe, 0, 1);
    world->OnPanelDismissed(CTLVActivity::kPanelMenu);
    for (uint32_t pipe : {0u, 1u, 3u, 5u}) EXPECT_TRUE(xSound_IsPlaying(Pipe(pipe))) << "other panels leave the sound: " << pipe;

    world->OnPanelDismissed(TLVWorld_Activity::kTutorialPanel);
    EXPECT_TRUE(xSound_IsPlaying(Pipe(0)));
    for (uint32_t pipe : {1u, 3u, 5u}) EXPECT_FALSE(xSound_IsPlaying(Pipe(pipe))) << pipe;
}

TEST_F(WorldVehicleLinkTest, ABlinkingButtonShowsItsDownLookOnceAndTheTimeOutStartsAfresh) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    world->BlinkPanelButton(CTLVActivity::kPanelQuit, 1); // no such panel yet: nothing happens
    world->CreateButtonPanel(CTLVActivity::kPanelQuit);
    ButtonPanel_Prop* panel = world->GetPanel(CTLVActivity::kPanelQuit);
    ASSERT_NE(panel, nullptr);
    world->BlinkPanelButton(CTLVActivity::kPanelQuit, 4); // no such button: nothing happens
    EXPECT_EQ(panel->GetTimeOutOn(), 0);
    ButtonPanel_Button* button = panel->GetButton(1);
    ASSERT_NE(button, nullptr);
    button->SetPartID(app->GetPartFile(), MakeChunkId(2, kPropPart), 1); // a look for each state
    Frames(5);
    world->BlinkPanelButton(CTLVActivity::kPanelQuit, 1);
    EXPECT_EQ(panel->GetTimeOutOn(), 1);
    EXPECT_EQ(panel->GetTimer().start, clock().TickCount());
    EXPECT_EQ(button->GetState(), button->GetDownState());
    ASSERT_FALSE(button->IsHovered());
    Frames(30);
    EXPECT_EQ(button->GetState(), button->GetUpState()) << "then back to its look under no pointer";
}

TEST_F(WorldVehicleLinkTest, FollowersAreKeptAtTheVehiclesTrailPointOfTheirNumber) {
    SpyWorld* shown = ShowWorld(kEmptyWorld);
    ASSERT_NE(shown, nullptr);
    auto* world = new IsometricWorld;
    world->SetVehiclePartId(MakeChunkId(2, kVehiclePart));
    world->CreateVehicle();
    auto* vehicle = dynamic_cast<VIsometric*>(world->GetVehicle());
    ASSERT_NE(vehicle, nullptr);
    CPlayer* player = app->GetPlayer();
    player->ClearEntries();
    player->AddEntry(1, 300, 200);
    player->AddEntry(2, 340, 260);
    for (int i = 0; i < 2; ++i) Add(world, new TestFollower, 50.0f, 50.0f);
    world->RestoreFollowers();
    CPoint16 point;
    vehicle->GetWayPoint16(&point, 1);
    EXPECT_EQ(point, CPoint16(300, 200));
    vehicle->GetWayPoint16(&point, 2);
    EXPECT_EQ(point, CPoint16(340, 260));

    vehicle->SetWayPoint(1, CPoint16(111, 222)); // the trail moved on
    world->SaveFollowers();
    const CPlayerEntry* first = player->FindEntry(1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(int32_t(first->first), 111);
    EXPECT_EQ(int32_t(first->second), 222);
    delete world;
}

TEST_F(WorldVehicleLinkTest, AnyPanelSilencesTheEngineAndSirenPipesAndLeavesTheOthers) {
    for (const int16_t panel : {CTLVActivity::kPanelMenu, CTLVActivity::kPanelLeave, TLVWorld_Activity::kTutorialPanel}) {
        SpyWorld* world = ShowWorld(kEmptyWorld);
        ASSERT_NE(world, nullptr);
        OSoundProcess* sound = app->GetSoundProcess();
        xSnippet* tone = world->LoadSound(MakeChunkId(7, 189));
        ASSERT_NE(tone, nullptr);
        for (uint32_t pipe : {0u, 3u, 5u, 8u}) sound->Play(tone, pipe, 0, 1);
        world->CreateButtonPanel(panel);
        for (uint32_t pipe : {3u, 8u}) EXPECT_FALSE(xSound_IsPlaying(Pipe(pipe))) << "panel " << panel << ", pipe " << pipe;
        for (uint32_t pipe : {0u, 5u}) EXPECT_TRUE(xSound_IsPlaying(Pipe(pipe))) << "panel " << panel << ", pipe " << pipe;
        world->HidePanel(panel, 1);
    }
}

} // namespace
} // namespace vqt::test
