#include "platform/Window.h"

#include <algorithm>
#include <cstring>

#include "platform/Desktop.h"

namespace plat {

namespace {

/// lParam of WM_SIZE: the client height in the high word, the width in the low word.
intptr_t SizeLParam(const WinRect& client) {
    return intptr_t((uint32_t(client.Height()) << 16) | (uint32_t(client.Width()) & 0xFFFF));
}

} // namespace

Window::Window(Desktop& desktop, WindowId id, const WindowParams& params)
    : desktop_(desktop), id_(id), className_(params.className), title_(params.title),
      style_(params.style & ~WS_VISIBLE), exStyle_(params.exStyle), parent_(params.parent), rect_(params.rect),
      dc_(Dc::Kind::Window, id) {
    if (rect_.right < rect_.left) rect_.right = rect_.left;
    if (rect_.bottom < rect_.top) rect_.bottom = rect_.top;
    ResizeImage();
}

Window::~Window() = default;

void Window::SetTitle(std::string_view title) {
    title_ = std::string(title);
    OnTitleChanged();
}

bool Window::Show(int command) {
    const bool wasVisible = visible_;
    const bool wasMinimized = minimized_;
    bool activate = false;
    bool deactivate = false;
    switch (command) {
    case SW_HIDE:
        visible_ = false;
        deactivate = true;
        break;
    case SW_SHOWNORMAL:
    case SW_SHOWMAXIMIZED:
    case SW_RESTORE:
        visible_ = true;
        minimized_ = false;
        activate = true;
        break;
    case SW_SHOWNOACTIVATE:
        visible_ = true;
        minimized_ = false;
        break;
    case SW_SHOW:
        visible_ = true;
        activate = true;
        break;
    case SW_SHOWNA:
        visible_ = true;
        break;
    case SW_SHOWMINIMIZED:
        visible_ = true;
        minimized_ = true;
        activate = true;
        break;
    case SW_MINIMIZE:
        visible_ = true;
        minimized_ = true;
        deactivate = true;
        break;
    case SW_SHOWMINNOACTIVE:
        visible_ = true;
        minimized_ = true;
        break;
    default:
        return wasVisible;
    }
    if (visible_ != wasVisible) Send(WM_SHOWWINDOW, visible_ ? 1 : 0, 0);
    if (minimized_ != wasMinimized)
        Send(WM_SIZE, minimized_ ? SIZE_MINIMIZED : SIZE_RESTORED, SizeLParam(ClientRect()));
    if (visible_ && !minimized_ && (!wasVisible || wasMinimized)) Invalidate(nullptr);
    OnShowChanged();
    desktop_.OnWindowChanged(*this);
    if (deactivate && !IsChild() && desktop_.Active() == id_) desktop_.Deactivate();
    if (activate && !IsChild()) desktop_.SetActive(id_);
    return wasVisible;
}

int Window::PlacementShowState() const {
    if (!visible_) return SW_HIDE;
    return minimized_ ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
}

bool Window::SetPos(WindowId insertAfter, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
    const WinRect before = rect_;
    if (!(flags & SWP_NOMOVE)) {
        const int32_t w = rect_.Width();
        const int32_t h = rect_.Height();
        rect_ = WinRect{x, y, x + w, y + h};
    }
    if (!(flags & SWP_NOSIZE)) {
        rect_.right = rect_.left + std::max<int32_t>(width, 0);
        rect_.bottom = rect_.top + std::max<int32_t>(height, 0);
    }
    if (!(flags & SWP_NOZORDER) && !IsChild()) {
        if (insertAfter == HWND_TOPMOST) topmost_ = true;
        else if (insertAfter == HWND_NOTOPMOST) topmost_ = false;
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST || insertAfter == HWND_TOP)
            desktop_.BringToFront(id_);
    }
    if (rect_.Width() != before.Width() || rect_.Height() != before.Height()) {
        ResizeImage();
        Send(WM_SIZE, SIZE_RESTORED, SizeLParam(ClientRect()));
        Invalidate(nullptr);
    }
    if (rect_.left != before.left || rect_.top != before.top) Send(WM_MOVE, 0, 0);
    OnPlaceChanged();
    desktop_.OnWindowChanged(*this);
    if (flags & SWP_SHOWWINDOW) Show((flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) Show(SW_HIDE);
    return true;
}

WinRect Window::Rect() const {
    WinRect r = rect_;
    if (IsChild()) {
        if (const Window* parent = desktop_.Find(parent_)) {
            const WinPoint origin = parent->ClientToScreen(WinPoint{0, 0});
            r.left += origin.x;
            r.right += origin.x;
            r.top += origin.y;
            r.bottom += origin.y;
        }
    }
    return r;
}

WinRect Window::ClientRect() const {
    const WinRect frame = desktop_.Frame(style_, exStyle_);
    const int32_t w = std::max<int32_t>(rect_.Width() - frame.left - frame.right, 0);
    const int32_t h = std::max<int32_t>(rect_.Height() - frame.top - frame.bottom, 0);
    return WinRect{0, 0, w, h};
}

WinPoint Window::ClientToScreen(WinPoint client) const {
    const WinRect frame = desktop_.Frame(style_, exStyle_);
    const WinRect r = Rect();
    return WinPoint{client.x + r.left + frame.left, client.y + r.top + frame.top};
}

WinPoint Window::ScreenToClient(WinPoint screen) const {
    const WinPoint origin = ClientToScreen(WinPoint{0, 0});
    return WinPoint{screen.x - origin.x, screen.y - origin.y};
}

void Window::Invalidate(const WinRect* rect) {
    const WinRect client = ClientRect();
    WinRect r = rect ? *rect : client;
    r.left = std::max(r.left, client.left);
    r.top = std::max(r.top, client.top);
    r.right = std::min(r.right, client.right);
    r.bottom = std::min(r.bottom, client.bottom);
    if (r.IsEmpty()) return;
    if (update_.IsEmpty()) {
        update_ = r;
        return;
    }
    update_.left = std::min(update_.left, r.left);
    update_.top = std::min(update_.top, r.top);
    update_.right = std::max(update_.right, r.right);
    update_.bottom = std::max(update_.bottom, r.bottom);
}

bool Window::GetUpdateRect(WinRect& out) const {
    out = update_;
    return !update_.IsEmpty();
}

intptr_t Window::Send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (destroyed_) return 0;
    return desktop_.Send(*this, msg, wParam, lParam);
}

