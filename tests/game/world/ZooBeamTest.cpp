// The zoo's spot-light beam on a test world's vehicle: made for each vehicle's fitting, it
// keeps its shift from the vehicle and the vehicle's heading as the vehicle drives and turns,
// switches on once, and goes with its owner.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/shell/PBeam.h"
#include "game/shell/StillProps.h"
#include "game/world/towns/ZooBeam.h"
#include "game/world/towns/ZooTables.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

constexpr int kBeamStates = 64; // 32 headings in each of the vehicle's two groups
/// A vehicle part with a state for each heading of both groups.
constexpr uint16_t kTurningVehiclePart = 3350;

/// A part of one picture a state, as the beams' parts have.
PartPlan HeadingsPart() {
    PartPlan part;
    for (int s = 0; s < kBeamStates; ++s)
        part.states.push_back(StatePlan{.frames = {FramePlan{.picture = Picture(12, 8, uint8_t(s % 7 + 1)), .hotX = 6, .hotY = 4}}});
    return part;
}

int32_t hits = 0;
bool CountHit(TLV_Object*) { return ++hits > 0; }

class ZooBeamTest : public WorldFixture {
protected:
    void AddWorldData(GameData& data) override {
        for (const towns::zoo::BeamFit& b : towns::zoo::kBeams) data.parts.AddPart(HeadingsPart(), ChunkEntryOf(b.part));
        data.parts.AddPart(HeadingsPart(), kTurningVehiclePart);
    }
    /// A world with the test's vehicle, at (400, 300).
    SpyWorld* WorldWithVehicle() {
        SpyWorld::setup = {.giveVehicle = true};
        auto* world = new SpyWorld;
        world->SetVehiclePartId(MakeChunkId(2, kTurningVehiclePart));
        world->CreateVehicle();
        if (world->GetVehicle()) world->GetVehicle()->SetPosition(CPointF(400.0f, 300.0f), 0, 1);
        return world;
    }
};

TEST_F(ZooBeamTest, EachVehicleGetsItsFittingShiftedFromItAndOthersGetNone) {
    struct Case {
        uint16_t vehicle;
        bool made;
        float shiftX;
        ChunkId sound;
    };
    const Case cases[] = {
        {2, true, -7.0f, MakeChunkId(7, 129)},
        {3, true, 0.0f, MakeChunkId(7, 130)},
        {0, false, 0.0f, kNullChunkId}, // a circus vehicle
        {4, false, 0.0f, kNullChunkId}, // a city vehicle
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        SpyWorld* world = WorldWithVehicle();
        ASSERT_NE(world->GetVehicle(), nullptr);
        const int32_t children = world->ChildCount();
        {
            CZooBeam beam;
            EXPECT_EQ(beam.Make(*world, app->GetPartFile(), *world->GetVehicle(), c.vehicle, &CountHit), c.made);
            ASSERT_EQ(beam.Get() != nullptr, c.made);
            EXPECT_EQ(world->ChildCount(), children + (c.made ? 1 : 0));
            if (PBeam* made = beam.Get()) {
                EXPECT_EQ(made->GetParent(), world);
                EXPECT_EQ(made->GetSource(), world->GetVehicle());
                EXPECT_TRUE(xProp_IsHidden(made)) << "off until the action key";
                EXPECT_EQ(made->GetState(), 1);
                EXPECT_EQ(made->GetPosition().x, 400.0f + c.shiftX);
                EXPECT_EQ(made->GetPosition().y, 300.0f);
                EXPECT_EQ(made->GetLaunchSound(), c.sound);
                EXPECT_EQ(made->GetFrameHook(), &CountHit);
            }
        }
        EXPECT_EQ(world->ChildCount(), children) << "the owner takes the beam out of the world";
        world->GetVehicle()->MoveBy(5.0f, 5.0f, 1, 1); // nothing hangs on the vehicle any more
        delete world;
    }
}

TEST_F(ZooBeamTest, TheBeamFollowsTheTurningVehicleFrameByFrameAndLightsWhatItFindsOnlyWhileOn) {
    for (const towns::zoo::BeamFit& fit : towns::zoo::kBeams) {
        SCOPED_TRACE("vehicle " + std::to_string(fit.vehicle));
        SpyWorld* world = WorldWithVehicle();
        TLV_Object* vehicle = world->GetVehicle();
        ASSERT_NE(vehicle, nullptr);
        CZooBeam beam;
        ASSERT_TRUE(beam.Make(*world, app->GetPartFile(), *vehicle, fit.vehicle, &CountHit));
        hits = 0;
        beam.Get()->OnIdle();
        EXPECT_EQ(hits, 0) << "a hidden beam finds nothing";
        EXPECT_TRUE(beam.SwitchOn());
        EXPECT_FALSE(beam.SwitchOn()) << "already on";
        EXPECT_FALSE(xProp_IsHidden(beam.Get()));

        // The model: a drive along a circle, one heading further each frame, through both groups.
        float x = 400.0f, y = 300.0f;
        for (int frame = 0; frame < 2 * kBeamStates; ++frame) {
            const double a = frame * 3.14159265358979 / 16.0;
            x += float(std::lround(6.0 * std::sin(a)));
            y += float(std::lround(3.0 * std::cos(a)));
            vehicle->SetPosition(CPointF(x, y), 0, 1);
            vehicle->SetState(frame % kBeamStates);
            beam.Get()->OnIdle();
            ASSERT_EQ(beam.Get()->GetPosition().x, x + fit.shift.x) << "frame " << frame;
            ASSERT_EQ(beam.Get()->GetPosition().y, y + fit.shift.y) << "frame " << frame;
            ASSERT_EQ(beam.Get()->GetState(), frame % kBeamStates) << "frame " << frame;
            ASSERT_EQ(hits, frame + 1) << "the hook runs each frame the beam is on";
        }
        beam.Remove();
        EXPECT_EQ(beam.Get(), nullptr);
        delete world;
    }
}

} // namespace
} // namespace vqt::test
