// A message box open when the program is asked to end (its window closed, a request to stop):
// the box goes away and the request reaches the program's windows as it would without a box,
// and no further box holds the program up on its way out. Headless and SDL2 backends.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <cstdlib>
#include <vector>

#include "platform/Platform.h"
#include "platform/Window.h"
#include "tests/support/HeadlessTest.h"

#ifdef VQT_HAVE_SDL2
#include <SDL.h>

#include "platform/sdl2/Sdl2Desktop.h"
#include "platform/sdl2/Sdl2Dialogs.h"
#endif

namespace {

using namespace plat;

TEST(MessageBoxDefaults, ClosingABoxAnswersItsCancelChoice) {
    using namespace plat::mb;
    EXPECT_EQ(ClosedAnswer(Ok | IconStop | SystemModal), IdOk);
    EXPECT_EQ(ClosedAnswer(OkCancel), IdCancel);
    EXPECT_EQ(ClosedAnswer(AbortRetryIgnore), IdIgnore);
    EXPECT_EQ(ClosedAnswer(YesNoCancel | DefaultButton2), IdCancel);
    EXPECT_EQ(ClosedAnswer(YesNo), IdNo);
    EXPECT_EQ(ClosedAnswer(RetryCancel), IdCancel);
    EXPECT_EQ(ClosedAnswer(0xE), IdOk);
}

class DialogsSessionEndTest : public vqt::test::HeadlessTest {
protected:
    WindowId MakeWindow() {
        WindowParams p;
        p.style = WS_POPUP;
        p.title = "Stage";
        p.rect = {100, 50, 740, 530};
        const WindowId id = desktop().CreateWindow(p);
        // The program's window closes as the window system's default does.
        plat::messages().SetWindowProc(id, [](WindowId w, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
            return desktop().DefWindowProc(w, msg, wParam, lParam);
        });
        desktop().Find(id)->Show(SW_SHOWNORMAL);
        desktop().Find(id)->Validate();
        return id;
    }
    /// The waiting messages, each dispatched as the program's loop would.
    std::vector<WinMsg> Pump() {
        std::vector<WinMsg> out;
        WinMsg m;
        for (int i = 0; i < 100 && plat::messages().Peek(m, true); ++i) {
            out.push_back(m);
            plat::messages().Dispatch(m);
        }
        return out;
    }
    static bool Has(const std::vector<WinMsg>& messages, uint32_t msg, WindowId window) {
        for (const WinMsg& m : messages)
            if (m.msg == msg && m.window == window) return true;
        return false;
    }
};

TEST_F(DialogsSessionEndTest, HeadlessClosingTheWindowDuringABoxAnswersItClosedAndClosesTheWindowAfterwards) {
    const WindowId window = MakeWindow();
    dialogs().Script({mb::IdYes, mb::IdYes});
    dialogs().OnShow([&](const ScriptedDialogs::Box& box) {
        if (box.text == "first") dialogs().EndSessionDuringBox();
    });
    EXPECT_EQ(plat::dialogs().MessageBox("first", "Error", mb::YesNo), mb::IdNo) << "as if closed, not the script";
    EXPECT_TRUE(plat::dialogs().SessionEnding());
    EXPECT_EQ(plat::dialogs().MessageBox("second", "Error", mb::OkCancel), mb::IdCancel);
    ASSERT_EQ(dialogs().Boxes().size(), 2u);
    EXPECT_TRUE(dialogs().Boxes()[0].shown);
    EXPECT_FALSE(dialogs().Boxes()[1].shown) << "no box shows once the session ends";
    EXPECT_TRUE(Has(Pump(), WM_CLOSE, window));
    EXPECT_EQ(desktop().Find(window), nullptr) << "the window closes as it does without a box";
    dialogs().Clear();
    EXPECT_FALSE(plat::dialogs().SessionEnding());
}

#ifdef VQT_HAVE_SDL2

class Sdl2DialogsSessionEndTest : public DialogsSessionEndTest {
protected:
    void SetUp() override {
        DialogsSessionEndTest::SetUp();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(UseSdl2()) << SDL_GetError();
        // SDL's dummy video stands in for a screen here; the debug output stays recorded.
        services().dialogs = std::make_unique<Sdl2Dialogs>(true);
        services().debug = std::make_unique<RecordingDebugOutput>();
        window = MakeWindow();
        for (uint32_t id = 1; id < 1000 && sdlId == 0; ++id)
            if (static_cast<Sdl2Desktop&>(desktop()).FromSdlWindow(id) == window) sdlId = id;
        ASSERT_NE(sdlId, 0u);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        DialogsSessionEndTest::TearDown();
    }
    /// A box that ends the session answers as if closed; the next one answers so at once.
    void ExpectEndedAndNoMoreBoxes(int answer) {
        EXPECT_EQ(answer, mb::IdNo);
        EXPECT_TRUE(plat::dialogs().SessionEnding());
        EXPECT_EQ(plat::dialogs().MessageBox("second", "Error", mb::RetryCancel), mb::IdCancel);
    }

