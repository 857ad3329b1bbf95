#include <gtest/gtest.h>

#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessDesktop.h"
#include "tests/support/HeadlessTest.h"

namespace {

using namespace plat;

class DesktopTest : public vqt::test::HeadlessTest {
protected:
    HeadlessDesktop& desk() { return static_cast<HeadlessDesktop&>(plat::desktop()); }

    /// A window whose procedure records the message numbers and answers through the default
    /// procedure.
    WindowId Make(uint32_t style, WinRect rect, WindowId parent = 0, const char* title = "stage") {
        WindowParams p;
        p.className = "VQTWindow";
        p.title = title;
        p.style = style;
        p.rect = rect;
        p.parent = parent;
        p.sink = [this](const WinMsg& m) {
            log.push_back(m);
            return plat::desktop().DefWindowProc(m.window, m.msg, m.wParam, m.lParam);
        };
        return plat::desktop().CreateWindow(p);
    }

    std::vector<uint32_t> Numbers(WindowId id) const {
        std::vector<uint32_t> out;
        for (const WinMsg& m : log)
            if (m.window == id) out.push_back(m.msg);
        return out;
    }

    std::vector<WinMsg> log;
};

TEST_F(DesktopTest, CreationSendsCreateMessagesAndAProcedureCanRefuseIt) {
    const WindowId id = Make(WS_POPUP, {0, 0, 640, 480});
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Numbers(id), (std::vector<uint32_t>{WM_NCCREATE, WM_CREATE}));
    EXPECT_FALSE(plat::desktop().Find(id)->IsVisible()) << "windows start hidden";

    WindowParams refused;
    refused.sink = [](const WinMsg& m) -> intptr_t { return m.msg == WM_CREATE ? -1 : 1; };
    EXPECT_EQ(plat::desktop().CreateWindow(refused), 0u);
    WindowParams noChildWithoutParent;
    noChildWithoutParent.style = WS_CHILD;
    noChildWithoutParent.parent = 0x7777;
    EXPECT_EQ(plat::desktop().CreateWindow(noChildWithoutParent), 0u);
    EXPECT_EQ(plat::desktop().TopLevelWindows(), (std::vector<WindowId>{id}));
}

