// The round-ups' walls against their animals, on each generated map and each of its blocks: a
// step straight into a block is refused; an animal put inside a block is out of it after a
// frame, and roaming animals that start against the blocks never end a frame inside one; one put
// out stands only where its own steps could (past walls that touch, not across the track, clear
// of the map's edge margin and top band) and its next step starts there; and
// a loop driven by the arrow keys round a block catches an animal held against any side of it
// or inside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <vector>

#include "game/shell/StillProps.h"
#include "game/world/WorldBuckets.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/minigames/roundup/RoundUpFixture.h"

namespace vqt::test {
namespace {

constexpr int32_t kLeft = 0x25, kRight = 0x27;

/// The boxes of the blocks of a round-up's map, as the world lists them.
std::vector<CRect16> Blocks(CRoundUpActivity* r) {
    std::vector<CRect16> out;
    const auto& list = r->GetList(TLVWorld_Activity::kBlockers);
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto* block = dynamic_cast<TLV_Object*>(list.GetAt(i));
        if (block && block->IsA(Blocker::kClassId)) out.push_back(CWorldBuckets::BoxOf(block->GetCollisionBody()));
    }
    return out;
}

bool InsideAny(const std::vector<CRect16>& blocks, const CPointF& p) {
    return std::any_of(blocks.begin(), blocks.end(),
                       [&](const CRect16& b) { return b.ContainsPoint(int32_t(p.x), int32_t(p.y)); });
}

CPointF Middle(const CRect16& b) { return CPointF((b.left + b.right) / 2.0f, (b.top + b.bottom) / 2.0f); }

/// Where an animal is put by a block: in its middle, or on the first free pixel past a side.
struct Place {
    const char* name;
    CPointF (*at)(const CRect16& block);
};
const Place kPlaces[] = {
    {"inside", [](const CRect16& b) { return Middle(b); }},
    {"against the left side", [](const CRect16& b) { return CPointF(b.left - 1.0f, Middle(b).y); }},
    {"against the right side", [](const CRect16& b) { return CPointF(b.right, Middle(b).y); }},
    {"against the top", [](const CRect16& b) { return CPointF(Middle(b).x, b.top - 1.0f); }},
    {"against the bottom", [](const CRect16& b) { return CPointF(Middle(b).x, b.bottom); }},
};

const Town kTowns[] = {kCircus, kZoo, kCity};

class RoundUpBlockTest : public RoundUpFixture {
protected:
    /// The orbit round a block and the animal standing at `at` by it (stage pixels with the
    /// view's vertical squash undone): the farthest corner of either, and room for the vehicle
    /// past it.
    static double OrbitRound(CRoundUpActivity* r, const CRect16& block, const DRoundUp* animal, const CPointF& at) {
        const CPointF m = Middle(block), g = animal->GetGroundPosition();
        const CRect16 sprite = CWorldBuckets::BoxOf(animal).Offset(int32_t(at.x - g.x), int32_t(at.y - g.y));
        double reach = 0.0;
        for (const CRect16& box : {block, sprite})
            for (const int16_t x : {box.left, box.right})
                for (const int16_t y : {box.top, box.bottom})
                    reach = std::max(reach, std::hypot(double(x) - m.x, 2.0 * (double(y) - m.y)));
        const TLV_Object* vehicle = r->GetVehicle();
        return reach + std::hypot(vehicle->GetWidth() / 2.0, double(vehicle->GetHeight())) + 4.0;
    }

    /// Sets the standing vehicle on the right of the orbit round `centre` and waits there until
    /// the track behind has faded (the jump there may close a loop of its own).
    void StandOnOrbit(CRoundUpActivity* r, CPointF centre, double radius) {
        r->GetVehicle()->SetPosition(CPointF(float(centre.x + radius), centre.y), 0, 1);
        for (int f = 0; f < 4 * CRoundUpTrack::kSegmentLimit; ++f) {
            PutBackHeld(r);
            Frames(1, kFrameMs);
        }
    }

