#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "tests/support/HeadlessTest.h"

namespace {

class ServicesTest : public vqt::test::HeadlessTest {};

TEST_F(ServicesTest, VirtualCycleCounterFollowsTheClockAcrossTheWrap) {
    const uint64_t start = plat::clock().CycleCount();
    plat::clock().Sleep(3);
    EXPECT_EQ(plat::clock().CycleCount() - start, 3 * plat::VirtualClock::kCyclesPerMs);
    clock().Set(0xFFFFFFFEu);
    const uint64_t beforeWrap = plat::clock().CycleCount();
    clock().Advance(4);
    EXPECT_EQ(plat::clock().CycleCount() - beforeWrap, 4 * plat::VirtualClock::kCyclesPerMs)
        << "the count keeps growing where the ticks wrap";
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
    EXPECT_EQ(dialogs().Boxes()[2].answer, plat::mb::IdYes) << "the answer given is recorded";
}

} // namespace
