#include "platform/Desktop.h"

#include <algorithm>

#include "platform/Platform.h"

namespace plat {

namespace {

/// The first place of a front-to-back order below its topmost windows.
std::vector<WindowId>::iterator BelowTopmost(const Desktop& desktop, std::vector<WindowId>& order) {
    return std::find_if(order.begin(), order.end(), [&](WindowId id) {
        const Window* w = desktop.Find(id);
        return !w || !w->IsTopmost();
    });
}

} // namespace

DevMode MakeDevMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t frequency) {
    DevMode m;
    m.fields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    m.bitsPerPel = bits;
    m.pelsWidth = width;
    m.pelsHeight = height;
    m.displayFrequency = frequency;
    return m;
}

bool ModeMatches(const DevMode& request, const DevMode& listed) {
    if ((request.fields & DM_PELSWIDTH) && request.pelsWidth != listed.pelsWidth) return false;
    if ((request.fields & DM_PELSHEIGHT) && request.pelsHeight != listed.pelsHeight) return false;
    if ((request.fields & DM_BITSPERPEL) && request.bitsPerPel != listed.bitsPerPel) return false;
    if ((request.fields & DM_DISPLAYFREQUENCY) && request.displayFrequency > 1 &&
        request.displayFrequency != listed.displayFrequency)
        return false;
    return true;
}

Desktop::Desktop(const DevMode& registry) : current_(registry), registry_(registry) {}

Desktop::~Desktop() = default;

void Desktop::ReleaseWindows() {
    order_.clear();
    active_ = focus_ = 0;
    windows_.clear();
    destroyed_.clear();
}

WindowId Desktop::CreateWindow(const WindowParams& params) {
    const bool child = (params.style & WS_CHILD) != 0;
    if (child && !Find(params.parent)) return 0;
    const WindowId id = nextId_++;
    std::unique_ptr<Window> made = MakeWindow(id, params);
    if (!made) return 0;
    Window& window = *made;
    windows_[id] = std::move(made);
    if (!child) {
        // New top-level windows go in front of the other windows of their band.
        order_.insert(BelowTopmost(*this, order_), id);
    }
    if (params.sink) {
        window.SetMessageSink(params.sink);
        if (window.Send(WM_NCCREATE, 0, 0) == 0) {
            Forget(id);
            CollectGarbage();
            return 0;
        }
        if (window.Send(WM_CREATE, 0, 0) == -1) {
            DestroyWindow(id);
            return 0;
        }
    }
    if (params.style & WS_VISIBLE) window.Show(SW_SHOW);
    return id;
}

bool Desktop::DestroyWindow(WindowId id) {
    Window* window = Find(id);
    if (!window) return false;
    for (WindowId child : Children(id)) DestroyWindow(child);
    window->Send(WM_DESTROY, 0, 0);
    window->Send(WM_NCDESTROY, 0, 0);
    Forget(id);
    CollectGarbage();
    return true;
}

void Desktop::Forget(WindowId id) {
    auto it = windows_.find(id);
    if (it == windows_.end()) return;
    it->second->destroyed_ = true;
    if (active_ == id) active_ = 0;
    if (focus_ == id) focus_ = 0;
    order_.erase(std::remove(order_.begin(), order_.end(), id), order_.end());
    destroyed_.push_back(std::move(it->second));
    windows_.erase(it);
}

void Desktop::CollectGarbage() {
    // A window being destroyed from inside its own procedure lives until the send returns.
    if (sendDepth_ == 0) destroyed_.clear();
}

Window* Desktop::Find(WindowId id) const {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : it->second.get();
}

WindowId Desktop::FindWindow(std::string_view className, std::string_view title) const {
    for (WindowId id : order_) {
        const Window* w = Find(id);
        if (!w) continue;
        if (!className.empty() && w->ClassName() != className) continue;
        if (!title.empty() && w->Title() != title) continue;
        return id;
    }
    return 0;
}

std::vector<WindowId> Desktop::TopLevelWindows() const { return order_; }

std::vector<WindowId> Desktop::Children(WindowId parent) const {
    std::vector<WindowId> out;
    for (const auto& [id, w] : windows_)
        if (w->IsChild() && w->Parent() == parent) out.push_back(id);
    return out;
}

WindowId Desktop::TopLevelOf(WindowId id) const {
    const Window* w = Find(id);
    while (w && w->IsChild()) {
        id = w->Parent();
        w = Find(id);
    }
    return w ? id : 0;
}

void Desktop::BringToFront(WindowId id) {
    auto it = std::find(order_.begin(), order_.end(), id);
    if (it == order_.end()) return;
    order_.erase(it);
    order_.insert(Find(id)->IsTopmost() ? order_.begin() : BelowTopmost(*this, order_), id);
}

intptr_t Desktop::Send(Window& window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    WinMsg m;
    m.window = window.Id();
    m.msg = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = plat::clock().TickCount();
    // The record keeps the latest messages only, so a long session does not grow it.
    if (window.sent_.size() >= Window::kSentKept) window.sent_.erase(window.sent_.begin());
    window.sent_.push_back(m);
    ++sendDepth_;
    const intptr_t result = window.sink_ ? window.sink_(m) : plat::messages().Dispatch(m);
    --sendDepth_;
    CollectGarbage();
    return result;
}

