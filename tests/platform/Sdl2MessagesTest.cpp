#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessLocale.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

#ifdef VQT_HAVE_SDL2
#include <SDL.h>

#include "platform/sdl2/Sdl2BoxEvents.h"
#include "platform/sdl2/Sdl2Desktop.h"
#include "platform/sdl2/Sdl2Keys.h"
#include "platform/sdl2/Sdl2Messages.h"
#endif

namespace {

using namespace plat;

#ifdef VQT_HAVE_SDL2

TEST(Sdl2Keys, VirtualKeysAndScanCodes) {
    struct Row {
        SDL_Scancode scancode;
        SDL_Keycode keycode;
        int32_t vk;
        uint8_t scan;
        bool extended;
    };
    const Row rows[] = {
        {SDL_SCANCODE_A, 'a', 'A', 0x1E, false},
        {SDL_SCANCODE_Q, 'a', 'A', 0x10, false}, // a layout with A where Q is: the key the layout gives
        {SDL_SCANCODE_KP_1, SDLK_KP_1, 0x61, 0x4F, false},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 0x0D, 0x1C, true},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, 0x25, 0x4B, true},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, VK_CONTROL, 0x1D, true},
        {SDL_SCANCODE_RALT, SDLK_RALT, VK_MENU, 0x38, true},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, VK_LWIN, 91, true},
        {SDL_SCANCODE_RGUI, SDLK_RGUI, VK_RWIN, 92, true},
    };
    for (const Row& r : rows) {
        const WinKey k = WinKeyFromSdl(r.scancode, r.keycode);
        EXPECT_EQ(k.virtualKey, r.vk) << SDL_GetScancodeName(r.scancode);
        EXPECT_EQ(k.scanCode, r.scan) << SDL_GetScancodeName(r.scancode);
        EXPECT_EQ(k.extended, r.extended) << SDL_GetScancodeName(r.scancode);
    }
    EXPECT_EQ(WinKeyFromSdl(SDL_SCANCODE_AC_BACK, SDLK_AC_BACK).virtualKey, 0) << "no Windows counterpart";
    EXPECT_EQ(SdlScancodesOfVirtualKey(VK_MENU), (std::vector<SDL_Scancode>{SDL_SCANCODE_LALT, SDL_SCANCODE_RALT}));
    EXPECT_TRUE(SdlScancodesOfVirtualKey(0xFF).empty());
}

TEST(Sdl2Cursors, EachCursorPixelKindBecomesSdlsBitsOfTheSameLook) {
    // SDL draws data 1 mask 1 black, 0 1 white, 0 0 nothing, 1 0 the inverted screen.
    struct Kind {
        const char* name;
        int andBit, xorBit, data, mask;
    };
    const Kind kinds[] = {{"black", 0, 0, 1, 1}, {"white", 0, 1, 0, 1}, {"clear", 1, 0, 0, 0}, {"invert", 1, 1, 1, 0}};
    for (const Kind& k : kinds) {
        CursorImage image;
        image.andMask[5] = uint8_t(k.andBit << 3);
        image.xorMask[5] = uint8_t(k.xorBit << 3);
        uint8_t data[CursorImage::kMaskBytes];
        uint8_t mask[CursorImage::kMaskBytes];
        Sdl2Input::CursorBits(image, data, mask);
        EXPECT_EQ((data[5] >> 3) & 1, k.data) << k.name;
        EXPECT_EQ((mask[5] >> 3) & 1, k.mask) << k.name;
    }
}

