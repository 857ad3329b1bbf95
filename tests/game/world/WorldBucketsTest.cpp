// The world's spatial buckets: which props enter which tables, the boxes and cells they are
// filed by, and the queries against a brute-force model of the grid, order included.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Hider.h"
#include "game/shell/Pushable.h"
#include "game/shell/TLVComplexObject.h"
#include "game/shell/TLVFactory.h"
#include "game/shell/TLVSimpleObject.h"
#include "game/world/WorldBuckets.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

const bool shellStateReset = HeadlessTest::AddStateReset(&CGameShellState::ResetForTest);

using PropList = CWorldBuckets::PropList;

constexpr int kLastColumn = CWorldBuckets::kColumns - 1;
constexpr int kLastRow = CWorldBuckets::kRows - 1;

enum class Kind { Still, Moving, Pushable, Hider, Captive, Pen, Plain };

constexpr uint32_t kCaptiveId = 2440;
constexpr uint32_t kPenId = 2450;

/// A prop placed for filing: its centre, size and rotation.
struct Placement {
    float x = 0;
    float y = 0;
    int16_t w = 10;
    int16_t h = 10;
    int32_t rotation = 0;
};

class WorldBucketsTest : public HeadlessTest {
protected:
    OActivityProp* Make(Kind kind, const Placement& at = {}) {
        OActivityProp* prop = nullptr;
        switch (kind) {
        case Kind::Still: prop = new TLVSimple_Object; break;
        case Kind::Moving: prop = new TLVComplex_Object; break;
        case Kind::Pushable: prop = new Pushable; break;
        case Kind::Hider: prop = new Hider; break;
        case Kind::Captive: prop = static_cast<OActivityProp*>(xTLVFactory_MakeProp(kCaptiveId)); break;
        case Kind::Pen: prop = static_cast<OActivityProp*>(xTLVFactory_MakeProp(kPenId)); break;
        case Kind::Plain: prop = new OActivityProp; break;
        }
        props_.emplace_back(prop);
        Place(prop, at);
        return prop;
    }
    static void Place(OActivityProp* prop, const Placement& at) {
        prop->SetPosition(CPointF(at.x, at.y), 0, 0);
        prop->SetSize(CPoint16(at.w, at.h), 0);
        prop->SetRotation(at.rotation);
    }
    /// The props filed in cell (c, r) of either pair.
    PropList At(int c, int r) const {
        PropList found;
        buckets.QueryCells(found, c, r, c, r);
        return found;
    }
    PropList Everywhere() const {
        PropList found;
        buckets.QueryCells(found, 0, 0, kLastColumn, kLastRow);
        return found;
    }
    static size_t CountOf(const PropList& list, const OActivityProp* prop) {
        return size_t(std::count(list.begin(), list.end(), prop));
    }
    static size_t Occurrences(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }

    CWorldBuckets buckets;
    std::vector<std::unique_ptr<OActivityProp>> props_;
};

