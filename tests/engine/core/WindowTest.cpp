// The main window: frame pacing, redraws, mouse picking with clicks and drag and drop, switching
// out and in, and its window requests.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/core/Activity.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/core/Cursor.h"
#include "engine/data/Profiles.h"
#include "engine/media/Application.h"
#include "engine/media/CheatService.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MouseProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "engine/media/SoundServiceProcess.h"
#include "tests/engine/core/StageFixture.h"
#include "tests/support/ScriptedAudioOutput.h"

namespace vqt::test {
namespace {

std::vector<std::string> g_calls;
std::vector<uint32_t> g_drawTimes;

/// A stage view that records the mouse and drag calls it gets.
class MouseView : public OView {
public:
    MouseView(const char* name, int16_t x, int16_t y, int16_t w, int16_t h) : OView(name, kClassId) {
        SetCursorMode(kHitSelf);
        SetSize(CPoint16(w, h), 0);
        SetPosition(CPointF(x, y), 0, 0);
    }
    int32_t OnIdle() override {
        if (busy) Invalidate();
        return 1;
    }
    void Log(const std::string& what) { g_calls.push_back(std::string(GetName()) + " " + what); }
    void OnButtonDown() override { Log("down"); }
    void OnButtonUp() override { Log("up"); }
    void OnClick() override { Log("click"); }
    void OnCursorEnter() override { Log("enter"); }
    void OnCursorLeave() override { Log("leave"); }
    int32_t OnDrop(OView* dragged) override {
        Log(std::string("drop ") + dragged->GetName());
        return 1;
    }
    int32_t OnDragEnd() override {
        Log("dragend");
        return 1;
    }
    void Draw(CDrawSurface* d, CPoint16 p, const CClipRect& s, const CClipRect& t) override {
        g_drawTimes.push_back(plat::clock().TickCount());
        if (throwOnDraw) throw std::runtime_error("draw");
        OView::Draw(d, p, s, t);
    }
    bool throwOnDraw = false;
    bool busy = false; ///< asks for a redraw every frame
};

class WindowTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        g_calls.clear();
        g_drawTimes.clear();
    }
    MouseView* Add(const char* name, int16_t x, int16_t y, int16_t w = 40, int16_t h = 40) {
        auto* view = new MouseView(name, x, y, w, h);
        window->AddChild(view);
        return view;
    }
    static void Mouse(uint32_t type, int16_t x, int16_t y) {
        xEvent event;
        event.category = kEventMouse;
        event.type = type;
        event.cursor = CPoint16(x, y);
        DispatchAppEvent(&event, 0);
    }
    void App(uint32_t type) {
        xEvent event;
        event.category = kEventApplication;
        event.type = type;
        DispatchAppEvent(&event, 0);
    }
};

TEST_F(WindowTest, ALimitedFrameRateDrawsNoOftenerThanEachFrameTime) {
    MouseView* root = Add("root", 320, 240, 640, 480);
    root->busy = true;
    window->SetRootView(root, false);
    window->SetFrameLimit(true);
    // The second second runs across the wrap of the 32-bit clock.
    for (uint32_t start : {1000u, 0u - 500u}) {
        clock().Set(start);
        window->SetFrameRate(12);
        EXPECT_EQ(window->GetMsPerFrame(), 83);
        g_drawTimes.clear();
        const uint32_t before = window->GetFramesDrawn();
        Frames(1000, 1);
        const uint32_t presents = window->GetFramesDrawn() - before;
        EXPECT_TRUE(presents == 11 || presents == 12) << presents << " from " << start;
        ASSERT_EQ(g_drawTimes.size(), presents);
        for (size_t i = 1; i < g_drawTimes.size(); ++i) EXPECT_GE(g_drawTimes[i] - g_drawTimes[i - 1], 83u);
    }

    // A rate of 0 from a profile does not divide by zero.
    window->SetFrameRate(0);
    EXPECT_EQ(window->GetFrameRate(), 1);
    EXPECT_EQ(window->GetMsPerFrame(), 1000);
}

