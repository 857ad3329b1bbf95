#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "tests/support/HeadlessTest.h"

namespace {

class ServicesTest : public vqt::test::HeadlessTest {};

TEST_F(ServicesTest, VirtualClockStartsAt1000AndMovesOnlyWhenAsked) {
    EXPECT_EQ(plat::clock().TickCount(), 1000u);
    EXPECT_EQ(plat::clock().TickCount(), 1000u);
    plat::clock().Sleep(10);
    EXPECT_EQ(plat::clock().TickCount(), 1010u);
    clock().Advance(5);
    EXPECT_EQ(plat::clock().TickCount(), 1015u);
    clock().Set(0xFFFFFFFFu);
    plat::clock().Sleep(2);
    EXPECT_EQ(plat::clock().TickCount(), 1u) << "the tick wraps like GetTickCount";
}

TEST_F(ServicesTest, VirtualCalendarTimeIsFixedAndFollowsTheTicks) {
    const uint32_t start = plat::clock().UnixTime();
    EXPECT_EQ(start, 1000000000u);
    plat::clock().Sleep(2500);
    EXPECT_EQ(plat::clock().UnixTime(), start + 2);
    clock().SetUnixTime(0x40000000);
    EXPECT_EQ(plat::clock().UnixTime(), 0x40000000u);
    clock().Advance(1000);
    EXPECT_EQ(plat::clock().UnixTime(), 0x40000001u);
}

TEST_F(ServicesTest, UseHeadlessStartsOver) {
    plat::clock().Sleep(500);
    plat::dialogs().MessageBox("x", "y", 0);
    plat::UseHeadless();
    EXPECT_EQ(plat::clock().TickCount(), 1000u);
    EXPECT_TRUE(dialogs().Boxes().empty());
}

TEST_F(ServicesTest, SystemReportsXpAndTakesOverrides) {
    const plat::VersionInfo v = plat::system().Version();
    EXPECT_EQ(v.platformId, 2u);
    EXPECT_EQ(v.major, 5u);
    EXPECT_EQ(v.minor, 1u);
    EXPECT_EQ(v.build, 2600u);
    EXPECT_GE(plat::system().ProcessorCount(), 1u);
    system().SetProcessorCount(1);
    EXPECT_EQ(plat::system().ProcessorCount(), 1u);
    system().SetVersion({1, 4, 10, 2222});
    EXPECT_EQ(plat::system().Version().platformId, 1u);
    EXPECT_FALSE(plat::system().WorkingFolder().empty());
    EXPECT_NE(plat::system().CommandLine().find("test_platform"), std::string::npos);
}

TEST_F(ServicesTest, MemoryStatusIsPhysicalMemory) {
    const plat::MemoryStatus m = plat::system().Memory();
    EXPECT_GT(m.totalPhys, 0u);
    EXPECT_LE(m.availPhys, m.totalPhys);
    EXPECT_EQ(m.totalPageFile, m.totalPhys);
    EXPECT_LE(m.memoryLoad, 100u);
}

TEST_F(ServicesTest, ThreadIdsDifferBetweenThreads) {
    const uint32_t mine = plat::system().CurrentThreadId();
    uint32_t other = mine;
    std::thread([&] { other = plat::system().CurrentThreadId(); }).join();
    EXPECT_NE(mine, other);
}

TEST(MessageBoxDefaults, DefaultButtonFollowsTypeAndFlag) {
    using namespace plat::mb;
    EXPECT_EQ(DefaultAnswer(Ok), IdOk);
    EXPECT_EQ(DefaultAnswer(YesNo), IdYes);
    EXPECT_EQ(DefaultAnswer(YesNo | DefaultButton2), IdNo);
    EXPECT_EQ(DefaultAnswer(AbortRetryIgnore | DefaultButton2 | IconStop | TaskModal), IdRetry);
    EXPECT_EQ(DefaultAnswer(OkCancel | DefaultButton2), IdCancel);
    EXPECT_EQ(DefaultAnswer(0xE), IdOk);
}

TEST_F(ServicesTest, ScriptedDialogsAnswerInOrderThenByDefault) {
    dialogs().Script({plat::mb::IdNo, plat::mb::IdRetry});
    EXPECT_EQ(plat::dialogs().MessageBox("first", "Error", plat::mb::YesNo), plat::mb::IdNo);
    EXPECT_EQ(plat::dialogs().MessageBox("second", "Error", plat::mb::AbortRetryIgnore), plat::mb::IdRetry);
    EXPECT_EQ(plat::dialogs().MessageBox("third", "Error", plat::mb::YesNo), plat::mb::IdYes);
    ASSERT_EQ(dialogs().Boxes().size(), 3u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "first");
    EXPECT_EQ(dialogs().Boxes()[1].title, "Error");
    EXPECT_EQ(dialogs().Boxes()[2].type, plat::mb::YesNo);
    EXPECT_EQ(dialogs().Boxes()[2].answer, plat::mb::IdYes);
}

} // namespace
