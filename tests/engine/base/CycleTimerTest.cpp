#include <gtest/gtest.h>

#include "engine/base/CycleTimer.h"
#include "tests/support/HeadlessTest.h"

namespace {

class CycleTimerTest : public vqt::test::HeadlessTest {};

TEST_F(CycleTimerTest, ARecordCountsTheCyclesBetweenItsStartAndStop) {
    CCycleTimer::Calibrate();
    CCycleRecord record;
    CCycleTimer::Start(record);
    EXPECT_EQ(record.stop, 0u);
    clock().Advance(3);
    CCycleTimer::Stop(record);
    EXPECT_EQ(record.Elapsed(), 3 * plat::VirtualClock::kCyclesPerMs);
}

} // namespace
