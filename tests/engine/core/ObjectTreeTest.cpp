#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/DeferredDelete.h"
#include "engine/core/Process.h"
#include "tests/support/HeadlessTest.h"

namespace {

std::vector<std::string> g_log;

/// A process that records what happens to it.
class Rec : public OProcess {
public:
    explicit Rec(const char* name, uint32_t classId = kClassId) : OProcess(name, classId) {}
    ~Rec() override { g_log.push_back(std::string("~") + GetName()); }
    int32_t OnIdle() override { return 1; }
    bool OnParentChanging(ONode* p) override {
        g_log.push_back(std::string(GetName()) + ".changing(" + (p ? p->GetName() : "null") + ")");
        return true;
    }
    void OnParentChanged(ONode* p) override {
        g_log.push_back(std::string(GetName()) + ".changed(" + (p ? p->GetName() : "null") + ")");
    }
    void OnChildAdded(ONode* c) override { g_log.push_back(std::string(GetName()) + ".added(" + c->GetName() + ")"); }
    void OnChildRemoved(ONode* c) override { g_log.push_back(std::string(GetName()) + ".removed(" + c->GetName() + ")"); }
    void OnPriorityChanged() override { g_log.push_back(std::string(GetName()) + ".priority"); }
    void OnKeyDown(uint32_t k) override { g_log.push_back("down " + std::to_string(k)); }
    void OnKeyUp(uint32_t k) override { g_log.push_back("up " + std::to_string(k)); }
    void OnChar(uint32_t c) override { g_log.push_back("char " + std::to_string(c)); }
    void OnAppSuspend() override { OProcess::OnAppSuspend(); g_log.push_back("suspend"); }
    void OnAppResume() override { OProcess::OnAppResume(); g_log.push_back("resume"); }
};

class ObjectTreeTest : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        g_log.clear();
    }
    void TearDown() override {
        CPtrListBase::FailAllocationsForTest(0);
        HeadlessTest::TearDown();
    }
    std::vector<std::string> Order(const ONode& parent) {
        std::vector<std::string> names;
        for (int32_t i = 0; i < parent.ChildCount(); ++i) names.push_back(parent.ChildAt(i)->GetName());
        return names;
    }
};

TEST_F(ObjectTreeTest, IsAAnswersTheWholeChainAndTheMostDerivedClassIdIsStored) {
    Rec process("p", 777);
    EXPECT_EQ(process.GetClassId(), 777u);
    for (uint32_t id : {20u, 10u, 1u}) EXPECT_TRUE(process.IsA(id)) << id;
    for (uint32_t id : {0u, 2u, 21u, 50u, 777u}) EXPECT_FALSE(process.IsA(id)) << id;
}

TEST_F(ObjectTreeTest, AddChildFailsCleanlyWhenTheListCannotGrowElseNotifiesInOrderAndSetsTheResortFlag) {
    Rec parent("parent");
    auto* child = new Rec("child");
    CPtrListBase::FailAllocationsForTest(1);
    g_log.clear();
    EXPECT_FALSE(parent.AddChild(child));
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(parent.ChildCount(), 0);
    EXPECT_TRUE(parent.AddChild(child));
    EXPECT_EQ(g_log, (std::vector<std::string>{"child.changing(parent)", "child.changed(parent)",
                                               "parent.added(child)"}));
    EXPECT_TRUE(parent.NeedsResort());
    EXPECT_EQ(child->GetSequence(), 1u);
    g_log.clear();
    EXPECT_FALSE(parent.AddChild(child));
    EXPECT_FALSE(child->AddChild(child)) << "a node is never its own child";
    EXPECT_TRUE(g_log.empty());
    EXPECT_EQ(child->GetSequence(), 1u);
    EXPECT_EQ(parent.ChildCount(), 1);
}

TEST_F(ObjectTreeTest, MovingAChildToAnotherParentTakesThatParentsNextSequence) {
    Rec first("first");
    Rec second("second");
    for (int i = 0; i < 3; ++i) second.AddChild(new Rec("filler"));
    auto* child = new Rec("child");
    first.AddChild(child);
    g_log.clear();
    EXPECT_TRUE(second.AddChild(child));
    EXPECT_EQ(g_log, (std::vector<std::string>{"child.changing(second)", "child.changing(null)",
                                               "child.changed(null)", "first.removed(child)",
                                               "child.changed(second)", "second.added(child)"}));
    EXPECT_EQ(first.ChildCount(), 0);
    EXPECT_EQ(child->GetSequence(), 4u);
    EXPECT_EQ(child->GetParent(), &second);
}

TEST_F(ObjectTreeTest, SortKeepsInsertionOrderForEqualPriorities) {
    Rec parent("parent");
    auto* a = new Rec("a");
    auto* b = new Rec("b");
    auto* c = new Rec("c");
    parent.AddChild(a);
    parent.AddChild(b);
    parent.AddChild(c);
    parent.SortChildren();
    EXPECT_FALSE(parent.NeedsResort());
    EXPECT_EQ(Order(parent), (std::vector<std::string>{"a", "b", "c"}));
    g_log.clear();
    a->SetPriority(0); // unchanged: no notification, no resort
    EXPECT_TRUE(g_log.empty());
    EXPECT_FALSE(parent.NeedsResort());
    c->SetPriority(-1);
    a->SetPriority(5);
    EXPECT_TRUE(parent.NeedsResort());
    EXPECT_EQ(Order(parent), (std::vector<std::string>{"a", "b", "c"})); // lazily sorted
    parent.SortChildren();
    EXPECT_EQ(Order(parent), (std::vector<std::string>{"c", "b", "a"}));
}