/// A shown window of the SDL desktop (dummy video driver) with its messages on a queue.
class Sdl2MessagesTest : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(UseSdl2()) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        WindowParams p;
        p.style = WS_POPUP;
        p.title = "Stage";
        p.rect = {100, 50, 740, 530};
        window = desktop().CreateWindow(p);
        desktop().Find(window)->Show(SW_SHOWNORMAL);
        desktop().Find(window)->Validate();
        for (uint32_t id = 1; id < 1000 && sdlId == 0; ++id)
            if (static_cast<Sdl2Desktop&>(desktop()).FromSdlWindow(id) == window) sdlId = id;
        ASSERT_NE(sdlId, 0u);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    /// An event of the window (every event with a window names it in the same place).
    SDL_Event Event(uint32_t type) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = sdlId;
        return e;
    }
    void PushKey(bool down, SDL_Scancode sc, SDL_Keycode sym, uint16_t mod, bool repeat = false) {
        SDL_Event e = Event(down ? SDL_KEYDOWN : SDL_KEYUP);
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = sc;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    /// Every message that waits now.
    std::vector<WinMsg> Drain() {
        std::vector<WinMsg> out;
        WinMsg m;
        while (plat::messages().Peek(m, true)) out.push_back(m);
        return out;
    }

    WindowId window = 0;
    uint32_t sdlId = 0;
};

TEST_F(Sdl2MessagesTest, KeysAndTextBecomeKeyAndCharacterMessages) {
    PushKey(true, SDL_SCANCODE_A, 'a', KMOD_NONE);
    PushKey(true, SDL_SCANCODE_A, 'a', KMOD_NONE, true);
    PushKey(false, SDL_SCANCODE_A, 'a', KMOD_NONE);
    PushKey(true, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
    PushKey(true, SDL_SCANCODE_TAB, SDLK_TAB, KMOD_LALT);
    PushKey(false, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_NONE);
    PushKey(true, SDL_SCANCODE_AC_BACK, SDLK_AC_BACK, KMOD_NONE);
    SDL_Event text = Event(SDL_TEXTINPUT);
    std::strcpy(text.text.text, "\xC3\xBC!");
    SDL_PushEvent(&text);
    const std::vector<WinMsg> got = Drain();
    ASSERT_EQ(got.size(), 8u);
    EXPECT_EQ(got[0].msg, WM_KEYDOWN);
    EXPECT_EQ(got[0].wParam, uintptr_t('A'));
    EXPECT_EQ(got[0].window, window);
    EXPECT_EQ((uintptr_t(got[0].lParam) >> 16) & 0xFF, 0x1Eu) << "scan code in bits 16-23";
    EXPECT_EQ(uint32_t(got[1].lParam) & 0x40000000u, 0x40000000u) << "auto-repeat: was down";
    EXPECT_EQ(got[2].msg, WM_KEYUP);
    EXPECT_EQ(got[3].msg, WM_SYSKEYDOWN);
    EXPECT_EQ(got[3].wParam, uintptr_t(VK_MENU));
    EXPECT_EQ(got[4].msg, WM_SYSKEYDOWN) << "Alt+Tab";
    EXPECT_EQ(got[4].wParam, 0x09u);
    EXPECT_EQ(uint32_t(got[4].lParam) & 0x20000000u, 0x20000000u) << "context bit: Alt held";
    EXPECT_EQ(got[5].msg, WM_SYSKEYUP);
    EXPECT_EQ(got[6].msg, WM_CHAR);
    EXPECT_EQ(got[6].wParam, 0xFCu);
    EXPECT_EQ(got[7].wParam, uintptr_t('!'));
}

TEST_F(Sdl2MessagesTest, TheKeyboardHookSeesKeysBeforeTheyAreQueued) {
    static std::vector<uint32_t> seen;
    seen.clear();
    plat::messages().SetKeyboardHook([](int32_t code, uint32_t msg, uint32_t vk, uint32_t flags) -> int32_t {
        seen.push_back(uint32_t(code) << 24 | msg << 8 | vk | (flags << 16));
        return vk == uint32_t(VK_LWIN) ? 1 : 0;
    });
    PushKey(true, SDL_SCANCODE_LGUI, SDLK_LGUI, KMOD_NONE);
    PushKey(true, SDL_SCANCODE_TAB, SDLK_TAB, KMOD_LALT);
    const std::vector<WinMsg> got = Drain();
    ASSERT_EQ(got.size(), 1u) << "the Windows key was swallowed";
    EXPECT_EQ(got[0].wParam, 0x09u);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], (uint32_t(WM_SYSKEYDOWN) << 8) | 0x09u | (0x20u << 16)) << "Alt held";
    plat::messages().SetKeyboardHook(nullptr);
    PushKey(true, SDL_SCANCODE_LGUI, SDLK_LGUI, KMOD_NONE);
    EXPECT_EQ(Drain().size(), 1u);
}

