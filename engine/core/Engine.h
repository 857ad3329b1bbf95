#pragma once
#include <cstdint>

#include "engine/core/Rect.h"

class OWindow;

/// The engine object: one per run, made by Startup and deleted by Shutdown; it owns the main
/// window.
class OVQEngine {
public:
    /// Makes the engine object and seeds the random source with the tick count; false when it
    /// exists already or cannot be made.
    static bool Startup();
    static OVQEngine* Instance();
    /// Deletes the engine object with its main window.
    static void Shutdown();

    OWindow* GetMainWindow() const { return mainWindow_; }
    /// Hands over the main window (owned from now on) and makes it the platform's main window.
    void SetMainWindow(OWindow* window);
    /// (0, 0, stage width, stage height) of the main window; the rectangle is left alone when
    /// there is none.
    void GetStageRect(CRect16* rect) const;

private:
    OVQEngine() = default;
    ~OVQEngine();

    OWindow* stageWindow_ = nullptr;
    OWindow* mainWindow_ = nullptr;
};
