#include "platform/sdl2/Sdl2Messages.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/Platform.h"
#include "platform/sdl2/Sdl2BoxEvents.h"
#include "platform/sdl2/Sdl2Desktop.h"
#include "platform/sdl2/Sdl2Keys.h"

namespace plat {

namespace {

constexpr uintptr_t MK_LBUTTON = 0x0001;
constexpr uintptr_t MK_RBUTTON = 0x0002;
constexpr uintptr_t MK_SHIFT = 0x0004;
constexpr uintptr_t MK_CONTROL = 0x0008;
constexpr uintptr_t MK_MBUTTON = 0x0010;
constexpr int32_t VK_LBUTTON = 0x01;
constexpr int32_t VK_RBUTTON = 0x02;
constexpr int32_t VK_MBUTTON = 0x04;

Sdl2Desktop* SdlDesktop() { return dynamic_cast<Sdl2Desktop*>(services().desktop.get()); }

WindowId WindowOf(uint32_t sdlWindowId) {
    Sdl2Desktop* d = SdlDesktop();
    return d ? d->FromSdlWindow(sdlWindowId) : 0;
}

/// The window a key or text event goes to: its SDL window's, else the one with the focus.
WindowId KeyWindowOf(uint32_t sdlWindowId) {
    const WindowId window = WindowOf(sdlWindowId);
    return window || !services().desktop ? window : desktop().Focus();
}

intptr_t PointLParam(int32_t x, int32_t y) {
    return intptr_t(int32_t((uint32_t(uint16_t(y)) << 16) | uint16_t(x)));
}

} // namespace

// --- input -------------------------------------------------------------------------------------

bool Sdl2Input::IsKeyDown(int32_t virtualKey) {
    if (held_.count(virtualKey)) return true;
    const uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
    if (virtualKey == VK_LBUTTON) return (buttons & SDL_BUTTON_LMASK) != 0;
    if (virtualKey == VK_RBUTTON) return (buttons & SDL_BUTTON_RMASK) != 0;
    if (virtualKey == VK_MBUTTON) return (buttons & SDL_BUTTON_MMASK) != 0;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (SDL_Scancode sc : SdlScancodesOfVirtualKey(virtualKey))
        if (int(sc) < count && state[sc]) return true;
    return false;
}

WinPoint Sdl2Input::ScreenToClient(WindowId window, WinPoint screen) {
    const Window* w = WindowById(window);
    return w ? w->ScreenToClient(screen) : screen;
}

int32_t Sdl2Input::ShowCursor(bool show) {
    cursorCount_ += show ? 1 : -1;
    SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCount_;
}

CursorId Sdl2Input::Keep(SDL_Cursor* cursor) {
    if (!cursor) return 0;
    const CursorId id = nextCursor_++;
    cursors_[id] = CursorHandle(cursor);
    return id;
}

void Sdl2Input::CursorBits(const CursorImage& image, uint8_t* data, uint8_t* mask) {
    for (int i = 0; i < CursorImage::kMaskBytes; ++i) {
        mask[i] = uint8_t(~image.andMask[i]);
        data[i] = uint8_t(~(image.andMask[i] ^ image.xorMask[i]));
    }
}

CursorId Sdl2Input::CreateCursor(const CursorImage& image) {
    uint8_t data[CursorImage::kMaskBytes];
    uint8_t mask[CursorImage::kMaskBytes];
    CursorBits(image, data, mask);
    return Keep(SDL_CreateCursor(data, mask, CursorImage::kSize, CursorImage::kSize, image.hotX, image.hotY));
}

void Sdl2Input::DestroyCursor(CursorId cursor) {
    if (cursor == arrow_) return;
    if (cursor == current_) current_ = 0;
    cursors_.erase(cursor); // SDL falls back to its default cursor when the shown one is freed
}

CursorId Sdl2Input::ArrowCursor() {
    if (!arrow_) arrow_ = Keep(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
    return arrow_;
}

CursorId Sdl2Input::SetCursor(CursorId cursor) {
    const CursorId previous = current_;
    const auto it = cursors_.find(cursor);
    if (it != cursors_.end()) {
        SDL_SetCursor(it->second.get());
        current_ = cursor;
    } else if (cursor == 0) {
        current_ = 0;
    }
    return previous;
}

void Sdl2Input::MovePointer(WindowId window, WinPoint client) {
    const Window* w = WindowById(window);
    cursor_ = w ? w->ClientToScreen(client) : client;
}

void Sdl2Input::HoldKey(int32_t virtualKey, bool down) {
    if (down) held_.insert(virtualKey);
    else held_.erase(virtualKey);
}

// --- messages ----------------------------------------------------------------------------------

void Sdl2Messages::Inject(const WinMsg& msg) {
    auto it = injected_.end();
    while (it != injected_.begin() && int32_t(std::prev(it)->time - msg.time) > 0) --it;
    injected_.insert(it, msg);
}

void Sdl2Messages::PostDueInjected() {
    const uint32_t now = clock().TickCount();
    auto* sdlInput = dynamic_cast<Sdl2Input*>(&input());
    while (!injected_.empty() && int32_t(now - injected_.front().time) >= 0) {
        const WinMsg msg = injected_.front();
        injected_.pop_front();
        if (sdlInput) {
            if (IsMouseMessage(msg.msg)) sdlInput->PlacePointer(msg.pt);
            switch (msg.msg) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: sdlInput->HoldKey(int32_t(msg.wParam), true); break;
            case WM_KEYUP:
            case WM_SYSKEYUP: sdlInput->HoldKey(int32_t(msg.wParam), false); break;
            case WM_LBUTTONDOWN: sdlInput->HoldKey(VK_LBUTTON, true); break;
            case WM_LBUTTONUP: sdlInput->HoldKey(VK_LBUTTON, false); break;
            case WM_RBUTTONDOWN: sdlInput->HoldKey(VK_RBUTTON, true); break;
            case WM_RBUTTONUP: sdlInput->HoldKey(VK_RBUTTON, false); break;
            default: break;
            }
        }
        Post(msg);
    }
}

bool Sdl2Messages::Peek(WinMsg& out, bool remove) {
    if (ending_ && endingLeft_ == 0) {
        ending_ = false;
        if (services().dialogs) dialogs().SessionGoesOn();
    }
    PostDueInjected();
    // The system's events are taken every time, so that a steady stream of injected input never
    // holds back a close or a request to stop.
    SDL_Event event;
    while (SDL_PollEvent(&event)) Convert(event);
    if (queue_.empty()) {
        // Windows ask to be painted only when nothing else waits.
        const WindowId paint = services().desktop ? desktop().NextWindowToPaint() : 0;
        if (!paint) return false;
        out = Make(paint, WM_PAINT, 0, 0);
        return true;
    }
    out = queue_.front();
    if (remove) {
        queue_.pop_front();
        if (endingLeft_ > 0) --endingLeft_;
        input().NoteTaken(out);
    }
    return true;
}

void Sdl2Messages::Translate(const WinMsg& /*msg*/) {}

intptr_t Sdl2Messages::Dispatch(const WinMsg& msg) {
    if (const WindowProc proc = GetWindowProc(msg.window)) return proc(msg.window, msg.msg, msg.wParam, msg.lParam);
    return services().desktop ? desktop().DefWindowProc(msg.window, msg.msg, msg.wParam, msg.lParam) : 0;
}

void Sdl2Messages::RemoveInput(WindowId window) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) Convert(event);
    const auto dropped = [&](const WinMsg& m) { return m.window == window && IsInputMessage(m.msg); };
    endingLeft_ -= size_t(std::count_if(queue_.begin(), queue_.begin() + std::ptrdiff_t(endingLeft_), dropped));
    std::erase_if(queue_, dropped);
}