TEST_F(WindowTest, OnlyDirtyFramesAreDrawnAndAFullRedrawCoversTheWholeStage) {
    // A stage of 800 x 600: a full redraw must reach beyond 640 x 480.
    OVQEngine::Shutdown();
    ASSERT_TRUE(OVQEngine::Startup());
    window = new OWindow;
    window->SetDepth(16);
    window->SetDisplaySurface(new CDIBSurface);
    ASSERT_TRUE(window->Create(CRect16(0, 0, 800, 600), false, 0));
    plat::desktop().Find(window->GetWindowId())->Show(plat::SW_SHOW);
    OVQEngine::Instance()->SetMainWindow(std::unique_ptr<OWindow>(window));
    window->SetRootView(Add("root", 20, 20), false);
    Add("corner", 760, 560);
    Frames(1);
    g_calls.clear();
    const uint32_t drawn = window->GetFramesDrawn();
    g_drawTimes.clear();
    Frames(3);
    EXPECT_EQ(window->GetFramesDrawn(), drawn); // nothing dirty, nothing drawn
    window->SetFullRedraw();
    Frames(1);
    EXPECT_EQ(window->GetFramesDrawn(), drawn + 1);
    EXPECT_EQ(g_drawTimes.size(), 2u); // both views, the corner one included
    EXPECT_EQ(CDirtyRects::Get().Count(), 0);
}

TEST_F(WindowTest, AnExceptionWhileDrawingIsTracedAndTheDirtyRectanglesStay) {
    MouseView* root = Add("root", 320, 240, 640, 480);
    window->SetRootView(root, true);
    root->throwOnDraw = true;
    Frames(1);
    EXPECT_NE(traced().find("Exception rendering/drawing\n"), std::string::npos);
    EXPECT_GT(CDirtyRects::Get().Count(), 0);
    root->throwOnDraw = false;
    Frames(1);
    EXPECT_EQ(CDirtyRects::Get().Count(), 0);
}

/// A view that notes the colour its 8-bit pictures would take for index 5 when drawn.
class PaletteView : public OView {
public:
    PaletteView() : OView("palette", kClassId) {
        SetSize(CPoint16(640, 480), 0);
        SetPosition(CPointF(320, 240), 0, 0);
    }
    int32_t OnIdle() override { return 1; }
    void Draw(CDrawSurface* d, CPoint16 p, const CClipRect& s, const CClipRect& t) override {
        seen.push_back(d->EffectivePalette()->GetEntry(5));
        OView::Draw(d, p, s, t);
    }
    std::vector<uint32_t> seen;
};

TEST_F(WindowTest, AboveEightBitsANewPaletteServesTheFullRedrawItAsks) {
    auto* view = new PaletteView;
    window->AddChild(view);
    window->SetRootView(view, true);
    Frames(1);
    ASSERT_EQ(view->seen.size(), 1u);
    const uint32_t before = view->seen[0];

    CColorPalette palette;
    palette.SetEntry(5, before ^ 0x00FFFFFFu);
    window->SetPalette(palette);
    Frames(2);
    // One full redraw, with the new colours; nothing is drawn again afterwards, so it must be right.
    ASSERT_EQ(view->seen.size(), 2u);
    EXPECT_EQ(view->seen[1], before ^ 0x00FFFFFFu);
    EXPECT_EQ(window->GetPalette().GetEntry(5), before ^ 0x00FFFFFFu);
}

TEST_F(WindowTest, DownAndUpOnTheSameViewMakeOneClickAndHoverFollowsTheCursor) {
    MouseView* a = Add("a", 100, 100);
    MouseView* b = Add("b", 300, 100);
    a->SetClickMode(OView::kClickClick);
    b->SetClickMode(OView::kClickClick);
    Mouse(kEvButtonDown, 100, 100);
    Mouse(kEvButtonUp, 105, 95);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a down", "a click"}));
    EXPECT_EQ(window->GetPressedView(), nullptr);

    g_calls.clear();
    Mouse(kEvButtonDown, 100, 100);
    Mouse(kEvButtonUp, 300, 100);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a down", "b up"}));

    // Clicks made by the message translator are left to the window's processes.
    g_calls.clear();
    Mouse(kEvClick, 100, 100);
    Mouse(kEvDoubleClick, 100, 100);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(window->GetPressPosition(), CPoint16(100, 100));

    // Hovering: entering a view with a cursor mode, moving inside it, leaving it.
    g_calls.clear();
    a->SetCursorMode(OView::kHitChildrenThenSelf);
    Mouse(kEvMouseMove, 100, 100);
    Mouse(kEvMouseMove, 101, 100);
    Mouse(kEvMouseMove, 400, 400);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a enter", "a leave"}));
    EXPECT_EQ(OView::HoverView(), nullptr);
}