    /// Drives the vehicle by the arrow keys from its stand round `centre` at `radius`, until
    /// `done` or `frames` have passed; the vehicle stands again after.
    bool DriveRound(CRoundUpActivity* r, CPointF centre, double radius, const std::function<bool()>& done, int frames) {
        auto* vehicle = dynamic_cast<VIsometric*>(r->GetVehicle());
        EXPECT_NE(vehicle, nullptr);
        if (!vehicle) return false;
        Type(' ');
        bool reached = false;
        for (int f = 0; f < frames && !(reached = done()); ++f) {
            const CPointF v = vehicle->GetPosition();
            const double rx = double(v.x) - centre.x, ry = 2.0 * (double(v.y) - centre.y);
            const double distance = std::max(1.0, std::hypot(rx, ry));
            const double ux = rx / distance, uy = ry / distance;
            // Along the orbit, counter-clockwise on the stage, pulled back onto it.
            const double pull = std::clamp((distance - radius) / 30.0, -1.0, 1.0);
            const double wantX = uy - pull * ux, wantY = -ux - pull * uy;
            Vec3 h;
            vehicle->GetHeadingVector(&h);
            const double cross = double(h.x) * wantY - 2.0 * double(h.y) * wantX;
            input().SetKeyDown(kRight, cross > 0.05);
            input().SetKeyDown(kLeft, cross < -0.05);
            PutBackHeld(r);
            Frames(1, kFrameMs);
        }
        input().SetKeyDown(kRight, false);
        input().SetKeyDown(kLeft, false);
        if (r->GetSpaceLatch() == TLVWorld_Activity::kLatchDrive) Type(' ');
        return reached;
    }
};

TEST_F(RoundUpBlockTest, AStepStraightIntoABlockIsRefusedAndOneAlongItsSideIsNot) {
    for (const Town& town : kTowns) {
        CRoundUpActivity* r = Start(town, 1);
        ASSERT_NE(r, nullptr);
        const std::vector<CRect16> blocks = Blocks(r);
        ASSERT_FALSE(blocks.empty()) << "the generated map has blocks";
        for (const CRect16& b : blocks) {
            SCOPED_TRACE(testing::Message() << "round-up " << town.entry << ", block at " << b.left << "," << b.top);
            const CPointF m = Middle(b);
            const int16_t x = int16_t(m.x), y = int16_t(m.y);
            const struct {
                CPoint16 from, to;
                bool free;
            } steps[] = {
                {{int16_t(b.left - 4), y}, {int16_t(b.left + 2), y}, false},           // right, across the left side
                {{int16_t(b.right + 3), y}, {int16_t(b.right - 3), y}, false},         // left, across the right side
                {{x, int16_t(b.top - 4)}, {x, int16_t(b.top + 2)}, false},             // down, across the top
                {{x, int16_t(b.bottom + 3)}, {x, int16_t(b.bottom - 3)}, false},       // up, across the bottom
                {{int16_t(b.left - 3), int16_t(b.top - 3)}, {int16_t(b.left + 3), int16_t(b.top + 3)}, false},
                {{x, int16_t(b.top - 1)}, {int16_t(x + 8), int16_t(b.top - 1)}, true}, // along the top
                {{x, b.bottom}, {int16_t(x - 8), b.bottom}, true},                     // along the bottom
                {{int16_t(b.left - 1), y}, {int16_t(b.left - 1), int16_t(y + 8)}, true}, // down the left side
                {{b.right, y}, {b.right, int16_t(y - 8)}, true},                       // up the right side
            };
            for (const auto& s : steps)
                EXPECT_EQ(r->CanMoveTo(s.from.x, s.from.y, s.to.x, s.to.y, 1), s.free)
                    << "from " << s.from.x << "," << s.from.y << " to " << s.to.x << "," << s.to.y;
        }
        Leave();
    }
}

TEST_F(RoundUpBlockTest, AnAnimalPutInsideABlockIsOutPastItsNearestSideAfterOneFrame) {
    for (const Town& town : kTowns) {
        CRoundUpActivity* r = Start(town, 1);
        ASSERT_NE(r, nullptr);
        CloseStartPanel(r);
        const std::vector<CRect16> blocks = Blocks(r);
        ASSERT_FALSE(blocks.empty()) << "the generated map has blocks";
        DRoundUp* animal = Animals(r).at(0);
        for (const CRect16& b : blocks) {
            SCOPED_TRACE(testing::Message() << "round-up " << town.entry << ", block at " << b.left << "," << b.top);
            // Nearer the top than the bottom, and far from the sides.
            const CPoint16 at(int16_t(Middle(b).x), int16_t(b.top + 5));
            animal->SnapToPoint(at);
            animal->TakeLastPosition();
            ASSERT_TRUE(InsideAny(blocks, animal->GetGroundPosition()));
            Frames(1, kFrameMs);
            const CPointF g = animal->GetGroundPosition();
            EXPECT_FALSE(InsideAny(blocks, g)) << "at " << g.x << "," << g.y;
            EXPECT_NEAR(g.y, b.top - 1.0f, 2.0f) << "out past the top";
            EXPECT_NEAR(g.x, at.x, 2.0f);
        }
        Leave();
    }
}

TEST_F(RoundUpBlockTest, RoamingAnimalsStartedAgainstTheBlocksNeverEndAFrameInsideOne) {
    constexpr int kSeconds = 25;
    // A seed whose level 3 animals, left alone, walk into a wall within a few seconds.
    constexpr uint32_t kSeed = 5;
    for (const Town& town : kTowns) {
        SCOPED_TRACE(testing::Message() << "round-up " << town.entry);
        CRoundUpActivity* r = Start(town, 3, 0, kSeed);
        ASSERT_NE(r, nullptr);
        CloseStartPanel(r);
        const std::vector<CRect16> blocks = Blocks(r);
        ASSERT_FALSE(blocks.empty()) << "the generated map has blocks";
        // The animals go round the blocks in turn, against each side of the table.
        const std::vector<DRoundUp*> animals = Animals(r);
        for (size_t i = 0; i < animals.size(); ++i) {
            const CPointF at = kPlaces[1 + i % (std::size(kPlaces) - 1)].at(blocks[i % blocks.size()]);
            animals[i]->SnapToPoint(CPoint16(int16_t(at.x), int16_t(at.y)));
            animals[i]->TakeLastPosition();
        }
        r->GetVehicle()->SetPosition(CPointF(640, 560), 0, 1);
        float roamed = 0.0f;
        for (int frame = 0; frame < kSeconds * 1000 / int(kFrameMs); ++frame) {
            std::vector<CPointF> before;
            for (DRoundUp* a : animals) before.push_back(a->GetGroundPosition());
            Frames(1, kFrameMs);
            for (size_t i = 0; i < animals.size(); ++i) {
                const CPointF g = animals[i]->GetGroundPosition();
                roamed += std::hypot(g.x - before[i].x, g.y - before[i].y);
                ASSERT_FALSE(InsideAny(blocks, g))
                    << "animal " << i << " inside a block at " << g.x << "," << g.y << " after frame " << frame;
            }
        }
        EXPECT_GT(roamed, 100.0f * float(animals.size())) << "the animals did roam";
        Leave();
    }
}

/// An animal put out of a wall where its own steps could not stand there: a second wall
/// touching the first, the track laid through the wall, the map's edge margin, its top band.
/// Walls are 96 x 48 (the generated map's); places are the first wall's box's sides.
struct WayOutRow {
    const char* name;
    /// The walls' middles, the first the one the animal stands in.
    std::vector<CPointF> walls;
    /// Where the animal stands, from the first wall's box.
    CPointF (*at)(const CRect16& wall);
    /// A track line laid through the first wall, 2 px inside its right side, top to bottom.
    bool track;
};
const WayOutRow kWayOutRows[] = {
    {"one wall: out past its nearest side", {{560, 150}}, [](const CRect16& b) { return CPointF(b.right - 4.0f, b.top + 20.0f); }, false},
    {"a second wall touches the nearest side", {{560, 150}, {656, 150}},
     [](const CRect16& b) { return CPointF(b.right - 4.0f, b.top + 20.0f); }, false},
    {"a second wall touches the nearest side below", {{560, 150}, {560, 198}},
     [](const CRect16& b) { return CPointF(b.left + 40.0f, b.bottom - 3.0f); }, false},
    {"walls touch three sides", {{560, 150}, {656, 150}, {464, 150}, {560, 198}},
     [](const CRect16& b) { return CPointF(b.right - 4.0f, b.bottom - 3.0f); }, false},
    {"walls touch every side: out past the nearest of them", {{560, 150}, {656, 150}, {464, 150}, {560, 198}, {560, 102}},
     [](const CRect16& b) { return CPointF(b.right - 4.0f, b.bottom - 3.0f); }, false},
    {"the track lies between it and the nearest side", {{560, 150}},
     [](const CRect16& b) { return CPointF(b.right - 5.0f, b.top + 20.0f); }, true},
    {"the nearest side is in the edge margin", {{49, 150}}, [](const CRect16& b) { return CPointF(b.left + 3.0f, b.top + 20.0f); }, false},
    {"the nearest side is in the top band", {{560, 64}}, [](const CRect16& b) { return CPointF(b.left + 40.0f, b.top + 3.0f); }, false},
};

TEST_F(RoundUpBlockTest, AnAnimalPutOutOfAWallStandsWhereItsOwnStepsCouldAndIsJudgedFromThere) {
    constexpr int kEdgeMargin = 5, kTopBand = 50;
    for (const WayOutRow& row : kWayOutRows) {
        SCOPED_TRACE(row.name);
        CRoundUpActivity* r = Start(kCircus, 1);
        ASSERT_NE(r, nullptr);
        CloseStartPanel(r);
        auto* mapWall = dynamic_cast<TLV_Object*>(r->GetList(TLVWorld_Activity::kBlockers).GetAt(0));
        ASSERT_NE(mapWall, nullptr);
        ChunkId wallPart = kNullChunkId;
        mapWall->GetPartID(&wallPart);
        std::vector<CRect16> walls;
        for (const CPointF& middle : row.walls) {
            auto* wall = new Blocker;
            wall->SetPartID(app->GetPartFile(), wallPart, 1);
            wall->SetPosition(middle, 0, 0);
            r->AddChild(wall);
            r->AddProp(wall);
            wall->CreateOverlay();
            walls.push_back(CWorldBuckets::BoxOf(wall));
        }
        const CRect16 first = walls.front();
        ASSERT_EQ(first.right - first.left, 96);
        const CRect16 map = r->GetMapRect();
        // The vehicle waits below, at the end of the track when there is one.
        const CPoint16 trackTop(int16_t(first.right - 3), int16_t(first.top - 40)),
            trackEnd(int16_t(first.right - 3), int16_t(first.bottom + 70));
        r->GetVehicle()->SetPosition(CPointF(trackEnd.x, trackEnd.y), 0, 1);
        r->Track().Clear();
        if (row.track) {
            r->Track().Step(trackTop, 0, nullptr);
            r->Track().Step(trackEnd, 0, nullptr);
        }
        const CPointF at = row.at(first);
        DRoundUp* animal = Animals(r).at(0);
        animal->SnapToPoint(CPoint16(int16_t(at.x), int16_t(at.y)));
        animal->TakeLastPosition();
        ASSERT_TRUE(InsideAny(walls, animal->GetGroundPosition()));
        Frames(1, kFrameMs);
        const CPointF g = animal->GetGroundPosition();
        EXPECT_FALSE(InsideAny(walls, g) || InsideAny(Blocks(r), g)) << "at " << g.x << "," << g.y;
        EXPECT_GE(g.x, map.left + kEdgeMargin) << "at " << g.x << "," << g.y;
        EXPECT_LT(g.x, map.right - kEdgeMargin);
        EXPECT_GE(g.y, map.top + kTopBand) << "at " << g.x << "," << g.y;
        EXPECT_FALSE(r->GetTrack().Crosses({CPoint16(int16_t(at.x), int16_t(at.y)), CPoint16(int16_t(g.x), int16_t(g.y))}))
            << "put across the track to " << g.x << "," << g.y;
        EXPECT_LE(std::hypot(g.x - at.x, g.y - at.y), 100.0f) << "out near where it stood: " << g.x << "," << g.y;
        EXPECT_NEAR(animal->GetLastPosition().x, g.x, 1.0f) << "its next step is judged from its new place";
        EXPECT_NEAR(animal->GetLastPosition().y, g.y, 1.0f) << "its next step is judged from its new place";
        Leave();
    }
}

/// A town's round-up, the vehicle's speed and how many of the table's places it drives round:
/// a loop round a block and an animal on its top is longer than the track lasts at the normal
/// speed (the siren's is the speed for wide loops), one round the block alone is not.
struct LoopRow {
    Town town;
    bool siren;
    size_t places;
};
void PrintTo(const LoopRow& row, std::ostream* out) {
    *out << "round-up " << row.town.entry << (row.siren ? " with the siren" : " at the normal speed");
}

class RoundUpBlockLoopTest : public RoundUpBlockTest, public ::testing::WithParamInterface<LoopRow> {};

TEST_P(RoundUpBlockLoopTest, ALoopDrivenRoundABlockCatchesAnAnimalHeldAgainstOrInsideIt) {
    const LoopRow& row = GetParam();
    // A round-up for each block: the level's eight animals cover the table's places.
    ASSERT_LE(row.places, std::size(kPlaces));
    for (size_t blockIndex = 0, blockCount = 1; blockIndex < blockCount; ++blockIndex) {
        CRoundUpActivity* r = Start(row.town, 2);
        ASSERT_NE(r, nullptr);
        CloseStartPanel(r);
        const std::vector<CRect16> blocks = Blocks(r);
        ASSERT_FALSE(blocks.empty()) << "the generated map has blocks";
        blockCount = blocks.size();
        const CRect16 block = blocks[blockIndex];
        if (row.siren) r->OnKey(CTLVActivity::kKeyCtrl);
        // The animals wait in a row across the middle, away from every block and orbit.
        const std::vector<DRoundUp*> animals = Animals(r);
        ASSERT_GE(animals.size(), std::size(kPlaces));
        for (size_t i = 0; i < animals.size(); ++i) HoldStill(animals[i], 420.0f + 60.0f * float(i), 520.0f);
        for (size_t p = 0; p < row.places; ++p) {
            SCOPED_TRACE(testing::Message() << "an animal " << kPlaces[p].name << " of the block at " << block.left
                                            << "," << block.top);
            DRoundUp* animal = animals[p];
            const CPointF at = kPlaces[p].at(block);
            const double radius = OrbitRound(r, block, animal, at);
            StandOnOrbit(r, Middle(block), radius);
            // Only now at its place, where no loop but the one driven round it can catch it.
            animal->SnapToPoint(CPoint16(int16_t(at.x), int16_t(at.y)));
            held_[p].second = animal->GetPosition();
            const uint16_t left = r->GetAnimalsLeft();
            EXPECT_TRUE(DriveRound(r, Middle(block), radius, [&] { return animal->IsCaught(); }, 700));
            EXPECT_EQ(r->GetAnimalsLeft(), left - 1) << "the loop caught that animal alone";
        }
        held_.clear();
        Leave();
    }
}

const LoopRow kLoopRows[] = {
    {kCircus, true, std::size(kPlaces)}, {kZoo, true, std::size(kPlaces)}, {kCity, true, std::size(kPlaces)},
    {kCircus, false, 1},                 {kZoo, false, 1},                 {kCity, false, 1},
};
INSTANTIATE_TEST_SUITE_P(Towns, RoundUpBlockLoopTest, ::testing::ValuesIn(kLoopRows),
                         [](const ::testing::TestParamInfo<LoopRow>& info) {
                             return std::to_string(info.param.town.entry) + (info.param.siren ? "Siren" : "Normal");
                         });

} // namespace
} // namespace vqt::test
