// The round-up's track on scripted vehicle paths: segments and marks against the formula,
// which segments are tested for crossings, the limit and fading, the mark pool, the move test
// and whole loops driven around a still animal.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/core/ActivityProp.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "game/minigames/roundup/RoundUpMark.h"
#include "game/minigames/roundup/RoundUpTrack.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

/// A track whose marks get a part of 64 empty states (32 headings and their fades).
class DressedTrack : public CRoundUpTrack {
public:
    explicit DressedTrack(ONode* owner) : CRoundUpTrack(owner, nullptr) {}

protected:
    void LoadMarkArt(Round_Up_Track* mark, ChunkId) override {
        if (mark->GetAnimSet() != nullptr) return;
        auto* part = new CPart;
        for (int i = 0; i < 64; ++i) {
            auto* state = new CState;
            state->stateId = MakeChunkId(3, uint16_t(i + 1));
            part->AddState(state);
        }
        mark->SetAnimSet(part);
    }
};

class RoundUpTrackTest : public HeadlessTest {
protected:
    /// Crossings handed to the catcher, by the index of the crossed segment.
    std::vector<int32_t> crossed;
    CRoundUpTrack::Catcher Recorder() {
        return [this](int32_t from) {
            crossed.push_back(from);
            return 0;
        };
    }
    void Drive(CRoundUpTrack& track, const std::vector<CPoint16>& path, int32_t heading = 3) {
        for (const CPoint16& p : path) track.Step(p, heading, Recorder());
    }

    OActivityProp owner{"Owner", OActivityProp::kClassId};
};

TEST_F(RoundUpTrackTest, TheFirstStepOnlyRecordsThePlace) {
    DressedTrack track(&owner);
    EXPECT_EQ(track.Step(CPoint16(100, 100), 0, Recorder()), 0);
    EXPECT_EQ(track.SegmentCount(), 0);
    EXPECT_EQ(track.GetPreviousPoint(), CPoint16(100, 100));
    EXPECT_TRUE(track.GetPool().empty());
}

TEST_F(RoundUpTrackTest, MarksAreLaidAlongEachSegmentByTheLongerAxis) {
    const struct {
        CPoint16 from, to;
        uint16_t intervals;
    } cases[] = {
        {{100, 100}, {137, 112}, 7}, {{100, 100}, {63, 100}, 7}, {{100, 100}, {104, 96}, 1},
        {{100, 100}, {100, 151}, 10}, {{100, 100}, {100, 100}, 1}, {{0, 10}, {-9, -24}, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.to.x << "," << c.to.y);
        DressedTrack track(&owner);
        Drive(track, {c.from, c.to}, 17);
        ASSERT_EQ(track.SegmentCount(), 1);
        const auto& segment = track.GetSegment(0);
        EXPECT_EQ(segment.markCount, c.intervals);
        EXPECT_EQ(CRoundUpTrack::MarkIntervals({c.from, c.to}), c.intervals);
        ASSERT_EQ(segment.marks.size(), size_t(c.intervals) + 1);
        for (size_t i = 0; i < segment.marks.size(); ++i) {
            const float t = float(i) / float(c.intervals);
            const CPointF at = segment.marks[i]->GetPosition();
            EXPECT_NEAR(at.x, c.from.x + (c.to.x - c.from.x) * t, 1e-3);
            EXPECT_NEAR(at.y, c.from.y + (c.to.y - c.from.y) * t, 1e-3);
            EXPECT_EQ(segment.marks[i]->GetState(), 17);
            EXPECT_TRUE(segment.marks[i]->IsVisible());
            EXPECT_EQ(segment.marks[i]->GetObjectId(), Round_Up_Track::kInUse);
            EXPECT_TRUE(owner.HasChild(segment.marks[i]));
        }
    }
}