TEST_F(Sdl2MessagesTest, CompositionsBecomeInputMethodMessagesAndTextComesInTheLocalesCodePage) {
    static_cast<HeadlessLocale&>(locale()).SetDoubleByteCodePage(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    const auto push = [&](bool editing, const char* utf8) {
        SDL_Event e = Event(editing ? SDL_TEXTEDITING : SDL_TEXTINPUT);
        std::strcpy(editing ? e.edit.text : e.text.text, utf8);
        SDL_PushEvent(&e);
    };
    push(true, "");                         // text input starting: nothing
    push(true, "\xE6\x97\xA5\xE6\x9C\xAC"); // composing "nihon"
    std::vector<WinMsg> got = Drain();
    EXPECT_EQ(inputMethod().ReadComposition(), "\x93\xFA\x96\x7B") << "kept in code-page bytes";
    push(true, "\xE3\x81\x82\xE3\x81\x84");
    push(false, "\xE6\x84\x9B");                  // committed while composing
    push(false, "a\xE3\x82\xA2\xED\x95\x9C!"); // plain text: the hangul syllable has no place
    for (const WinMsg& m : Drain()) got.push_back(m);
    EXPECT_EQ(inputMethod().Kept(), "\x88\xA4") << "the commit is the kept text";
    EXPECT_FALSE(inputMethod().IsComposing());
    const std::vector<std::pair<uint32_t, intptr_t>> expected = {
        {WM_IME_STARTCOMPOSITION, 0}, {WM_IME_COMPOSITION, GCS_COMPSTR}, {WM_IME_COMPOSITION, GCS_COMPSTR},
        {WM_IME_COMPOSITION, 0x1800}, {WM_IME_ENDCOMPOSITION, 0},
    };
    ASSERT_EQ(got.size(), expected.size() + 4);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(got[i].msg, expected[i].first) << i;
        EXPECT_EQ(got[i].lParam, expected[i].second) << i;
        EXPECT_EQ(got[i].window, window);
    }
    const uint8_t chars[] = {'a', 0x83, 0x41, '!'};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(got[expected.size() + i].msg, WM_CHAR);
        EXPECT_EQ(got[expected.size() + i].wParam, uintptr_t(chars[i])) << i;
    }
}

TEST_F(Sdl2MessagesTest, MouseMessagesCarryClientAndDesktopPoints) {
    SDL_Event e = Event(SDL_MOUSEMOTION);
    e.motion.x = 10;
    e.motion.y = 20;
    SDL_PushEvent(&e);
    e = Event(SDL_MOUSEBUTTONDOWN);
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.x = 30;
    e.button.y = 40;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&e); // never pressed on the window: no message
    e.type = SDL_MOUSEBUTTONDOWN;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&e);
    const std::vector<WinMsg> got = Drain();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].msg, WM_MOUSEMOVE);
    EXPECT_EQ(uint32_t(got[0].lParam), (20u << 16) | 10u);
    EXPECT_EQ(got[0].pt, (WinPoint{110, 70}));
    EXPECT_EQ(got[1].msg, WM_RBUTTONDOWN);
    EXPECT_EQ(got[2].msg, WM_LBUTTONDOWN);
    EXPECT_EQ(got[3].msg, WM_LBUTTONUP);
    EXPECT_EQ(got[3].pt, (WinPoint{130, 90}));
    EXPECT_EQ(plat::input().CursorPos(), (WinPoint{130, 90}));
    EXPECT_EQ(plat::input().ScreenToClient(window, plat::input().CursorPos()), (WinPoint{30, 40}));
}

