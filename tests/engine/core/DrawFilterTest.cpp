// The blend filter over headless activity switches on the virtual clock: the snapshot of the
// old stage, the fade's levels, the blended stage, a switch-out in the middle of a fade, and the
// filter's place in the main window (picking, presenting, deferred deletion).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/DeferredDelete.h"
#include "engine/core/DrawFilter.h"
#include "engine/core/Event.h"
#include "engine/graphics/DDrawSurface.h"
#include "tests/engine/core/StageFixture.h"
#include "tests/engine/graphics/GraphicsOracle.h"

namespace vqt::test {
namespace {

class DrawFilterTest : public StageTest {
protected:
    /// Two tiled stages ({1, 0, 26} with the objects, and {1, 0, 27}), the manager in a variant
    /// and the filter.
    void Prepare(uint8_t variant, std::vector<ObjectPlan> objects = {}) {
        TiledStages stages;
        stages.Add(26, 3, std::move(objects));
        stages.Add(27, 7);
        Open(stages.builder);
        manager = &Manager(variant);
        ASSERT_TRUE(xDrawFilter_InstallBlend(window));
        filter = static_cast<CDrawFilterBlend*>(window->GetDrawFilter());
        ASSERT_NE(filter, nullptr);
    }
    /// Requests the activity and runs 10 ms frames until its fade has begun; false when it
    /// does not begin within 50 frames.
    bool SwitchUntilTheFadeBegins(uint16_t entry) {
        manager->RequestActivity(ChunkIdOf(1, entry));
        for (int i = 0; i < 50 && !filter->IsBlending(); ++i) Frames(1);
        return filter->IsBlending();
    }
    /// Runs frames until the fade is over, and one more in which the filter sees that no switch
    /// is pending (until then it takes a switch for the one it has faded).
    void FinishTheFade() {
        for (int i = 0; i < 150 && filter->IsBlending(); ++i) Frames(1);
        ASSERT_FALSE(filter->IsBlending());
        Frames(1);
    }
    /// One frame `ms` after the last; answers the blend level after it.
    int16_t FrameAfter(uint32_t ms) {
        Frames(1, ms);
        return filter->GetBlendLevel();
    }
    static std::vector<uint16_t> Pixels16(CDrawSurface& s) {
        std::vector<uint16_t> out;
        const uint8_t* top = s.Lock();
        for (int y = 0; y < s.GetHeight(); ++y)
            for (int x = 0; x < s.GetWidth(); ++x) out.push_back(oracle::Get16(top + int64_t(s.GetPitch()) * y + 2 * x));
        s.Unlock(0);
        return out;
    }
    std::vector<uint16_t> Stage() { return Pixels16(*window->GetDisplaySurface()); }
    /// Every pixel of `mid` is the snapshot's pixel blended with the new stage's at the level.
    static void ExpectBlend(const std::vector<uint16_t>& old, const std::vector<uint16_t>& now,
                            const std::vector<uint16_t>& mid, int level) {
        ASSERT_EQ(mid.size(), now.size());
        size_t wrong = 0;
        for (size_t i = 0; i < mid.size(); ++i) wrong += mid[i] != oracle::Blend(old[i], now[i], level, 1, 1);
        EXPECT_EQ(wrong, 0u);
    }
    static void AppEvent(uint16_t type) {
        xEvent event{};
        event.category = kEventApplication;
        event.type = type;
        DispatchAppEvent(&event, 0);
    }

