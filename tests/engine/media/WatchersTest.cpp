// The statistics watchers, the activity watcher and the draw statistics on the stage.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/AssetWatcher.h"
#include "engine/media/MouseWatcher.h"
#include "engine/media/TextCView.h"
#include "engine/media/VersionWatcher.h"
#include "tests/engine/media/WatcherFixture.h"
#include "tests/support/Golden.h"

namespace vqt::test {
namespace {

/// A view of any class id, answering IsA for that id, `base` and OView's chain.
class AnyView : public OView {
public:
    AnyView(uint32_t classId, uint32_t base) : OView("any", classId), base_(base) {}
    bool IsA(uint32_t id) const override { return id == GetClassId() || id == base_ || OView::IsA(id); }
    int32_t OnIdle() override { return 1; }

private:
    uint32_t base_;
};

class WatchersTest : public WatcherTest {
protected:
    void PointAt(int x, int y) { input().SetCursorPos(plat::WinPoint{x, y}); }
    /// The asset text without its first line (the view's address).
    static std::string WithoutPointer(const std::string& text) { return text.substr(text.find('\r') + 1); }
};

TEST_F(WatchersTest, EachWatcherIsMadeOnceAndOnlyTheVersionBannerIsBuiltAtOnce) {
    EXPECT_TRUE(CVersionWatcher::Create());
    EXPECT_FALSE(CVersionWatcher::Create());
    ASSERT_NE(CVersionWatcher::Get()->GetView(), nullptr);
    EXPECT_STREQ(CVersionWatcher::Get()->GetView()->GetTextPtr(), "Varnique Technology\nVersion 1.00");
    EXPECT_TRUE(CMouseWatcher::Create());
    EXPECT_FALSE(CMouseWatcher::Create());
    EXPECT_TRUE(CAssetWatcher::Create());
    EXPECT_FALSE(CAssetWatcher::Create());
    EXPECT_EQ(CMouseWatcher::Get()->GetView(), nullptr);

    // The tree may go first: the watchers and their panels forget each other.
    window->DestroyChildren();
    EXPECT_EQ(CVersionWatcher::Get(), nullptr);
    EXPECT_EQ(CAssetWatcher::Get(), nullptr);
    EXPECT_TRUE(CMouseWatcher::Create());
    CMouseWatcher::Destroy();
    EXPECT_EQ(CMouseWatcher::Get(), nullptr);
}

TEST_F(WatchersTest, TheMousePanelIsBuiltAtTheFirstRefreshWhileItsKeyIsSetAcrossAClockWrap) {
    clock().Set(0xFFFFFF00u);
    ASSERT_TRUE(CMouseWatcher::Create());
    CMouseWatcher& watcher = *CMouseWatcher::Get();
    clock().Advance(300);
    watcher.OnIdle();
    EXPECT_EQ(watcher.GetView(), nullptr) << "the key is clear";
    CMouseWatcher::SetVisible(true);
    PointAt(400, 300);
    clock().Advance(250);
    watcher.OnIdle();
    EXPECT_EQ(watcher.GetView(), nullptr) << "250 ms are not more than 250 ms";
    clock().Advance(1);
    watcher.OnIdle();
    ASSERT_NE(watcher.GetView(), nullptr);
    EXPECT_STREQ(watcher.GetView()->GetTextPtr(), "Global (x,y) : 400,300\rLast mouse down : 0,0\r");
    CMouseWatcher::SetVisible(false);
    EXPECT_FALSE(watcher.GetView()->IsVisible());
}

TEST_F(WatchersTest, TheAssetPanelDescribesThePropUnderThePointerAndChangesOnlyWithIt) {
    OpenStages();
    SwitchTo(kHarbour);
    xProfiles_Set("ASSETSTATSVISIBLE", boolean(1));
    ASSERT_TRUE(CAssetWatcher::Create());
    CAssetWatcher& watcher = *CAssetWatcher::Get();
    PointAt(400, 300);
    EXPECT_EQ(WithoutPointer(CAssetWatcher::Describe(CPoint16(400, 300))),
              "Class name : OActivity (derived from)\rObject name : Harbour Front\rObject type : \r"
              "Asset Loc : 320,240\r");
    PointAt(300, 200);
    clock().Advance(251);
    watcher.OnIdle();
    ASSERT_NE(watcher.GetView(), nullptr);
    const std::string expected = "Class name : OActivityProp\rObject name : OActivityProp\rObject type : \r"
                                 "Asset ID : 2,0,1\rAsset name : Unnamed Chunk\rAsset Loc : 300,200\rState : 0\r"
                                 "Frame : 0\r";
    EXPECT_EQ(WithoutPointer(watcher.GetView()->GetTextPtr()), expected);

    // Rendered, the panel stays clean while the same text comes again.
    watcher.GetView()->OnIdle();
    ASSERT_FALSE(watcher.GetView()->IsDirty());
    clock().Advance(251);
    watcher.OnIdle();
    EXPECT_FALSE(watcher.GetView()->IsDirty());

    // Without the application's part file the chunk's name cannot be read.
    app.SetPartFile(nullptr);
    EXPECT_EQ(WithoutPointer(CAssetWatcher::Describe(CPoint16(300, 200))),
              "Class name : OActivityProp\rObject name : OActivityProp\rObject type : \rAsset ID : 2,0,1\r"
              "Asset Loc : 300,200\rState : 0\rFrame : 0\r");
}

TEST_F(WatchersTest, TheAssetPanelNamesTheClassOfEveryKindOfViewAndOverEmptyStageNothing) {
    EXPECT_EQ(CAssetWatcher::Describe(CPoint16(400, 300)), "View pointer : 0x00000000\rAsset Loc : 0,0\r");
    struct Case {
        OView* (*make)();
        const char* expected;
    };
    const Case cases[] = {
        {[]() -> OView* { return new AnyView(50, 50); }, "Class name : OView\rObject name : any\rObject type : \r"},
        {[]() -> OView* { return new AnyView(51, 50); }, "Class name : OActivityObject\rObject name : any\rObject type : \r"},
        {[]() -> OView* { return new OActivityProp("any", 54); }, "Class name : OActivityProp\rObject name : any\rObject type : \r"},
        {[]() -> OView* { return new AnyView(70, 54); }, "Class name : OTextView\rObject name : any\rObject type : \r"},
        {[]() -> OView* { return new AnyView(77, 54); }, "Class name : OTextView\rObject name : any\rObject type : \r"},
        {[]() -> OView* { return new OActivityProp("any", 1100); },
         "Class name : OActivityProp (derived from)\rObject name : any\rObject type : \r"},
        {[]() -> OView* { return new AnyView(999, 50); },
         "Class name : OView (unknown)\rObject name : any\rObject type : object type # 999\r"},
    };
    for (const Case& c : cases) {
        OView* view = c.make();
        view->SetPosition(CPointF(500, 400), 0, 0);
        view->SetSize(CPoint16(20, 20), 0);
        window->AddChild(view);
        EXPECT_EQ(WithoutPointer(CAssetWatcher::Describe(CPoint16(500, 400))),
                  std::string(c.expected) + "Asset Loc : 500,400\r")
            << c.expected;
        delete view;
    }
}

TEST_F(WatchersTest, TheDrawStatisticsShowTheAveragesOfTheLastHalfSecond) {
    xProfiles_Set("DRAWSTATSVISIBLE", boolean(1));
    OpenStages();
    SwitchTo(kHarbour);
    Frames(110);
    ExpectMatchesGolden("engine/media/draw_stats.txt",
                        static_cast<OTextCView*>(window->GetDrawStatsView())->GetTextPtr());
}

} // namespace
} // namespace vqt::test