TEST_F(Sdl2MessagesTest, WindowEventsReachTheWindowAndQuitClosesIt) {
    desktop().SetActive(window);
    desktop().Find(window)->ClearSent();
    SDL_Event e = Event(SDL_WINDOWEVENT);
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
    e.window.event = SDL_WINDOWEVENT_MINIMIZED;
    SDL_PushEvent(&e);
    EXPECT_TRUE(Drain().empty()) << "window events are sent, not queued";
    const std::vector<WinMsg>& sent = desktop().Find(window)->Sent();
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const WinMsg& m) { return m.msg == WM_KILLFOCUS; }));
    EXPECT_TRUE(desktop().Find(window)->IsMinimized());

    e = Event(SDL_QUIT);
    SDL_PushEvent(&e);
    const std::vector<WinMsg> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, WM_CLOSE);
    EXPECT_EQ(got[0].window, window);
    plat::messages().Dispatch(got[0]);
    EXPECT_EQ(desktop().Find(window), nullptr) << "the default procedure destroys a window on close";
}

TEST_F(Sdl2MessagesTest, InjectedInputThatNeverStopsDoesNotHoldBackTheRequestToStop) {
    SDL_Event quit = Event(SDL_QUIT);
    SDL_PushEvent(&quit);
    bool closed = false;
    for (int i = 0; i < 5 && !closed; ++i) {
        WinMsg move;
        move.window = window;
        move.msg = WM_MOUSEMOVE;
        move.time = plat::clock().TickCount();
        static_cast<Sdl2Messages&>(plat::messages()).Inject(move); // a bot's input, every frame
        WinMsg m;
        ASSERT_TRUE(plat::messages().Peek(m, true));
        closed = m.msg == WM_CLOSE;
    }
    EXPECT_TRUE(closed);
}

TEST_F(Sdl2MessagesTest, AnInvalidWindowIsPaintedWhenNothingElseWaits) {
    desktop().Find(window)->Invalidate(nullptr);
    PushKey(true, SDL_SCANCODE_B, 'b', KMOD_NONE);
    WinMsg m;
    ASSERT_TRUE(plat::messages().Peek(m, true));
    EXPECT_EQ(m.msg, WM_KEYDOWN);
    ASSERT_TRUE(plat::messages().Peek(m, true));
    EXPECT_EQ(m.msg, WM_PAINT);
    EXPECT_EQ(plat::messages().Dispatch(m), 0);
    EXPECT_FALSE(plat::messages().Peek(m, true)) << "painting validated the window";
}

TEST_F(Sdl2MessagesTest, InjectedInputWaitsForItsTimeAndActsAsThePlayersOwn) {
    auto& queue = static_cast<Sdl2Messages&>(plat::messages());
    auto& keys = static_cast<Sdl2Input&>(plat::input());
    constexpr int32_t kLButton = 0x01;
    const uint32_t now = plat::clock().TickCount();
    // A time a day ahead never comes within the test; the earlier one goes first whatever the
    // order of injection, and one of the same time after those injected before it.
    queue.Inject({window, WM_KEYUP, 'A', 0, now + 86400000u, {}});
    queue.Inject({window, WM_MOUSEMOVE, 0, 0, now, {150, 90}});
    queue.Inject({window, WM_KEYDOWN, 'A', 0, now - 5, {}});
    queue.Inject({window, WM_LBUTTONDOWN, 1, 0, now, {150, 90}});
    PushKey(true, SDL_SCANCODE_B, 'b', KMOD_NONE);
    const std::vector<WinMsg> got = Drain();
    std::vector<uint32_t> kinds;
    for (const WinMsg& m : got) kinds.push_back(m.msg);
    EXPECT_EQ(kinds, (std::vector<uint32_t>{WM_KEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_KEYDOWN}))
        << "the due injected input, then the keyboard's; the key's release waits";
    EXPECT_EQ(got[0].wParam, uintptr_t('A'));
    EXPECT_EQ(got[3].wParam, uintptr_t('B'));
    EXPECT_LT(keys.AsyncKeyState('A'), 0) << "an injected key press holds the key";
    EXPECT_LT(keys.AsyncKeyState(kLButton), 0) << "and a button press the button";
    EXPECT_EQ(keys.CursorPos(), (WinPoint{150, 90}));
    EXPECT_EQ(keys.ScreenToClient(window, keys.CursorPos()), (WinPoint{50, 40}));
    queue.Inject({window, WM_LBUTTONUP, 0, 0, now, {160, 95}});
    ASSERT_EQ(Drain().size(), 1u);
    EXPECT_EQ(keys.AsyncKeyState(kLButton), 0);
    EXPECT_EQ(keys.CursorPos(), (WinPoint{160, 95}));
}

