#pragma once
#include <cstdint>
#include <vector>

#include "platform/Desktop.h"
#include "platform/DirectDraw.h"

// The display module: loads the full-screen display interface once, keeps its one display
// object, reports the hardware's capabilities to the trace, sets the cooperative level, lists,
// checks and chooses display modes, and switches the mode and back. Beside it a mode list of
// the desktop checks, without the display interface, that the desktop can take the stage's
// mode. Engine thread only.

/// A chosen display mode: size, depth and its pixel format code (8 bits 0; 16 bits 2 when the
/// green mask is 0x7E0, else 1; 24 bits 3; otherwise -1).
struct DirectXMode {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
    int16_t pixelFormat = 0;
};

/// The pixel format code of a depth and green mask: 8 bits 0, 16 bits 2 when the green mask
/// is 0x7E0 and 1 otherwise, 24 bits 3, any other depth `otherwise`.
int16_t DirectX_PixelFormatCode(uint32_t bits, uint32_t greenMask, int16_t otherwise);

/// Loads the display interface once; answers the available flag.
bool DirectX_Init();
/// Releases the display object and frees the library; only the first call after a load acts.
void DirectX_Shutdown();
bool DirectX_IsAvailable();
void DirectX_SetAvailable(bool available);
void DirectX_SetWindow(plat::WindowId window);
plat::WindowId DirectX_GetWindow();
plat::dd::DirectDraw* DirectX_GetDirectDraw();
/// Traces the hardware's and the emulation's capabilities.
void DirectX_ReportCaps();
/// 0 normal, 1 exclusive full screen; acts only with FULLSCREEN set and the interface loaded
/// (else answers 0).
plat::dd::Result DirectX_SetCooperativeLevel(int32_t level);
/// Switches the display mode (only with FULLSCREEN set and the interface loaded) and then
/// puts the window topmost at the origin with the mode's size.
plat::dd::Result DirectX_SetDisplayMode(int32_t width, int32_t height, int32_t bits, int32_t refresh);
plat::dd::Result DirectX_RestoreDisplayMode();
/// True when the display offers the mode (always true with FULLSCREEN off).
bool DirectX_CheckVideoMode(int32_t width, int32_t height, int32_t bits);
/// Refills the mode table (at most 100 modes); false when listing failed.
bool DirectX_EnumModes(plat::dd::DirectDraw* directDraw);
/// Chooses a mode for the size and depth: the first of equal depth, else the last of equal
/// size with a depth at least the one asked; writes the chosen values back. Null when none.
const DirectXMode* DirectX_FindMode(int32_t* width, int32_t* height, int32_t* bits);

/// Lists the desktop's modes (width 400 or more, 60 Hz or more or the default rate, at most
/// 102, a default-rate mode not repeated) and finds the current one; false when none.
bool GDI_EnumDisplayModes();
/// Tests each listed mode of the size and depth (and rate, unless it is 0xFFFF): true for the
/// first the desktop could take; a mode that needs a restart counts only on the 9x family.
bool GDI_ChangeDisplayMode(int32_t width, int32_t height, int32_t bits, int32_t refresh);
/// Lists, then tests.
bool GDI_SetDisplayMode(int32_t width, int32_t height, int32_t bits, int32_t refresh);

/// Where the display module sets the platform layer's wait-to-restore-desktop flag (the
/// start-up installs the message translators' setter); nothing happens while none is set.
using DirectXFlagSetter = void (*)(uint32_t value);
void DirectX_SetWaitToRestoreSetter(DirectXFlagSetter setter);

/// The module's state; its end releases the display object.
struct CDirectXContext {
    static constexpr size_t kMaxModes = 100;
    static constexpr size_t kMaxGdiModes = 102;

    CDirectXContext() = default;
    CDirectXContext(const CDirectXContext&) = delete;
    CDirectXContext& operator=(const CDirectXContext&) = delete;
    ~CDirectXContext();

    bool libraryLoaded = false;
    bool available = false;
    bool initialised = false;
    bool shutDown = false;
    plat::dd::DirectDraw* directDraw = nullptr; ///< the second interface of the display object
    plat::WindowId window = 0;
    std::vector<plat::dd::SurfaceDesc> modes;
    DirectXMode chosen;
    // The pending mode check.
    int32_t checkWidth = 0;
    int32_t checkHeight = 0;
    int32_t checkBits = 0;
    bool checkFound = false;
    int32_t checkCount = 0;
    // The desktop's mode list.
    std::vector<plat::DevMode> gdiModes;
    int32_t gdiLast = -1;
    int32_t gdiCurrent = -1;
    DirectXFlagSetter waitToRestore = nullptr;
};

CDirectXContext& xDirectX_Context();
