// The city's and the zoo's tables, checked against the rules their rows must keep: captions in
// Windows-1252 bytes, every line the towns' code speaks present, challenge areas naming lines
// that exist and flags and counters of their own, and one fitting of each kind per vehicle.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <vector>

#include "game/world/towns/CityTables.h"
#include "game/world/towns/ZooTables.h"

namespace vqt::test {
namespace {

using towns::ChallengeArea;
using towns::TownLine;

/// One town's tables seen through the shared rows.
struct TownTables {
    const char* name;
    std::span<const TownLine> lines;
    std::span<const ChallengeArea> areas;
    std::vector<int16_t> spoken; ///< the lines the town's code names
    int16_t missing;             ///< the line number between the shared ones that queues nothing
    int16_t firstCounter;        ///< the counters of the areas run from here, one each
    int16_t sharedFrom;          ///< where the lines shared with the other towns (shooing to badges) start
};

std::vector<TownTables> Towns() {
    using namespace towns;
    std::vector<int16_t> citySpoken(std::begin(city::kCriminalTakenLines), std::end(city::kCriminalTakenLines));
    citySpoken.insert(citySpoken.end(), std::begin(city::kLootTakenLines), std::end(city::kLootTakenLines));
    for (int16_t l : {city::kCriminalSeen, city::kCriminalSeenToo, city::kFirstLootTaken, city::kLootSeen, city::kQuestion,
                      city::kShooA, city::kShooB, city::kMissionArrow, city::kTaskArrow, city::kFirstBadge, city::kRefill,
                      city::kLastOneArrow, city::kWayPointArrow, city::kHint})
        citySpoken.push_back(l);
    std::vector<int16_t> zooSpoken(std::begin(zoo::kFirstMonkeyLines), std::end(zoo::kFirstMonkeyLines));
    zooSpoken.insert(zooSpoken.end(), std::begin(zoo::kBadgeLines), std::end(zoo::kBadgeLines));
    for (int16_t l : {zoo::kMonkeySeen, zoo::kPenguinSeen, zoo::kQuestion, zoo::kShooA, zoo::kShooB, zoo::kMissionArrow,
                      zoo::kTaskArrow, zoo::kFirstBadge, zoo::kRefill, zoo::kLastOneArrow, zoo::kWayPointArrow, zoo::kHint})
        zooSpoken.push_back(l);
    return {{"city", city::kCityLines, city::kCityAreas, citySpoken, 13, 5, 15},
            {"zoo", zoo::kZooLines, zoo::kZooAreas, zooSpoken, 15, 9, 17}};
}

TEST(TownTablesTest, CaptionsAreWindows1252BytesWithTheTypographicQuotesAsSingleBytes) {
    for (const TownTables& town : Towns()) {
        SCOPED_TRACE(town.name);
        int quotes = 0;
        for (const TownLine& l : town.lines) {
            const std::string caption = l.caption;
            EXPECT_FALSE(caption.empty()) << "line " << l.line;
            for (const char c : caption) {
                const auto byte = uint8_t(c);
                // Above 0x7E only the two quotes: a UTF-8 sequence (0xE2 0x80 ...) would show as three letters.
                EXPECT_TRUE(byte >= 0x20 && (byte <= 0x7E || byte == 0x91 || byte == 0x92)) << "line " << l.line << ": byte " << int(byte);
                quotes += byte == 0x91 || byte == 0x92;
            }
        }
        EXPECT_GT(quotes, 0) << "the tables' apostrophes are typographic";
    }
    EXPECT_STREQ(towns::FindLine(towns::zoo::kZooLines, 8)->caption, "There\x92s a penguin!  Lead \x91" "em back to the penguin house!");
}

TEST(TownTablesTest, LinesAreNumberedOnceAndEveryLineTheCodeSpeaksIsThere) {
    for (const TownTables& town : Towns()) {
        SCOPED_TRACE(town.name);
        std::set<int16_t> numbers;
        for (const TownLine& l : town.lines) EXPECT_TRUE(numbers.insert(l.line).second) << "line " << l.line << " twice";
        for (int16_t spoken : town.spoken) EXPECT_TRUE(numbers.count(spoken)) << "line " << spoken;
        EXPECT_FALSE(numbers.count(town.missing)) << "line " << town.missing << " queues nothing";
    }
}

TEST(TownTablesTest, TheSharedLinesOfShooingArrowsAndBadgesAreTheSameInBothTowns) {
    const std::vector<TownTables> towns = Towns();
    const TownTables& city = towns[0];
    const TownTables& zoo = towns[1];
    auto find = [](const TownTables& t, int16_t n) -> const TownLine* {
        for (const TownLine& l : t.lines)
            if (l.line == n) return &l;
        return nullptr;
    };
    for (int16_t i = 0; i < 9; ++i) {
        const TownLine* c = find(city, int16_t(city.sharedFrom + i));
        const TownLine* z = find(zoo, int16_t(zoo.sharedFrom + i));
        ASSERT_TRUE(c && z) << i;
        EXPECT_EQ(c->voice, z->voice) << "city line " << c->line;
        EXPECT_EQ(c->marks, z->marks) << "city line " << c->line;
        EXPECT_STREQ(c->caption, z->caption);
    }
}

TEST(TownTablesTest, ChallengeAreasNameUnmarkedLinesAndHaveFlagsAndCountersOfTheirOwn) {
    for (const TownTables& town : Towns()) {
        SCOPED_TRACE(town.name);
        std::set<int16_t> flags, counters, areas;
        for (const ChallengeArea& a : town.areas) {
            SCOPED_TRACE("area " + std::to_string(a.area));
            EXPECT_TRUE(areas.insert(a.area).second);
            EXPECT_TRUE(flags.insert(a.flag).second);
            EXPECT_TRUE(counters.insert(a.counter).second);
            EXPECT_GE(a.flag, 3);
            EXPECT_LE(a.flag, 6);
            EXPECT_GE(a.counter, town.firstCounter);
            EXPECT_LT(a.counter, town.firstCounter + 4);
            for (int16_t line : {a.repeatLine, a.firstLine}) {
                const TownLine* l = nullptr;
                for (const TownLine& candidate : town.lines)
                    if (candidate.line == line) l = &candidate;
                ASSERT_NE(l, nullptr) << "line " << line;
                EXPECT_EQ(l->marks, towns::kNoMark) << "an area's lines always queue";
            }
            EXPECT_EQ(ChunkIndexOf(a.activity), 1);
            EXPECT_EQ(ChunkIndexOf(a.picture), 2);
            EXPECT_EQ(ChunkIndexOf(a.text), 17);
        }
        EXPECT_EQ(areas, (std::set<int16_t>{1, 2, 3, 4}));
    }
}

TEST(TownTablesTest, EachVehicleHasItsTownsFittingAndDrivesFasterWithTheSiren) {
    using namespace towns;
    struct Case {
        uint16_t vehicle;
        const TownVehicle* found;
        bool fitted;
    };
    auto burst = [](uint16_t v) {
        for (const city::CanisterBurst& b : city::kCanisterBursts)
            if (b.vehicle == v) return true;
        return false;
    };
    auto beam = [](uint16_t v) {
        for (const zoo::BeamFit& b : zoo::kBeams)
            if (b.vehicle == v) return true;
        return false;
    };
    const Case cases[] = {
        {4, FindVehicle(city::kVehicles, 4), burst(4)}, {5, FindVehicle(city::kVehicles, 5), burst(5)},
        {2, FindVehicle(zoo::kVehicles, 2), beam(2)},   {3, FindVehicle(zoo::kVehicles, 3), beam(3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("vehicle " + std::to_string(c.vehicle));
        ASSERT_NE(c.found, nullptr);
        EXPECT_TRUE(c.fitted);
        EXPECT_GT(c.found->sirenSpeed, c.found->normalSpeed);
        EXPECT_EQ(c.found->speed, c.found->normalSpeed);
        EXPECT_GT(c.found->actionMs, 0u);
    }
    EXPECT_EQ(FindVehicle(city::kVehicles, 2), nullptr) << "the zoo's vehicle has no city fitting";
    EXPECT_EQ(FindVehicle(zoo::kVehicles, 0), nullptr);
}

} // namespace
} // namespace vqt::test
