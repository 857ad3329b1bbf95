// The city's and the zoo's tables, checked against the rules their rows must keep: captions in
// Windows-1252 bytes, every line the towns' code speaks present, challenge areas naming lines
// that exist and flags and counters of their own, and one fitting of each kind per vehicle.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "game/world/towns/CityTables.h"
#include "game/world/towns/ZooTables.h"

namespace vqt::test {
namespace {

/// One town's tables seen through the shared rows.
struct TownTables {
    const char* name;
    const TownTable& table;
    std::span<const TownLine> lines;
    std::span<const TownChallenge> areas;
    std::vector<int16_t> spoken; ///< the lines the town's code names
    int16_t missing;             ///< the line number between the shared ones that queues nothing
    int16_t firstCounter;        ///< the counters of the areas run from here, one each
    int16_t sharedFrom;          ///< where the lines shared with the other towns (shooing to badges) start
};

/// The lines a TownTable names (-1: none).
std::vector<int16_t> TableLines(const TownTable& t) {
    std::vector<int16_t> spoken;
    for (int l : {t.playLine, t.refillLine, t.hintLine, t.arrowLines.follow, t.arrowLines.lastOne, t.arrowLines.nextStop,
                  t.arrowLines.mission, t.moreFollowersLine, t.firstTokenLine})
        if (l >= 0) spoken.push_back(int16_t(l));
    for (int i = 0; i < t.laterTokenLines; ++i) spoken.push_back(int16_t(t.laterTokenLine + i));
    return spoken;
}

std::vector<TownTables> Towns() {
    using namespace towns;
    std::vector<int16_t> citySpoken = TableLines(city::kTable);
    citySpoken.insert(citySpoken.end(), std::begin(city::kCriminalTakenLines), std::end(city::kCriminalTakenLines));
    citySpoken.insert(citySpoken.end(), std::begin(city::kLootTakenLines), std::end(city::kLootTakenLines));
    for (int16_t l : {city::kCriminalSeen, city::kCriminalSeenToo, city::kFirstLootTaken, city::kLootSeen, city::kShooA, city::kShooB})
        citySpoken.push_back(l);
    std::vector<int16_t> zooSpoken = TableLines(zoo::kTable);
    zooSpoken.insert(zooSpoken.end(), std::begin(zoo::kFirstMonkeyLines), std::end(zoo::kFirstMonkeyLines));
    for (int16_t l : {zoo::kMonkeySeen, zoo::kPenguinSeen, zoo::kShooA, zoo::kShooB}) zooSpoken.push_back(l);
    return {{"city", city::kTable, city::kCityLines, city::kCityAreas, citySpoken, 13, 5, 15},
            {"zoo", zoo::kTable, zoo::kZooLines, zoo::kZooAreas, zooSpoken, 15, 9, 17}};
}

TEST(TownTablesTest, CaptionsAreWindows1252BytesWithTheTypographicQuotesAsSingleBytes) {
    for (const TownTables& town : Towns()) {
        SCOPED_TRACE(town.name);
        int quotes = 0;
        for (const TownLine& l : town.lines) {
            const std::string caption = l.caption;
            EXPECT_FALSE(caption.empty()) << "line " << l.number;
            for (const char c : caption) {
                const auto byte = uint8_t(c);
                // Above 0x7E only the two quotes: a UTF-8 sequence (0xE2 0x80 ...) would show as three letters.
                EXPECT_TRUE(byte >= 0x20 && (byte <= 0x7E || byte == 0x91 || byte == 0x92)) << "line " << l.number << ": byte " << int(byte);
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
        for (const TownLine& l : town.lines) EXPECT_TRUE(numbers.insert(int16_t(l.number)).second) << "line " << l.number << " twice";
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
            if (l.number == n) return &l;
        return nullptr;
    };
    for (int16_t i = 0; i < 9; ++i) {
        const TownLine* c = find(city, int16_t(city.sharedFrom + i));
        const TownLine* z = find(zoo, int16_t(zoo.sharedFrom + i));
        ASSERT_TRUE(c && z) << i;
        EXPECT_EQ(c->voice, z->voice) << "city line " << c->number;
        EXPECT_EQ(c->marks, z->marks) << "city line " << c->number;
        EXPECT_STREQ(c->caption, z->caption);
    }
}

TEST(TownTablesTest, ChallengeAreasNameUnmarkedLinesAndHaveFlagsAndCountersOfTheirOwn) {
    for (const TownTables& town : Towns()) {
        SCOPED_TRACE(town.name);
        ASSERT_EQ(town.areas.size(), size_t(kTownChallenges));
        EXPECT_EQ(town.table.challenges, town.areas.data());
        std::set<int16_t> flags, counters;
        for (size_t i = 0; i < town.areas.size(); ++i) {
            const TownChallenge& a = town.areas[i];
            SCOPED_TRACE("area " + std::to_string(i + 1));
            EXPECT_TRUE(flags.insert(int16_t(a.flag)).second);
            EXPECT_TRUE(counters.insert(int16_t(a.counter)).second);
            EXPECT_EQ(a.flag, int(i) + 3) << "areas 1-4 arm by flags 3-6";
            EXPECT_GE(a.counter, town.firstCounter);
            EXPECT_LT(a.counter, town.firstCounter + 4);
            for (int line : {a.repeatLine, a.firstLine}) {
                const TownLine* l = nullptr;
                for (const TownLine& candidate : town.lines)
                    if (candidate.number == line) l = &candidate;
                ASSERT_NE(l, nullptr) << "line " << line;
                EXPECT_EQ(l->marks, 0) << "an area's lines always queue";
            }
            EXPECT_EQ(ChunkIndexOf(a.activity), 1);
            EXPECT_EQ(ChunkIndexOf(a.picture), 2);
            EXPECT_EQ(ChunkIndexOf(a.text), 17);
        }
    }
}

TEST(TownTablesTest, EachTownTableCarriesItsOwnRowsAndItsWorldsPlaces) {
    struct Case {
        const char* name;
        const TownTable& table;
        int world;
        const TownLine* lines;
        size_t lineCount;
        const TownVehicle* vehicles;
        CPoint16 menuPosition;
        ChunkId end;
        int deliveryArea;
    };
    const Case cases[] = {
        {"city", towns::city::kTable, 2, towns::city::kCityLines, std::size(towns::city::kCityLines), towns::city::kVehicles,
         CPoint16{200, 1500}, MakeChunkId(1, 20), -1},
        {"zoo", towns::zoo::kTable, 1, towns::zoo::kZooLines, std::size(towns::zoo::kZooLines), towns::zoo::kVehicles,
         CPoint16{2100, 150}, MakeChunkId(1, 21), 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.table.world, c.world);
        EXPECT_EQ(c.table.lines, c.lines);
        EXPECT_EQ(c.table.lineCount, c.lineCount);
        EXPECT_EQ(c.table.vehicles, c.vehicles);
        EXPECT_EQ(c.table.vehicleCount, 2u);
        EXPECT_EQ(c.table.menuPosition.x, c.menuPosition.x);
        EXPECT_EQ(c.table.menuPosition.y, c.menuPosition.y);
        EXPECT_EQ(c.table.endActivity, c.end);
        EXPECT_EQ(c.table.deliveryArea, c.deliveryArea);
        EXPECT_EQ(c.table.menuActivity, MakeChunkId(1, 5));
    }
}

TEST(TownTablesTest, EachVehicleHasItsTownsFittingAndDrivesFasterWithTheSiren) {
    using namespace towns;
    using towns::FindVehicle;
    struct Case {
        uint16_t vehicle;
        const TownVehicle* found;
        bool fitted;
    };
    // A fitting with its action cooldown, shorter for the faster vehicle.
    auto burst = [](uint16_t v) {
        for (const city::CanisterBurst& b : city::kCanisterBursts)
            if (b.vehicle == v) return b.actionMs > 0;
        return false;
    };
    auto beam = [](uint16_t v) {
        for (const zoo::BeamFit& b : zoo::kBeams)
            if (b.vehicle == v) return b.actionMs > 0;
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
    }
    EXPECT_EQ(FindVehicle(city::kVehicles, 2), nullptr) << "the zoo's vehicle has no city fitting";
    EXPECT_EQ(FindVehicle(zoo::kVehicles, 0), nullptr);
}

} // namespace
} // namespace vqt::test
