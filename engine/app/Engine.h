#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/Rect.h"
#include "engine/core/Window.h"

class CDrawSurface;

/// The engine object: one per run, made by Startup and deleted by Shutdown; it owns the main
/// window and, in stage mode, the black backdrop window behind it.
class OVQEngine {
public:
    /// Temporary buffers made at start: 8 of 64 bytes, 8 of 128, 8 of 256 and 4 of 1024.
    static constexpr int16_t kPreallocated[4][2] = {{8, 64}, {8, 128}, {8, 256}, {4, 1024}};

    /// Makes the engine object and seeds the random source with the tick count; false when it
    /// exists already or cannot be made.
    static bool Startup();
    static OVQEngine* Instance();
    /// The engine's shutdown (at the program's end): sound, system palette, the windows and the
    /// display module, the temporary buffers, the platform's part, then the object itself.
    /// Nothing but the sound without an engine object.
    static void Shutdown();

    /// Pools, temporary buffers, sound, window classes, the main window with its display
    /// surface, the system palette in 8-bit modes and the frame limit; false stops the program.
    bool Init(uintptr_t instance);
    /// Starts the sound engine (when SOUNDENABLED is set) and reports its failures; false only
    /// when a failure must end the program.
    bool InitSound(uintptr_t instance);

    OWindow* GetMainWindow() const { return mainWindow_.get(); }
    OWindow* GetStageWindow() const { return stageWindow_.get(); }
    /// Hands over the main window (the old one is deleted) and makes it the run loop's main
    /// window.
    void SetMainWindow(std::unique_ptr<OWindow> window);
    /// (0, 0, stage width, stage height) of the main window; the rectangle is left alone when
    /// there is none.
    void GetStageRect(CRect16* rect) const;
    /// The display depth in use once the main window exists.
    int16_t GetDepthInUse() const { return depthInUse_; }

private:
    friend struct std::default_delete<OVQEngine>; // the engine context's record holds it

    OVQEngine() = default;
    ~OVQEngine();

    /// The stage window (stage mode), the display surface and the main window; false after
    /// the error box when one of them cannot be made.
    bool CreateMainWindow();
    /// Deletes what CreateMainWindow made so far, and the display surface when no window took
    /// it over.
    void DeleteWindows(std::unique_ptr<CDrawSurface> surface);
    /// Deletes the main window after taking it off the run loop, so that its last messages
    /// reach no tree.
    void DeleteMainWindow();

    std::unique_ptr<OWindow> stageWindow_;
    std::unique_ptr<OWindow> mainWindow_;
    int16_t depthInUse_ = 0;
};

/// The display surface for the main window: DirectDraw's with DIRECTDRAW, the window system's
/// full-screen one with FULLSCREEN, else a windowed one (FULLSCREEN and DIRECTDRAW cleared); a
/// full-screen surface whose display is not available is replaced by a windowed one.
CDrawSurface* CreateDisplaySurface();