void Desktop::SendActivation(WindowId old, WindowId top) {
    if (Window* w = Find(old)) {
        w->Send(WM_NCACTIVATE, 0, 0);
        w->Send(WM_ACTIVATE, WA_INACTIVE, intptr_t(top));
    }
    if (Window* w = Find(top)) {
        w->Send(WM_NCACTIVATE, 1, 0);
        w->Send(WM_ACTIVATE, WA_ACTIVE, intptr_t(old));
    }
}

bool Desktop::SetActive(WindowId id) {
    const WindowId top = TopLevelOf(id);
    if (!top) return false;
    BringToFront(top);
    if (top == active_) return true;
    const WindowId old = active_;
    active_ = top;
    SendActivation(old, top);
    if (active_ == top && TopLevelOf(focus_) != top) SetFocus(top);
    return true;
}

WindowId Desktop::SetFocus(WindowId id) {
    const WindowId previous = focus_;
    if (id != 0 && !Find(id)) return previous;
    if (id == focus_) return previous;
    if (id != 0 && TopLevelOf(id) != active_) {
        // Activating the window's top-level window first; it may move the focus itself.
        const WindowId top = TopLevelOf(id);
        const WindowId old = active_;
        active_ = top;
        BringToFront(top);
        SendActivation(old, top);
    }
    const WindowId lost = focus_;
    focus_ = id;
    if (Window* w = Find(lost)) w->Send(WM_KILLFOCUS, id, 0);
    if (Window* w = Find(id)) w->Send(WM_SETFOCUS, lost, 0);
    return previous;
}

void Desktop::Deactivate() {
    const WindowId old = active_;
    const WindowId lost = focus_;
    active_ = 0;
    focus_ = 0;
    SendActivation(old, 0);
    if (Window* w = Find(lost)) w->Send(WM_KILLFOCUS, 0, 0);
}

intptr_t Desktop::DefWindowProc(WindowId id, uint32_t msg, uintptr_t wParam, intptr_t /*lParam*/) {
    Window* w = Find(id);
    if (!w) return 0;
    switch (msg) {
    case WM_NCCREATE:
    case WM_NCACTIVATE:
        return 1;
    case WM_PAINT:
        w->Validate();
        return 0;
    case WM_CLOSE:
        DestroyWindow(id);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE: w->Show(SW_MINIMIZE); break;
        case SC_RESTORE: w->Show(SW_RESTORE); break;
        case SC_CLOSE: w->Send(WM_CLOSE, 0, 0); break;
        default: break;
        }
        return 0;
    default:
        return 0;
    }
}

WinRect Desktop::AdjustWindowRect(const WinRect& client, uint32_t style, uint32_t exStyle) const {
    const WinRect f = Frame(style, exStyle);
    return WinRect{client.left - f.left, client.top - f.top, client.right + f.right, client.bottom + f.bottom};
}

WindowId Desktop::NextWindowToPaint() const {
    for (const auto& [id, w] : windows_) {
        WinRect r;
        if (w->IsVisible() && !w->IsMinimized() && w->GetUpdateRect(r)) return id;
    }
    return 0;
}

WinRect Desktop::Rect() const { return WinRect{0, 0, int32_t(current_.pelsWidth), int32_t(current_.pelsHeight)}; }

bool Desktop::EnumDisplaySettings(uint32_t index, DevMode& out) const {
    if (index == ENUM_CURRENT_SETTINGS) {
        out = current_;
        return true;
    }
    if (index == ENUM_REGISTRY_SETTINGS) {
        out = registry_;
        return true;
    }
    const std::vector<DevMode>& modes = Modes();
    if (index >= modes.size()) return false;
    out = modes[index];
    return true;
}

int32_t Desktop::TestMode(const DevMode& mode) const {
    for (const DevMode& listed : Modes())
        if (ModeMatches(mode, listed)) return DISP_CHANGE_SUCCESSFUL;
    return DISP_CHANGE_BADMODE;
}

int32_t Desktop::ChangeDisplaySettings(const DevMode* mode, uint32_t flags) {
    DevMode target = registry_;
    if (mode) {
        const int32_t test = TestMode(*mode);
        if ((flags & CDS_TEST) || test != DISP_CHANGE_SUCCESSFUL) return test;
        target = *mode;
        if (!(target.fields & DM_BITSPERPEL)) target.bitsPerPel = current_.bitsPerPel;
        if (!(target.fields & DM_PELSWIDTH)) target.pelsWidth = current_.pelsWidth;
        if (!(target.fields & DM_PELSHEIGHT)) target.pelsHeight = current_.pelsHeight;
        if (!(target.fields & DM_DISPLAYFREQUENCY) || target.displayFrequency <= 1)
            target.displayFrequency = current_.displayFrequency;
        target.fields = registry_.fields;
    } else if (flags & CDS_TEST) {
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (target == current_) return DISP_CHANGE_SUCCESSFUL;
    current_ = target;
    OnModeChanged();
    const intptr_t size = intptr_t((current_.pelsHeight << 16) | (current_.pelsWidth & 0xFFFF));
    for (WindowId id : TopLevelWindows())
        if (Window* w = Find(id)) w->Send(WM_DISPLAYCHANGE, current_.bitsPerPel, size);
    return DISP_CHANGE_SUCCESSFUL;
}

} // namespace plat