TEST_F(Sdl2MessagesTest, AKeyPressedAndReleasedTogetherReadsPressedThroughTheFrameItsKeyDownIsTakenIn) {
    // Pushed events leave SDL's keyboard state as it is: the key reads up but for the press.
    constexpr int32_t kEscape = 0x1B;
    PushKey(true, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE);
    PushKey(false, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE);
    WinMsg m;
    ASSERT_TRUE(plat::messages().Peek(m, false));
    EXPECT_EQ(plat::input().AsyncKeyState(kEscape), 0) << "nothing is taken yet";
    ASSERT_TRUE(plat::messages().Peek(m, true));
    EXPECT_EQ(m.msg, WM_KEYDOWN);
    EXPECT_LT(plat::input().AsyncKeyState(kEscape), 0);
    EXPECT_LT(plat::input().AsyncKeyState(kEscape), 0) << "to every poll of the frame";
    plat::input().StartFrame();
    EXPECT_EQ(plat::input().AsyncKeyState(kEscape), 0) << "not in the next";
    ASSERT_TRUE(plat::messages().Peek(m, true));
    EXPECT_EQ(m.msg, WM_KEYUP);
    EXPECT_EQ(plat::input().AsyncKeyState(kEscape), 0);
}

TEST_F(Sdl2MessagesTest, AKeyHeldByTheProgramIsDownUntilLetGo) {
    auto& keys = static_cast<Sdl2Input&>(plat::input());
    constexpr int32_t kLeft = 0x25;
    EXPECT_EQ(keys.AsyncKeyState(kLeft), 0);
    keys.HoldKey(kLeft, true);
    keys.HoldKey(kLeft, true);
    EXPECT_LT(keys.AsyncKeyState(kLeft), 0);
    EXPECT_EQ(keys.AsyncKeyState(0x27), 0) << "only that key";
    keys.HoldKey(kLeft, false);
    EXPECT_EQ(keys.AsyncKeyState(kLeft), 0);
    EXPECT_TRUE(Drain().empty()) << "holding a key posts nothing";
}

