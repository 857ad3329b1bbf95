// The city's canister bursts on a test world: how many throws a burst makes and when (on a
// virtual clock), the setting another vehicle keeps, the pool's reuse, and each throw's flight
// along every one of the 32 headings against a model of the heading, distance and time, frame by
// frame until the canister lands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "game/shell/PParticle.h"
#include "game/shell/StillProps.h"
#include "game/world/towns/CanisterThrower.h"
#include "game/world/vehicles/VehicleHeadings.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

/// The clock steps a millisecond at a time: a throw leaves on the first tick past its interval.
constexpr uint32_t kStepMs = 1;

/// A canister's part: standing, flying, landed.
PartPlan CanisterPart() {
    PartPlan part;
    for (int s = 0; s < 3; ++s)
        part.states.push_back(StatePlan{.frames = {FramePlan{.picture = Picture(6, 6, uint8_t(s + 1)), .hotX = 3, .hotY = 3}}});
    return part;
}

bool NoHit(TLV_Object*) { return false; }

CCanisterThrower::Aim AimAlong(int heading) {
    return {CPointF(1000.0f, 800.0f), HeadingTable[size_t(heading)], 12.0f};
}

/// The canisters shown now.
int ShownCanisters(const CCanisterThrower& thrower) {
    int shown = 0;
    for (int32_t i = 0; i < thrower.GetPool().Count(); ++i) shown += !xProp_IsHidden(thrower.GetPool().GetAt(i));
    return shown;
}

class CanisterThrowerTest : public WorldFixture {
protected:
    void AddWorldData(GameData& data) override {
        for (const towns::city::CanisterBurst& b : towns::city::kCanisterBursts) data.parts.AddPart(CanisterPart(), ChunkEntryOf(b.part));
    }

    /// The ticks (from the start) at which a burst's throws leave.
    std::vector<uint32_t> ThrowTimes(CCanisterThrower& thrower, uint16_t vehicle, bool* started) {
        std::vector<uint32_t> times;
        const int before = ShownCanisters(thrower);
        *started = thrower.Start(vehicle, AimAlong(0));
        int seen = before;
        for (uint32_t t = 0; t <= 300; t += kStepMs) {
            if (t > 0) {
                clock().Advance(kStepMs);
                thrower.Step(AimAlong(0));
            }
            for (int shown = ShownCanisters(thrower); seen < shown; ++seen) times.push_back(t);
        }
        return times;
    }
};

TEST_F(CanisterThrowerTest, EachVehicleThrowsItsCountItsIntervalApartAndAnotherVehicleKeepsTheLastSetting) {
    struct Case {
        uint16_t vehicle;
        bool started;
        std::vector<uint32_t> times;
    };
    const Case cases[] = {
        {2, false, {}},                  // no setting yet: nothing
        {4, true, {0, 46, 92}},
        {2, true, {0, 46, 92}},          // keeps the city's last setting
        {5, true, {0, 21, 42, 63, 84}},
        {3, true, {0, 21, 42, 63, 84}},
    };
    auto* world = new SpyWorld;
    CCanisterThrower thrower(*world, app->GetPartFile(), &NoHit);
    for (const Case& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        for (int32_t i = 0; i < thrower.GetPool().Count(); ++i) thrower.GetPool().GetAt(i)->SetVisible(0, 0); // all landed
        bool started = false;
        EXPECT_EQ(ThrowTimes(thrower, c.vehicle, &started), c.times);
        EXPECT_EQ(started, c.started);
        EXPECT_FALSE(thrower.IsRunning());
    }
    EXPECT_EQ(thrower.GetPool().Count(), 5) << "landed canisters are thrown again";
    delete world;
}

TEST_F(CanisterThrowerTest, ABurstIsNotRestartedWhileItRunsAndDoesNotThrowOneCanisterTwice) {
    auto* world = new SpyWorld;
    CCanisterThrower thrower(*world, app->GetPartFile(), &NoHit);
    ASSERT_TRUE(thrower.Start(5, AimAlong(8)));
    EXPECT_EQ(thrower.GetLeft(), 4);
    EXPECT_FALSE(thrower.Start(5, AimAlong(8))) << "the action key during a burst";
    // A canister that lands during the burst stays out of it.
    thrower.GetPool().GetAt(0)->SetVisible(0, 0);
    for (int i = 0; i < 4; ++i) {
        clock().Advance(21);
        thrower.Step(AimAlong(8));
    }
    EXPECT_FALSE(thrower.IsRunning());
    EXPECT_EQ(thrower.GetPool().Count(), 5);
    EXPECT_EQ(world->ChildCount(), 5) << "the world holds every canister";
    delete world;
}

