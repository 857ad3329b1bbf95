// The race base on its own (no road data): its property family, the settings held to the
// stage, firing after the reload, the goal count, the bonus clock, the shots' hit test
// without a race and the verge tests at their exact edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/ActivityProp.h"
#include "engine/core/PropertyMsg.h"
#include "engine/graphics/PixelSurface.h"
#include "game/minigames/race/CGRace.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/TLVObject.h"
#include "game/world/characters/DRacing.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

/// A race that counts its shots and goals reached.
class ProbeRace : public CGRace {
public:
    void Fire() override {
        ++shots;
        CGRace::Fire();
    }
    void OnGoalReached() override { ++goalsReached; }
    int32_t OnLeftVergeHit(OActivityProp*, OActivityProp* piece) override {
        vergeHits.push_back(piece);
        return 1;
    }
    int32_t OnRightVergeHit(OActivityProp* prop, OActivityProp* piece) override { return OnLeftVergeHit(prop, piece); }
    using CGRace::ClampSettings;
    int shots = 0;
    int goalsReached = 0;
    std::vector<OActivityProp*> vergeHits;
};

class CGRaceTest : public HeadlessTest {
protected:
    /// Sets a property of family 205 with a value of type T.
    template <class T>
    bool Set(uint32_t id, T value, uint32_t size = sizeof(T)) {
        std::vector<uint8_t> buffer(OPropertyMsg::kHeaderSize + sizeof(T));
        auto* msg = reinterpret_cast<OPropertyMsg*>(buffer.data());
        msg->typeCode = 0;
        msg->family = CGRace::kClassId;
        msg->id = id;
        msg->size = sizeof(T);
        msg->Put(0, value);
        msg->size = size;
        return race.HandleProperty(msg, 1);
    }

    ProbeRace race;
};

TEST_F(CGRaceTest, RowsAndBandsAreHeldToTheStage) {
    const struct {
        int32_t rows, band;
        int32_t rowsAfter, bandAfter;
    } cases[] = {{0, 0, 1, 480}, {-3, -1, 1, 480}, {2, 80, 2, 80}, {481, 481, 480, 480}, {480, 1, 480, 1}};
    for (const auto& c : cases) {
        EXPECT_TRUE(Set<int32_t>(CGRace::kPropRowsPerSection, c.rows));
        EXPECT_TRUE(Set<int32_t>(CGRace::kPropBandHeight, c.band));
        race.ClampSettings();
        EXPECT_EQ(race.GetRowsPerSection(), c.rowsAfter) << c.rows;
        EXPECT_EQ(race.GetBandHeight(), c.bandAfter) << c.band;
    }
    EXPECT_TRUE(Set<uint16_t>(CGRace::kPropRoadEntry, 77));
    EXPECT_EQ(race.GetRoadEntry(), 77);
    EXPECT_EQ(ChunkEntryOf(race.GetRoadListId()), 77);
    Set<int32_t>(CGRace::kPropBandHeight, 99, 2);
    EXPECT_NE(race.GetBandHeight(), 99) << "a short value is refused";
    EXPECT_NE(traced().find("too short"), std::string::npos);
}

TEST_F(CGRaceTest, AStartWithoutRoadOrVehicleRunsItsClocksAndFiresAfterTheReload) {
    race.OnActivated();
    EXPECT_EQ(race.GetReloadTime(), 1000);
    EXPECT_EQ(race.GetLevel(), 1);
    EXPECT_EQ(race.GetRaceClock().duration, 50000) << "(level + 4) x 10 s";
    EXPECT_TRUE(race.Track().Sections().empty());
    race.TryFire();
    EXPECT_EQ(race.shots, 1) << "the reload starts expired";
    const struct {
        uint32_t advance;
        int shots;
    } steps[] = {{500, 1}, {500, 1}, {1, 2}, {999, 2}, {2, 3}};
    for (const auto& s : steps) {
        clock().Advance(s.advance);
        race.TryFire();
        EXPECT_EQ(race.shots, s.shots) << s.advance;
    }
    race.FlushSoundQueues();
}

TEST_F(CGRaceTest, GoalsCountToTheirMaximumOnce) {
    for (int i = 0; i < 120; ++i) race.CountGoal();
    EXPECT_EQ(race.GetGoalCount(), 99);
    EXPECT_EQ(race.goalsReached, 1);
}

TEST_F(CGRaceTest, OnlyBonusKindsZeroAndOneStartTheBonusClock) {
    const struct {
        int32_t kind;
        bool runs;
    } cases[] = {{2, false}, {-1, false}, {1, true}, {0, true}};
    for (const auto& c : cases) {
        race.StartBonusClock(c.kind);
        EXPECT_EQ(race.IsBonusClockRunning(), c.runs) << c.kind;
    }
    clock().Advance(1001);
    EXPECT_FALSE(race.IsBonusClockRunning());
}

