#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Node.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/TempBuffers.h"
#include "tools/builders/ActivityBuilder.h"
#include "tests/support/HeadlessTest.h"

namespace {

/// Records every property it is handed (family, id, first payload byte) before passing it on.
class Recorder : public ONode {
public:
    Recorder() : ONode("recorder", kClassId) {}
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override {
        seen.push_back(std::to_string(msg->family) + "/" + std::to_string(msg->id) + "/" +
                       std::to_string(msg->size) + (msg->size ? "/" + std::to_string(msg->Payload()[0]) : ""));
        return ONode::HandleProperty(msg, set);
    }
    int32_t OnPropertiesLoaded() override {
        ++loaded;
        return 1;
    }
    std::vector<std::string> seen;
    int loaded = 0;
};

std::string Message(uint32_t type, uint32_t family, uint32_t id, const std::string& payload,
                    int64_t size = -1) {
    using namespace vqt::test;
    const uint32_t stored = size < 0 ? uint32_t(payload.size()) : uint32_t(size);
    return ToString(PropertyBytes().Raw(type, family, id, ToBytes(payload), stored).bytes());
}

class LoadPropertiesTest : public vqt::test::HeadlessTest {
protected:
    void TearDown() override {
        EXPECT_EQ(xTempBuffers_GetNumInUse(), 0) << "every buffer is given back";
        HeadlessTest::TearDown();
    }
    /// A memory stream holding `prefix` then `data`, positioned after the prefix.
    void Stream(const std::string& data, const std::string& prefix = "") {
        bytes = prefix + data + "TAIL";
        ASSERT_EQ(stream.AdoptMemory(bytes.data(), bytes.size(), bytes.size()),
                  DRV_OK);
        stream.Control(DRV_SEEK, 0, intptr_t(prefix.size()));
    }
    std::string bytes;
    ODrvMemory stream;
    Recorder node;
};

TEST_F(LoadPropertiesTest, EveryMessageIsSwappedAndAppliedInOrder) {
    const std::string big(400, '\x07'); // larger than the first message buffer
    const std::string data = Message(7, 10, 1, std::string("\0\0\0\x2A", 4)) +
                             Message(13, 999, 3, std::string("\x01\x02", 2)) + Message(15, 50, 2, big) +
                             Message(1, 1, 4, "");
    Stream(data, "xx");
    EXPECT_EQ(node.LoadProperties(&stream, uint32_t(data.size())), 1);
    EXPECT_EQ(node.seen, (std::vector<std::string>{"10/1/4/42", "999/3/2/2", "50/2/400/7", "1/4/0"}));
    EXPECT_EQ(node.GetPriority(), 42);
    EXPECT_FALSE(node.NeedsResort());
    EXPECT_EQ(node.loaded, 1);
    EXPECT_EQ(stream.Control(DRV_POSITION), intptr_t(2 + data.size()));
}

TEST_F(LoadPropertiesTest, SizesThatRunPastTheDataStopTheReading) {
    // A size that wraps when 16 is added, one past the bytes given, one past the stream.
    for (uint32_t size : {0xFFFFFFF0u, 0xFFFFFFFFu, 5u, 1000u}) {
        node.seen.clear();
        const std::string data = Message(7, 10, 1, std::string(4, '\0')) + Message(13, 50, 1, "abcd", size);
        Stream(data);
        const uint32_t given = size == 1000u ? 2000u : uint32_t(data.size());
        EXPECT_EQ(node.LoadProperties(&stream, given), 1);
        EXPECT_EQ(node.seen, std::vector<std::string>{"10/1/4/0"}) << size;
        EXPECT_NE(traced().find("runs past the data of recorder"), std::string::npos) << size;
    }
    EXPECT_EQ(node.loaded, 4);
}

TEST_F(LoadPropertiesTest, ShortDataStopsAndLeavesTheStreamBehindTheBytes) {
    const std::string data = Message(7, 10, 1, std::string(4, '\0'));
    Stream(data + "0123456789"); // ten bytes: less than a header
    EXPECT_EQ(node.LoadProperties(&stream, uint32_t(data.size() + 10)), 1);
    EXPECT_EQ(node.seen.size(), 1u);
    EXPECT_NE(traced().find("property header of recorder cannot be read"), std::string::npos);
    EXPECT_EQ(stream.Control(DRV_POSITION), intptr_t(data.size() + 10));
    EXPECT_EQ(node.loaded, 1);
    // No bytes and no stream apply nothing.
    EXPECT_EQ(node.LoadProperties(&stream, 0), 1);
    EXPECT_EQ(node.LoadProperties(nullptr, 32), 1);
    EXPECT_EQ(node.seen.size(), 1u);
    EXPECT_EQ(node.loaded, 3);
}

} // namespace