TEST_F(CanisterThrowerTest, EveryThrowFliesAlongTheVehiclesHeadingItsDistanceInItsTime) {
    for (const towns::city::CanisterBurst& burst : towns::city::kCanisterBursts) {
        auto* world = new SpyWorld;
        CCanisterThrower thrower(*world, app->GetPartFile(), &NoHit);
        for (int heading = 0; heading < 32; ++heading) {
            SCOPED_TRACE("vehicle " + std::to_string(burst.vehicle) + ", heading " + std::to_string(heading));
            for (int32_t i = 0; i < thrower.GetPool().Count(); ++i) thrower.GetPool().GetAt(i)->SetVisible(0, 0);
            const CCanisterThrower::Aim aim = AimAlong(heading);
            ASSERT_TRUE(thrower.Start(burst.vehicle, aim));
            PParticle* canister = nullptr;
            for (int32_t i = 0; i < thrower.GetPool().Count(); ++i)
                if (!xProp_IsHidden(thrower.GetPool().GetAt(i))) canister = thrower.GetPool().GetAt(i);
            ASSERT_NE(canister, nullptr);
            // The model: the heading's direction on the ground, the burst's distance and time.
            const double angle = std::atan2(double(aim.heading.y), double(aim.heading.x));
            const double ux = std::cos(angle), uy = std::sin(angle);
            EXPECT_EQ(canister->GetTarget().x, int16_t(std::lround(1000.0 + ux * burst.distance)));
            EXPECT_EQ(canister->GetTarget().y, int16_t(std::lround(800.0 + uy * burst.distance)));
            EXPECT_EQ(canister->GetPosition().x, 1000.0f);
            EXPECT_EQ(canister->GetPosition().y, 800.0f);
            const double speed = burst.distance * 1000.0 / burst.flightMs;
            EXPECT_NEAR(canister->GetVelocity().x, ux * speed, 1e-3);
            EXPECT_NEAR(canister->GetVelocity().y, uy * speed, 1e-3);
            EXPECT_EQ(canister->GetLaunchHeight(), 12);
            EXPECT_EQ(canister->GetSpin(), 2000.0f);
            EXPECT_EQ(canister->GetState(), 1);
            EXPECT_EQ(canister->GetFrameHook(), &NoHit);
            while (thrower.IsRunning()) {
                clock().Advance(burst.intervalMs + 1);
                thrower.Step(aim);
            }
        }
        delete world;
    }
}

TEST_F(CanisterThrowerTest, EveryCanisterOfABurstIsWhereTheModelPutsItAtEachFrameUntilItLands) {
    // The model, frame by frame (16 ms): throw k+1 leaves at the first frame more than the
    // interval after throw k; a canister flies its ground line at distance / flight per second
    // while its height falls from 12 as 12 (t / flight)^2, and at the first frame past its
    // flight it stops where the frame before left it, in the part's landing state.
    constexpr uint32_t kFrame = 16;
    constexpr int kLaunchHeight = 12;
    for (const towns::city::CanisterBurst& burst : towns::city::kCanisterBursts) {
        auto* world = new SpyWorld;
        CCanisterThrower thrower(*world, app->GetPartFile(), &NoHit);
        for (int heading = 0; heading < 32; ++heading) {
            const CCanisterThrower::Aim aim = AimAlong(heading);
            for (int32_t i = 0; i < thrower.GetPool().Count(); ++i) thrower.GetPool().GetAt(i)->SetVisible(0, 0);
            const double angle = std::atan2(double(aim.heading.y), double(aim.heading.x));
            const double speed = burst.distance * 1000.0 / burst.flightMs;
            const double vx = std::cos(angle) * speed, vy = std::sin(angle) * speed;

            struct Flight {
                PParticle* canister;
                uint32_t thrownAt;
                bool landed;
            };
            std::vector<Flight> flights;
            const auto takeNewThrows = [&](uint32_t now) {
                for (int32_t i = 0; i < thrower.GetPool().Count(); ++i) {
                    PParticle* c = thrower.GetPool().GetAt(i);
                    const bool known = std::any_of(flights.begin(), flights.end(), [&](const Flight& f) { return f.canister == c; });
                    if (!known && !xProp_IsHidden(c)) flights.push_back({c, now, false});
                }
            };
            ASSERT_TRUE(thrower.Start(burst.vehicle, aim));
            takeNewThrows(0);
            std::vector<uint32_t> expectedThrows{0};
            while (int(expectedThrows.size()) < burst.count) {
                uint32_t t = expectedThrows.back() + kFrame;
                while (t - expectedThrows.back() <= burst.intervalMs) t += kFrame;
                expectedThrows.push_back(t);
            }
            const uint32_t end = expectedThrows.back() + burst.flightMs + 2 * kFrame;
            for (uint32_t now = kFrame; now <= end; now += kFrame) {
                clock().Advance(kFrame);
                thrower.Step(aim);
                takeNewThrows(now);
                for (Flight& f : flights) {
                    if (f.landed) continue;
                    f.canister->OnIdle();
                    const uint32_t dt = now - f.thrownAt;
                    const bool landing = dt > burst.flightMs;
                    // Where the last flying frame left it.
                    const uint32_t flown = landing ? (burst.flightMs / kFrame) * kFrame : dt;
                    const std::string where = "vehicle " + std::to_string(burst.vehicle) + ", heading " +
                                              std::to_string(heading) + ", thrown at " + std::to_string(f.thrownAt) +
                                              " ms, now " + std::to_string(now) + " ms";
                    ASSERT_NEAR(f.canister->GetPosition().x, 1000.0 + vx * flown / 1000.0, 0.01) << where;
                    ASSERT_NEAR(f.canister->GetPosition().y, 800.0 + vy * flown / 1000.0, 0.01) << where;
                    if (landing) {
                        ASSERT_EQ(f.canister->GetState(), 2) << where << ": the landing state";
                        ASSERT_EQ(f.canister->GetVelocity().x, 0.0f) << where;
                        ASSERT_EQ(f.canister->GetVelocity().y, 0.0f) << where;
                        f.landed = true;
                    } else {
                        ASSERT_EQ(f.canister->GetState(), 1) << where << ": flying";
                        const int64_t fallen = int64_t(kLaunchHeight) * dt * dt / (int64_t(burst.flightMs) * burst.flightMs);
                        ASSERT_EQ(f.canister->GetHeight(), kLaunchHeight - fallen) << where;
                    }
                }
            }
            std::vector<uint32_t> throws;
            for (const Flight& f : flights) throws.push_back(f.thrownAt);
            EXPECT_EQ(throws, expectedThrows) << "vehicle " << burst.vehicle << ", heading " << heading;
            EXPECT_TRUE(std::all_of(flights.begin(), flights.end(), [](const Flight& f) { return f.landed; }));
        }
        delete world;
    }
}

} // namespace
} // namespace vqt::test
