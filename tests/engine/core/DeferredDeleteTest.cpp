#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/ActivityHooks.h"
#include "tests/engine/core/RunLoopFixture.h"

namespace {

std::vector<std::string> g_log;
int g_frame = 0;

class Doomed : public OProcess {
public:
    explicit Doomed(const char* name, Doomed* releaseOnDelete = nullptr)
        : OProcess(name, kClassId), releaseOnDelete_(releaseOnDelete) {}
    ~Doomed() override {
        g_log.push_back("frame " + std::to_string(g_frame) + " ~" + GetName());
        if (releaseOnDelete_) releaseOnDelete_->Release();
    }
    int32_t OnIdle() override { return 1; }

private:
    Doomed* releaseOnDelete_;
};

/// The activity manager's side: tells "the current activity" of every deletion.
class RecordingActivities : public CActivityHooks {
public:
    bool IsSwitchPending() override { return false; }
    void StepSwitch() override {}
    void OnObjectDeleted(OObject* object) override {
        g_log.push_back("frame " + std::to_string(g_frame) + " deleted " + object->GetName());
    }
};

class Root : public OProcess {
public:
    Root() : OProcess("root", kClassId) {}
    int32_t OnIdle() override { return 1; }
};

class DeferredDeleteTest : public vqt::test::RunLoopTest {
protected:
    void SetUp() override {
        vqt::test::RunLoopTest::SetUp();
        g_log.clear();
        g_frame = 0;
        xPlatform_SetMainWindow(&root, vqt::test::kAppWindow, nullptr);
        xPlatform_SetActivityHooks(&activities);
    }
    void TearDown() override {
        xPlatform_SetActivityHooks(nullptr);
        xPlatform_SetMainWindow(nullptr, 0, nullptr);
        vqt::test::RunLoopTest::TearDown();
    }
    void Tick() {
        ++g_frame;
        FrameTick(0);
    }
    Root root;
    RecordingActivities activities;
};

TEST_F(DeferredDeleteTest, ObjectsReleasedInFrameOneGoAtFrame32LastFirst) {
    std::vector<Doomed*> objects;
    for (const char* name : {"a", "b", "c", "d", "e"}) objects.push_back(new Doomed(name));
    Tick();
    for (Doomed* d : objects) d->Release();
    for (int i = 2; i < 32; ++i) Tick();
    EXPECT_TRUE(g_log.empty()) << "nothing before frame 32";
    Tick();
    EXPECT_EQ(g_log, (std::vector<std::string>{
                         "frame 32 deleted e", "frame 32 ~e", "frame 32 deleted d", "frame 32 ~d",
                         "frame 32 deleted c", "frame 32 ~c", "frame 32 deleted b", "frame 32 ~b",
                         "frame 32 deleted a", "frame 32 ~a"}));
    EXPECT_EQ(CDeferredDeletes::Get().Count(), 0);
}

TEST_F(DeferredDeleteTest, ADoubleReleaseDeletesOnceAndAReleaseDuringTheFlushGoesInTheSameFlush) {
    auto* later = new Doomed("later");
    auto* first = new Doomed("first", later);
    first->Release();
    first->Release();
    EXPECT_EQ(AddDeferredDelete(first), 0) << "a queued object is not queued again";
    for (int i = 0; i < 64; ++i) Tick();
    EXPECT_EQ(g_log, (std::vector<std::string>{"frame 32 deleted first", "frame 32 ~first",
                                               "frame 32 deleted later", "frame 32 ~later"}));
}

TEST_F(DeferredDeleteTest, ReleasedChildDeletedWithItsParentIsNotDeletedAgain) {
    auto* parent = new Doomed("parent");
    auto* child = new Doomed("child");
    parent->AddChild(child);
    root.AddChild(parent);
    child->Release();
    delete parent;
    for (int i = 0; i < 32; ++i) Tick();
    EXPECT_EQ(g_log, (std::vector<std::string>{"frame 0 ~parent", "frame 0 ~child"}));
}

TEST_F(DeferredDeleteTest, ShutdownDeletesWithoutTellingTheActivity) {
    (new Doomed("x"))->Release();
    (new Doomed("y"))->Release();
    DeleteAllDeferred();
    EXPECT_EQ(g_log, (std::vector<std::string>{"frame 0 ~y", "frame 0 ~x"}));
    EXPECT_EQ(CDeferredDeletes::Get().Capacity(), 0) << "the storage is freed";
}

} // namespace
