// The running road: sections laid, trimmed to four and their objects placed from the pools;
// the finish laid once with one goal prop per side and one cue; the city's racers left out;
// and the shift of a wrap.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/core/ActivityProp.h"
#include "game/minigames/race/RacePlacementRules.h"
#include "game/minigames/race/RaceSection.h"
#include "game/minigames/race/RaceTrack.h"
#include "game/shell/TLVObject.h"
#include "game/world/characters/DRacing.h"
#include "tests/game/minigames/race/RaceRoadFixture.h"

namespace vqt::test {
namespace {

/// The base race's choices, with goal halves of the test's own.
class Hooks : public CGRaceTrackHooks {
public:
    void ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias, bool finish) override {
        if (!finish) RaceThinCandidates(chosen, bias);
        RaceAssignKinds(chosen, kinds, finish, typeCount);
    }
    TLV_Object* MakeFinishProp(int32_t side) override {
        ++finishAsked[side];
        goal.push_back(std::make_unique<TLV_Object>());
        return goal.back().get();
    }
    ChunkId PartForKind(int32_t kind, uint32_t) override { return MakeChunkId(2, uint16_t(500 + kind)); }
    void PlayFinishCue() override { ++cues; }

    int32_t typeCount = 0;
    int finishAsked[2] = {};
    int cues = 0;
    std::vector<std::unique_ptr<TLV_Object>> goal;
};

class RaceTrackTest : public RaceRoadFixture {
protected:
    /// A road whose every piece has three object points far apart and may follow any other.
    void Start(uint16_t world, std::vector<uint32_t> types) {
        const std::vector<std::vector<RoadPoint>> paths(3, {{100, 100}, {300, 200}, {500, 50}});
        const auto pieces = AddPieces(paths, {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}});
        const uint32_t cat = AddCatalogue(pieces);
        const uint32_t road = AddList({cat, cat, cat, cat});
        Open();
        race.SetVisible(1, 0);
        hooks.typeCount = int32_t(types.size());
        track.PropTypes() = std::move(types);
        track.Start(&file, &race, nullptr, &hooks, road, CGRaceRoad::Frame{640, 480, 1, world});
        track.BuildRoad(section);
    }
    /// One section further up the road, as the scroll would ask.
    void Advance() {
        --section;
        track.AddSectionAndTrim(section);
        track.PlaceAll(0, track.FinishMode(), section);
    }
    void TearDown() override { track.Clear(); }

    OActivityProp race;
    Hooks hooks;
    CGRaceTrack track;
    int32_t section = 40;
};

TEST_F(RaceTrackTest, TheRoadKeepsFourSectionsAndPlacesKindsOfTheTable) {
    Start(0, {TLV_Object::kClassId, 1540, DRacing::kClassId});
    EXPECT_EQ(track.Sections().size(), 3u);
    for (int i = 0; i < 30; ++i) {
        Advance();
        ASSERT_LE(track.Sections().size(), CGRaceTrack::kMaxSections);
        for (const auto& e : track.Objects().Live()) {
            EXPECT_GE(e.kind, 0);
            EXPECT_LT(e.kind, 3);
            EXPECT_EQ(e.prop->IsA(DRacing::kClassId), e.kind == 2);
        }
    }
    EXPECT_LE(track.Pools().SectionCount(), CGRaceTrack::kMaxSections + 1) << "released sections are reused";
    EXPECT_GT(track.Objects().Live().size(), 10u);
    for (CGRaceSection* s : track.Sections()) {
        for (size_t i = 0; i < s->left.props.size(); ++i) {
            EXPECT_TRUE(s->left.props[i]->IsVisible());
        }
    }
}

TEST_F(RaceTrackTest, TheCityPlacesNoRacers) {
    const struct {
        uint16_t world;
        bool racers;
    } cases[] = {{2, false}, {1, true}};
    for (const auto& c : cases) {
        RaceTrackTest::TearDown();
        track.PropTypes() = {DRacing::kClassId};
        if (c.world == 2) {
            Start(c.world, {DRacing::kClassId});
        } else {
            track.Start(&file, &race, nullptr, &hooks, ChunkIdOf(clstIndex, uint16_t(listsAdded)),
                        CGRaceRoad::Frame{640, 480, 1, c.world});
            track.BuildRoad(section);
        }
        for (int i = 0; i < 6; ++i) Advance();
        EXPECT_EQ(track.Pools().ObjectCount(DRacing::kClassId) > 0, c.racers) << c.world;
    }
}

TEST_F(RaceTrackTest, TheFinishIsLaidOnceWithOneGoalPropPerSideAndOneCue) {
    Start(0, {TLV_Object::kClassId});
    for (int i = 0; i < 3; ++i) Advance();
    track.SetFinishMode(true);
    for (int i = 0; i < 8; ++i) Advance();
    EXPECT_TRUE(track.FinishReached());
    EXPECT_EQ(hooks.cues, 1);
    EXPECT_EQ(hooks.finishAsked[0], 1);
    EXPECT_EQ(hooks.finishAsked[1], 1);
    EXPECT_TRUE(track.FinishPropPlaced(0) && track.FinishPropPlaced(1));
    int marked = 0;
    for (CGRaceSection* s : track.Sections()) marked += s->finishMark;
    EXPECT_LE(marked, 1);
}

TEST_F(RaceTrackTest, AWrapShiftsPiecesAndObjectsAlike) {
    Start(0, {TLV_Object::kClassId});
    ASSERT_FALSE(track.Objects().Live().empty());
    OActivityProp* piece = track.Sections()[1]->left.props.at(0);
    OActivityProp* object = track.Objects().Live()[0].prop;
    const CPointF before = piece->GetPosition(), objectBefore = object->GetPosition();
    track.ShiftObjects(960.0f, 0.0f);
    EXPECT_EQ(piece->GetPosition(), CPointF(before.x, before.y + 960.0f));
    EXPECT_EQ(object->GetPosition(), CPointF(objectBefore.x, objectBefore.y + 960.0f));
}

} // namespace
} // namespace vqt::test
