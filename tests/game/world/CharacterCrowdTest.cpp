// A crowd of characters walking and running for a long while in a driving world of blocker
// walls: no wall is ever crossed, no accepted place lies on a blocker's solid pixel, and the
// same seed replays the same crowd frame for frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/media/Host.h"
#include "game/world/characters/Dweeble.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

/// Two worlds of the same map: runs alternate between them so that each one starts afresh.
constexpr uint16_t kCrowdWorlds[2] = {76, 77};
constexpr uint16_t kCharacterPart = 3320;
constexpr int kCharacters = 20;
constexpr int kCrowdFrames = 3000;
constexpr uint32_t kSlowFrameMs = 400;
constexpr int kBlock = 10; ///< every blocker is 10 x 10 and solid
/// The pen: a closed square of blockers, its inside from kPen + kBlock to kPen + kPenSide.
constexpr int kPen = 300, kPenSide = 250;

/// Eight states (standing, walking, running and an action frame) of 6 x 12 pixels, the hot spot
/// at the feet.
PartPlan CharacterPart() {
    PartPlan part;
    for (int s = 0; s < 8; ++s)
        part.states.push_back(
            StatePlan{.frames = {{.picture = Picture(6, 12, uint8_t(s + 20)), .hotX = 3, .hotY = 11}}});
    return part;
}

/// The blockers' solid pixels, from the boxes the world files them by.
struct PixelModel {
    std::vector<CRect16> solids;
    bool Solid(int x, int y) const {
        for (const CRect16& r : solids)
            if (r.ContainsPoint(x, y)) return true;
        return false;
    }
    /// Whether the straight way from a to b (whole pixels) steps on a solid pixel.
    bool Crosses(CPoint16 a, CPoint16 b) const {
        int x = a.x, y = a.y;
        const int dx = std::abs(b.x - x), dy = -std::abs(b.y - y), sx = x < b.x ? 1 : -1, sy = y < b.y ? 1 : -1;
        for (int err = dx + dy;;) {
            if (Solid(x, y)) return true;
            if (x == b.x && y == b.y) return false;
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, x += sx;
            if (e2 <= dx) err += dx, y += sy;
        }
    }
};

CPoint16 Whole(const CPointF& p) { return CPoint16(int16_t(std::trunc(p.x)), int16_t(std::trunc(p.y))); }

bool InsidePen(const CPointF& p) {
    return p.x >= kPen && p.x < kPen + kPenSide + kBlock && p.y >= kPen && p.y < kPen + kPenSide + kBlock;
}