TEST_F(WindowTest, DraggingMovesTheViewWithTheCursorAndDropsItOnTheFirstAcceptingView) {
    MouseView* before = Add("before", 140, 130); // overlaps, but takes no drops
    MouseView* first = Add("first", 150, 130);
    MouseView* second = Add("second", 150, 140);
    MouseView* dragged = Add("dragged", 100, 100, 20, 20);
    first->SetAcceptsDrops(1);
    second->SetAcceptsDrops(1);
    dragged->SetDraggable(1);
    (void)before;

    input().SetCursorPos({103, 98});
    Mouse(kEvButtonDown, 103, 98);
    EXPECT_EQ(window->GetDragView(), dragged);
    input().SetCursorPos({153, 128});
    Mouse(kEvMouseMove, 153, 128);
    EXPECT_EQ(dragged->GetPosition(), CPointF(150, 130));
    Mouse(kEvButtonUp, 153, 128);
    EXPECT_EQ(window->GetDragView(), nullptr);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"dragged dragend", "first drop dragged"}));
}

TEST_F(WindowTest, ASwitchedOutWindowNeitherDrawsNorStepsAndRedrawsAllOnReturn) {
    window->SetRootView(Add("root", 320, 240, 640, 480), true);
    Frames(1);
    xCursor_Show(false); // the game hides the system cursor
    ScriptedAudioOutput& audio = UseScriptedAudio();
    ASSERT_EQ(xSound_Startup(8, 0, 0), 0);
    App(kEvAppSuspend);
    EXPECT_TRUE(window->IsSwitchedOut());
    EXPECT_FALSE(window->IsEnabled());
    EXPECT_GE(input().CursorCount(), 0);
    EXPECT_EQ(audio.pauses, std::vector<bool>{true}); // the sound device given back
    EXPECT_FALSE(xSound_IsThreaded());
    const uint32_t drawn = window->GetFramesDrawn();
    window->SetFullRedraw();
    Frames(5);
    EXPECT_EQ(window->GetFramesDrawn(), drawn);

    App(kEvAppResume);
    EXPECT_FALSE(window->IsSwitchedOut());
    EXPECT_EQ(input().CursorCount(), -1);
    EXPECT_EQ(audio.pauses, (std::vector<bool>{true, false}));
    EXPECT_TRUE(xSound_IsThreaded());
    EXPECT_GT(CDirtyRects::Get().Count(), 0);
    Frames(1);
    EXPECT_EQ(window->GetFramesDrawn(), drawn + 1);
    EXPECT_NE(traced().find("Switching out...\n"), std::string::npos);
    EXPECT_NE(traced().find("Switching In...\n"), std::string::npos);
}

TEST_F(WindowTest, TheApplicationsProcessesAreTheSoundServiceMouseKeywordsPipesThenVoiceLines) {
    ASSERT_EQ(xSound_Startup(6, 0, 0), 0);
    xProfiles_Set("NUMPIPES", sShort(6));
    OApplication app;
    const int32_t before = window->ChildCount();
    EXPECT_EQ(app.CreateProcesses(), 1) << "the keyword service was made";
    ASSERT_EQ(window->ChildCount(), before + 5);
    auto* service = dynamic_cast<OSoundServiceProcess*>(window->ChildAt(before));
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->GetUserData(), 100u);
    EXPECT_EQ(service->GetEventMask() & kEventApplication, kEventApplication);
    EXPECT_EQ(static_cast<ONode*>(app.GetMouseProcess()), window->ChildAt(before + 1));
    EXPECT_EQ(static_cast<ONode*>(app.GetCheatService()), window->ChildAt(before + 2));
    ASSERT_EQ(app.GetSoundProcess(), window->ChildAt(before + 3));
    EXPECT_EQ(app.GetSoundProcess()->GetPipeCount(), 6u);
    EXPECT_EQ(app.GetSoundProcess()->GetChannel(5), xSound_GetChannel(5));
    EXPECT_EQ(app.GetMessageProcess(), window->ChildAt(before + 4));
    EXPECT_EQ(app.CreateProcesses(), 0);
    EXPECT_EQ(window->ChildCount(), before + 5) << "made once";
}

TEST_F(WindowTest, PaletteRequestsAreAnsweredAndDiscardRemovesWaitingInput) {
    xEvent request;
    request.category = kEventWindowRequest;
    request.type = kEvPaletteRequest;
    DispatchAppEvent(&request, 0);
    const xEvent* notice = CEventRing::Get().Oldest();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->type, uint32_t(kEvPaletteNotice));
    EXPECT_NE(notice->param1, 0u);

    const plat::WindowId id = window->GetWindowId();
    messages().Push({id, plat::WM_LBUTTONDOWN, 0, 0, 1000, {}});
    messages().Push({id, plat::WM_KEYDOWN, 65, 0, 1000, {}});
    messages().Push({id, plat::WM_PAINT, 0, 0, 1000, {}});
    messages().Push({id + 1, plat::WM_KEYDOWN, 65, 0, 1000, {}});
    App(kEvDiscardInput);
    EXPECT_EQ(messages().Pending(), 2u);
}

} // namespace
} // namespace vqt::test
