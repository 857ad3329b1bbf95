#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Gdi.h"
#include "platform/Messages.h"
#include "platform/PixelConvert.h"

namespace plat {

class Desktop;

/// A rectangle in pixels; right and bottom are exclusive.
struct WinRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const WinRect&, const WinRect&) = default;
};

// Show commands (ShowWindow) and the show states of a window's placement.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

// Window styles.
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_BORDER = 0x00800000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;

// Z-order places and flags of SetPos.
inline constexpr WindowId HWND_TOP = 0;
inline constexpr WindowId HWND_TOPMOST = 0xFFFFFFFFu;
inline constexpr WindowId HWND_NOTOPMOST = 0xFFFFFFFEu;
inline constexpr uint32_t SWP_NOSIZE = 0x0001;
inline constexpr uint32_t SWP_NOMOVE = 0x0002;
inline constexpr uint32_t SWP_NOZORDER = 0x0004;
inline constexpr uint32_t SWP_NOACTIVATE = 0x0010;
inline constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
inline constexpr uint32_t SWP_HIDEWINDOW = 0x0080;

// Messages a window sends to its procedure as its state changes.
inline constexpr uint32_t WM_CREATE = 0x0001;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_MOVE = 0x0003;
inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_SETFOCUS = 0x0007;
inline constexpr uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr uint32_t WM_CANCELMODE = 0x001F;
inline constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
inline constexpr uint32_t WM_NCCREATE = 0x0081;
inline constexpr uint32_t WM_NCDESTROY = 0x0082;
inline constexpr uint32_t WM_NCACTIVATE = 0x0086;
inline constexpr uint32_t SC_MINIMIZE = 0xF020;
inline constexpr uint32_t SC_CLOSE = 0xF060;
inline constexpr uint32_t SC_RESTORE = 0xF120;
inline constexpr uintptr_t SIZE_RESTORED = 0;
inline constexpr uintptr_t SIZE_MINIMIZED = 1;
inline constexpr uintptr_t WA_INACTIVE = 0;
inline constexpr uintptr_t WA_ACTIVE = 1;

/// Receives the messages a window sends to its procedure; answers the procedure's result.
using MessageSink = std::function<intptr_t(const WinMsg&)>;

/// What a window is made from.
struct WindowParams {
    std::string className;
    std::string title;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    /// The window rectangle: screen coordinates, or the parent's client coordinates for a
    /// child window.
    WinRect rect;
    /// The parent of a child window (WS_CHILD), else the owner; 0 for none.
    WindowId parent = 0;
    /// When set, the window's procedure from the start: it gets WM_NCCREATE (0 fails the
    /// creation) and WM_CREATE (-1 fails it).
    MessageSink sink;
};

/// A window: its show state, place, title, procedure, update region, its own device context
/// and the picture it presents (what the user sees in its client area). Backends react to the
/// changes through the protected hooks.
class Window {
public:
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowId Id() const { return id_; }
    const std::string& ClassName() const { return className_; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string_view title);
    uint32_t Style() const { return style_; }
    uint32_t ExStyle() const { return exStyle_; }
    WindowId Parent() const { return parent_; }
    bool IsChild() const { return (style_ & WS_CHILD) != 0; }
    uintptr_t UserData() const { return userData_; }
    void SetUserData(uintptr_t data) { userData_ = data; }

    /// ShowWindow: answers whether the window was visible before.
    bool Show(int command);
    bool IsVisible() const { return visible_; }
    bool IsMinimized() const { return minimized_; }
    /// The show state of the placement: 0 hidden, 2 minimised, 1 otherwise.
    int PlacementShowState() const;