void Window::Realize(const std::vector<PaletteEntry>& entries) {
    realized_ = entries;
    ++realizations_;
}

void Window::ResizeImage() {
    ConvertWaitingCopies();
    const WinRect client = ClientRect();
    image_.Resize(client.Width(), client.Height());
}

void Window::Blit(const PixelSource& source, int32_t srcX, int32_t srcY, int32_t width, int32_t height, int32_t x,
                  int32_t y) {
    // Clip against the source, then against the client area, moving both corners together.
    int64_t sx = srcX, sy = srcY, dx = x, dy = y, w = width, h = height;
    auto clip = [&](int64_t& a, int64_t& b, int64_t& n, int64_t limitA, int64_t limitB) {
        if (a < 0) { b -= a; n += a; a = 0; }
        if (b < 0) { a -= b; n += b; b = 0; }
        if (a + n > limitA) n = limitA - a;
        if (b + n > limitB) n = limitB - b;
    };
    clip(sx, dx, w, source.width, image_.width);
    clip(sy, dy, h, source.height, image_.height);
    if (w <= 0 || h <= 0 || !source.top) return;
    const WinRect to{int32_t(dx), int32_t(dy), int32_t(dx + w), int32_t(dy + h)};
    const bool knownFormat = source.bits == 8 || source.bits == 16 || source.bits == 24 || source.bits == 32;
    if (DefersConversion() && knownFormat) {
        DeferCopy(source, int32_t(sx), int32_t(sy), to);
    } else {
        ConvertWaitingCopies();
        for (int64_t row = 0; row < h; ++row)
            ConvertRow(source, int32_t(sx), int32_t(sy + row), int32_t(w), image_.Row(int32_t(dy + row)) + dx);
    }
    ++blits_;
    OnImageChanged(to);
}