WinMsg Sdl2Messages::Make(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    WinMsg m;
    m.window = window;
    m.msg = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = clock().TickCount();
    m.pt = input().CursorPos();
    return m;
}

uintptr_t Sdl2Messages::MouseKeys() {
    const uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
    const SDL_Keymod mods = SDL_GetModState();
    uintptr_t keys = 0;
    if (buttons & SDL_BUTTON_LMASK) keys |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) keys |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) keys |= MK_MBUTTON;
    if (mods & KMOD_SHIFT) keys |= MK_SHIFT;
    if (mods & KMOD_CTRL) keys |= MK_CONTROL;
    return keys;
}

void Sdl2Messages::ConvertKey(const SDL_KeyboardEvent& key) {
    const WinKey winKey = WinKeyFromSdl(key.keysym.scancode, key.keysym.sym);
    if (winKey.virtualKey == 0) return;
    const bool up = key.type == SDL_KEYUP;
    KeyHolder& holder = keys_[size_t(key.keysym.scancode) % std::size(keys_)];
    const bool wasDown = holder == KeyHolder::Program;
    if (up) {
        holder = KeyHolder::None;
        if (!wasDown) return;
    } else if (holder == KeyHolder::Other || (holder == KeyHolder::None && key.repeat)) {
        // Another's key held (a repeat of a press the program never saw is one too) stays
        // another's until it is let go.
        holder = KeyHolder::Other;
        return;
    } else {
        holder = KeyHolder::Program;
    }
    // Alt itself and every key while Alt is held (without Ctrl) make the system-key messages.
    const bool altHeld = (key.keysym.mod & KMOD_ALT) != 0 || winKey.virtualKey == VK_MENU;
    const bool system = altHeld && (key.keysym.mod & KMOD_CTRL) == 0;
    const uint32_t msg = system ? (up ? WM_SYSKEYUP : WM_SYSKEYDOWN) : (up ? WM_KEYUP : WM_KEYDOWN);
    const WindowId window = KeyWindowOf(key.windowID);
    if (!window) return;
    constexpr uint32_t kAltDownFlag = 0x20;
    if (keyboardHook_ &&
        keyboardHook_(0, msg, uint32_t(winKey.virtualKey), (key.keysym.mod & KMOD_ALT) ? kAltDownFlag : 0) != 0)
        return;
    Post(Make(window, msg, uintptr_t(winKey.virtualKey), KeyLParam(winKey, altHeld && !up, wasDown, up)));
}

