#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/core/RunLoopFixture.h"

namespace {

using vqt::test::LogProcess;
using Log = std::vector<std::string>;

/// root
///  +- A (idle first)  +- A1, A2
///  +- B               +- B1, B2 (disabled) +- B2a
///  +- C
class TreeWalkTest : public vqt::test::RunLoopTest {
protected:
    void SetUp() override {
        vqt::test::RunLoopTest::SetUp();
        root = new LogProcess("root", &log);
        A = Add(root, "A");
        A1 = Add(A, "A1");
        A2 = Add(A, "A2");
        B = Add(root, "B");
        B1 = Add(B, "B1");
        B2 = Add(B, "B2");
        B2a = Add(B2, "B2a");
        C = Add(root, "C");
        A->SetIdleFirst(true);
        B2->SetEnabled(false);
    }
    void TearDown() override {
        delete root;
        vqt::test::RunLoopTest::TearDown();
    }
    LogProcess* Add(LogProcess* parent, const char* name) {
        auto* p = new LogProcess(name, &log);
        parent->AddChild(p);
        return p;
    }
    Log Walk(int32_t expected = 1) {
        log.clear();
        EXPECT_EQ(IdleWalk(root), expected);
        return log;
    }
    Log Deliver(uint32_t category, uint32_t type, int32_t expected = 1) {
        log.clear();
        xEvent e;
        e.category = category;
        e.type = type;
        EXPECT_EQ(DeliverEvent(root, e), expected);
        return log;
    }
    Log log;
    LogProcess *root, *A, *A1, *A2, *B, *B1, *B2, *B2a, *C;
};

TEST_F(TreeWalkTest, IdleGoesChildrenLastToFirstThenTheParentAndOnlyALeafOrAnIdleFirstParentStopsIt) {
    const Log all{"idle C", "idle B1", "idle B", "idle A", "idle A2", "idle A1", "idle root"};
    EXPECT_EQ(Walk(), all);
    B1->idleResult = 0;
    EXPECT_EQ(Walk(0), (Log{"idle C", "idle B1"}));
    B1->idleResult = 1;
    A->idleResult = 0;
    EXPECT_EQ(Walk(0), (Log{"idle C", "idle B1", "idle B", "idle A"}));
    A->idleResult = 1;
    B->idleResult = 0; // a parent with children answers through them
    root->idleResult = 0;
    EXPECT_EQ(Walk(1), all);
}

TEST_F(TreeWalkTest, SuspendedAndDisabledSubtreesAreSkipped) {
    B2->SetEnabled(true);
    B2a->SetEnabled(false); // a disabled leaf alone
    A->Suspend(1);
    EXPECT_EQ(Walk(), (Log{"idle C", "idle B2", "idle B1", "idle B", "idle root"}));
    root->SetEnabled(false);
    EXPECT_EQ(Walk(), Log{});
    root->SetEnabled(true);
    root->Suspend(1);
    EXPECT_EQ(Walk(), Log{});
}

TEST_F(TreeWalkTest, EventsGoByMaskInWalkOrderWithTheOwnHandlerFirst) {
    A->SetEventMask(kEventMouse);
    A1->SetEventMask(kEventMouse);
    A2->SetEventMask(kEventKeyboard);
    B->SetEventMask(kEventKeyboard);
    B1->SetEventMask(kEventMouse); // under a keyboard parent: not reached by mouse events
    C->SetEventMask(kEventMouse);
    C->SetEventsFirst(false);
    EXPECT_EQ(Deliver(kEventMouse, kEvButtonDown),
              (Log{"event root 2/1", "event C 2/1", "event A 2/1", "event A1 2/1"}));
    A->SetEventsFirst(false);
    EXPECT_EQ(Deliver(kEventKeyboard, kEvKeyDown), (Log{"event root 4/3", "event B 4/3"}));
    EXPECT_EQ(Deliver(kEventMouse, kEvButtonDown),
              (Log{"event root 2/1", "event C 2/1", "event A1 2/1", "event A 2/1"}));
}

TEST_F(TreeWalkTest, EventsForAllPassEveryMask) {
    for (LogProcess* p : {A, A1, A2, B, B1, B2, B2a, C}) p->SetEventMask(kEventKeyboard);
    EXPECT_EQ(Deliver(kEventForAll | kEventMouse, kEvMouseMove),
              (Log{"event root 34/10", "event C 34/10", "event B 34/10", "event B2 34/10",
                   "event B2a 34/10", "event B1 34/10", "event A 34/10", "event A2 34/10",
                   "event A1 34/10"}));
}

TEST_F(TreeWalkTest, SuspendedProcessesGetApplicationEventsOnlyAndASuspendedRootPaintToo) {
    for (LogProcess* p : {A, A1, A2, B, B1, B2, B2a, C}) p->SetEventMask(kEventApplication | kEventPaint);
    B->Suspend(1);
    EXPECT_EQ(Deliver(kEventPaint, kEvPaint),
              (Log{"event root 8/6", "event C 8/6", "event A 8/6", "event A2 8/6", "event A1 8/6"}));
    EXPECT_EQ(Deliver(kEventApplication, kEvAppSuspend),
              (Log{"event root 1/67", "event C 1/67", "event B 1/67", "event B2 1/67", "event B2a 1/67",
                   "event B1 1/67", "event A 1/67", "event A2 1/67", "event A1 1/67"}));
    root->Suspend(1);
    EXPECT_EQ(Deliver(kEventMouse, kEvButtonDown), Log{});
    EXPECT_EQ(Deliver(kEventPaint, kEvPaint), Log{"event root 8/6"}) << "children are suspended too";
    EXPECT_EQ(Deliver(kEventApplication, kEvAppResume).front(), "event root 1/68");
}

TEST_F(TreeWalkTest, HandlerAnsweringZeroEndsTheDelivery) {
    for (LogProcess* p : {A, A1, A2, B, B1, B2, B2a, C}) p->SetEventMask(kEventKeyboard);
    B->eventResult = 0;
    EXPECT_EQ(Deliver(kEventKeyboard, kEvKeyDown, 0), (Log{"event root 4/3", "event C 4/3", "event B 4/3"}));
    root->eventResult = 0;
    EXPECT_EQ(Deliver(kEventKeyboard, kEvKeyDown, 0), Log{"event root 4/3"});
}

TEST_F(TreeWalkTest, ResortSortsTheRootAndMarkedChildrenOnly) {
    // Priorities given so that every list is out of order.
    C->SetPriority(-1);
    B2->SetPriority(-5);
    B2a->SetPriority(3); // a grandchild list: never visited
    A1->SetPriority(9);
    auto names = [](ONode* n) {
        std::string s;
        for (int32_t i = 0; i < n->ChildCount(); ++i) s += n->ChildAt(i)->GetName() + std::string(" ");
        return s;
    };
    A->SetResort(false); // unmarked: left as it is
    ResortChildLists(root);
    EXPECT_EQ(names(root), "C A B ");
    EXPECT_EQ(names(B), "B2 B1 ");
    EXPECT_EQ(names(A), "A1 A2 ");
    root->SetSortGrandchildren(false);
    A->SetResort(true);
    ResortChildLists(root);
    EXPECT_EQ(names(A), "A1 A2 ") << "grandchildren are not sorted without the flag";
}

} // namespace
