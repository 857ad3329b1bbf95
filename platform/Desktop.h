#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/Window.h"

namespace plat {

/// A display mode as the mode list and the mode switch see it.
struct DevMode {
    uint32_t fields = 0;
    uint32_t bitsPerPel = 0;
    uint32_t pelsWidth = 0;
    uint32_t pelsHeight = 0;
    uint32_t displayFrequency = 0;
    friend bool operator==(const DevMode&, const DevMode&) = default;
};

inline constexpr uint32_t DM_BITSPERPEL = 0x00040000;
inline constexpr uint32_t DM_PELSWIDTH = 0x00080000;
inline constexpr uint32_t DM_PELSHEIGHT = 0x00100000;
inline constexpr uint32_t DM_DISPLAYFREQUENCY = 0x00400000;
inline constexpr uint32_t ENUM_CURRENT_SETTINGS = 0xFFFFFFFFu;
inline constexpr uint32_t ENUM_REGISTRY_SETTINGS = 0xFFFFFFFEu;
inline constexpr uint32_t CDS_TEST = 0x00000002;
inline constexpr uint32_t CDS_FULLSCREEN = 0x00000004;
inline constexpr int32_t DISP_CHANGE_SUCCESSFUL = 0;
inline constexpr int32_t DISP_CHANGE_RESTART = 1;
inline constexpr int32_t DISP_CHANGE_FAILED = -1;
inline constexpr int32_t DISP_CHANGE_BADMODE = -2;

/// A mode with every field set.
DevMode MakeDevMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t frequency);
/// Whether a requested mode names a listed one: the fields the request sets must be equal,
/// the frequency only when the request gives one above 1.
bool ModeMatches(const DevMode& request, const DevMode& listed);

/// The screen and its windows: creation and destruction, z-order, activation and focus, the
/// default window procedure, the desktop rectangle and depth, and the display modes (list,
/// test, switch and back). A switched mode is what the desktop then reports; the backend
/// decides how it is shown.
class Desktop {
public:
    virtual ~Desktop();

    /// A new window, or 0 when it cannot be made.
    WindowId CreateWindow(const WindowParams& params);
    /// Sends WM_DESTROY and WM_NCDESTROY, destroys its child windows first; false for an
    /// unknown window.
    bool DestroyWindow(WindowId window);
    Window* Find(WindowId window) const;
    /// The first top-level window of the class and title (an empty text matches any).
    WindowId FindWindow(std::string_view className, std::string_view title) const;
    /// The top-level windows, front to back (topmost ones first).
    std::vector<WindowId> TopLevelWindows() const;
    /// The child windows of a window, in creation order.
    std::vector<WindowId> Children(WindowId parent) const;

    WindowId Active() const { return active_; }
    WindowId Focus() const { return focus_; }
    /// Activates a top-level window (the parent of a child): the old active window gets
    /// WM_NCACTIVATE 0, WM_ACTIVATE 0 and WM_KILLFOCUS, the new one WM_NCACTIVATE 1,
    /// WM_ACTIVATE 1 and WM_SETFOCUS. False for an unknown window.
    bool SetActive(WindowId window);
    /// Gives the keyboard focus to a window (activating its top-level window); answers the
    /// window that had it.
    WindowId SetFocus(WindowId window);
    /// The user switched to another program: the active window is deactivated and loses focus.
    void Deactivate();
    /// What a window procedure does with a message it leaves alone.
    intptr_t DefWindowProc(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
    /// The window rectangle that gives a window of these styles the client rectangle.
    WinRect AdjustWindowRect(const WinRect& client, uint32_t style, uint32_t exStyle) const;
    /// The frame around the client area of a window of these styles (left, top, right and
    /// bottom thickness).
    virtual WinRect Frame(uint32_t style, uint32_t exStyle) const = 0;
    /// A visible window with a non-empty update region (the next to get WM_PAINT); 0 if none.
    WindowId NextWindowToPaint() const;

    /// The desktop window's rectangle: (0, 0, width, height) of the current mode.
    WinRect Rect() const;
    /// Bits per pixel of the current mode.
    int BitsPerPixel() const { return int(current_.bitsPerPel); }
    /// Mode `index` of the list, or ENUM_CURRENT_SETTINGS / ENUM_REGISTRY_SETTINGS; false past
    /// the end of the list.
    bool EnumDisplaySettings(uint32_t index, DevMode& out) const;
    /// With CDS_TEST only answers whether the mode could be set. Otherwise switches to the
    /// mode (null: back to the registry mode) and tells every top-level window with
    /// WM_DISPLAYCHANGE. DISP_CHANGE_* results.
    int32_t ChangeDisplaySettings(const DevMode* mode, uint32_t flags);
    const DevMode& CurrentMode() const { return current_; }
    const DevMode& RegistryMode() const { return registry_; }
    /// Whether a mode other than the registry one is in force.
    bool IsModeSwitched() const { return !(current_ == registry_); }

    /// Messages being sent right now (a window is only freed when none is).
    int SendDepth() const { return sendDepth_; }

protected:
    explicit Desktop(const DevMode& registry);
    /// The window object of the backend.
    virtual std::unique_ptr<Window> MakeWindow(WindowId id, const WindowParams& params) = 0;
    /// The backend's mode list.
    virtual const std::vector<DevMode>& Modes() const = 0;
    /// DISP_CHANGE_* for setting the mode: successful for a mode the list has, else a bad mode.
    virtual int32_t TestMode(const DevMode& mode) const;
    /// After the current mode changed.
    virtual void OnModeChanged() {}
    /// After a window's show state, place or z-order changed.
    virtual void OnWindowChanged(Window& /*window*/) {}
    /// Frees every window without messages (a backend's destructor, before its own state).
    void ReleaseWindows();

    DevMode current_;
    DevMode registry_;

private:
    friend class Window;
    WindowId TopLevelOf(WindowId window) const;
    void BringToFront(WindowId window);
    /// The activation messages of a change of the active top-level window from `old` to `top`
    /// (either 0 for none).
    void SendActivation(WindowId old, WindowId top);
    void Forget(WindowId window);
    void CollectGarbage();
    intptr_t Send(Window& window, uint32_t msg, uintptr_t wParam, intptr_t lParam);

    std::map<WindowId, std::unique_ptr<Window>> windows_;
    std::vector<std::unique_ptr<Window>> destroyed_;
    std::vector<WindowId> order_; ///< top-level windows, front to back
    WindowId nextId_ = 0x100;
    WindowId active_ = 0;
    WindowId focus_ = 0;
    int sendDepth_ = 0;
};

} // namespace plat