TEST_F(Sdl2MessagesTest, ThePressesAndReleasesTheProgramIsToldOf) {
    /// A key or button event on the window, or a box's mark that it took a key.
    struct Input {
        enum Kind { KeyDown, KeyRepeat, KeyUp, ButtonDown, ButtonUp, BoxTook } kind;
        SDL_Scancode key = SDL_SCANCODE_UNKNOWN; ///< a key's
        uint8_t button = 0;                      ///< a button's
    };
    const auto key = [](Input::Kind kind, SDL_Scancode sc) { return Input{kind, sc, 0}; };
    const auto button = [](Input::Kind kind, uint8_t b) { return Input{kind, SDL_SCANCODE_UNKNOWN, b}; };
    struct Case {
        const char* name;
        std::vector<Input> inputs;
        /// The messages, as "down A 0": a key's virtual key and its previous state, a button's name.
        std::vector<std::string> told;
    };
    const SDL_Scancode a = SDL_SCANCODE_A, ret = SDL_SCANCODE_RETURN, ctrl = SDL_SCANCODE_LCTRL;
    const Case cases[] = {
        {"a key let go twice",
         {key(Input::KeyDown, a), key(Input::KeyUp, a), key(Input::KeyUp, a)},
         {"down 65 0", "up 65 1"}},
        {"the left button let go twice",
         {button(Input::ButtonDown, SDL_BUTTON_LEFT), button(Input::ButtonUp, SDL_BUTTON_LEFT),
          button(Input::ButtonUp, SDL_BUTTON_LEFT)},
         {"left down", "left up"}},
        {"the right button let go twice",
         {button(Input::ButtonDown, SDL_BUTTON_RIGHT), button(Input::ButtonUp, SDL_BUTTON_RIGHT),
          button(Input::ButtonUp, SDL_BUTTON_RIGHT)},
         {"right down", "right up"}},
        {"a key held before the window had the keyboard, then pressed anew",
         {key(Input::KeyRepeat, a), key(Input::KeyRepeat, a), key(Input::KeyUp, a), key(Input::KeyDown, a)},
         {"down 65 0"}},
        {"a key a box took: its presses and repeats until it is let go",
         {key(Input::BoxTook, ret), key(Input::KeyDown, ret), key(Input::KeyRepeat, ret), key(Input::KeyUp, ret),
          key(Input::KeyDown, ret)},
         {"down 13 0"}},
        {"a box's mark of a key the program holds",
         {key(Input::KeyDown, ctrl), key(Input::BoxTook, ctrl), key(Input::KeyRepeat, ctrl), key(Input::KeyUp, ctrl)},
         {"down 17 0", "down 17 1", "up 17 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Input& in : c.inputs) {
            switch (in.kind) {
            case Input::KeyDown:
            case Input::KeyRepeat:
            case Input::KeyUp:
                PushKey(in.kind != Input::KeyUp, in.key, SDL_GetKeyFromScancode(in.key), KMOD_NONE,
                        in.kind == Input::KeyRepeat);
                break;
            case Input::ButtonDown:
            case Input::ButtonUp: {
                SDL_Event e = Event(in.kind == Input::ButtonDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
                e.button.button = in.button;
                SDL_PushEvent(&e);
                break;
            }
            case Input::BoxTook: {
                SDL_Event mark = BoxTookKey(in.key);
                SDL_PushEvent(&mark);
                break;
            }
            }
        }
        std::vector<std::string> told;
        for (const WinMsg& m : Drain()) {
            const bool wasDown = (uint32_t(m.lParam) & 0x40000000u) != 0;
            if (m.msg == WM_KEYDOWN || m.msg == WM_KEYUP)
                told.push_back(std::string(m.msg == WM_KEYDOWN ? "down " : "up ") + std::to_string(m.wParam) + " " +
                               (wasDown ? "1" : "0"));
            if (m.msg == WM_LBUTTONDOWN) told.push_back("left down");
            if (m.msg == WM_LBUTTONUP) told.push_back("left up");
            if (m.msg == WM_RBUTTONDOWN) told.push_back("right down");
            if (m.msg == WM_RBUTTONUP) told.push_back("right up");
        }
        EXPECT_EQ(told, c.told);
    }
}

#endif // VQT_HAVE_SDL2

TEST(InstanceLock, ASecondHolderFindsTheNameTaken) {
    const vqt::test::TempFolder folder;
    HeadlessSystem first, second;
    first.SetLockFolder(folder.path());
    second.SetLockFolder(folder.path());
    using State = plat::InstanceLock::State;
    EXPECT_EQ(first.CreateInstanceMutex("Game/One").state, State::Taken);
    EXPECT_EQ(second.CreateInstanceMutex("Game/One").state, State::HeldElsewhere);
    EXPECT_EQ(second.CreateInstanceMutex("Game Two").state, State::Taken) << "another name is free";
    second.CloseInstanceMutex();
    first.CloseInstanceMutex();
    EXPECT_EQ(second.CreateInstanceMutex("Game/One").state, State::Taken) << "free again once given back";
    EXPECT_EQ(first.LockPath("a/b\\c"), folder / "a_b_c.lock");
    second.CloseInstanceMutex();
}

} // namespace