uint64_t Mix(uint64_t hash, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

/// What one run saw.
struct CrowdRun {
    std::vector<uint64_t> hashes; ///< one per frame over every character's state
    int nearWall = 0;             ///< characters that came within two blocks of a wall
    int ran = 0;                  ///< characters that ran at some time
};

class CharacterCrowdTest : public WorldFixture {
protected:
    void AddWorldData(GameData& data) override {
        data.parts.AddPart(CharacterPart(), kCharacterPart);
        for (uint16_t entry : kCrowdWorlds) AddWorld(data, entry, 500, {});
    }

    /// The pen's four sides and a wall across the open ground beside it.
    std::vector<Blocker*> Walls(SpyWorld* world) {
        std::vector<Blocker*> walls;
        const float c = kBlock / 2.0f;
        for (int i = 0; i <= kPenSide / kBlock; ++i) {
            const float along = float(kPen + kBlock * i) + c;
            walls.push_back(Add(world, new Blocker, along, kPen + c));
            walls.push_back(Add(world, new Blocker, along, kPen + kPenSide + c));
            walls.push_back(Add(world, new Blocker, kPen + c, along));
            walls.push_back(Add(world, new Blocker, kPen + kPenSide + c, along));
        }
        for (int i = 0; i < 30; ++i) walls.push_back(Add(world, new Blocker, 800 + c, 200.0f + kBlock * i + c));
        return walls;
    }

    /// Twenty characters, half in the pen and half outside, shying from a still prop in the
    /// pen's middle and one by the outer wall, driven for the run's frames.
    CrowdRun Run(uint16_t entry, uint32_t seed) {
        CrowdRun run;
        SpyWorld* world = ShowWorld(entry);
        if (!world) return run;
        // The game's host draws its idle pauses from the same random numbers on a clock of its
        // own; a fixed pause keeps it out of the crowd's draws.
        if (OHost* host = app->GetHost()) host->SetIdleInterval(OHost::kIdleBase, 0);
        PixelModel model;
        for (Blocker* wall : Walls(world)) model.solids.push_back(CWorldBuckets::BoxOf(wall));
        auto* inner = Add(world, new TLVSimple_Object, kPen + kPenSide / 2.0f, kPen + kPenSide / 2.0f);
        auto* outer = Add(world, new TLVSimple_Object, 760, 350);
        xSRand(seed);
        std::vector<Dweeble*> crowd;
        for (int i = 0; i < kCharacters; ++i) {
            const bool inPen = i % 2 == 0;
            const float x = inPen ? float(kPen + 30 + xRand() % (kPenSide - 60)) : float(600 + xRand() % 180);
            const float y = inPen ? float(kPen + 30 + xRand() % (kPenSide - 60)) : float(200 + xRand() % 300);
            auto* d = Add(world, new Dweeble, x, y);
            d->SetPartID(app->GetPartFile(), MakeChunkId(2, kCharacterPart), 1);
            d->SetWalkSpeed(40 + i * 3);
            d->SetRunSpeed(120 + i * 5);
            d->SetTargetObject(inPen ? inner : outer);
            crowd.push_back(d);
        }
        std::vector<CPointF> accepted(crowd.size());
        std::vector<bool> started(crowd.size()), inPen(crowd.size()), near(crowd.size()), ran(crowd.size());
        // The first fault ends the run (the loop stops at the next frame).
        for (int frame = 0; frame < kCrowdFrames && !HasFailure(); ++frame) {
            // Now and then a slow frame: a longer stride than the look-ahead saw.
            Frames(1, frame % 97 == 96 ? kSlowFrameMs : kFrameMs);
            uint64_t hash = 1469598103934665603ull;
            for (size_t i = 0; i < crowd.size(); ++i) {
                Dweeble* d = crowd[i];
                const CPointF place = d->GetLastPosition();
                const CPointF ground = d->GetGroundPosition();
                const int32_t states[2] = {d->GetBehaviourState(), d->GetState()};
                hash = Mix(hash, &place, sizeof place);
                hash = Mix(hash, &ground, sizeof ground);
                hash = Mix(hash, states, sizeof states);
                if (!d->HasLastPosition()) continue;
                SCOPED_TRACE("character " + std::to_string(i) + " frame " + std::to_string(frame));
                const CPoint16 at = Whole(place);
                EXPECT_FALSE(model.Solid(at.x, at.y)) << "accepted on a wall at " << at.x << "," << at.y;
                if (started[i]) {
                    const CPoint16 from = Whole(accepted[i]);
                    EXPECT_FALSE(model.Crosses(from, at))
                        << "from " << from.x << "," << from.y << " to " << at.x << "," << at.y;
                    EXPECT_EQ(InsidePen(place), inPen[i]) << "the pen's wall was crossed";
                } else {
                    started[i] = true;
                    inPen[i] = InsidePen(place);
                }
                accepted[i] = place;
                for (int dx = -2 * kBlock; dx <= 2 * kBlock && !near[i]; dx += kBlock)
                    for (int dy = -2 * kBlock; dy <= 2 * kBlock && !near[i]; dy += kBlock)
                        near[i] = model.Solid(at.x + dx, at.y + dy);
                ran[i] = ran[i] || d->GetBehaviourState() == 5;
            }
            run.hashes.push_back(hash);
        }
        for (size_t i = 0; i < crowd.size(); ++i) {
            run.nearWall += near[i];
            run.ran += ran[i];
        }
        return run;
    }
};

TEST_F(CharacterCrowdTest, TwentyCharactersAmongWallsNeverCrossOneAndEqualSeedsReplayEqually) {
    const uint32_t seeds[] = {3, 71, 2024};
    std::vector<uint64_t> lastHashes;
    for (const uint32_t seed : seeds) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const CrowdRun first = Run(kCrowdWorlds[0], seed);
        const CrowdRun again = Run(kCrowdWorlds[1], seed);
        ASSERT_EQ(first.hashes.size(), size_t(kCrowdFrames));
        ASSERT_EQ(again.hashes.size(), first.hashes.size());
        for (size_t f = 0; f < first.hashes.size(); ++f) ASSERT_EQ(first.hashes[f], again.hashes[f]) << "frame " << f;
        EXPECT_GE(first.nearWall, kCharacters / 2) << "the crowd reached the walls";
        EXPECT_GE(first.ran, kCharacters / 4) << "and ran from the props";
        EXPECT_NE(first.hashes, lastHashes) << "another seed, another crowd";
        lastHashes = first.hashes;
    }
}

} // namespace
} // namespace vqt::test
