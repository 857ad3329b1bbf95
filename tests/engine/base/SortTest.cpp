// The engine's sort: agrees with the standard sort on the keys for every size and element width.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "engine/base/Sort.h"

namespace {

int CompareInt(const void* a, const void* b) {
    int32_t x;
    int32_t y;
    std::memcpy(&x, a, 4);
    std::memcpy(&y, b, 4);
    return x < y ? -1 : x > y ? 1 : 0;
}

/// 6-byte records sorted by their first 16-bit value, the rest a tag that must travel with it.
struct Record {
    int16_t key;
    int32_t tag;
} __attribute__((packed));
static_assert(sizeof(Record) == 6);

int CompareRecord(const void* a, const void* b) {
    Record x;
    Record y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return x.key - y.key;
}

TEST(SortTest, SortsWordsAndWiderRecordsLikeTheStandardSort) {
    std::mt19937 random(7);
    for (size_t n : {0u, 1u, 2u, 8u, 9u, 17u, 1000u}) {
        std::vector<int32_t> values(n);
        for (auto& v : values) v = int32_t(random() % 50) - 25; // many equal keys
        std::vector<int32_t> expected = values;
        std::sort(expected.begin(), expected.end());
        xSort(values.data(), n, 4, CompareInt);
        EXPECT_EQ(values, expected) << n;

        std::vector<Record> records(n);
        for (size_t i = 0; i < n; ++i) records[i] = {int16_t(random() % 100), int32_t(i)};
        std::vector<Record> before = records;
        xSort(records.data(), n, sizeof(Record), CompareRecord);
        EXPECT_TRUE(std::is_sorted(records.begin(), records.end(),
                                   [](const Record& a, const Record& b) { return a.key < b.key; }));
        for (const Record& r : records) EXPECT_EQ(before[size_t(r.tag)].key, r.key); // tags moved with keys
    }

    // A size of 0 changes nothing.
    int32_t two[2] = {5, 1};
    xSort(two, 2, 0, CompareInt);
    EXPECT_EQ(two[0], 5);
}

} // namespace