void Window::DeferCopy(const PixelSource& source, int32_t srcX, int32_t srcY, const WinRect& to) {
    // A copy over the whole picture leaves nothing of the ones before it to see.
    if (to.left == 0 && to.top == 0 && to.right == image_.width && to.bottom == image_.height) DropWaitingCopies();
    const int32_t bytesPerPixel = source.bits / 8;
    WaitingCopy copy{to, source.bits, source.is565, {}, to.Width() * bytesPerPixel, {}};
    if (source.bits == 8 && source.palette) copy.palette.assign(source.palette, source.palette + 256);
    copy.bytes = std::move(spareBytes_);
    spareBytes_.clear();
    copy.bytes.resize(size_t(copy.pitch) * size_t(to.Height()));
    for (int32_t row = 0; row < to.Height(); ++row) {
        const uint8_t* from = source.top + int64_t(source.pitch) * (srcY + row) + int64_t(srcX) * bytesPerPixel;
        std::memcpy(copy.bytes.data() + size_t(copy.pitch) * size_t(row), from, size_t(copy.pitch));
    }
    waitingBytes_ += copy.bytes.size();
    waiting_.push_back(std::move(copy));
    // Copies of small parts that nothing covers are converted now and then rather than kept.
    constexpr size_t kMostWaitingBytes = size_t{16} << 20;
    if (waitingBytes_ > kMostWaitingBytes) ConvertWaitingCopies();
}

void Window::ConvertWaitingCopies() const {
    for (const WaitingCopy& copy : waiting_) {
        const PixelSource source{copy.bytes.data(), copy.pitch, copy.to.Width(), copy.to.Height(), copy.bits,
                                 copy.is565, copy.palette.empty() ? nullptr : copy.palette.data()};
        for (int32_t row = 0; row < copy.to.Height(); ++row)
            ConvertRow(source, 0, row, copy.to.Width(), image_.Row(copy.to.top + row) + copy.to.left);
    }
    DropWaitingCopies();
}

void Window::DropWaitingCopies() const {
    if (!waiting_.empty()) spareBytes_ = std::move(waiting_.back().bytes);
    waiting_.clear();
    waitingBytes_ = 0;
}

void Window::StretchBlit(const PixelSource& source, const WinRect& srcRect, const WinRect& dstRect) {
    const int32_t dw = dstRect.Width();
    const int32_t dh = dstRect.Height();
    const int32_t sw = srcRect.Width();
    const int32_t sh = srcRect.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !source.top) return;
    ConvertWaitingCopies();
    // The columns of the source rectangle that the source has.
    const int32_t first = std::max(srcRect.left, 0);
    const int32_t last = std::min(srcRect.right, source.width);
    if (first >= last) return;
    std::vector<Argb> line(static_cast<size_t>(sw));
    WinRect changed{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t j = 0; j < dh; ++j) {
        const int32_t ty = dstRect.top + j;
        if (ty < 0 || ty >= image_.height) continue;
        const int32_t syRow = srcRect.top + int32_t(int64_t(j) * sh / dh);
        if (syRow < 0 || syRow >= source.height) continue;
        ConvertRow(source, first, syRow, last - first, line.data());
        Argb* out = image_.Row(ty);
        for (int32_t i = 0; i < dw; ++i) {
            const int32_t tx = dstRect.left + i;
            if (tx < 0 || tx >= image_.width) continue;
            const int32_t sxCol = srcRect.left + int32_t(int64_t(i) * sw / dw);
            if (sxCol < first || sxCol >= last) continue;
            out[tx] = line[size_t(sxCol - first)];
            changed.left = std::min(changed.left, tx);
            changed.right = std::max(changed.right, tx + 1);
            changed.top = std::min(changed.top, ty);
            changed.bottom = std::max(changed.bottom, ty + 1);
        }
    }
    if (changed.IsEmpty()) return;
    ++blits_;
    OnImageChanged(changed);
}

} // namespace plat