void Sdl2Messages::Convert(const SDL_Event& event) {
    auto* sdlInput = dynamic_cast<Sdl2Input*>(&input());
    if (SDL_Scancode taken; IsBoxTookKey(event, taken)) {
        // A press the program saw stays the program's: it is told of that key's release.
        KeyHolder& holder = keys_[size_t(taken) % std::size(keys_)];
        if (holder != KeyHolder::Program) holder = KeyHolder::Other;
        return;
    }
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        ConvertKey(event.key);
        break;
    case SDL_TEXTEDITING: {
        const WindowId window = KeyWindowOf(event.edit.windowID);
        if (!window) break;
        std::string text = CodePageFromUtf8(event.edit.text, locale().AnsiCodePage().codePage);
        // An empty edit outside a composition (SDL sends one when text input starts) says nothing.
        if (text.empty() && !inputMethod().IsComposing()) break;
        for (const WinMsg& m : inputMethod().Compose(window, std::move(text))) Post(m);
        break;
    }
    case SDL_TEXTINPUT: {
        const WindowId window = KeyWindowOf(event.text.windowID);
        if (!window) break;
        std::string text = CodePageFromUtf8(event.text.text, locale().AnsiCodePage().codePage);
        if (inputMethod().IsComposing()) {
            for (const WinMsg& m : inputMethod().Commit(window, std::move(text))) Post(m);
            break;
        }
        for (char c : text) Post(Make(window, WM_CHAR, uint8_t(c), 1));
        break;
    }
    case SDL_MOUSEMOTION: {
        const WindowId window = WindowOf(event.motion.windowID);
        if (!window) break;
        if (sdlInput) sdlInput->MovePointer(window, WinPoint{event.motion.x, event.motion.y});
        Post(Make(window, WM_MOUSEMOVE, MouseKeys(), PointLParam(event.motion.x, event.motion.y)));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const WindowId window = WindowOf(event.button.windowID);
        if (!window) break;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        uint32_t msg = 0;
        switch (event.button.button) {
        case SDL_BUTTON_LEFT: msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return;
        }
        const uint32_t mask = SDL_BUTTON(event.button.button);
        if (!down && !(buttonsDown_ & mask)) break;
        buttonsDown_ = down ? buttonsDown_ | mask : buttonsDown_ & ~mask;
        if (sdlInput) sdlInput->MovePointer(window, WinPoint{event.button.x, event.button.y});
        Post(Make(window, msg, MouseKeys(), PointLParam(event.button.x, event.button.y)));
        break;
    }
    case SDL_QUIT:
        // The session ends (the last window closed or the process was asked to stop): every
        // window of ours is asked to close.
        if (services().desktop)
            for (WindowId id : desktop().TopLevelWindows()) Post(Make(id, WM_CLOSE, 0, 0));
        break;
    default:
        if (Sdl2Desktop* d = SdlDesktop()) d->HandleEvent(event);
        break;
    }
}

} // namespace plat