TEST_F(CGRaceTest, TheShotsHitTestAnswersFalseWithoutARace) {
    OActivityProp shot;
    EXPECT_FALSE(CGRace::HitTestCallback(nullptr));
    EXPECT_FALSE(CGRace::HitTestCallback(&shot));
}

/// A race started on a background four stage heights high (no road data: empty sections).
class CGRaceScrollTest : public CGRaceTest {
protected:
    void SetUp() override {
        CGRaceTest::SetUp();
        auto background = std::make_unique<CPixelSurface>();
        ASSERT_TRUE(background->Create(640, 4 * 480, 16));
        race.SetBackgroundSurface(std::move(background));
        race.OnActivated();
    }
    void TearDown() override { race.FlushSoundQueues(); }

    /// Scrolls to `y` a band at a time (the last step may be shorter), each step told to the
    /// race and served as a frame would.
    void MoveTo(float y) {
        const float step = float(race.GetBandHeight());
        for (float at = race.GetScrollOffset().y; at != y;) {
            at = at > y ? std::max(y, at - step) : std::min(y, at + step);
            race.ScrollTo(CPointF(0, at), 0);
            race.OnScrolled();
            race.OnIdle();
        }
    }
};

TEST_F(CGRaceScrollTest, TheWindowStartsAtTheBottomSectionWithTheRoadLaid) {
    EXPECT_EQ(race.GetSectionCount(), 4);
    EXPECT_EQ(race.GetCurrentSection(), 3);
    EXPECT_FLOAT_EQ(race.GetScrollOffset().y, 1440.0f);
    EXPECT_EQ(race.Track().Sections().size(), 3u);
    EXPECT_FLOAT_EQ(race.scrollVelocity.y, -80.0f) << "upward at the start speed";
    EXPECT_TRUE(race.Painter().CanPaint());
}

TEST_F(CGRaceScrollTest, AWrapMovesTheWindowObjectsAndRacersTargetsAlike) {
    TLV_Object object;
    object.SetPosition(CPointF(200, 100), 0, 0);
    DRacing racer(&race);
    racer.SetPosition(CPointF(300, 50), 0, 0);
    racer.SetTargetPoint(CPointF(320, 40));
    race.Track().Objects().AddLive(&object, 0);
    race.Track().Objects().AddLive(&racer, 1);
    race.ScrollTo(CPointF(0, 0), 0);
    race.scrollRemainder[1] = -0.5f;
    race.OnScrolled();
    EXPECT_FLOAT_EQ(race.GetScrollOffset().y, 1439.5f);
    EXPECT_FLOAT_EQ(object.GetPosition().y, 1539.5f);
    EXPECT_FLOAT_EQ(racer.GetPosition().y, 1489.5f);
    EXPECT_FLOAT_EQ(racer.GetTargetPoint().y, 1479.5f);
    race.Track().Objects().Clear();
}

TEST_F(CGRaceScrollTest, ClimbingIntoANewSectionLaysOneAndKeepsFour) {
    const struct {
        float y;
        int32_t section;
    } steps[] = {{1200, 3}, {960, 2}, {700, 2}, {480, 1}, {100, 1}, {1, 1}};
    for (const auto& s : steps) {
        // Climbs a band at a time, each band painted as it comes into view.
        for (float y = race.GetScrollOffset().y; y > s.y;) {
            y = std::max(s.y, y - float(race.GetBandHeight()));
            race.ScrollTo(CPointF(0, y), 0);
            race.OnScrolled();
            race.OnIdle();
        }
        EXPECT_EQ(race.GetCurrentSection(), s.section) << s.y;
        EXPECT_LE(race.Track().Sections().size(), CGRaceTrack::kMaxSections) << s.y;
    }
    EXPECT_EQ(race.Track().Sections().size(), CGRaceTrack::kMaxSections);
}

TEST_F(CGRaceScrollTest, RollingBackOverASectionEdgeAndClimbingAgainAddsNoSection) {
    const auto moveTo = [&](float y) { MoveTo(y); };
    moveTo(900);
    ASSERT_EQ(race.GetCurrentSection(), 2);
    const size_t laid = race.Track().Sections().size();
    CGRaceSection* newest = race.Track().Sections().front();
    for (float y : {1000.0f, 900.0f, 1000.0f, 900.0f}) {
        moveTo(y);
        EXPECT_EQ(race.Track().Sections().size(), laid) << y;
        EXPECT_EQ(race.Track().Sections().front(), newest) << y;
    }
}

