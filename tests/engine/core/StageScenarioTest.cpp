// A headless run of the whole stage: an activity loaded from a part file, drawn into the display
// surface and presented into the window, compared with a golden picture; a moved prop redraws
// only its dirty rectangle; the screen dump prints what is shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/core/Activity.h"
#include "engine/core/ClassFactory.h"
#include "engine/graphics/DrawSurface.h"
#include "platform/headless/RecordingPrinter.h"
#include "tests/engine/core/StageFixture.h"

namespace vqt::test {
namespace {

/// A prop (class 1300) that draws itself as a solid 5-5-5 colour.
class ColourProp : public OView {
public:
    ColourProp() : OView("colour", 1300) {}
    int32_t OnIdle() override { return 1; }
    void Draw(CDrawSurface* d, CPoint16 p, const CClipRect& s, const CClipRect& t) override {
        uint8_t* pixels = d->Lock();
        if (pixels && d->GetBitsPerPixel() == 16) {
            for (int y = std::max<int>(t.top, 0); y < std::min<int>(t.bottom, d->GetHeight()); ++y)
                for (int x = std::max<int>(t.left, 0); x < std::min<int>(t.right, d->GetWidth()); ++x)
                    reinterpret_cast<uint16_t*>(pixels + int64_t(y) * d->GetPitch())[x] = 0x7FE0; // yellow
        }
        d->Unlock(0);
        OView::Draw(d, p, s, t);
    }
};

/// Makes the stage activity (class 300) and its colour props; the engine's factory the rest.
class StageFactory : public CFactory {
public:
    OActivity* CreateActivity(uint32_t id) override { return id == 300 ? new OActivity("stage", 300) : nullptr; }
    OView* CreateActivityProp(uint32_t id) override { return id == 1300 ? new ColourProp : nullptr; }
    int32_t Reset() override { return 0; }
    bool IsSupported(uint32_t id) override { return id == 300; }
};

class StageScenarioTest : public StageTest {
protected:
    /// A tiled activity of 20 x 15 tiles of 32 x 32 over a sheet of 8 x 4 tiles, one colour each;
    /// a colour prop, a record of an unknown class and a plain prop.
    void LoadStage() {
        ObjectPlan colour{.classId = 1300, .objectId = 1};
        colour.properties.Pair(50, 1, 200, 150).Pair(50, 2, 30, 20);
        ObjectPlan plain{.classId = 54, .objectId = 3};
        plain.properties.Pair(50, 1, 400, 300).Pair(50, 2, 10, 10);
        TiledStages stages;
        stages.Add(26, 3, {colour, {.classId = 4242, .objectId = 2}, plain}, 300);
        Open(stages.builder);
        OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
        m.AddFactory(new StageFactory);
        m.RequestActivity(ChunkIdOf(1, 26));
        Frames(4);
        ASSERT_FALSE(m.IsSwitchPending());
        activity = m.GetCurrentActivity();
        ASSERT_NE(activity, nullptr);
        ASSERT_EQ(activity->ChildCount(), 2);
        prop = static_cast<OView*>(activity->ChildAt(0));
    }

    OActivity* activity = nullptr;
    OView* prop = nullptr;
};

TEST_F(StageScenarioTest, TheLoadedStageIsPresentedAsTheGoldenPicture) {
    LoadStage();
    EXPECT_NE(traced().find("no factory makes objects of class 4242"), std::string::npos);
    ExpectMatchesGoldenImage("engine/core/stage_tiled.png", ToRgb(Shown()));
}

TEST_F(StageScenarioTest, AMovedPropChangesTheStageOnlyInsideItsWidenedUnionRectangle) {
    LoadStage();
    const plat::Image before = Shown();
    const CRect16 from = prop->GetScreenRect();
    prop->SetPosition(CPointF(213, 157), 0, 1);
    const CRect16 to = prop->GetScreenRect();
    Frames(1);
    const plat::Image& after = Shown();
    CRect16 dirty = from.Union(to);
    dirty.left = int16_t(dirty.left & ~3);
    dirty.right = int16_t((dirty.right + 3) & ~3);
    int changed = 0;
    for (int y = 0; y < after.height; ++y) {
        for (int x = 0; x < after.width; ++x) {
            if (after.At(x, y) == before.At(x, y)) continue;
            ++changed;
            EXPECT_TRUE(dirty.ContainsPoint(x, y)) << x << "," << y;
        }
    }
    EXPECT_GT(changed, 0);
}

TEST_F(StageScenarioTest, TheScreenDumpPrintsTheStageAsShown) {
    LoadStage();
    ASSERT_TRUE(window->PrintScreenDump());
    auto& printer = static_cast<plat::RecordingPrinter&>(plat::printer());
    ASSERT_EQ(printer.Jobs().size(), 1u);
    const auto& job = printer.Jobs()[0];
    EXPECT_EQ(job.document, "OWindow screen dump");
    EXPECT_TRUE(job.ended);
    ASSERT_EQ(job.pages.size(), 1u);
    ASSERT_EQ(job.pages[0].draws.size(), 1u);
    const auto& draw = job.pages[0].draws[0];
    // 640 x 480 on 4800 x 6600 dots at 600 dpi: 6.9 x 0.92 times enlarged, centred.
    EXPECT_EQ(draw.width, int32_t(640 * 6.9 * 0.92));
    EXPECT_EQ(draw.x, (4800 - draw.width) / 2);
    // The same picture at 5 bits a channel (the copy into 24 bits widens them its own way).
    const RgbImage printed = ToRgb(draw.picture);
    const RgbImage shown = ToRgb(Shown());
    ASSERT_EQ(printed.width, shown.width);
    ASSERT_EQ(printed.rgb.size(), shown.rgb.size());
    size_t differ = 0;
    for (size_t i = 0; i < shown.rgb.size(); ++i) differ += (printed.rgb[i] >> 3) != (shown.rgb[i] >> 3);
    EXPECT_EQ(differ, 0u);

    printer.SetDefaultPrinter("");
    EXPECT_FALSE(window->PrintScreenDump());
    EXPECT_EQ(printer.Jobs().size(), 1u);
}

} // namespace
} // namespace vqt::test
