// The overlays an activity switch shows: the blank interstitial and ending one by a press.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/blit/ColorPalette.h"
#include "engine/core/Event.h"
#include "engine/core/Interstitial.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

class Refusing : public OInterstitial {
public:
    int32_t OnIdle() override { return 1; }
    int32_t MayFinish() override { return answer; }
    int32_t answer = 0;
};

class InterstitialTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xProfiles_Set("FULLSCREEN", sLong(0)); // windowed: dirty rectangles, no DirectDraw
    }
    static void Fill(CPixelSurface& s, uint8_t value) {
        std::memset(s.Lock(), value, size_t(s.GetPitch()) * size_t(s.GetHeight()));
        s.Unlock();
    }
    static bool AllBytes(CPixelSurface& s, uint8_t value) {
        const uint8_t* p = s.Lock();
        bool all = true;
        for (int32_t i = 0; i < s.GetPitch() * s.GetHeight(); ++i) all = all && p[i] == value;
        s.Unlock();
        return all;
    }
    static xEvent Event(uint32_t category, uint32_t type) {
        xEvent e;
        e.category = category;
        e.type = type;
        return e;
    }
};

TEST_F(InterstitialTest, TheBlankInterstitialBlanksItsTargetForOneFrameOrTwoUnderDirectDraw) {
    CPixelSurface target;
    target.Create(8, 4, 16);
    Fill(target, 0xFF);
    OPictureInterstitial blank;
    EXPECT_TRUE(blank.IsA(31) && blank.IsA(30) && blank.IsA(50));
    blank.Setup(5, &target);
    EXPECT_EQ(blank.GetTag(), 5u);
    EXPECT_FALSE(blank.IsDone());
    blank.OnIdle();
    EXPECT_TRUE(blank.IsDone());
    EXPECT_TRUE(AllBytes(target, 0));
    ASSERT_EQ(CDirtyRects::Get().Count(), 1);
    EXPECT_EQ(CDirtyRects::Get().At(0), CRect16(0, 0, 8, 4));
    Fill(target, 0xFF);
    blank.OnIdle(); // done: nothing more
    EXPECT_TRUE(AllBytes(target, 0xFF));

    xProfiles_Values().directDraw = 1;
    blank.Setup(0, &target);
    blank.OnIdle();
    EXPECT_FALSE(blank.IsDone());
    blank.OnIdle();
    EXPECT_TRUE(blank.IsDone());
}

TEST_F(InterstitialTest, AnEightBitTargetTurnsItsPaletteBlackAndTakesTheNearestBlackIndex) {
    CPixelSurface target;
    target.Create(4, 2, 8);
    Fill(target, 0x40);
    OBlankInterstitial blank;
    blank.Setup(0, &target);
    blank.OnIdle();
    ASSERT_NE(target.OwnPalette(), nullptr);
    EXPECT_EQ(target.OwnPalette()->GetEntry(200), CColorPalette::kRGBBlack);
    EXPECT_EQ(target.OwnPalette()->GetEntry(254), CColorPalette::kRGBBlack);
    EXPECT_TRUE(AllBytes(target, 1)); // the search range starts at 1
}

TEST_F(InterstitialTest, APressEndsItWhenItMayFinishAndQueuesTheDoneEvent) {
    Refusing overlay;
    EXPECT_EQ(overlay.HandleEvent(Event(kEventMouse, kEvMouseMove)), 1);
    EXPECT_EQ(overlay.HandleEvent(Event(kEventMouse, kEvButtonDown)), 0);
    EXPECT_FALSE(overlay.IsDone());
    EXPECT_EQ(CEventRing::Get().Count(), 0);

    overlay.answer = 1;
    EXPECT_EQ(overlay.HandleEvent(Event(kEventKeyboard, kEvKeyDown)), 0);
    EXPECT_TRUE(overlay.IsDone() && overlay.IsFinished());
    ASSERT_EQ(CEventRing::Get().Count(), 1);
    EXPECT_EQ(CEventRing::Get().Oldest()->category, uint32_t(kEventApplication));
    EXPECT_EQ(CEventRing::Get().Oldest()->type, uint32_t(kEvDiscardInput));
    // Once finished, presses are swallowed without another event.
    EXPECT_EQ(overlay.HandleEvent(Event(kEventMouse, kEvButtonDown)), 0);
    EXPECT_EQ(CEventRing::Get().Count(), 1);

    Refusing skipped;
    skipped.answer = 1;
    skipped.SetSkipTest([]() -> int32_t { return 0; });
    EXPECT_EQ(skipped.HandleEvent(Event(kEventMouse, kEvButtonDown)), 0);
    EXPECT_FALSE(skipped.IsFinished());
}

} // namespace
} // namespace vqt::test
