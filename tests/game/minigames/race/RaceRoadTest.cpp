// The road's data: chunk lists read once, catalogues, pieces laid along the successor lists,
// object points from the paths, thinning and the decorations' lattice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "engine/base/Random.h"
#include "game/minigames/race/RaceChunkCache.h"
#include "game/minigames/race/RacePlacementRules.h"
#include "game/minigames/race/RaceRoad.h"
#include "game/minigames/race/RaceSection.h"
#include "tests/game/minigames/race/RaceRoadFixture.h"

namespace vqt::test {
namespace {

using RaceRoadTest = RaceRoadFixture;
/// The placement rules draw from the engine's random source.
class RaceRulesTest : public HeadlessTest {};

TEST_F(RaceRoadTest, TheCacheReadsEveryListOnceAndRefusesBadOnes) {
    const uint32_t self = NextListId();
    AddList({self, self});                               // names itself twice
    const uint32_t a = NextListId();
    const uint32_t bId = ChunkIdOf(clstIndex, uint16_t(listsAdded + 2));
    AddList({bId});                                      // a -> b -> a
    AddList({a, AddPart()});
    const uint32_t negative = AddList({a}, int16_t{-3});
    const uint32_t shortList = AddList({a, a}, int16_t{5});
    const uint32_t namesBad = AddList({negative, shortList, a});
    const uint32_t part = AddPart();
    Open();

    const struct {
        const char* what;
        uint32_t id;
        bool loads;
        size_t ids;
    } cases[] = {
        {"a list naming itself", self, true, 2},
        {"a cycle of two", a, true, 1},
        {"a negative count", negative, false, 0},
        {"a count beyond the data", shortList, false, 0},
        {"a list naming bad lists", namesBad, true, 3},
        {"a picture", part, false, 0},
        {"a missing entry", ChunkIdOf(clstIndex, 399), false, 0},
        {"the null id", 0, false, 0},
    };
    for (const auto& c : cases) {
        CGRaceChunkCache cache;
        const CGRaceChunkCache::Ids* ids = cache.Load(&file, c.id);
        ASSERT_EQ(ids != nullptr, c.loads) << c.what;
        if (ids) {
            EXPECT_EQ(ids->size(), c.ids) << c.what;
        }
        const size_t read = cache.Size();
        cache.Load(&file, c.id);
        EXPECT_EQ(cache.Size(), read) << c.what << ": loaded twice";
    }
    EXPECT_TRUE(dialogs().Boxes().empty()) << "missing lists are traced, never shown";
    EXPECT_NE(traced().find("is no chunk list"), std::string::npos);
}

TEST_F(RaceRoadTest, ACatalogueTakesEachPictureOnceLastEntryFirst) {
    const auto pieces = AddPieces({{}, {}, {}}, {{}, {}, {}});
    const uint32_t twin = AddList({pieces[0].part, AddPath({}), AddList({})}); // same picture again
    const uint32_t tooShort = AddList({pieces[1].part, AddPath({})});
    const uint32_t misordered = AddList({AddPath({}), pieces[2].part, AddList({})});
    const uint32_t catalogue = AddList({pieces[0].entry, pieces[1].entry, twin, tooShort, misordered,
                                        pieces[2].entry});
    Open();

    CGRaceChunkCache cache;
    CGRaceCatalogue c;
    ASSERT_TRUE(c.Fill(cache, &file, catalogue));
    ASSERT_EQ(c.Count(), 3);
    const uint32_t wantParts[] = {pieces[2].part, pieces[0].part, pieces[1].part};
    const uint32_t wantEntries[] = {pieces[2].entry, twin, pieces[1].entry};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(c.PartAt(i), wantParts[i]) << i;
        EXPECT_EQ(c.EntryAt(i), wantEntries[i]) << i;
    }
    EXPECT_EQ(c.EntryForPart(AddPart()), kNullChunkId);