TEST_F(RoundUpTrackTest, OnlySegmentsOlderThanThePredecessorAreTested) {
    const struct {
        const char* name;
        std::vector<CPoint16> path;
        std::vector<int32_t> crossed;
    } cases[] = {
        // A zig back over the predecessor: it shares the start point, so it is never tested.
        {"back over the predecessor", {{0, 10}, {100, 10}, {50, 10}}, {}},
        // A square whose fourth side meets the first one at its start (a touch).
        {"closing a square", {{10, 10}, {110, 10}, {110, 110}, {10, 110}, {10, 10}}, {0}},
        // Standing still on the track adds a point segment that is never tested.
        {"standing on the track", {{10, 10}, {110, 10}, {110, 110}, {60, 10}, {60, 10}}, {0}},
        // A figure crossing the two oldest segments.
        {"crossing two", {{10, 10}, {110, 10}, {110, 110}, {150, 110}, {150, 60}, {0, 60}}, {1}},
        {"crossing through a shared corner", {{10, 10}, {110, 10}, {110, 110}, {210, 110}, {210, 0}, {10, 20}}, {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        crossed.clear();
        DressedTrack track(&owner);
        Drive(track, c.path);
        EXPECT_EQ(crossed, c.crossed);
    }
}

TEST_F(RoundUpTrackTest, APointSegmentHasTwoMarksAtOnePlaceAndIsNotTested) {
    DressedTrack track(&owner);
    Drive(track, {{10, 10}, {110, 10}, {110, 110}, {60, 10}});
    crossed.clear();
    track.Step(CPoint16(60, 10), 0, Recorder());
    const auto& point = track.GetSegment(track.SegmentCount() - 1);
    ASSERT_EQ(point.marks.size(), 2u);
    EXPECT_EQ(point.marks[0]->GetPosition(), point.marks[1]->GetPosition());
    EXPECT_TRUE(crossed.empty());
}

TEST_F(RoundUpTrackTest, OnlyTheNewest83SegmentsStayTheOldestFadeBackIntoThePool) {
    DressedTrack track(&owner);
    std::vector<CPoint16> path;
    for (int i = 0; i <= 90; ++i) path.push_back(CPoint16(int16_t(10 + 10 * i), 50)); // a straight run
    Drive(track, path, 5);
    EXPECT_EQ(track.SegmentCount(), 83);
    EXPECT_TRUE(crossed.empty());
    int fading = 0, free = 0;
    for (Round_Up_Track* mark : track.GetPool()) {
        fading += mark->GetState() == 5 + Round_Up_Track::kFadeStates;
        if (mark->GetState() >= Round_Up_Track::kFadeStates) {
            mark->OnAnimationEnd();
            EXPECT_FALSE(mark->IsVisible());
            free += mark->IsFree();
        }
    }
    EXPECT_EQ(fading, 7 * 3) << "seven dropped segments of three marks";
    EXPECT_EQ(free, fading);
    const size_t poolBefore = track.GetPool().size();
    track.Step(CPoint16(920, 50), 5, Recorder()); // 10 px on: three marks from the freed ones
    EXPECT_EQ(track.GetPool().size(), poolBefore);
    const auto& newest = track.GetSegment(track.SegmentCount() - 1);
    for (Round_Up_Track* mark : newest.marks) {
        EXPECT_EQ(mark->GetObjectId(), Round_Up_Track::kInUse);
        EXPECT_EQ(mark->GetState(), 5);
        EXPECT_TRUE(mark->IsVisible());
    }
}

TEST_F(RoundUpTrackTest, MarksWithoutArtAreLaidAndTracedOnce) {
    CRoundUpTrack track(&owner, nullptr);
    track.SetMarkArt(MakeChunkId(2, 836));
    for (int16_t x = 0; x <= 100; x += 20) track.Step(CPoint16(x, 10), 0, nullptr);
    EXPECT_EQ(track.SegmentCount(), 5);
    EXPECT_EQ(track.GetPool().size(), 25u) << "five marks a segment, each without a part";
    size_t at = traced().find("Round-up: track marks without art");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(traced().find("Round-up: track marks without art", at + 1), std::string::npos);
}

TEST_F(RoundUpTrackTest, AMoveAcrossTheTrackIsRefused) {
    DressedTrack track(&owner);
    Drive(track, {{100, 100}, {200, 100}, {200, 200}});
    const struct {
        CTrackLine move;
        bool crosses;
    } cases[] = {
        {{{150, 90}, {150, 110}}, true},  {{{190, 150}, {210, 150}}, true}, {{{150, 120}, {160, 190}}, false},
        {{{150, 95}, {150, 99}}, false},  {{{150, 95}, {150, 100}}, true},  {{{300, 0}, {300, 300}}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(track.Crosses(c.move), c.crosses) << c.move.start.x << "," << c.move.start.y;
}

TEST_F(RoundUpTrackTest, ClearDeletesTheSegmentsAndTheMarks) {
    DressedTrack track(&owner);
    Drive(track, {{100, 100}, {200, 100}, {200, 200}});
    EXPECT_GT(owner.ChildCount(), 0);
    track.Clear();
    EXPECT_EQ(track.SegmentCount(), 0);
    EXPECT_TRUE(track.GetPool().empty());
    EXPECT_EQ(owner.ChildCount(), 0);
    EXPECT_EQ(track.GetPreviousPoint(), CPoint16());
}

// ---- Whole loops around a still animal ---------------------------------------------------------

/// Drives a circle of `radius` about (500, 500) at `speed` px/s in 50 ms steps for `turns`
/// turns, catching a still animal at the centre by the loop's triangle strip; the steps it
/// took to catch it (0 when never).
int32_t CircleCatch(CRoundUpTrack& track, double radius, double speed, double turns) {
    const CPointF animal(500.0f, 500.0f);
    bool caught = false;
    const auto catcher = [&](int32_t from) {
        int32_t n = 0;
        ForEachLoopTriangle(from, track.SegmentCount(), [&](int32_t a, int32_t b, int32_t c) {
            const CPoint16 pa = track.GetSegment(a).line.end, pb = track.GetSegment(b).line.end,
                           pc = track.GetSegment(c).line.end;
            if (caught || pa == pb || pb == pc || pa == pc) return;
            if (IsInTriangle(pa, pb, pc, animal)) {
                caught = true;
                ++n;
            }
        });
        return n;
    };
    const double step = speed * 0.05 / radius; // radians per step
    const int32_t steps = int32_t(turns * 2 * M_PI / step);
    for (int32_t i = 0; i <= steps; ++i) {
        const double a = i * step;
        track.Step(CPoint16(int16_t(std::lround(500 + radius * std::cos(a))), int16_t(std::lround(500 + radius * std::sin(a)))),
                   0, catcher);
        if (caught) return i;
    }
    return 0;
}

TEST_F(RoundUpTrackTest, ASmallCircleCatchesTheAnimalAndALargeOneNeverCloses) {
    {
        DressedTrack track(&owner);
        const int32_t at = CircleCatch(track, 60.0, 150.0, 3.0);
        EXPECT_GT(at, 40) << "not before the loop is closed";
        EXPECT_LT(at, 60);
    }
    {
        DressedTrack track(&owner);
        EXPECT_EQ(CircleCatch(track, 110.0, 150.0, 5.0), 0);
        EXPECT_EQ(track.SegmentCount(), 83);
    }
}

} // namespace
} // namespace vqt::test
