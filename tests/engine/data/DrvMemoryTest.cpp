#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/data/DrvMemory.h"
#include "tests/support/HeadlessTest.h"

namespace {

class DrvMemoryTest : public vqt::test::HeadlessTest {
protected:
    static std::string ReadAll(ODriver& driver, uint32_t count) {
        std::string bytes(count, '\0');
        uint32_t got = 0;
        EXPECT_EQ(driver.Read(bytes.data(), count, &got), DRV_OK);
        bytes.resize(got);
        return bytes;
    }
};

TEST_F(DrvMemoryTest, WritesGrowTheReserveInStepsAndReadsCopyOut) {
    ODrvMemory driver;
    EXPECT_STREQ(driver.GetClassName(), "ODrvMemory");
    EXPECT_EQ(driver.Open(nullptr, 0), DRV_OK);
    EXPECT_EQ(driver.GetBufferSize(), 0u);
    uint32_t written = 0;
    ASSERT_EQ(driver.Write("0123456789", 10, &written), DRV_OK);
    EXPECT_EQ(written, 10u);
    EXPECT_EQ(driver.GetBufferSize(), 4096u);
    const std::string big(4090, 'x');
    ASSERT_EQ(driver.Write(big.data(), 4090, &written), DRV_OK);
    EXPECT_EQ(driver.GetBufferSize(), 8192u); // the next multiple of 4096 above 4096 + 4090
    EXPECT_EQ(driver.Control(DRV_SIZE), 4100);
    EXPECT_EQ(driver.Control(DRV_EOD), 1);

    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 5), DRV_OK);
    EXPECT_EQ(ReadAll(driver, 5), "56789");
    ASSERT_EQ(driver.Control(DRV_SEEK, 2, 3), DRV_OK);
    EXPECT_EQ(ReadAll(driver, 10), "xxx");
    EXPECT_EQ(ReadAll(driver, 10), ""); // at the end: nothing, and no error
    EXPECT_EQ(driver.Control(DRV_SEEK, 0, 4101), DRV_ERR_SEEK);
    EXPECT_EQ(driver.Control(DRV_SEEK, 1, -5000), DRV_ERR_SEEK);
    EXPECT_EQ(driver.Control(DRV_SEEK, 5, 0), DRV_ERR_SEEK);
    EXPECT_EQ(driver.Control(DRV_POSITION), 4100);

    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 2), DRV_OK);
    ASSERT_EQ(driver.Write("AB", 2, &written), DRV_OK); // overwrites in place
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 0), DRV_OK);
    EXPECT_EQ(ReadAll(driver, 6), "01AB45");
    EXPECT_EQ(driver.Control(DRV_SIZE), 4100);
}

TEST_F(DrvMemoryTest, SetBufferSizeReservesWholeStepsAndRefusesForeignMemory) {
    ODrvMemory driver;
    ASSERT_EQ(driver.SetBufferSize(100), DRV_OK);
    EXPECT_EQ(driver.GetBufferSize(), 4096u);
    ASSERT_EQ(driver.SetBufferSize(8192), DRV_OK);
    EXPECT_EQ(driver.GetBufferSize(), 12288u);

    std::vector<uint8_t> memory(64, 7);
    ASSERT_EQ(driver.AdoptMemory(memory.data(), 64, 64), DRV_OK);
    EXPECT_EQ(driver.SetBufferSize(10000), DRV_ERR_QUERY);
    EXPECT_EQ(driver.GetBufferSize(), 64u);
}

TEST_F(DrvMemoryTest, AdoptedMemoryIsStreamedButNeverGrownOrFreed) {
    std::string memory = "hello world";
    ODrvMemory driver;
    ASSERT_EQ(driver.AdoptMemory(memory.data(), 11, 11), DRV_OK);
    EXPECT_EQ(static_cast<void*>(driver.GetMemory()), memory.data());
    EXPECT_EQ(ReadAll(driver, 5), "hello");
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 6), DRV_OK);
    uint32_t written = 0;
    ASSERT_EQ(driver.Write("WORLD", 5, &written), DRV_OK); // within the reserve
    EXPECT_EQ(memory, "hello WORLD");
    EXPECT_EQ(driver.Write("!", 1, &written), DRV_ERR_QUERY); // past the reserve
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(driver.GetErrorCode(), DRV_ERR_QUERY);

    void* handedOut = nullptr;
    ASSERT_EQ(driver.ReleaseMemory(&handedOut), DRV_OK);
    EXPECT_EQ(handedOut, memory.data());
    EXPECT_EQ(driver.Control(DRV_SIZE), 0);
    EXPECT_EQ(driver.GetMemory(), nullptr);

    // Owned memory (after construction, a release or a close) is never handed out.
    ASSERT_EQ(driver.Write("mine", 4, &written), DRV_OK);
    EXPECT_EQ(driver.ReleaseMemory(&handedOut), DRV_ERR_OWNED);
    EXPECT_EQ(handedOut, memory.data());
}

TEST_F(DrvMemoryTest, AdoptingMoreDataThanMemoryIsCutToTheReserve) {
    std::string memory = "abcd";
    ODrvMemory driver;
    ASSERT_EQ(driver.AdoptMemory(memory.data(), 4, 1000), DRV_OK);
    EXPECT_EQ(driver.Control(DRV_SIZE), 4);
    EXPECT_EQ(ReadAll(driver, 100), "abcd");
    EXPECT_EQ(driver.AdoptMemory(nullptr, 16, 16), DRV_ERR_QUERY);
}

TEST_F(DrvMemoryTest, SetEndMovesTheLengthAndNeverLeavesThePositionPastIt) {
    ODrvMemory driver;
    uint32_t written = 0;
    ASSERT_EQ(driver.Write("0123456789", 10, &written), DRV_OK);
    ASSERT_EQ(driver.Control(DRV_SETEND, 0, 0, 4), DRV_OK); // position 10 was past the new end
    EXPECT_EQ(driver.Control(DRV_SIZE), 4);
    EXPECT_EQ(driver.Control(DRV_POSITION), 4);
    EXPECT_EQ(ReadAll(driver, 10), "");
    ASSERT_EQ(driver.Control(DRV_SETEND, 0, 0, 6), DRV_OK); // within the reserve: zeros
    ASSERT_EQ(driver.Control(DRV_SEEK, 0, 0), DRV_OK);
    EXPECT_EQ(ReadAll(driver, 10), std::string("0123\0\0", 6));
    ASSERT_EQ(driver.Control(DRV_SETEND, 0, 0, 5000), DRV_OK); // beyond: the reserve grows
    EXPECT_GE(driver.GetBufferSize(), 5000u);
    EXPECT_EQ(driver.Control(DRV_SIZE), 5000);

    std::string memory = "abcdef";
    ODrvMemory foreign;
    ASSERT_EQ(foreign.AdoptMemory(memory.data(), 6, 6), DRV_OK);
    ASSERT_EQ(foreign.Control(DRV_SETEND, 0, 0, 3), DRV_OK);
    EXPECT_EQ(foreign.Control(DRV_SIZE), 3);
    ASSERT_EQ(foreign.Control(DRV_SETEND, 0, 0, 100), DRV_OK); // cannot grow: emptied
    EXPECT_EQ(foreign.Control(DRV_SIZE), 0);
    EXPECT_EQ(foreign.GetMemory(), nullptr);
}

} // namespace