    OActivityManager* manager = nullptr;
    CDrawFilterBlend* filter = nullptr;
};

TEST_F(DrawFilterTest, TheOldStageIsCapturedWhileUnloadingAndDissolvesIntoTheNewOneOverOneSecond) {
    Prepare(OActivityManager::kLoadFirst);
    ASSERT_TRUE(SwitchUntilTheFadeBegins(26));
    FinishTheFade();
    const std::vector<uint16_t> before = Stage();

    manager->RequestActivity(ChunkIdOf(1, 27));
    while (filter->IsCaptureNeeded()) {
        Frames(1);
        ASSERT_TRUE(manager->IsSwitchPending());
    }
    EXPECT_EQ(manager->GetPhase(), OActivityManager::kPhaseAttach) << "the snapshot is taken while unloading";
    EXPECT_EQ(Pixels16(filter->Snapshot()), before);
    for (int i = 0; i < 10 && !filter->IsBlending(); ++i) Frames(1);
    ASSERT_TRUE(filter->IsBlending());
    EXPECT_EQ(filter->GetBlendLevel(), 0);
    EXPECT_EQ(Stage(), before) << "the new stage does not flash up before the fade";

    // Levels 1, 16, 500 and 1000 ms after the start: a first step at level 0 does not end it.
    EXPECT_EQ(FrameAfter(1), 0);
    EXPECT_TRUE(filter->IsBlending());
    EXPECT_EQ(FrameAfter(15), 16 * 255 / 1000);
    EXPECT_EQ(FrameAfter(484), 127);
    const std::vector<uint16_t> mid = Stage();
    ExpectMatchesGoldenImage("engine/core/blend_filter_mid_fade.png", ToRgb(Shown()));
    EXPECT_EQ(FrameAfter(500), 255);
    EXPECT_FALSE(filter->IsBlending());
    EXPECT_TRUE(filter->IsCaptureNeeded());
    const std::vector<uint16_t> after = Stage();
    EXPECT_NE(after, before);
    ExpectBlend(before, after, mid, 127);
}

TEST_F(DrawFilterTest, WithoutACurrentActivityTheFadeStartsNearBlackAndTimeSwitchedOutDoesNotCount) {
    Prepare(OActivityManager::kUnloadFirst);
    ASSERT_TRUE(SwitchUntilTheFadeBegins(26));
    EXPECT_EQ(Pixels16(filter->Snapshot()), std::vector<uint16_t>(640 * 480, 0)) << "red 0, green 0, blue 1";
    EXPECT_EQ(FrameAfter(500), 127);
    const std::vector<uint16_t> mid = Stage();

    AppEvent(kEvAppSuspend);
    clock().Advance(5000);
    Frames(3);
    AppEvent(kEvAppResume);
    EXPECT_EQ(FrameAfter(16), 516 * 255 / 1000);
    EXPECT_TRUE(filter->IsBlending());
    EXPECT_EQ(FrameAfter(479), 995 * 255 / 1000);
    FrameAfter(6); // the end comes 6 ms after the last step
    EXPECT_FALSE(filter->IsBlending());
    const std::vector<uint16_t> last = Stage();
    window->InvalidateAll();
    Frames(1);
    EXPECT_EQ(Stage(), last) << "the fade's last frame is the new stage itself";
    ExpectBlend(std::vector<uint16_t>(640 * 480, 0), last, mid, 127);
}

TEST_F(DrawFilterTest, TheFilterBoundsPickingAndGoesToDeferredDeletionWhenReplacedOrAtShutdown) {
    // Two props that the mouse picks (hit mode 2), reaching past the stage's edges.
    std::vector<ObjectPlan> props(2);
    props[0].properties.Pair(50, 1, 620, 460).Pair(50, 2, 60, 60).Short(50, 3, 2);
    props[1].properties.Pair(50, 1, 20, 0).Pair(50, 2, 40, 40).Short(50, 3, 2);
    Prepare(OActivityManager::kUnloadFirst, props);
    EXPECT_EQ(filter->GetUserData(), 0x7FFFFFFFu);
    CRect16 rect;
    filter->GetRect(&rect);
    EXPECT_EQ(rect, CRect16(0, 0, 640, 480));
    for (const CPoint16 outside : {CPoint16(640, 0), CPoint16(0, 480), CPoint16(-1, 0)})
        EXPECT_FALSE(filter->HitTest(outside)) << outside.x << "," << outside.y;
    ASSERT_TRUE(SwitchUntilTheFadeBegins(26));
    FinishTheFade();
    EXPECT_NE(window->ViewAtPoint(CPoint16(639, 479)), nullptr);
    EXPECT_EQ(window->ViewAtPoint(CPoint16(640, 479)), nullptr) << "right and bottom are outside";
    EXPECT_NE(window->ViewAtPoint(CPoint16(10, 0)), nullptr);
    EXPECT_EQ(window->ViewAtPoint(CPoint16(10, -1)), nullptr);

    CDrawFilter* first = filter;
    ASSERT_TRUE(xDrawFilter_InstallBlend(window));
    EXPECT_NE(window->GetDrawFilter(), first);
    EXPECT_FALSE(window->HasChild(first));
    EXPECT_TRUE(CDeferredDeletes::Get().Contains(first));
    CDrawFilter* second = window->GetDrawFilter();
    DestroyActivityManager(); // the shutdown's order: the manager, then the window's children
    window->DestroyChildren();
    EXPECT_EQ(window->GetDrawFilter(), nullptr);
    EXPECT_TRUE(CDeferredDeletes::Get().Contains(second));
}

/// The same stage full screen through the display interface.
class DirectDrawFilterTest : public DrawFilterTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        xProfiles_Set("FULLSCREEN", sLong(1));
        xProfiles_Set("DIRECTDRAW", sLong(1));
        auto* display = new CDDrawSurface;
        delete window->GetDisplaySurface(); // a window does not free the surface it gives up
        window->SetDisplaySurface(display);
        ASSERT_TRUE(display->IsDisplayAvailable());
        ASSERT_TRUE(display->Create(640, 480, 16));
        ASSERT_TRUE(display->Create(window->GetWindowId()));
    }
};

TEST_F(DirectDrawFilterTest, TheFilterFlipsAndEachFrameIsPresentedOnce) {
    Prepare(OActivityManager::kUnloadFirst);
    const int flips = plat::ddraw().stats().flips;
    const uint32_t frames = window->GetFramesDrawn();
    ASSERT_TRUE(SwitchUntilTheFadeBegins(26));
    FinishTheFade();
    EXPECT_GT(window->GetFramesDrawn(), frames + 50);
    EXPECT_EQ(uint32_t(plat::ddraw().stats().flips - flips), window->GetFramesDrawn() - frames);
}

} // namespace
} // namespace vqt::test
