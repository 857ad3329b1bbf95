#include <gtest/gtest.h>

#include <vector>

#include "tests/engine/core/RunLoopFixture.h"

namespace {

xEvent Make(uint32_t category, uint32_t type, int16_t x = 0) {
    xEvent e;
    e.category = category;
    e.type = type;
    e.cursor = CPoint16(x, 0);
    return e;
}

class Root : public OProcess {
public:
    Root() : OProcess("root", kClassId) {}
    int32_t OnIdle() override { return 1; }
    int32_t HandleEvent(const xEvent& e) override {
        seen.push_back(e);
        return 1;
    }
    std::vector<xEvent> seen;
};

class EventRingTest : public vqt::test::RunLoopTest {
protected:
    CEventRing& ring = CEventRing::Get();
};

TEST_F(EventRingTest, FullRingDropsTheNewEventWithATrace) {
    for (int i = 0; i < 32; ++i) CreateEvent(Make(kEventKeyboard, kEvKeyDown, int16_t(i)));
    EXPECT_EQ(ring.Count(), 32);
    EXPECT_EQ(TraceCount("Exceeded event queue maximum\n"), 0);
    CreateEvent(Make(kEventKeyboard, kEvKeyDown, 99));
    EXPECT_EQ(ring.Count(), 32);
    EXPECT_EQ(TraceCount("Exceeded event queue maximum\n"), 1);
    EXPECT_EQ(ring.Waiting(31).cursor.x, 31);
    EXPECT_EQ(ring.WriteIndex(), 0);
}

TEST_F(EventRingTest, RepeatsOfCoalescedTypesKeepTheWaitingRecord) {
    CreateEvent(Make(kEventMouse, kEvMouseMove, 1));
    CreateEvent(Make(kEventMouse, kEvMouseMove, 2));
    CreateEvent(Make(kEventPaint, kEvPaint));
    CreateEvent(Make(kEventApplication, kEvAppSuspend));
    CreateEvent(Make(kEventApplication, kEvAppSuspend));
    CreateEvent(Make(kEventWindowRequest, kEvPaletteNotice));
    CreateEvent(Make(kEventWindowRequest, kEvPaletteNotice));
    CreateEvent(Make(kEventKeyboard, kEvKeyDown));
    CreateEvent(Make(kEventKeyboard, kEvKeyDown)); // keys are never coalesced
    CreateEvent(Make(kEventForAll, kEvMouseMove)); // another category: kept
    ASSERT_EQ(ring.Count(), 7);
    EXPECT_EQ(ring.Waiting(0).cursor.x, 1) << "the older move keeps its place and cursor";
    EXPECT_EQ(ring.Waiting(1).type, kEvPaint);
    EXPECT_EQ(TraceCount("suspend event added to CreateEvent\n"), 2);
}

TEST_F(EventRingTest, OnlyWaitingRecordsCoalesceAcrossTheWrap) {
    Root root;
    xPlatform_SetMainWindow(&root, vqt::test::kAppWindow, nullptr);
    // Move the read index on to slot 30 with keys, and deliver a paint from slot 30.
    for (int i = 0; i < 30; ++i) CreateEvent(Make(kEventKeyboard, kEvKeyDown));
    for (int i = 0; i < 30; ++i) DispatchAppEvent(nullptr, 1);
    CreateEvent(Make(kEventPaint, kEvPaint, 1));
    DispatchAppEvent(nullptr, 1);
    EXPECT_EQ(ring.ReadIndex(), 31);
    CreateEvent(Make(kEventPaint, kEvPaint, 2)); // the delivered paint does not count
    CreateEvent(Make(kEventKeyboard, kEvKeyDown));
    CreateEvent(Make(kEventKeyboard, kEvKeyDown));
    EXPECT_EQ(ring.Count(), 3);
    EXPECT_EQ(ring.WriteIndex(), 2) << "written at 31, 0 and 1";
    CreateEvent(Make(kEventPaint, kEvPaint, 3)); // a paint still waits in slot 31
    EXPECT_EQ(ring.Count(), 3);
    DispatchAppEvent(nullptr, 1);
    CreateEvent(Make(kEventPaint, kEvPaint, 4));
    EXPECT_EQ(ring.Count(), 3);
    EXPECT_EQ(ring.Waiting(2).cursor.x, 4);
    xPlatform_SetMainWindow(nullptr, 0, nullptr);
}

TEST_F(EventRingTest, DispatchNeedsTheMainWindowAndNeverDeliversNone) {
    CreateEvent(Make(kEventKeyboard, kEvKeyDown));
    EXPECT_EQ(DispatchAppEvent(nullptr, 1), 0) << "no main window: the event waits";
    EXPECT_EQ(ring.Count(), 1);
    Root root;
    xPlatform_SetMainWindow(&root, vqt::test::kAppWindow, nullptr);
    CreateEvent(Make(kEventKeyboard, kEvNone));
    EXPECT_EQ(DispatchAppEvent(nullptr, 1), 1);
    EXPECT_EQ(DispatchAppEvent(nullptr, 1), 1);
    EXPECT_EQ(DispatchAppEvent(nullptr, 1), 0);
    EXPECT_EQ(root.seen.size(), 1u) << "the record of type 255 was taken but not delivered";
    const xEvent none = Make(kEventMouse, kEvNone);
    EXPECT_EQ(DispatchAppEvent(&none, 0), 1);
    EXPECT_EQ(DispatchAppEvent(nullptr, 0), 1);
    EXPECT_EQ(root.seen.size(), 1u);
    xPlatform_SetMainWindow(nullptr, 0, nullptr);
}

} // namespace