    CGRaceCatalogue empty;
    EXPECT_FALSE(empty.Fill(cache, &file, tooShort));
    xSRand(7);
    EXPECT_EQ(empty.RandomEntry(), kNullChunkId);
    const int after = xRand();
    xSRand(7);
    EXPECT_EQ(after, xRand()) << "an empty catalogue draws nothing";
}

TEST_F(RaceRoadTest, TheRoadListNamesTwoToFourCatalogues) {
    const auto pieces = AddPieces({{}}, {{0}});
    const uint32_t cat = AddCatalogue(pieces);
    const struct {
        const char* what;
        uint32_t road;
        bool road_;
        int filled;
    } cases[] = {
        {"one catalogue", AddList({cat}), false, 0},
        {"two", AddList({cat, cat}), true, 2},
        {"three", AddList({cat, cat, cat}), true, 3},
        {"five", AddList({cat, cat, cat, cat, cat}), true, 4},
        {"a missing list", ChunkIdOf(clstIndex, 390), false, 0},
    };
    Open();
    for (const auto& c : cases) {
        CGRaceRoad road;
        EXPECT_EQ(road.LoadCatalogues(&file, c.road), c.road_) << c.what;
        for (int i = 0; i < CGRaceRoad::kCatalogues; ++i) {
            EXPECT_EQ(road.Catalogue(i).IsEmpty(), i >= c.filled) << c.what << " catalogue " << i;
        }
    }
}

/// Pieces A..D: A -> {B, C}, B -> {A, D}, C -> {A}, D -> a picture the catalogue lacks.
struct Graph {
    std::vector<RaceRoadFixture::Piece> pieces;
    uint32_t road = 0;
};

class RaceRoadGraphTest : public RaceRoadFixture {
protected:
    Graph MakeGraph(bool finishCatalogues) {
        Graph g;
        const uint32_t stranger = AddPart();
        g.pieces = AddPieces({{{100, 50}, {120, 300}}, {{200, 60}}, {{60, 400}, {300, 10}}, {{500, 250}}},
                             {{1, 2}, {0, 3}, {0}, {}});
        // D's successor list names only the stranger.
        const uint32_t dEntry = AddList({g.pieces[3].part, AddPath({{500, 250}}), AddList({stranger})});
        g.pieces[3].entry = dEntry;
        const uint32_t verge = AddCatalogue(g.pieces);
        const auto finish = AddPieces({{{320, 100}}}, {{0}});
        const uint32_t finishCat = AddCatalogue(finish);
        g.road = finishCatalogues ? AddList({verge, verge, finishCat, finishCat}) : AddList({verge, verge});
        return g;
    }
    const RaceRoadFixture::Piece* PieceOfPart(const Graph& g, uint32_t part) {
        for (const auto& p : g.pieces) {
            if (p.part == part) return &p;
        }
        return nullptr;
    }
};

TEST_F(RaceRoadGraphTest, APieceNamesWhereItsVergeGoesOn) {
    const Graph g = MakeGraph(false);
    Open();
    CGRaceRoad road;
    ASSERT_TRUE(road.LoadCatalogues(&file, g.road));
    const struct {
        const char* what;
        uint32_t entry;
        std::set<uint32_t> next;
        size_t laid;
    } cases[] = {
        {"A goes on to B or C", g.pieces[0].entry, {g.pieces[1].entry, g.pieces[2].entry}, 1},
        {"C goes on to A", g.pieces[2].entry, {g.pieces[0].entry}, 1},
        {"D names a stranger and ends", g.pieces[3].entry, {kNullChunkId}, 1},
        {"an ended verge reads nothing", kNullChunkId, {kNullChunkId}, 0},
    };
    for (const auto& c : cases) {
        for (uint32_t seed = 1; seed < 20; ++seed) {
            xSRand(seed);
            CGRacePieceList pieces;
            CGRacePlacement placement;
            const ChunkId next = road.LayPiece(pieces, placement, 0, c.entry, CPointF(0, -10), false);
            EXPECT_TRUE(c.next.contains(next)) << c.what;
            EXPECT_EQ(pieces.parts.size(), c.laid) << c.what;
        }
    }
    EXPECT_TRUE(dialogs().Boxes().empty());
}

TEST_F(RaceRoadTest, PathPointsKeepFortyPixelsApart) {
    const uint32_t path = AddPath({{10, 10}, {30, 10}, {100, 100}, {100, 139}, {100, 141}});
    const uint32_t negative = AddPath({{10, 10}}, int16_t{-1});
    const uint32_t tooMany = AddPath({{10, 10}}, int16_t{2});
    const uint32_t notAPath = AddPart();
    Open();
    const struct {
        const char* what;
        uint32_t path;
        std::vector<CPointF> before;
        std::vector<CPointF> after;
    } cases[] = {
        {"walked last first", path, {}, {{100, 131}, {100, 90}, {30, 0}}},
        {"near a candidate taken already", path, {{35, 5}}, {{35, 5}, {100, 131}, {100, 90}}},
        {"a negative count", negative, {}, {}},
        {"more records than bytes", tooMany, {}, {}},
        {"a picture for a path", notAPath, {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<CPointF> candidates = c.before;
        CGRaceRoad::AddPathPoints(candidates, &file, c.path, CPointF(0, -10));
        ASSERT_EQ(candidates.size(), c.after.size()) << c.what;
        for (size_t i = 0; i < candidates.size(); ++i) {
            EXPECT_FLOAT_EQ(candidates[i].x, c.after[i].x) << c.what << " " << i;
            EXPECT_FLOAT_EQ(candidates[i].y, c.after[i].y) << c.what << " " << i;
        }
    }
    EXPECT_TRUE(dialogs().Boxes().empty());
}

TEST_F(RaceRulesTest, KeepsOneFewerOfFewPointsAndAtLeastOneOfMany) {
    const struct {
        int count;
        int16_t bias;
        int least, most;
    } cases[] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 1, 1}, {2, 5, 1, 1}, {3, 0, 1, 3},
                 {6, 0, 4, 6}, {6, 1, 3, 5}, {6, 9, 1, 1}, {6, -2, 6, 8}};
    for (const auto& c : cases) {
        std::set<size_t> kept;
        for (uint32_t seed = 1; seed < 40; ++seed) {
            xSRand(seed);
            std::vector<CPointF> points;
            for (int i = 0; i < c.count; ++i) points.emplace_back(float(i), 0.0f);
            RaceThinCandidates(points, c.bias);
            kept.insert(points.size());
            for (size_t i = 1; i < points.size(); ++i) {
                ASSERT_LT(points[i - 1].x, points[i].x) << "the kept points keep their order";
            }
        }
        EXPECT_EQ(int(*kept.begin()), std::min(c.least, c.count)) << c.count << " bias " << c.bias;
        EXPECT_EQ(int(*kept.rbegin()), std::min(c.most, c.count)) << c.count << " bias " << c.bias;
    }
}

TEST_F(RaceRulesTest, FinishPointsTakeTheFinishKindOthersTheTypeTable) {
    const std::vector<CPointF> points(7);
    const struct {
        bool finish;
        int32_t types;
        int32_t least, most;
    } cases[] = {{true, 6, kRaceFinishKind, kRaceFinishKind}, {false, 0, 0, 0}, {false, 1, 0, 0}, {false, 6, 0, 5}};
    for (const auto& c : cases) {
        std::vector<int32_t> kinds{42};
        RaceAssignKinds(points, kinds, c.finish, c.types);
        ASSERT_EQ(kinds.size(), points.size());
        for (int32_t k : kinds) {
            EXPECT_GE(k, c.least);
            EXPECT_LE(k, c.most);
        }
    }
}

/// The lattice value nearest the goal by walking every odd multiple.
double BruteLattice(int h, int limit, double goal) {
    double best = 0.0;
    bool found = false;
    for (int v = h; v < limit - h; v += 2 * h) {
        if (!found || std::fabs(v - goal) < std::fabs(best - goal)) best = v;
        found = true;
    }
    return best;
}

TEST_F(RaceRulesTest, SnapsToTheNearestOddMultipleOfTheHotSpot) {
    for (int h : {1, 2, 7, 20, 33, 100, 159, 239, 319}) {
        for (double goal = -60.0; goal < 720.0; goal += 6.5) {
            const CPointF p = RaceSnapToLattice(int16_t(h), int16_t(h), CPointF(float(goal), float(goal)), 640, 480);
            EXPECT_FLOAT_EQ(p.x, float(BruteLattice(h, 640, goal))) << h << " " << goal;
            if (2 * h < 480) {
                EXPECT_FLOAT_EQ(p.y, float(BruteLattice(h, 480, goal) + 1.0)) << h << " " << goal;
            }
        }
    }
}

TEST_F(RaceRulesTest, AnAxisWithoutLatticeKeepsTheGoal) {
    const struct {
        int16_t hy, hx;
        bool keepsY, keepsX;
    } cases[] = {{0, 0, true, true}, {-4, 10, true, false}, {10, -1, false, true},
                 {240, 100, true, false}, {100, 320, false, true}, {32767, 32767, true, true}};
    const CPointF goal(123.25f, 77.5f);
    for (const auto& c : cases) {
        const CPointF p = RaceSnapToLattice(c.hy, c.hx, goal, 640, 480);
        EXPECT_EQ(p.x == goal.x, c.keepsX) << c.hx;
        EXPECT_EQ(p.y == goal.y, c.keepsY) << c.hy;
    }
}

TEST_F(RaceRoadGraphTest, SectionsLayTheVergesAlongTheGraphUntilTheyEnd) {
    const Graph g = MakeGraph(true);
    Open();
    CGRaceRoad road;
    ASSERT_TRUE(road.LoadCatalogues(&file, g.road));
    const CGRaceRoad::Frame frame{640, 480, 2, 0};
    int successions = 0;
    for (uint32_t seed = 1; seed < 30; ++seed) {
        xSRand(seed);
        road.PickStartEntries();
        uint32_t lastLeft = 0;
        bool ended = false;
        for (int s = 0; s < 12; ++s) {
            CGRaceSection section;
            road.LaySection(section, 480.0f, false, frame, {});
            // Within a section the newest row comes first.
            for (auto it = section.left.parts.rbegin(); it != section.left.parts.rend(); ++it) {
                ASSERT_FALSE(ended) << "an ended verge never starts again";
                if (lastLeft != 0) {
                    const auto* previous = PieceOfPart(g, lastLeft);
                    ASSERT_NE(previous, nullptr);
                    EXPECT_TRUE(std::count(previous->successors.begin(), previous->successors.end(), *it))
                        << "seed " << seed << " section " << s;
                    ++successions;
                }
                lastLeft = *it;
            }
            ended = ended || section.left.parts.size() < 2;
            for (size_t i = 0; i < section.placement.candidates.size(); ++i) {
                for (size_t j = 0; j < i; ++j) {
                    const CPointF a = section.placement.candidates[i], b2 = section.placement.candidates[j];
                    EXPECT_GE(std::hypot(a.x - b2.x, a.y - b2.y), 40.0);
                }
            }
            for (const CPointF& p : section.placement.chosen) EXPECT_LT(p.y, 480.0f);
            EXPECT_EQ(section.finishMark, 0);
        }
    }
    EXPECT_GT(successions, 40) << "the verges run through the graph before they end";
}

TEST_F(RaceRoadGraphTest, OnlyObjectPointsAboveTheRoadsHeightAreChosen) {
    // One piece that follows itself, its one object point 300 pixels down.
    const auto pieces = AddPieces({{{100, 300}}}, {{0}});
    const uint32_t verge = AddCatalogue(pieces);
    const uint32_t roadList = AddList({verge, verge});
    Open();
    const struct {
        float height;
        size_t chosen;
    } cases[] = {{301.0f, 1}, {300.0f, 0}, {299.0f, 0}};
    for (const auto& c : cases) {
        CGRaceRoad road;
        ASSERT_TRUE(road.LoadCatalogues(&file, roadList));
        road.PickStartEntries();
        CGRaceSection section;
        road.LaySection(section, c.height, false, CGRaceRoad::Frame{}, {});
        ASSERT_FALSE(section.placement.candidates.empty()) << c.height;
        EXPECT_EQ(section.placement.chosen.size(), c.chosen) << "a road " << c.height << " high";
    }
}

TEST_F(RaceRoadGraphTest, TheFinishLaysTheFinishCataloguesAndMarksOnlyItsFirstSection) {
    const struct {
        const char* what;
        Graph graph;
        bool finishCatalogues;
    } cases[] = {{"four catalogues", MakeGraph(true), true}, {"two catalogues", MakeGraph(false), false}};
    Open();
    for (const auto& c : cases) {
        CGRaceRoad road;
        ASSERT_TRUE(road.LoadCatalogues(&file, c.graph.road));
        road.PickStartEntries();
        const ChunkId finishLeft = road.CurrentEntry(2);
        for (int s = 0; s < 3; ++s) {
            CGRaceSection section;
            road.LaySection(section, 480.0f, true, CGRaceRoad::Frame{}, {});
            EXPECT_EQ(section.finishMark, s == 0 ? 1 : 0) << c.what;
            ASSERT_EQ(section.left.parts.size(), 1u) << c.what;
            if (c.finishCatalogues) {
                EXPECT_EQ(section.left.parts[0], road.Catalogue(2).PartAt(0)) << c.what;
                EXPECT_EQ(road.CurrentEntry(2), finishLeft) << "the finish entry stays put";
            } else {
                EXPECT_NE(PieceOfPart(c.graph, section.left.parts[0]), nullptr) << c.what;
            }
            EXPECT_NE(road.CurrentEntry(0), kNullChunkId) << "the finish never ends a verge";
        }
        EXPECT_TRUE(road.FinishSectionLaid());
    }
}

TEST_F(RaceRoadGraphTest, ADecorationLandsInsideTheStageMargins) {
    const Graph g = MakeGraph(false);
    Open();
    CGRaceRoad road;
    ASSERT_TRUE(road.LoadCatalogues(&file, g.road));
    const std::vector<ChunkId> decorations{MakeChunkId(2, 900), MakeChunkId(2, 901)};
    for (uint32_t seed = 1; seed < 50; ++seed) {
        xSRand(seed);
        CGRaceSection section;
        road.LaySection(section, 480.0f, false, CGRaceRoad::Frame{}, decorations);
        ASSERT_EQ(section.decorations.parts.size(), 1u);
        const CPointF p = section.decorations.points[0];
        EXPECT_GE(p.x, 40.0f);
        EXPECT_LT(p.x, 600.0f);
        EXPECT_GE(p.y, 20.0f);
        EXPECT_LT(p.y, 460.0f);
    }
}

} // namespace
} // namespace vqt::test