TEST_F(ObjectTreeTest, DeletingANodeDetachesItAndDeletesItsChildrenLastFirst) {
    Rec root("root");
    auto* mid = new Rec("mid");
    root.AddChild(mid);
    mid->AddChild(new Rec("x"));
    mid->AddChild(new Rec("y"));
    g_log.clear();
    delete mid;
    // Rec's destructor logs before ONode's destructor deletes the children.
    EXPECT_EQ(g_log, (std::vector<std::string>{"~mid", "root.removed(mid)", "~y", "~x"}));
    EXPECT_EQ(root.ChildCount(), 0);
}

TEST_F(ObjectTreeTest, SuspendAndResumeActOnTheProcessSubtreeOnce) {
    Rec root("root");
    auto* child = new Rec("child");
    auto* grandchild = new Rec("grandchild");
    root.AddChild(child);
    child->AddChild(grandchild);
    child->Suspend(1);
    EXPECT_TRUE(grandchild->IsSuspended());
    EXPECT_TRUE(grandchild->IsSuspendedInChain());
    root.Suspend(1); // child already suspended: stays so
    EXPECT_TRUE(root.IsSuspended());
    root.Resume(1);
    EXPECT_FALSE(child->IsSuspended()); // state below is not preserved
    EXPECT_FALSE(grandchild->IsSuspended());
    grandchild->Resume(1);
    root.Resume(1); // not suspended: nothing
    child->Resume(1);
    grandchild->Suspend(1);
    root.Resume(1);
    EXPECT_TRUE(grandchild->IsSuspended()); // root was running: subtree untouched

    // Neither suspension nor the chain passes a parent that is no process.
    auto* plain = new ONode("plain", 10);
    auto* below = new Rec("below");
    root.AddChild(plain);
    plain->AddChild(below);
    root.Suspend(1);
    EXPECT_FALSE(below->IsSuspended());
    EXPECT_FALSE(below->IsSuspendedInChain());
}

TEST_F(ObjectTreeTest, HandleEventDispatchesByType) {
    Rec p("p");
    p.AddEventMask(kEventKeyboard);
    auto send = [&](uint32_t category, uint32_t type, uintptr_t param1) {
        xEvent e;
        e.category = category;
        e.type = type;
        e.param1 = param1;
        EXPECT_EQ(p.HandleEvent(e), 1);
    };
    send(kEventKeyboard, kEvKeyDown, 0x141); // low byte only
    send(kEventKeyboard, kEvKeyRepeat, 65);
    send(kEventKeyboard, kEvKeyUp, 65);
    send(kEventKeyboard, kEvKeyDown, 16); // Shift itself is ignored
    send(kEventKeyboard, kEvChar, 0xE9);
    send(kEventApplication, kEvAppSuspend, 0);
    EXPECT_TRUE(p.IsAppSuspended());
    send(kEventApplication, kEvAppResume, 0);
    send(kEventMouse, kEvKeyDown, 65);            // mask does not take the mouse
    send(kEventKeyboard, kEvButtonUp, 65);        // below 3
    send(kEventKeyboard, kEvRequestB, 65);        // above 68
    p.SetAcceptsEvents(false);
    send(kEventKeyboard, kEvKeyDown, 66);
    EXPECT_EQ(g_log, (std::vector<std::string>{"down 65", "down 65", "up 65", "char 233", "suspend",
                                               "resume"}));
}

OPropertyMsg* MakeMsg(std::vector<uint8_t>& buffer, uint32_t family, uint32_t id, uint32_t size) {
    buffer.assign(16 + size, 0);
    auto* msg = reinterpret_cast<OPropertyMsg*>(buffer.data());
    msg->typeCode = 7;
    msg->family = family;
    msg->id = id;
    msg->size = size;
    return msg;
}

TEST_F(ObjectTreeTest, PropertiesAreTakenByTheirFamily) {
    Rec parent("parent");
    auto* node = new Rec("node");
    parent.AddChild(node);
    parent.SortChildren();
    std::vector<uint8_t> buffer;
    OPropertyMsg* msg = MakeMsg(buffer, 10, 1, 4);
    msg->Put<int32_t>(0, -42);
    g_log.clear();
    EXPECT_TRUE(node->HandleProperty(msg, 1));
    EXPECT_EQ(node->GetPriority(), -42);
    EXPECT_FALSE(parent.NeedsResort()); // stored directly
    EXPECT_TRUE(g_log.empty());

    node->SetPriority(17);
    msg->Put<int32_t>(0, 0);
    EXPECT_TRUE(node->HandleProperty(msg, 0));
    int32_t reported = 0;
    msg->Get(0, reported);
    EXPECT_EQ(reported, 17);

    EXPECT_TRUE(node->HandleProperty(MakeMsg(buffer, 10, 99, 4), 1)); // unknown id of the family
    EXPECT_TRUE(node->HandleProperty(MakeMsg(buffer, 20, 1, 4), 1));
    EXPECT_TRUE(node->HandleProperty(MakeMsg(buffer, 1, 1, 0), 1));
    EXPECT_FALSE(node->HandleProperty(MakeMsg(buffer, 50, 1, 4), 1));
    OObject plain("plain", 1);
    EXPECT_FALSE(plain.HandleProperty(MakeMsg(buffer, 10, 1, 4), 1));
}

} // namespace