    static void PushKey(uint32_t type, uint32_t sdlWindow, SDL_Keycode key, SDL_Scancode scancode, uint8_t repeat = 0) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = sdlWindow;
        e.key.keysym.sym = key;
        e.key.keysym.scancode = scancode;
        e.key.repeat = repeat;
        SDL_PushEvent(&e);
    }
    static void PushButton(uint32_t type, uint32_t sdlWindow, uint8_t button) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = sdlWindow;
        e.button.button = button;
        SDL_PushEvent(&e);
    }

    WindowId window = 0;
    uint32_t sdlId = 0;
};

TEST_F(Sdl2DialogsSessionEndTest, WithoutAScreenNoBoxWaitsForAnAnswerThatNobodyCanGive) {
    services().dialogs = std::make_unique<Sdl2Dialogs>();
    EXPECT_EQ(plat::dialogs().MessageBox("Nobody sees this", "Error", mb::YesNo), 0);
    EXPECT_NE(debug().Text().find("Message box \"Error\": Nobody sees this\n"), std::string::npos);
}

TEST_F(Sdl2DialogsSessionEndTest, AKeyAnswersTheBoxAndTheSessionGoesOn) {
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = sdlId + 1; // the box's window is the next one made
    key.key.keysym.sym = SDLK_RETURN;
    SDL_PushEvent(&key);
    EXPECT_EQ(plat::dialogs().MessageBox("Go on?", "Question", mb::YesNo | mb::DefaultButton2), mb::IdNo);
    key.key.windowID = sdlId + 2;
    key.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&key);
    EXPECT_EQ(plat::dialogs().MessageBox("Go on?", "Question", mb::OkCancel), mb::IdCancel);
    EXPECT_FALSE(plat::dialogs().SessionEnding());
    EXPECT_NE(desktop().Find(window), nullptr);
}