TEST_F(WorldBucketsTest, OnlyStillAndMovingPropsOfTheGameEnterTheirTables) {
    struct Case {
        const char* name;
        Kind kind;
        bool still;
        bool moving;
    };
    const Case cases[] = {
        {"still prop", Kind::Still, true, false},   {"moving prop", Kind::Moving, false, true},
        {"pushable", Kind::Pushable, true, true},    {"hider", Kind::Hider, false, false},
        {"captive", Kind::Captive, false, false},    {"pen", Kind::Pen, false, false},
        {"plain engine prop", Kind::Plain, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buckets.ClearAll();
        OActivityProp* prop = Make(c.kind, {.x = 300, .y = 300});
        ASSERT_NE(prop, nullptr);
        if (c.kind == Kind::Captive) {
            EXPECT_TRUE(prop->IsA(kCaptiveId) && prop->IsA(TLVComplex_Object::kClassId));
        }
        if (c.kind == Kind::Pen) {
            EXPECT_TRUE(prop->IsA(kPenId));
        }
        EXPECT_EQ(buckets.AddStill(prop), c.still);
        EXPECT_EQ(buckets.AddMoving(prop), c.moving);
        EXPECT_EQ(buckets.Holds(prop), c.still || c.moving);
        EXPECT_EQ(CountOf(At(2, 2), prop), c.still || c.moving ? 1u : 0u);
        buckets.ClearMoving();
        EXPECT_EQ(buckets.Holds(prop), c.still);
    }
    EXPECT_FALSE(buckets.AddStill(nullptr));
    EXPECT_FALSE(buckets.AddMoving(nullptr));
}

TEST_F(WorldBucketsTest, BoxesComeFromCentreAndSizeAtQuarterTurnsOnly) {
    struct Case {
        const char* name;
        Placement at;
        CRect16 box;
    };
    const Case cases[] = {
        {"even size", {.x = 100, .y = 50, .w = 40, .h = 20}, CRect16(80, 40, 120, 60)},
        {"odd size keeps the extra pixel right and below", {.x = 100, .y = 50, .w = 41, .h = 21}, CRect16(80, 40, 121, 61)},
        {"fraction of the centre dropped", {.x = 100.75f, .y = 50.5f, .w = 40, .h = 20}, CRect16(80, 40, 120, 60)},
        {"quarter turn", {.x = 100, .y = 50, .w = 40, .h = 20, .rotation = 90}, CRect16(80, 40, 120, 60)},
        {"half turn", {.x = 100, .y = 50, .w = 40, .h = 20, .rotation = 180}, CRect16(80, 40, 120, 60)},
        {"quarter turn back", {.x = 100, .y = 50, .w = 40, .h = 20, .rotation = -90}, CRect16(80, 40, 120, 60)},
        {"45 degrees", {.x = 100, .y = 50, .w = 40, .h = 20, .rotation = 45}, CRect16()},
        {"one degree", {.x = 100, .y = 50, .w = 40, .h = 20, .rotation = 1}, CRect16()},
        {"beyond 16 bits", {.x = 40000, .y = -40000, .w = 40, .h = 20}, CRect16(32767, -32768, 32767, -32768)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CRect16 box = CWorldBuckets::BoxOf(Make(Kind::Still, c.at));
        EXPECT_EQ(box, c.box) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
    }
}

TEST_F(WorldBucketsTest, CoordinatesMapToCellsClampedIntoTheGrid) {
    struct Case {
        int32_t v;
        int column;
        int row;
    };
    const Case cases[] = {
        {-100000, 0, 0}, {-1, 0, 0},     {0, 0, 0},      {127, 0, 0},    {128, 1, 1},
        {2815, 21, 21},  {2816, 22, 22}, {2944, 23, 22}, {3967, 30, 22}, {3968, 30, 22},
        {100000, 30, 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(CWorldBuckets::ColumnOf(c.v), c.column);
        EXPECT_EQ(CWorldBuckets::RowOf(c.v), c.row);
    }
}

/// The grid worked out by hand: every filed prop with the cells its box touched when it was
/// filed, in filing order per table pair.
class BucketModel {
public:
    struct Filed {
        OActivityProp* prop;
        int c0, r0, c1, r1;
    };
    void File(bool still, OActivityProp* prop) {
        const CRect16 box = CWorldBuckets::FilingBoxOf(prop);
        (still ? still_ : moving_)
            .push_back({prop, CWorldBuckets::ColumnOf(box.left), CWorldBuckets::RowOf(box.top),
                        CWorldBuckets::ColumnOf(box.right), CWorldBuckets::RowOf(box.bottom)});
    }
    void Remove(const OActivityProp* prop) {
        for (auto* table : {&still_, &moving_})
            std::erase_if(*table, [&](const Filed& f) { return f.prop == prop; });
    }
    void ClearMoving() { moving_.clear(); }
    /// Rows outer, still before moving, columns inner, filing order innermost; each prop once.
    PropList Query(PropList result, CPoint16 a, CPoint16 b) const {
        const int c0 = std::min(CWorldBuckets::ColumnOf(a.x), CWorldBuckets::ColumnOf(b.x));
        const int c1 = std::max(CWorldBuckets::ColumnOf(a.x), CWorldBuckets::ColumnOf(b.x));
        const int r0 = std::min(CWorldBuckets::RowOf(a.y), CWorldBuckets::RowOf(b.y));
        const int r1 = std::max(CWorldBuckets::RowOf(a.y), CWorldBuckets::RowOf(b.y));
        for (int r = r0; r <= r1; ++r)
            for (auto* table : {&still_, &moving_})
                for (int c = c0; c <= c1; ++c)
                    for (const Filed& f : *table)
                        if (f.c0 <= c && c <= f.c1 && f.r0 <= r && r <= f.r1 &&
                            std::find(result.begin(), result.end(), f.prop) == result.end())
                            result.push_back(f.prop);
        return result;
    }

private:
    std::vector<Filed> still_;
    std::vector<Filed> moving_;
};

/// A random placement over and around the 3968 x 2944 grid: mostly small, some wide or tall,
/// some far beyond the edges, one in eight turned by other than quarter turns.
Placement RandomPlacement() {
    Placement at;
    const int spread = xRand() % 10;
    const int32_t reach = spread == 0 ? 30000 : 4600;
    at.x = float(xRand() % reach - 300);
    at.y = float(xRand() % reach - 300);
    at.w = int16_t(spread == 1 ? 300 + xRand() % 1200 : 1 + xRand() % 200);
    at.h = int16_t(spread == 2 ? 300 + xRand() % 1200 : 1 + xRand() % 200);
    const int turn = xRand() % 8;
    at.rotation = turn == 0 ? 45 : turn == 1 ? 90 * (xRand() % 4) + 1 : 90 * (xRand() % 4);
    return at;
}

CPoint16 RandomCorner() {
    const int16_t x = int16_t(xRand() % 5000 - 500);
    const int16_t y = int16_t(xRand() % 3800 - 400);
    return CPoint16(x, y);
}

TEST_F(WorldBucketsTest, QueriesMatchABruteForceModelAsSetsAndInOrder) {
    constexpr int kFrames = 5;
    constexpr int kQueriesPerFrame = 100;
    xSRand(7);
    BucketModel model;
    const Kind kinds[] = {Kind::Still, Kind::Still, Kind::Still, Kind::Moving, Kind::Moving,
                          Kind::Pushable, Kind::Hider, Kind::Captive, Kind::Pen};
    for (int i = 0; i < 300; ++i) {
        OActivityProp* prop = Make(kinds[xRand() % int(std::size(kinds))], RandomPlacement());
        if (buckets.AddStill(prop)) model.File(true, prop);
    }
    std::vector<OActivityProp*> moving; // filed in the moving tables last frame
    std::vector<OActivityProp*> gone;
    std::vector<OActivityProp*> refused;
    auto isGone = [&](OActivityProp* p) { return std::find(gone.begin(), gone.end(), p) != gone.end(); };
    int crowdedQueries = 0; // the queries that found several props
    for (int frame = 0; frame < kFrames; ++frame) {
        SCOPED_TRACE(frame);
        // The moving props move and are filed afresh, last to first as the world walks its
        // lists; a prop that left the world is not among them.
        for (OActivityProp* prop : moving) Place(prop, RandomPlacement());
        buckets.ClearMoving();
        model.ClearMoving();
        moving.clear();
        for (auto it = props_.rbegin(); it != props_.rend(); ++it) {
            if (isGone(it->get()) || !buckets.AddMoving(it->get())) continue;
            model.File(false, it->get());
            moving.push_back(it->get());
        }
        if (frame == 0) {
            for (const auto& prop : props_)
                if (!buckets.Holds(prop.get())) refused.push_back(prop.get());
            ASSERT_FALSE(refused.empty());
        }
        // One prop in twenty leaves the world after it moved away from where it was filed.
        for (size_t i = size_t(frame); i < props_.size(); i += 20) {
            OActivityProp* prop = props_[i].get();
            Place(prop, RandomPlacement());
            buckets.Remove(prop);
            model.Remove(prop);
            std::erase(moving, prop);
            gone.push_back(prop);
            EXPECT_FALSE(buckets.Holds(prop));
        }
        for (int q = 0; q < kQueriesPerFrame; ++q) {
            const CPoint16 a = RandomCorner();
            const CPoint16 b = RandomCorner();
            PropList seeded; // what the caller already had is not found again
            if (q % 4 == 0) seeded.push_back(props_[size_t(xRand()) % props_.size()].get());
            PropList found = seeded;
            buckets.QueryRect(a, b, found);
            const PropList expected = model.Query(seeded, a, b);
            PropList foundSet = found, expectedSet = expected;
            std::sort(foundSet.begin(), foundSet.end(), std::less<>());
            std::sort(expectedSet.begin(), expectedSet.end(), std::less<>());
            EXPECT_TRUE(std::adjacent_find(foundSet.begin(), foundSet.end()) == foundSet.end()) << "query " << q;
            ASSERT_EQ(foundSet, expectedSet) << "query " << q;
            ASSERT_EQ(found, expected) << "query " << q;
            crowdedQueries += found.size() > seeded.size() + 2;
            for (OActivityProp* prop : refused) EXPECT_EQ(CountOf(found, prop) - CountOf(seeded, prop), 0u);
            for (OActivityProp* prop : gone) EXPECT_EQ(CountOf(found, prop) - CountOf(seeded, prop), 0u);
        }
    }
    EXPECT_GT(crowdedQueries, kFrames * kQueriesPerFrame / 2);
}

TEST_F(WorldBucketsTest, EmptyRangesFindNothingAndRangesPastTheGridAskItsEdges) {
    OActivityProp* corner = Make(Kind::Still, {.x = 10, .y = 10});
    OActivityProp* far = Make(Kind::Still, {.x = 3900, .y = 2900});
    for (OActivityProp* p : {corner, far}) ASSERT_TRUE(buckets.AddStill(p));
    struct Case {
        const char* name;
        int c0, r0, c1, r1;
        PropList expected;
    };
    const Case cases[] = {
        {"columns reversed", 5, 0, 4, 22, {}},
        {"rows reversed", 0, 3, 30, 2, {}},
        {"whole grid", 0, 0, 30, 22, {corner, far}},
        {"past every edge", -40, -40, 400, 400, {corner, far}},
        {"wholly before the grid", -9, -9, -2, -2, {corner}},
        {"wholly past the grid", 31, 23, 99, 99, {far}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PropList found{nullptr}; // what the caller had stays first and untouched
        buckets.QueryCells(found, c.c0, c.r0, c.c1, c.r1);
        PropList expected{nullptr};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(found, expected);
    }
}

TEST_F(WorldBucketsTest, LargePropsStandInEveryCellTheyTouchAndAreFoundOnce) {
    struct Case {
        const char* name;
        Placement at;
        int c0, r0, c1, r1;
    };
    const Case cases[] = {
        {"wide", {.x = 500, .y = 300, .w = 800, .h = 20}, 0, 2, 7, 2},
        {"tall", {.x = 300, .y = 1000, .w = 20, .h = 1500}, 2, 1, 2, 13},
        {"wide and tall", {.x = 2000, .y = 1500, .w = 700, .h = 500}, 12, 9, 18, 13},
        {"right edge on a cell border", {.x = 64, .y = 64, .w = 128, .h = 128}, 0, 0, 1, 1},
        {"wider than the map", {.x = 2000, .y = 100, .w = 30000, .h = 10}, 0, 0, 30, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buckets.ClearAll();
        OActivityProp* prop = Make(Kind::Moving, c.at);
        ASSERT_TRUE(buckets.AddMoving(prop));
        for (int r = 0; r <= kLastRow; ++r)
            for (int col = 0; col <= kLastColumn; ++col) {
                const bool inside = c.c0 <= col && col <= c.c1 && c.r0 <= r && r <= c.r1;
                ASSERT_EQ(CountOf(At(col, r), prop), inside ? 1u : 0u) << "cell " << col << "," << r;
            }
        EXPECT_EQ(CountOf(Everywhere(), prop), 1u);
    }
}

TEST_F(WorldBucketsTest, PropsBeyondTheGridLandInItsEdgeCells) {
    struct Case {
        const char* name;
        Placement at;
        int column, row;
    };
    const Case cases[] = {
        {"far right", {.x = 20000, .y = 500}, kLastColumn, 3},
        {"far below", {.x = 500, .y = 20000}, 3, kLastRow},
        {"far right and below", {.x = 30000, .y = 30000}, kLastColumn, kLastRow},
        {"just past the last cell", {.x = 3975, .y = 2950}, kLastColumn, kLastRow},
        {"far left and above", {.x = -5000, .y = -5000}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buckets.ClearAll();
        OActivityProp* prop = Make(Kind::Still, c.at);
        ASSERT_TRUE(buckets.AddStill(prop));
        EXPECT_EQ(At(c.column, c.row), PropList{prop});
        EXPECT_EQ(Everywhere(), PropList{prop}); // in no other cell
        PropList found;
        buckets.QueryPoint(CPoint16(int16_t(c.at.x), int16_t(c.at.y)), found);
        EXPECT_EQ(found, PropList{prop});
    }
}

TEST_F(WorldBucketsTest, TurnedPropsAreFiledByTheBoxAroundTheirTurnedRectangle) {
    struct Case {
        const char* name;
        Placement at;
        CRect16 box;
    };
    const Case cases[] = {
        {"square at 45 degrees", {.x = 1500, .y = 1000, .w = 40, .h = 40, .rotation = 45}, CRect16(1472, 972, 1529, 1029)},
        {"oblong at 30 degrees", {.x = 1000, .y = 1000, .w = 100, .h = 20, .rotation = 30}, CRect16(952, 966, 1049, 1034)},
        {"oblong at -30 degrees", {.x = 1000, .y = 1000, .w = 100, .h = 20, .rotation = -30}, CRect16(952, 966, 1049, 1034)},
        {"oblong at 135 degrees", {.x = 1000, .y = 1000, .w = 40, .h = 20, .rotation = 135}, CRect16(979, 979, 1022, 1022)},
        {"one degree", {.x = 1000, .y = 1000, .w = 300, .h = 300, .rotation = 1}, CRect16(847, 847, 1153, 1153)},
        {"quarter turn keeps its box", {.x = 1000, .y = 1000, .w = 100, .h = 20, .rotation = 90}, CRect16(950, 990, 1050, 1010)},
        {"held to 16 bits", {.x = 2000, .y = 1000, .w = 30000, .h = 30000, .rotation = 45}, CRect16(-14383, -15383, 18384, 17384)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buckets.ClearAll();
        OActivityProp* prop = Make(Kind::Still, c.at);
        const CRect16 box = CWorldBuckets::FilingBoxOf(prop);
        EXPECT_EQ(box, c.box) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
        ASSERT_TRUE(buckets.AddStill(prop));
        for (int r = 0; r <= kLastRow; ++r)
            for (int col = 0; col <= kLastColumn; ++col) {
                const bool inside = CWorldBuckets::ColumnOf(c.box.left) <= col && col <= CWorldBuckets::ColumnOf(c.box.right) &&
                                    CWorldBuckets::RowOf(c.box.top) <= r && r <= CWorldBuckets::RowOf(c.box.bottom);
                ASSERT_EQ(CountOf(At(col, r), prop), inside ? 1u : 0u) << "cell " << col << "," << r;
            }
        PropList atCentre;
        buckets.QueryPoint(CPoint16(int16_t(c.at.x), int16_t(c.at.y)), atCentre);
        EXPECT_EQ(atCentre, PropList{prop});
    }
}

TEST_F(WorldBucketsTest, RemovalFindsThePropWhereverItWasFiled) {
    struct Case {
        const char* name;
        Kind kind;
        bool still;
        bool moving;
    };
    const Case cases[] = {
        {"still prop", Kind::Still, true, false},
        {"moving prop", Kind::Moving, false, true},
        {"pushable in both pairs", Kind::Pushable, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buckets.ClearAll();
        OActivityProp* before = Make(c.kind, {.x = 200, .y = 200, .w = 300, .h = 300});
        OActivityProp* prop = Make(c.kind, {.x = 200, .y = 200, .w = 300, .h = 300});
        OActivityProp* after = Make(c.kind, {.x = 200, .y = 200, .w = 300, .h = 300});
        for (OActivityProp* p : {before, prop, after}) {
            EXPECT_EQ(buckets.AddStill(p), c.still);
            EXPECT_EQ(buckets.AddMoving(p), c.moving);
        }
        // Moved far from where it was filed: no cell of its new box holds it.
        Place(prop, {.x = 3000, .y = 2500, .w = 10, .h = 10});
        buckets.Remove(prop);
        EXPECT_FALSE(buckets.Holds(prop));
        for (int r = 0; r <= 3; ++r)
            for (int col = 0; col <= 3; ++col) {
                const PropList cell = At(col, r);
                EXPECT_EQ(CountOf(cell, prop), 0u);
                if (!cell.empty()) {
                    EXPECT_EQ(cell, (PropList{before, after})) << "the gap closes in order";
                }
            }
        buckets.Remove(prop); // a second removal changes nothing
        EXPECT_EQ(Everywhere(), (PropList{before, after}));
    }
}

TEST_F(WorldBucketsTest, ACrowdedCellGrowsPastItsUsualSizeAndSaysSoOnce) {
    constexpr size_t kCrowd = 300;
    std::vector<OActivityProp*> crowd; // even places still, odd ones moving, all in cell (5, 5)
    for (size_t i = 0; i < kCrowd; ++i) {
        const bool still = i % 2 == 0;
        crowd.push_back(Make(still ? Kind::Still : Kind::Moving, {.x = float(650 + i % 50), .y = float(650 + i % 40)}));
        ASSERT_TRUE(still ? buckets.AddStill(crowd.back()) : buckets.AddMoving(crowd.back()));
    }
    EXPECT_EQ(Occurrences(traced(), "World buckets:"), 1u) << traced();
    EXPECT_NE(traced().find("still column 5 holds more than 128 props"), std::string::npos) << traced();

    // Still before moving, each in filing order, less the ones taken out.
    auto expected = [&](size_t removedEvery) {
        PropList list;
        for (size_t parity : {0u, 1u})
            for (size_t i = parity; i < kCrowd; i += 2)
                if (removedEvery == 0 || i % removedEvery != 0) list.push_back(crowd[i]);
        return list;
    };
    EXPECT_EQ(At(5, 5), expected(0));
    for (size_t i = 0; i < kCrowd; i += 3) buckets.Remove(crowd[i]);
    EXPECT_EQ(At(5, 5), expected(3));

    // The next frame files the moving ones again: the cells grow as far without a second word.
    buckets.ClearMoving();
    for (size_t i = 1; i < kCrowd; i += 2) ASSERT_TRUE(buckets.AddMoving(crowd[i]));
    EXPECT_EQ(At(5, 5).size(), kCrowd - kCrowd / 6);
    EXPECT_EQ(Occurrences(traced(), "World buckets:"), 1u);
}

} // namespace
} // namespace vqt::test