    /// SetWindowPos: z-order place (HWND_TOP, HWND_TOPMOST, HWND_NOTOPMOST or a window to go
    /// behind), position and size of the window rectangle, SWP_* flags.
    bool SetPos(WindowId insertAfter, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
    bool IsTopmost() const { return topmost_; }
    /// The window rectangle in screen coordinates.
    WinRect Rect() const;
    /// The client area: (0, 0, width, height).
    WinRect ClientRect() const;
    WinPoint ClientToScreen(WinPoint client) const;
    WinPoint ScreenToClient(WinPoint screen) const;

    /// Adds a client rectangle (null: the whole client area) to the update region.
    void Invalidate(const WinRect* rect);
    /// The bounds of the update region; false when there is none.
    bool GetUpdateRect(WinRect& out) const;
    void Validate() { update_ = WinRect{}; }

    /// Replaces the procedure (null restores the default route through plat::messages()).
    void SetMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    /// Sends a message to the procedure and answers its result.
    intptr_t Send(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    /// The messages sent so far (the latest kSentKept), oldest first.
    static constexpr size_t kSentKept = 256;
    const std::vector<WinMsg>& Sent() const { return sent_; }
    void ClearSent() { sent_.clear(); }

    /// The window's own device context.
    Dc& OwnDc() { return dc_; }
    /// The palette last realised in the window's context, and how often that happened.
    const std::vector<PaletteEntry>& RealizedPalette() const { return realized_; }
    int Realizations() const { return realizations_; }
    void Realize(const std::vector<PaletteEntry>& entries);

    /// The picture shown in the client area (client size), as of this call.
    const Image& Presented() const {
        ConvertWaitingCopies();
        return image_;
    }
    /// Copies a rectangle of pixels to a client point, clipped to both.
    void Blit(const PixelSource& source, int32_t srcX, int32_t srcY, int32_t width, int32_t height, int32_t x,
              int32_t y);
    /// Scales a source rectangle into a client rectangle (nearest pixel), clipped to the client.
    void StretchBlit(const PixelSource& source, const WinRect& srcRect, const WinRect& dstRect);
    /// Ends a batch of copies: the backend shows what changed.
    void Flush() { OnFlush(); }
    int Blits() const { return blits_; }

protected:
    Window(Desktop& desktop, WindowId id, const WindowParams& params);
    /// The changed client rectangle of the presented picture.
    virtual void OnImageChanged(const WinRect& /*rect*/) {}
    /// Whether a copy may wait, kept as the source's bytes, until the picture is looked at: a
    /// window that shows nothing (headless) converts only what is seen, where converting every
    /// copy of every frame took most of a scripted run. A backend that shows each copy says no.
    virtual bool DefersConversion() const { return true; }
    virtual void OnFlush() {}
    virtual void OnShowChanged() {}
    virtual void OnPlaceChanged() {}
    virtual void OnTitleChanged() {}

    Desktop& desktop_;
    /// Brought up to date with the waiting copies whenever it is looked at.
    mutable Image image_;

private:
    friend class Desktop;
    /// A copy that waits: its source's pixels (rows of `pitch` bytes), format and palette, and
    /// where they go.
    struct WaitingCopy {
        WinRect to;
        int bits = 0;
        bool is565 = false;
        std::vector<Argb> palette;
        int32_t pitch = 0;
        std::vector<uint8_t> bytes;
    };
    void ResizeImage();
    /// Keeps a clipped copy to convert when the picture is next looked at.
    void DeferCopy(const PixelSource& source, int32_t srcX, int32_t srcY, const WinRect& to);
    void ConvertWaitingCopies() const;
    /// Empties the waiting list, keeping the last copy's bytes for the next copy: a frame's copy
    /// is the whole picture, and fresh pages for it every frame cost more than the copy itself.
    void DropWaitingCopies() const;

    mutable std::vector<WaitingCopy> waiting_;
    mutable size_t waitingBytes_ = 0;
    mutable std::vector<uint8_t> spareBytes_;

    WindowId id_;
    std::string className_;
    std::string title_;
    uint32_t style_;
    uint32_t exStyle_;
    WindowId parent_;
    WinRect rect_;
    bool visible_ = false;
    bool minimized_ = false;
    bool topmost_ = false;
    bool destroyed_ = false;
    uintptr_t userData_ = 0;
    WinRect update_;
    MessageSink sink_;
    std::vector<WinMsg> sent_;
    Dc dc_;
    std::vector<PaletteEntry> realized_;
    int realizations_ = 0;
    int blits_ = 0;
};

} // namespace plat