TEST_F(DesktopTest, ShowStatesMinimiseRestoreAndTheirMessages) {
    const WindowId id = Make(WS_POPUP, {0, 0, 100, 50});
    Window& w = *plat::desktop().Find(id);
    log.clear();
    EXPECT_FALSE(w.Show(SW_SHOWNORMAL));
    EXPECT_TRUE(w.IsVisible());
    EXPECT_EQ(w.PlacementShowState(), SW_SHOWNORMAL);
    EXPECT_EQ(plat::desktop().Active(), id);
    EXPECT_EQ(plat::desktop().Focus(), id);
    EXPECT_EQ(Numbers(id), (std::vector<uint32_t>{WM_SHOWWINDOW, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));

    log.clear();
    EXPECT_TRUE(w.Show(SW_MINIMIZE));
    EXPECT_TRUE(w.IsMinimized());
    EXPECT_EQ(w.PlacementShowState(), SW_SHOWMINIMIZED);
    EXPECT_EQ(plat::desktop().Active(), 0u) << "minimising deactivates";
    EXPECT_EQ(Numbers(id), (std::vector<uint32_t>{WM_SIZE, WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS}));
    EXPECT_EQ(log[0].wParam, SIZE_MINIMIZED);

    // The user restores it through the system menu; the default procedure does the work.
    log.clear();
    w.Send(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(w.IsMinimized());
    EXPECT_EQ(plat::desktop().Active(), id);
    WinRect update;
    EXPECT_TRUE(w.GetUpdateRect(update)) << "a restored window needs painting";
    EXPECT_EQ(update, (WinRect{0, 0, 100, 50}));
    EXPECT_EQ(plat::desktop().NextWindowToPaint(), id);

    // Minimised without activation (show command 7) keeps other windows' activation alone.
    const WindowId other = Make(WS_POPUP, {0, 0, 10, 10}, 0, "other");
    plat::desktop().Find(other)->Show(SW_SHOW);
    EXPECT_EQ(plat::desktop().Active(), other);
    w.Show(SW_SHOWMINNOACTIVE);
    EXPECT_EQ(plat::desktop().Active(), other);
    w.Show(SW_HIDE);
    EXPECT_EQ(w.PlacementShowState(), SW_HIDE);
}

TEST_F(DesktopTest, ActivationMovesBetweenWindowsAndToNoneWhenTheUserLeaves) {
    const WindowId a = Make(WS_POPUP, {0, 0, 10, 10}, 0, "a");
    const WindowId b = Make(WS_POPUP, {0, 0, 10, 10}, 0, "b");
    plat::desktop().SetActive(a);
    log.clear();
    plat::desktop().SetActive(b);
    EXPECT_EQ(Numbers(a), (std::vector<uint32_t>{WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS}));
    EXPECT_EQ(Numbers(b), (std::vector<uint32_t>{WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
    EXPECT_EQ(log[0].wParam, 0u) << "deactivation first";
    EXPECT_EQ(plat::desktop().TopLevelWindows().front(), b);

    log.clear();
    plat::desktop().Deactivate();
    EXPECT_EQ(Numbers(b), (std::vector<uint32_t>{WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS}));
    EXPECT_EQ(plat::desktop().Active(), 0u);
    EXPECT_EQ(plat::desktop().Focus(), 0u);
}

TEST_F(DesktopTest, TopmostWindowsStayInFrontOfTheOthers) {
    const WindowId a = Make(WS_POPUP, {0, 0, 10, 10}, 0, "a");
    const WindowId b = Make(WS_POPUP, {0, 0, 10, 10}, 0, "b");
    Window& wa = *plat::desktop().Find(a);
    wa.SetPos(HWND_TOPMOST, 0, 0, 640, 480, SWP_SHOWWINDOW);
    EXPECT_TRUE(wa.IsTopmost());
    EXPECT_TRUE(wa.IsVisible());
    EXPECT_EQ(wa.Rect(), (WinRect{0, 0, 640, 480}));
    plat::desktop().SetActive(b);
    EXPECT_EQ(plat::desktop().TopLevelWindows(), (std::vector<WindowId>{a, b}));
    const WindowId c = Make(WS_POPUP, {0, 0, 10, 10}, 0, "c");
    EXPECT_EQ(plat::desktop().TopLevelWindows(), (std::vector<WindowId>{a, c, b}));
    EXPECT_EQ(plat::desktop().FindWindow("VQTWindow", "c"), c);
    EXPECT_EQ(plat::desktop().FindWindow("", "nothing"), 0u);
}

TEST_F(DesktopTest, ClientAndScreenCoordinatesFollowTheFrameAndTheParent) {
    const WinRect client{100, 50, 740, 530};
    const uint32_t captioned = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const WinRect outer = plat::desktop().AdjustWindowRect(client, captioned, WS_EX_APPWINDOW);
    EXPECT_EQ(outer, (WinRect{97, 28, 743, 533}));
    const WindowId top = Make(captioned, outer);
    Window& w = *plat::desktop().Find(top);
    EXPECT_EQ(w.ClientRect(), (WinRect{0, 0, 640, 480}));
    EXPECT_EQ(w.Presented().width, 640);
    EXPECT_EQ(w.ClientToScreen({0, 0}), (WinPoint{100, 50}));
    EXPECT_EQ(w.ScreenToClient({110, 70}), (WinPoint{10, 20}));

    const WindowId child = Make(WS_CHILD | WS_CLIPSIBLINGS, {20, 30, 120, 130}, top);
    Window& c = *plat::desktop().Find(child);
    EXPECT_EQ(c.Rect(), (WinRect{120, 80, 220, 180}));
    EXPECT_EQ(c.ScreenToClient({121, 82}), (WinPoint{1, 2}));
}

TEST_F(DesktopTest, UpdateRegionGrowsToTheBoundsAndIsClippedToTheClient) {
    const WindowId id = Make(WS_POPUP, {0, 0, 100, 100});
    Window& w = *plat::desktop().Find(id);
    WinRect r;
    EXPECT_FALSE(w.GetUpdateRect(r));
    const WinRect a{10, 10, 20, 20}, b{50, 5, 200, 30};
    w.Invalidate(&a);
    w.Invalidate(&b);
    ASSERT_TRUE(w.GetUpdateRect(r));
    EXPECT_EQ(r, (WinRect{10, 5, 100, 30}));
    EXPECT_EQ(plat::desktop().NextWindowToPaint(), 0u) << "hidden windows are not painted";
    w.Show(SW_SHOWNA);
    w.Send(WM_PAINT, 0, 0); // the default procedure validates
    EXPECT_FALSE(w.GetUpdateRect(r));
    const WinRect outside{200, 200, 300, 300};
    w.Invalidate(&outside);
    EXPECT_FALSE(w.GetUpdateRect(r));
}

TEST_F(DesktopTest, ClosingDestroysChildrenFirstAndAWindowMayDieInsideItsOwnProcedure) {
    const WindowId top = Make(WS_POPUP, {0, 0, 100, 100});
    const WindowId child = Make(WS_CHILD, {0, 0, 10, 10}, top);
    plat::desktop().SetActive(top);
    log.clear();
    // The close button: the default procedure turns it into WM_CLOSE and destroys the window
    // while the message to it is still being handled.
    plat::desktop().Find(top)->Send(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(plat::desktop().Find(top), nullptr);
    EXPECT_EQ(plat::desktop().Find(child), nullptr);
    EXPECT_EQ(Numbers(child), (std::vector<uint32_t>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(Numbers(top), (std::vector<uint32_t>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(plat::desktop().Active(), 0u);
    EXPECT_FALSE(plat::desktop().DestroyWindow(top));
}

TEST_F(DesktopTest, WithoutAnOwnProcedureMessagesGoThroughTheMessageService) {
    WindowParams p;
    p.rect = {0, 0, 10, 10};
    const WindowId id = plat::desktop().CreateWindow(p);
    static std::vector<uint32_t> seen;
    seen.clear();
    messages().SetWindowProc(id, [](WindowId, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
        seen.push_back(msg);
        return 7;
    });
    EXPECT_EQ(plat::desktop().Find(id)->Send(WM_CANCELMODE, 0, 0), 7);
    EXPECT_EQ(seen, (std::vector<uint32_t>{WM_CANCELMODE}));
    ASSERT_EQ(plat::desktop().Find(id)->Sent().size(), 1u);
    EXPECT_EQ(plat::desktop().Find(id)->Sent()[0].time, 1000u) << "messages carry the clock's time";
    for (int i = 0; i < 300; ++i) plat::desktop().Find(id)->Send(WM_NULL, uintptr_t(i), 0);
    ASSERT_EQ(plat::desktop().Find(id)->Sent().size(), Window::kSentKept) << "only the latest are kept";
    EXPECT_EQ(plat::desktop().Find(id)->Sent().back().wParam, 299u);
}

TEST_F(DesktopTest, DisplayModesAreListedTestedSwitchedAndRestored) {
    const WindowId id = Make(WS_POPUP, {0, 0, 10, 10});
    EXPECT_EQ(plat::desktop().Rect(), (WinRect{0, 0, 1024, 768}));
    EXPECT_EQ(plat::desktop().BitsPerPixel(), 32);
    DevMode m;
    ASSERT_TRUE(plat::desktop().EnumDisplaySettings(0, m));
    EXPECT_EQ(m, MakeDevMode(640, 480, 8, 60));
    EXPECT_FALSE(plat::desktop().EnumDisplaySettings(7, m));
    ASSERT_TRUE(plat::desktop().EnumDisplaySettings(ENUM_CURRENT_SETTINGS, m));
    EXPECT_EQ(m.pelsWidth, 1024u);

    DevMode stage;
    stage.fields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    stage.pelsWidth = 640;
    stage.pelsHeight = 480;
    stage.bitsPerPel = 16;
    EXPECT_EQ(plat::desktop().ChangeDisplaySettings(&stage, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(plat::desktop().IsModeSwitched()) << "a test changes nothing";
    DevMode odd = stage;
    odd.pelsWidth = 641;
    EXPECT_EQ(plat::desktop().ChangeDisplaySettings(&odd, CDS_TEST), DISP_CHANGE_BADMODE);
    EXPECT_EQ(plat::desktop().ChangeDisplaySettings(&odd, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);

    log.clear();
    EXPECT_EQ(plat::desktop().ChangeDisplaySettings(&stage, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_TRUE(plat::desktop().IsModeSwitched());
    EXPECT_EQ(plat::desktop().Rect(), (WinRect{0, 0, 640, 480}));
    EXPECT_EQ(plat::desktop().BitsPerPixel(), 16);
    ASSERT_EQ(Numbers(id), (std::vector<uint32_t>{WM_DISPLAYCHANGE}));
    EXPECT_EQ(log[0].wParam, 16u);
    EXPECT_EQ(log[0].lParam, intptr_t((480 << 16) | 640));

    EXPECT_EQ(plat::desktop().ChangeDisplaySettings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(plat::desktop().IsModeSwitched());
    EXPECT_EQ(plat::desktop().Rect(), (WinRect{0, 0, 1024, 768}));
    EXPECT_EQ(desk().Switches().size(), 2u);
}

} // namespace