TEST_F(Sdl2DialogsSessionEndTest, TheProgramsEventsDuringABoxReachItAfterwardsAndAHeldKeyDoesNotAnswer) {
    PushKey(SDL_KEYDOWN, sdlId, SDLK_b, SDL_SCANCODE_B);
    ASSERT_TRUE(Has(Pump(), WM_KEYDOWN, window)) << "B is held when the box opens";
    SDL_Event minimise{};
    minimise.type = SDL_WINDOWEVENT;
    minimise.window.windowID = sdlId;
    minimise.window.event = SDL_WINDOWEVENT_MINIMIZED;
    SDL_PushEvent(&minimise);
    // In the game window, A is pressed (dropped: the window takes no input under the box) and B,
    // held since before the box, is let go (kept, so it does not stay held).
    PushKey(SDL_KEYDOWN, sdlId, SDLK_a, SDL_SCANCODE_A);
    PushKey(SDL_KEYUP, sdlId, SDLK_b, SDL_SCANCODE_B);
    // Return held since before the box repeats into it, then Escape is pressed there.
    PushKey(SDL_KEYDOWN, sdlId + 1, SDLK_RETURN, SDL_SCANCODE_RETURN, 1);
    PushKey(SDL_KEYDOWN, sdlId + 1, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(plat::dialogs().MessageBox("Enough memory?", "Memory", mb::OkCancel), mb::IdCancel)
        << "Escape answered, not the repeating Return";
    EXPECT_FALSE(desktop().Find(window)->IsMinimized()) << "nothing reaches the program while the box is open";
    const std::vector<WinMsg> after = Pump();
    EXPECT_TRUE(desktop().Find(window)->IsMinimized()) << "the minimise reached the game window afterwards";
    bool pressedA = false, letGoB = false;
    for (const WinMsg& m : after) {
        pressedA |= m.msg == WM_KEYDOWN && m.window == window && m.wParam == 'A';
        letGoB |= m.msg == WM_KEYUP && m.window == window && m.wParam == 'B';
    }
    EXPECT_FALSE(pressedA) << "a key pressed on the game window under the box was dropped";
    EXPECT_TRUE(letGoB) << "the key let go waited for the game window";
    EXPECT_FALSE(plat::dialogs().SessionEnding());
}

TEST_F(Sdl2DialogsSessionEndTest, AKeyAndAButtonHeldWhenABoxOpensAreLetGoForTheProgramAfterIt) {
    PushKey(SDL_KEYDOWN, sdlId, SDLK_LCTRL, SDL_SCANCODE_LCTRL);
    PushButton(SDL_MOUSEBUTTONDOWN, sdlId, SDL_BUTTON_LEFT);
    ASSERT_TRUE(Has(Pump(), WM_LBUTTONDOWN, window)) << "Ctrl and the button are held when the box opens";
    // Ctrl is let go on the box, the button on the game window; then Escape answers the box.
    PushKey(SDL_KEYUP, sdlId + 1, SDLK_LCTRL, SDL_SCANCODE_LCTRL);
    PushButton(SDL_MOUSEBUTTONUP, sdlId, SDL_BUTTON_LEFT);
    PushKey(SDL_KEYDOWN, sdlId + 1, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(plat::dialogs().MessageBox("Enough memory?", "Memory", mb::OkCancel), mb::IdCancel);
    const std::vector<WinMsg> after = Pump();
    EXPECT_TRUE(Has(after, WM_KEYUP, window)) << "Ctrl let go on the box reaches the game window";
    EXPECT_TRUE(Has(after, WM_LBUTTONUP, window)) << "the button let go under the box reaches it";
    PushKey(SDL_KEYDOWN, sdlId, SDLK_LCTRL, SDL_SCANCODE_LCTRL);
    const std::vector<WinMsg> again = Pump();
    ASSERT_TRUE(Has(again, WM_KEYDOWN, window));
    constexpr intptr_t kWasDown = intptr_t(1) << 30;
    EXPECT_EQ(again.front().lParam & kWasDown, 0) << "the next press is a fresh one, not a held key's repeat";
}

TEST_F(Sdl2DialogsSessionEndTest, AnEndingTheProgramRefusedLetsTheNextBoxesAnswer) {
    // This window's procedure refuses to close.
    plat::messages().SetWindowProc(window, [](WindowId w, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
        return msg == WM_CLOSE ? intptr_t{0} : desktop().DefWindowProc(w, msg, wParam, lParam);
    });
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = sdlId;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
    ExpectEndedAndNoMoreBoxes(plat::dialogs().MessageBox("Quit?", "Question", mb::YesNo));
    WinMsg taken;
    ASSERT_TRUE(plat::messages().Peek(taken, true));
    plat::messages().Dispatch(taken);
    EXPECT_TRUE(plat::dialogs().SessionEnding()) << "the program has taken the request but not come back for more";
    Pump();
    EXPECT_NE(desktop().Find(window), nullptr);
    EXPECT_FALSE(plat::dialogs().SessionEnding()) << "the program went on";
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = sdlId + 2; // the box after the one that ended (the second did not show)
    key.key.keysym.sym = SDLK_RETURN;
    SDL_PushEvent(&key);
    EXPECT_EQ(plat::dialogs().MessageBox("Enough memory?", "Memory", mb::OkCancel), mb::IdOk) << "answered, not closed";
}

TEST_F(Sdl2DialogsSessionEndTest, TheWindowsCloseButtonDuringABoxEndsItAndClosesTheWindow) {
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = sdlId;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
    ExpectEndedAndNoMoreBoxes(plat::dialogs().MessageBox("VQT : Missing Snippet {0, 0, 0}", "Error", mb::YesNo));
    Pump();
    EXPECT_EQ(desktop().Find(window), nullptr) << "closed as without a box";
    EXPECT_FALSE(plat::dialogs().SessionEnding()) << "over once the program took the request and went on";
}

TEST_F(Sdl2DialogsSessionEndTest, ARequestToStopDuringABoxEndsItAndClosesEveryWindow) {
    // SDL turns the request into a quit event, as it does outside a box.
    struct sigaction handler {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &handler), 0);
    if (handler.sa_handler == SIG_DFL) GTEST_SKIP() << "SDL does not handle the request to stop here";
    std::raise(SIGTERM);
    ExpectEndedAndNoMoreBoxes(plat::dialogs().MessageBox("VQT : Missing Snippet {0, 0, 0}", "Error", mb::YesNo));
    EXPECT_TRUE(Has(Pump(), WM_CLOSE, window));
    EXPECT_EQ(desktop().Find(window), nullptr);
}

TEST_F(Sdl2DialogsSessionEndTest, AKeyThatAnswersTheBoxAndIsStillHeldKeepsItUntilItIsLetGo) {
    // SDL's reading of the keyboard (which pushed events leave alone): Return is held.
    services().dialogs =
        std::make_unique<Sdl2Dialogs>(true, [](SDL_Scancode key) { return key == SDL_SCANCODE_RETURN; });
    const uint32_t box = sdlId + 1;
    PushKey(SDL_KEYDOWN, box, SDLK_RETURN, SDL_SCANCODE_RETURN);
    PushKey(SDL_KEYDOWN, box, SDLK_RETURN, SDL_SCANCODE_RETURN, 1);
    // Until Return is let go the box stays and takes what the game window would: Escape does
    // not answer it again, and keys pressed on the game window are dropped, whatever else is
    // let go meanwhile.
    PushKey(SDL_KEYDOWN, box, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    PushKey(SDL_KEYDOWN, sdlId, SDLK_a, SDL_SCANCODE_A);
    PushKey(SDL_KEYUP, sdlId, SDLK_a, SDL_SCANCODE_A);
    PushKey(SDL_KEYDOWN, sdlId, SDLK_c, SDL_SCANCODE_C);
    PushKey(SDL_KEYUP, box, SDLK_RETURN, SDL_SCANCODE_RETURN);
    PushKey(SDL_KEYDOWN, sdlId, SDLK_b, SDL_SCANCODE_B);
    EXPECT_EQ(plat::dialogs().MessageBox("Enough memory?", "Memory", mb::OkCancel), mb::IdOk);
    std::vector<WinMsg> after = Pump();
    for (const WinMsg& m : Pump()) after.push_back(m);
    std::vector<uintptr_t> pressed;
    for (const WinMsg& m : after)
        if (m.window == window && (m.msg == WM_KEYDOWN || m.msg == WM_KEYUP)) pressed.push_back(m.wParam);
    EXPECT_EQ(pressed, (std::vector<uintptr_t>{'B'})) << "only B, pressed once Return was let go";
}

/// An SDL key or button event of the test's tables: on the game window or on the box.
struct BoxInput {
    uint32_t type;
    bool onBox;
    SDL_Keycode key; ///< 0 for a button event
    SDL_Scancode scancode;
    uint8_t button;
    uint8_t repeat = 0; ///< a key's auto-repeat
};
constexpr BoxInput Key(uint32_t type, bool onBox, SDL_Keycode key, SDL_Scancode scancode, uint8_t repeat = 0) {
    return {type, onBox, key, scancode, 0, repeat};
}
constexpr BoxInput LeftButton(uint32_t type, bool onBox) {
    return {type, onBox, 0, SDL_SCANCODE_UNKNOWN, SDL_BUTTON_LEFT};
}
constexpr bool kGame = false, kBox = true;
constexpr BoxInput kCtrlDown = Key(SDL_KEYDOWN, kGame, SDLK_LCTRL, SDL_SCANCODE_LCTRL);
constexpr BoxInput kReturnDown = Key(SDL_KEYDOWN, kBox, SDLK_RETURN, SDL_SCANCODE_RETURN);
constexpr BoxInput kEscapeDown = Key(SDL_KEYDOWN, kBox, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);

struct BoxInputCase {
    const char* name;
    std::vector<BoxInput> before; ///< taken by the program before the box opens
    std::vector<BoxInput> during; ///< waiting when the box opens: the last one answers it
    std::vector<BoxInput> after;  ///< made once the box has gone
    /// The key and button messages the game window gets after the box, as "msg:wParam"
    /// (wParam for keys only).
    std::vector<std::string> heard;
};

TEST_F(Sdl2DialogsSessionEndTest, OnlyTheKeysAndButtonsHeldWhenABoxOpensAreLetGoForTheProgramAfterIt) {
    const std::string ctrlUp = std::to_string(WM_KEYUP) + ":" + std::to_string(VK_CONTROL);
    const std::string leftUp = std::to_string(WM_LBUTTONUP);
    const BoxInputCase cases[] = {
        {"a click on the game window during the box", {},
         {LeftButton(SDL_MOUSEBUTTONDOWN, kGame), LeftButton(SDL_MOUSEBUTTONUP, kGame), kEscapeDown}, {}, {}},
        {"Return pressed and let go on the box to answer it", {},
         {kReturnDown, Key(SDL_KEYUP, kBox, SDLK_RETURN, SDL_SCANCODE_RETURN)}, {}, {}},
        {"Return answering the box, let go after it", {}, {kReturnDown},
         {Key(SDL_KEYUP, kGame, SDLK_RETURN, SDL_SCANCODE_RETURN)}, {}},
        {"a key pressed and let go on the game window during the box", {},
         {Key(SDL_KEYDOWN, kGame, SDLK_a, SDL_SCANCODE_A), Key(SDL_KEYUP, kGame, SDLK_a, SDL_SCANCODE_A), kEscapeDown},
         {}, {}},
        {"a key held from before the box, let go on it", {kCtrlDown},
         {Key(SDL_KEYUP, kBox, SDLK_LCTRL, SDL_SCANCODE_LCTRL), kEscapeDown}, {}, {ctrlUp}},
        {"a key held from before the box, let go after it", {kCtrlDown}, {kEscapeDown},
         {Key(SDL_KEYUP, kGame, SDLK_LCTRL, SDL_SCANCODE_LCTRL)}, {ctrlUp}},
        {"a key held from before the box, let go and pressed again on it", {kCtrlDown},
         {Key(SDL_KEYUP, kBox, SDLK_LCTRL, SDL_SCANCODE_LCTRL), Key(SDL_KEYDOWN, kBox, SDLK_LCTRL, SDL_SCANCODE_LCTRL),
          kEscapeDown},
         {Key(SDL_KEYUP, kGame, SDLK_LCTRL, SDL_SCANCODE_LCTRL)}, {ctrlUp}},
        {"the button held from before the box, let go under it", {LeftButton(SDL_MOUSEBUTTONDOWN, kGame)},
         {LeftButton(SDL_MOUSEBUTTONUP, kGame), kEscapeDown}, {}, {leftUp}},
        {"the button held from before the box, let go under it and again after it",
         {LeftButton(SDL_MOUSEBUTTONDOWN, kGame)}, {LeftButton(SDL_MOUSEBUTTONUP, kGame), kEscapeDown},
         {LeftButton(SDL_MOUSEBUTTONUP, kGame)}, {leftUp}},
        {"the button pressed on the box, let go on the game window after it", {},
         {LeftButton(SDL_MOUSEBUTTONDOWN, kBox), kReturnDown}, {LeftButton(SDL_MOUSEBUTTONUP, kGame)}, {}},
        // SDL forgets the keys held on a window that goes: the first auto-repeat on the game
        // window comes as a fresh press.
        {"Return answering the box, held after it", {}, {kReturnDown},
         {Key(SDL_KEYDOWN, kGame, SDLK_RETURN, SDL_SCANCODE_RETURN),
          Key(SDL_KEYDOWN, kGame, SDLK_RETURN, SDL_SCANCODE_RETURN, 1),
          Key(SDL_KEYUP, kGame, SDLK_RETURN, SDL_SCANCODE_RETURN)},
         {}},
        {"a key held from before the box, its press told again on the box", {kCtrlDown},
         {Key(SDL_KEYDOWN, kBox, SDLK_LCTRL, SDL_SCANCODE_LCTRL), kEscapeDown},
         {Key(SDL_KEYUP, kGame, SDLK_LCTRL, SDL_SCANCODE_LCTRL)}, {ctrlUp}},
    };
    const auto push = [&](const BoxInput& input, uint32_t box) {
        const uint32_t on = input.onBox ? box : sdlId;
        if (input.key) PushKey(input.type, on, input.key, input.scancode, input.repeat);
        else PushButton(input.type, on, input.button);
    };
    // Each box's window is made anew: its id is the one after the window made last.
    uint32_t box = sdlId + 1;
    for (const BoxInputCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const BoxInput& input : c.before) push(input, 0);
        Pump();
        for (const BoxInput& input : c.during) push(input, box);
        EXPECT_NE(plat::dialogs().MessageBox("Enough memory?", "Memory", mb::OkCancel), 0);
        ++box;
        for (const BoxInput& input : c.after) push(input, box - 1);
        // A poll of SDL's queue ends at the mark its last pump left there: the second pump takes
        // what was pushed behind it.
        std::vector<WinMsg> after = Pump();
        for (const WinMsg& m : Pump()) after.push_back(m);
        std::vector<std::string> heard;
        for (const WinMsg& m : after) {
            if (m.window != window) continue;
            if (m.msg == WM_KEYDOWN || m.msg == WM_KEYUP) heard.push_back(std::to_string(m.msg) + ":" + std::to_string(m.wParam));
            if (m.msg >= WM_LBUTTONDOWN && m.msg <= WM_MBUTTONUP) heard.push_back(std::to_string(m.msg));
        }
        EXPECT_EQ(heard, c.heard);
    }
}

#endif

} // namespace
