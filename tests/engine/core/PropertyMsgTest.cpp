#include <gtest/gtest.h>

#include <vector>

#include "engine/core/PropertyMsg.h"

namespace {

/// A stored (big-endian) message built byte by byte.
std::vector<uint8_t> Stored(uint32_t type, uint32_t family, uint32_t id, std::vector<uint8_t> payload) {
    std::vector<uint8_t> b;
    for (uint32_t word : {type, family, id, uint32_t(payload.size())})
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(word >> shift));
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

std::vector<uint8_t> SwappedPayload(std::vector<uint8_t> b, bool withPayload = true) {
    auto* msg = reinterpret_cast<OPropertyMsg*>(b.data());
    xSwapPropertyMsg(msg, withPayload);
    return std::vector<uint8_t>(b.begin() + 16, b.end());
}

TEST(PropertyMsgTest, TheHeaderIsAlwaysSwappedThePayloadByValueTypeAndOnlyWhereItHoldsAWholeValue) {
    auto b = Stored(15, 0x01020304, 0x0A0B0C0D, {1, 2, 3, 4});
    auto* msg = reinterpret_cast<OPropertyMsg*>(b.data());
    xSwapPropertyMsg(msg, false);
    EXPECT_EQ(std::vector<uint32_t>({msg->typeCode, msg->family, msg->id, msg->size}),
              (std::vector<uint32_t>{15, 0x01020304u, 0x0A0B0C0Du, 4}));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 16, b.end()), (std::vector<uint8_t>{1, 2, 3, 4}));
    const std::vector<uint8_t> eight = {1, 2, 3, 4, 5, 6, 7, 8};
    // Codes that carry bytes as stored.
    for (uint32_t code : {1u, 2u, 3u, 4u, 9u, 11u, 12u, 18u, 19u, 0u, 20u, 99u})
        EXPECT_EQ(SwappedPayload(Stored(code, 50, 1, eight)), eight) << code;
    for (uint32_t code : {5u, 6u})
        EXPECT_EQ(SwappedPayload(Stored(code, 50, 1, eight)), (std::vector<uint8_t>{2, 1, 3, 4, 5, 6, 7, 8}));
    for (uint32_t code : {7u, 8u})
        EXPECT_EQ(SwappedPayload(Stored(code, 50, 1, eight)), (std::vector<uint8_t>{4, 3, 2, 1, 5, 6, 7, 8}));
    EXPECT_EQ(SwappedPayload(Stored(10, 50, 1, eight)), (std::vector<uint8_t>{2, 1, 4, 3, 5, 6, 7, 8}));
    for (uint32_t code : {13u, 14u})
        EXPECT_EQ(SwappedPayload(Stored(code, 50, 1, {1, 2, 3, 4, 5})), (std::vector<uint8_t>{2, 1, 4, 3, 5}));
    for (uint32_t code : {15u, 16u})
        EXPECT_EQ(SwappedPayload(Stored(code, 50, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})),
                  (std::vector<uint8_t>{4, 3, 2, 1, 8, 7, 6, 5, 9, 10}));
    EXPECT_EQ(SwappedPayload(Stored(7, 50, 1, eight), false), eight);
    // Too short for its type: left alone.
    EXPECT_EQ(SwappedPayload(Stored(5, 50, 1, {7})), (std::vector<uint8_t>{7}));
    EXPECT_EQ(SwappedPayload(Stored(7, 50, 1, {1, 2, 3})), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(SwappedPayload(Stored(10, 50, 1, {1, 2, 3})), (std::vector<uint8_t>{2, 1, 3}));
    EXPECT_TRUE(SwappedPayload(Stored(8, 50, 1, {})).empty());
}

TEST(PropertyMsgTest, RecordsOfType17KeepBytes8And9) {
    std::vector<uint8_t> payload;
    for (int i = 0; i < 24; ++i) payload.push_back(uint8_t(i));
    payload.push_back(0xEE); // a partial third record stays as stored
    const std::vector<uint8_t> expected = {1, 0, 3, 2, 5, 4, 7, 6, 8, 9, 11, 10,
                                           13, 12, 15, 14, 17, 16, 19, 18, 20, 21, 23, 22, 0xEE};
    EXPECT_EQ(SwappedPayload(Stored(17, 50, 1, payload)), expected);
}

TEST(PropertyMsgTest, TypedAccessAndExchangeAreBoundedByThePayloadSize) {
    std::vector<uint8_t> b(16 + 4, 0);
    auto* msg = reinterpret_cast<OPropertyMsg*>(b.data());
    msg->size = 4;
    EXPECT_TRUE(msg->Put<int16_t>(2, 7));
    EXPECT_FALSE(msg->Put<int32_t>(2, 7));
    EXPECT_FALSE(msg->Put<int8_t>(0xFFFFFFFFu, 7));
    int32_t whole = 0;
    EXPECT_TRUE(msg->Get(0, whole));
    int16_t value = 0;
    EXPECT_TRUE(msg->Get(2, value));
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(msg->Get(3, value));

    // Exchange stores when setting and reports otherwise.
    msg->size = 2;
    ASSERT_TRUE(msg->Put<int16_t>(0, 41));
    int16_t field = 9;
    EXPECT_TRUE(msg->Exchange(0, field, 1));
    EXPECT_EQ(field, 41) << "setting takes the payload value";
    field = -5;
    EXPECT_TRUE(msg->Exchange(0, field, 0));
    int16_t reported = 0;
    ASSERT_TRUE(msg->Get(0, reported));
    EXPECT_EQ(reported, -5) << "reporting writes the field into the payload";
    EXPECT_EQ(field, -5);
    int32_t wide = 3;
    EXPECT_FALSE(msg->Exchange(0, wide, 1)) << "too short a payload";
    EXPECT_FALSE(msg->Exchange(0, wide, 0));
    EXPECT_EQ(wide, 3);
    ASSERT_TRUE(msg->Get(0, reported));
    EXPECT_EQ(reported, -5) << "a refused report leaves the payload alone";
}

} // namespace