TEST_F(CGRaceScrollTest, EveryWrapLaysASectionAndPaintsTheBandItShows) {
    // Where the last step before the wrap stops: a fraction of the first pixel row must count
    // as that row, not as the band beyond the wrap.
    const struct {
        float lastStop;
        float remainder;
    } rows[] = {{2.0f, -1.0f}, {1.0f, -0.5f}, {0.5f, -0.5f}, {0.01f, -1.5f}, {0.99f, 0.0f}};
    for (const auto& r : rows) {
        MoveTo(r.lastStop);
        EXPECT_EQ(race.GetCurrentSection(), 1) << r.lastStop;
        EXPECT_EQ(race.Painter().BandHistory()[0], 0) << "the top band, stopped at " << r.lastStop;
        const CGRaceSection* newest = race.Track().Sections().front();
        const uint32_t painted = race.Painter().PaintCount();
        race.ScrollTo(CPointF(0, 0), 0);
        race.scrollRemainder[1] = r.remainder;
        race.OnScrolled();
        race.OnIdle();
        EXPECT_FLOAT_EQ(race.GetScrollOffset().y, 1440.0f + r.remainder) << r.lastStop;
        EXPECT_EQ(race.GetCurrentSection(), 3) << r.lastStop;
        EXPECT_NE(race.Track().Sections().front(), newest) << "the wrap lays a section, stopped at " << r.lastStop;
        EXPECT_EQ(race.Track().Sections().size(), CGRaceTrack::kMaxSections) << r.lastStop;
        EXPECT_EQ(race.Painter().BandHistory()[1], 5) << "the bottom band of the section above is painted";
        EXPECT_GT(race.Painter().PaintCount(), painted) << r.lastStop;
    }
}

/// A prop of w x h centred at (x, y).
void Place(OActivityProp& prop, int16_t w, int16_t h, float x, float y) {
    prop.SetSize(CPoint16(w, h), 0);
    prop.SetPosition(CPointF(x, y), 0, 0);
}

TEST_F(CGRaceScrollTest, AVergeHitsABoxThatOverlapsItsColliderAndNotOneThatOnlyTouchesIt) {
    // A verge piece of each side whose collision child covers [100, 140) x [200, 240).
    OActivityProp leftPiece, rightPiece, leftCollider, rightCollider;
    for (auto [piece, collider] : {std::pair{&leftPiece, &leftCollider}, std::pair{&rightPiece, &rightCollider}}) {
        Place(*piece, 40, 40, 120, 220);
        Place(*collider, 40, 40, 120, 220);
        piece->AttachToView(collider, 1);
    }
    auto& sections = race.Track().Sections();
    ASSERT_GE(sections.size(), 3u);
    sections[1]->left.props.push_back(&leftPiece);
    sections[2]->right.props.push_back(&rightPiece);

    struct Case {
        float x, y;  // the centre of a 20 x 20 box
        bool hit;
    };
    const Case cases[] = {
        {90, 220, false},  {91, 220, true},   // its right edge at the collider's left, then a pixel in
        {150, 220, false}, {149, 220, true},  // its left edge at the collider's right
        {120, 190, false}, {120, 191, true},  // its bottom at the collider's top
        {120, 250, false}, {120, 249, true},  // its top at the collider's bottom
    };
    OActivityProp box;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        Place(box, 20, 20, c.x, c.y);
        race.vergeHits.clear();
        EXPECT_EQ(race.TestLeftVerge(&box), c.hit);
        EXPECT_EQ(race.vergeHits, c.hit ? std::vector<OActivityProp*>{&leftPiece} : std::vector<OActivityProp*>{});
        race.vergeHits.clear();
        EXPECT_EQ(race.TestRightVerge(&box), c.hit);
        EXPECT_EQ(race.vergeHits, c.hit ? std::vector<OActivityProp*>{&rightPiece} : std::vector<OActivityProp*>{});
    }

    // The stage's sides: a box from x = 0 up to the stage's width is on the road.
    const struct {
        float x;
        bool left, right;
    } sides[] = {{10, false, false}, {9, true, false}, {629, false, false}, {630, false, true}};
    for (const auto& side : sides) {
        Place(box, 20, 20, side.x, 400);
        EXPECT_EQ(race.TestLeftVerge(&box), side.left) << side.x;
        EXPECT_EQ(race.TestRightVerge(&box), side.right) << side.x;
    }
    sections[1]->left.props.clear();
    sections[2]->right.props.clear();
}

} // namespace
} // namespace vqt::test
