#pragma once
#include <SDL.h>

#include <map>
#include <vector>

#include "platform/Desktop.h"

namespace plat {

class Sdl2Window;

/// The desktop of an SDL2 display. Each top-level window is an SDL window with a renderer
/// that shows its presented picture through a streaming texture; child windows draw into
/// their parent's picture. A switched display mode is shown as desktop full screen: a visible
/// window covering the switched desktop fills the screen with its picture scaled, and the
/// desktop reports the switched mode meanwhile. The mode list is SDL's plus 640 x 480 at 8, 16
/// and 32 bits.
class Sdl2Desktop final : public Desktop {
public:
    Sdl2Desktop();
    ~Sdl2Desktop() override;

    WinRect Frame(uint32_t, uint32_t) const override { return WinRect{}; }

    /// Turns SDL window events into window state and messages (focus and activation,
    /// minimise, restore, close, exposure) and render resets into lost display surfaces;
    /// false for events that are not about our windows.
    bool HandleEvent(const SDL_Event& event);
    /// The window behind an SDL window id; 0 when none.
    WindowId FromSdlWindow(uint32_t sdlWindowId) const;
    /// Reads back what the renderer of a top-level window shows (its output size); false when
    /// it cannot.
    bool ReadRendered(WindowId window, Image& out);

protected:
    std::unique_ptr<Window> MakeWindow(WindowId id, const WindowParams& params) override;
    const std::vector<DevMode>& Modes() const override { return modes_; }
    void OnModeChanged() override;
    void OnWindowChanged(Window& window) override;

private:
    friend class Sdl2Window;
    std::vector<DevMode> modes_;
    std::map<uint32_t, WindowId> bySdlId_;
};

} // namespace plat
