#include "engine/graphics/DirectX.h"

#include <cstdio>

#include "engine/base/Trace.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DDrawError.h"
#include "engine/graphics/GraphicsState.h"
#include "platform/Platform.h"

using namespace plat::dd;

namespace {

bool FullScreen() { return xProfiles_Values().fullScreen != 0; }
bool DirectDrawOn() { return xProfiles_Values().directDraw != 0; }
int32_t Verbose() { return xProfiles_Values().verbose; }

bool IsWindows9x() { return plat::system().Version().platformId == 1; }

bool Loaded() {
    const CDirectXContext& c = xDirectX_Context();
    return c.directDraw != nullptr;
}

// The first interface of the display object, for the calls made through it.
DirectDraw* FirstInterface() {
    DirectDraw* first = nullptr;
    if (DirectDraw* dd = xDirectX_Context().directDraw) {
        const Result r = dd->QueryInterface(Interface::DirectDraw, &first);
        if (Failed(r)) {
            VQT_DDRAW_REPORT(r, nullptr);
            return nullptr;
        }
    }
    return first;
}

void TraceCaps(const Caps& caps) {
    struct Line {
        bool alphaField;
        uint32_t bit;
        const char* text;
    };
    static const Line kLines[] = {
        {false, DDCAPS_NOHARDWARE, "DX_CAPS : no hardware support!\n"},
        {false, DDCAPS_BLT, "DX_CAPS : can do BLT\n"},
        {false, DDCAPS_GDI, "DX_CAPS : surface shared with GDI\n"},
        {false, DDCAPS_ALPHA, "DX_CAPS : alpha channel during BLT supported\n"},
        {false, DDCAPS_COLORKEY, "DX_CAPS : color keys supported\n"},
        {false, DDCAPS_PALETTE, "DX_CAPS : surface palettes supported\n"},
        {false, DDCAPS_PALETTEVSYNC, "DX_CAPS : palettes on vsync supported\n"},
        {false, DDCAPS_CANBLTSYSMEM, "DX_CAPS : to/from sys mem BLT supported\n"},
        {true, DDFXALPHACAPS_BLTALPHAEDGEBLEND, "DX_CAPS : edge blending supported\n"},
        {true, DDFXALPHACAPS_BLTALPHAPIXELS, "DX_CAPS : alpha in pixel format supported\n"},
        {true, DDFXALPHACAPS_BLTALPHAPIXELSNEG, "DX_CAPS : inverted alpha in pixel format supported\n"},
        {true, DDFXALPHACAPS_BLTALPHASURFACES, "DX_CAPS : alpha surfaces supported\n"},
        {true, DDFXALPHACAPS_BLTALPHASURFACESNEG, "DX_CAPS : inverted alpha surfaces supported\n"},
    };
    for (const Line& line : kLines)
        if (((line.alphaField ? caps.fxAlphaCaps : caps.caps) & line.bit) != 0) xTrace(line.text);
}

Result CheckModeCallback(const SurfaceDesc* desc, void*) {
    CDirectXContext& c = xDirectX_Context();
    ++c.checkCount;
    if (Verbose() > 1) {
        xTrace("Mode:\n");
        xTracef("Width     : %ld\n", long(desc->width));
        xTracef("Height    : %ld\n", long(desc->height));
        xTracef("Bit depth : %ld\n", long(desc->pixelFormat.rgbBitCount));
        if ((desc->flags & DDSD_REFRESHRATE) && desc->refreshRate != 0)
            xTracef("Refresh rate : %ld\n", long(desc->refreshRate));
        xTrace("\n");
    }
    if (int32_t(desc->width) == c.checkWidth && int32_t(desc->height) == c.checkHeight &&
        int32_t(desc->pixelFormat.rgbBitCount) == c.checkBits)
        c.checkFound = true;
    return DDENUMRET_OK;
}

Result AppendModeCallback(const SurfaceDesc* desc, void*) {
    CDirectXContext& c = xDirectX_Context();
    if (c.modes.size() < CDirectXContext::kMaxModes) c.modes.push_back(*desc);
    return DDENUMRET_OK;
}

bool QualifiesForGdiList(const plat::DevMode& m) {
    const uint32_t needed = plat::DM_BITSPERPEL | plat::DM_PELSWIDTH | plat::DM_PELSHEIGHT;
    if ((m.fields & needed) != needed || m.pelsWidth < 400) return false;
    return m.displayFrequency >= 60 || m.displayFrequency == 0 || m.displayFrequency == 1;
}

} // namespace

CDirectXContext& xDirectX_Context() { return xGraphics_State().directX; }

CDirectXContext::~CDirectXContext() {
    if (directDraw) directDraw->Release();
}

int16_t DirectX_PixelFormatCode(uint32_t bits, uint32_t greenMask, int16_t otherwise) {
    switch (bits) {
    case 8: return 0;
    case 16: return greenMask == 0x7E0 ? 2 : 1;
    case 24: return 3;
    default: return otherwise;
    }
}

void DirectX_SetWaitToRestoreSetter(DirectXFlagSetter setter) { xDirectX_Context().waitToRestore = setter; }

bool DirectX_Init() {
    CDirectXContext& c = xDirectX_Context();
    if (c.initialised) return c.available;
    char text[64];
    std::snprintf(text, sizeof text, "DDraw version compiled to : $%08X\n", 0x300u);
    xTrace(text, DDrawFileName(__FILE__), __LINE__);
    if (!plat::ddraw().Load()) {
        VQT_DDRAW_REPORT(1, nullptr);
        DirectX_Shutdown();
        return false;
    }
    c.libraryLoaded = true;
    Result failure = DD_OK;
    DirectDraw* first = nullptr;
    const Result created = plat::ddraw().Create(&first);
    if (Failed(created)) {
        xTrace("DirectDrawCreate failed\n");
        VQT_DDRAW_REPORT(created, nullptr);
        failure = created;
    } else {
        const Result queried = first->QueryInterface(Interface::DirectDraw2, &c.directDraw);
        // Only the second interface is kept; the first reference goes either way.
        first->Release();
        if (Failed(queried)) {
            xTrace("unable to get IDirectDraw2 interface\n");
            VQT_DDRAW_REPORT(queried, nullptr);
            c.directDraw = nullptr;
            failure = queried;
        }
    }
    if (Failed(failure)) {
        VQT_DDRAW_REPORT(failure, nullptr);
        DirectX_Shutdown();
        return false;
    }
    c.available = true;
    c.initialised = true;
    c.shutDown = false; // a later shutdown releases this load
    return true;
}

void DirectX_Shutdown() {
    CDirectXContext& c = xDirectX_Context();
    if (c.shutDown) return;
    if (c.directDraw) {
        c.directDraw->Release();
        c.directDraw = nullptr;
    }
    if (c.libraryLoaded) plat::ddraw().Free();
    c.libraryLoaded = false;
    c.shutDown = true;
    c.initialised = false;
    c.available = false;
}

bool DirectX_IsAvailable() { return xDirectX_Context().available; }
void DirectX_SetAvailable(bool available) { xDirectX_Context().available = available; }
void DirectX_SetWindow(plat::WindowId window) { xDirectX_Context().window = window; }
plat::WindowId DirectX_GetWindow() { return xDirectX_Context().window; }
DirectDraw* DirectX_GetDirectDraw() { return xDirectX_Context().directDraw; }

void DirectX_ReportCaps() {
    DirectDraw* dd = xDirectX_Context().directDraw;
    if (!dd) return;
    Caps hardware, emulation;
    hardware.size = sizeof(Caps);
    emulation.size = sizeof(Caps);
    const Result r = dd->GetCaps(&hardware, &emulation);
    if (Failed(r)) {
        VQT_DDRAW_REPORT(r, nullptr);
        return;
    }
    xTracef("DX_CAPS: video memory = %ld (free: %ld)\n", long(hardware.videoMemoryTotal),
            long(hardware.videoMemoryFree));
    xTrace("*** DX hardware capabilities\n");
    TraceCaps(hardware);
    xTrace("*** DX emulation capabilities\n");
    TraceCaps(emulation);
}

Result DirectX_SetCooperativeLevel(int32_t level) {
    if (!FullScreen() || !Loaded()) return DD_OK;
    uint32_t flags = 0;
    if (level == 0) flags = DDSCL_NORMAL;
    else if (level == 1) flags = DDSCL_FULLSCREEN | DDSCL_NOWINDOWCHANGES | DDSCL_EXCLUSIVE;
    if (xProfiles_Values().ctrlAltDelEnabled) flags |= DDSCL_ALLOWREBOOT;
    DirectDraw* first = FirstInterface();
    if (!first) return E_FAIL;
    const Result r = first->SetCooperativeLevel(xDirectX_Context().window, flags);
    first->Release();
    if (Failed(r)) VQT_DDRAW_REPORT(r, nullptr);
    return r;
}

Result DirectX_SetDisplayMode(int32_t width, int32_t height, int32_t bits, int32_t refresh) {
    // Windowed, nothing is switched and the window keeps its place.
    if (!FullScreen() || !Loaded()) return DD_OK;
    CDirectXContext& c = xDirectX_Context();
    Result r = DD_OK;
    if (!DirectDrawOn()) {
        DirectX_SetCooperativeLevel(0);
        DirectDraw* first = FirstInterface();
        if (!first) return E_FAIL;
        r = first->SetDisplayMode(uint32_t(width), uint32_t(height), uint32_t(bits));
        if (Failed(r) && IsWindows9x()) {
            DirectX_SetCooperativeLevel(1);
            r = first->SetDisplayMode(uint32_t(width), uint32_t(height), uint32_t(bits));
            DirectX_SetCooperativeLevel(0);
        }
        first->Release();
    } else {
        DirectX_SetCooperativeLevel(1);
        r = c.directDraw->SetDisplayMode(uint32_t(width), uint32_t(height), uint32_t(bits), uint32_t(refresh), 0);
    }
    if (Failed(r)) VQT_DDRAW_REPORT(r, nullptr);
    if (plat::Window* w = plat::desktop().Find(c.window))
        w->SetPos(plat::HWND_TOPMOST, 0, 0, width, height, plat::SWP_SHOWWINDOW);
    return r;
}

Result DirectX_RestoreDisplayMode() {
    if (!FullScreen() || !Loaded()) return DD_OK;
    DirectDraw* first = FirstInterface();
    if (!first) return E_FAIL;
    const Result r = first->RestoreDisplayMode();
    first->Release();
    if (r == DD_OK) return DD_OK;
    if (r == E_NOTIMPL && plat::system().Version().platformId == 2) {
        if (DirectXFlagSetter set = xDirectX_Context().waitToRestore) set(1);
    }
    VQT_DDRAW_REPORT(r, nullptr);
    return r;
}

bool DirectX_CheckVideoMode(int32_t width, int32_t height, int32_t bits) {
    if (!FullScreen()) return true;
    CDirectXContext& c = xDirectX_Context();
    c.checkWidth = width;
    c.checkHeight = height;
    c.checkBits = bits;
    c.checkFound = false;
    c.checkCount = 0;
    if (c.directDraw) {
        const Result r = c.directDraw->EnumDisplayModes(0, nullptr, nullptr, CheckModeCallback);
        if (Failed(r)) VQT_DDRAW_REPORT(r, nullptr);
    }
    if (c.checkFound) return true;
    xTracef("*** Error : Required video mode not available : %ld, %ld", long(width), long(height));
    xTracef(" x %ldbit\n", long(bits));
    return false;
}

bool DirectX_EnumModes(DirectDraw* directDraw) {
    CDirectXContext& c = xDirectX_Context();
    c.modes.clear();
    if (!directDraw) return false;
    const Result r = directDraw->EnumDisplayModes(0, nullptr, nullptr, AppendModeCallback);
    if (Failed(r)) {
        VQT_DDRAW_REPORT(r, nullptr);
        return false;
    }
    return true;
}

const DirectXMode* DirectX_FindMode(int32_t* width, int32_t* height, int32_t* bits) {
    CDirectXContext& c = xDirectX_Context();
    DirectX_EnumModes(c.directDraw);
    const uint32_t needed = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    const SurfaceDesc* choice = nullptr;
    const SurfaceDesc* larger = nullptr;
    for (const SurfaceDesc& m : c.modes) {
        if ((m.flags & needed) != needed) continue;
        if (int32_t(m.width) != *width || int32_t(m.height) != *height) continue;
        if (int32_t(m.pixelFormat.rgbBitCount) == *bits) {
            choice = &m;
            break;
        }
        if (int32_t(m.pixelFormat.rgbBitCount) >= *bits) larger = &m;
    }
    if (!choice) choice = larger;
    c.chosen = DirectXMode{};
    if (!choice) return nullptr;
    c.chosen.width = int32_t(choice->width);
    c.chosen.height = int32_t(choice->height);
    c.chosen.bits = int32_t(choice->pixelFormat.rgbBitCount);
    c.chosen.pixelFormat = DirectX_PixelFormatCode(choice->pixelFormat.rgbBitCount, choice->pixelFormat.gBitMask, -1);
    *width = c.chosen.width;
    *height = c.chosen.height;
    *bits = c.chosen.bits;
    return &c.chosen;
}

bool GDI_EnumDisplayModes() {
    CDirectXContext& c = xDirectX_Context();
    plat::Desktop& desktop = plat::desktop();
    const plat::VersionInfo version = plat::system().Version();
    plat::DevMode current;
    const bool haveCurrent = version.platformId == 2 && desktop.EnumDisplaySettings(plat::ENUM_CURRENT_SETTINGS, current);
    size_t count = 0;
    plat::DevMode m;
    for (uint32_t i = 0; count < CDirectXContext::kMaxGdiModes && desktop.EnumDisplaySettings(i, m); ++i)
        if (QualifiesForGdiList(m)) ++count;
    c.gdiModes.clear();
    c.gdiLast = -1;
    c.gdiCurrent = -1;
    if (count == 0) return false;
    c.gdiModes.reserve(count);
    for (uint32_t i = 0; c.gdiModes.size() < count && desktop.EnumDisplaySettings(i, m); ++i) {
        if (!QualifiesForGdiList(m)) continue;
        if (m.displayFrequency <= 1) {
            bool listed = false;
            for (const plat::DevMode& have : c.gdiModes)
                listed = listed || (have.pelsWidth == m.pelsWidth && have.pelsHeight == m.pelsHeight &&
                                    have.bitsPerPel == m.bitsPerPel);
            if (listed) continue;
        }
        c.gdiModes.push_back(m);
    }
    // The last index follows what was stored, not what was counted.
    c.gdiLast = int32_t(c.gdiModes.size()) - 1;
    if (version.platformId == 1) {
        c.gdiCurrent = 0;
    } else if (haveCurrent) {
        for (size_t i = 0; i < c.gdiModes.size(); ++i) {
            const plat::DevMode& have = c.gdiModes[i];
            if (have.pelsWidth == current.pelsWidth && have.pelsHeight == current.pelsHeight &&
                have.bitsPerPel == current.bitsPerPel && have.displayFrequency == current.displayFrequency) {
                c.gdiCurrent = int32_t(i);
                break;
            }
        }
    }
    return true;
}

bool GDI_ChangeDisplayMode(int32_t width, int32_t height, int32_t bits, int32_t refresh) {
    CDirectXContext& c = xDirectX_Context();
    for (const plat::DevMode& m : c.gdiModes) {
        if (int32_t(m.pelsWidth) != width || int32_t(m.pelsHeight) != height || int32_t(m.bitsPerPel) != bits)
            continue;
        if (refresh != 0xFFFF && int32_t(m.displayFrequency) != refresh) continue;
        const int32_t r = plat::desktop().ChangeDisplaySettings(&m, plat::CDS_TEST);
        if (r == plat::DISP_CHANGE_SUCCESSFUL) return true;
        if (r == plat::DISP_CHANGE_RESTART) {
            if (IsWindows9x()) return true;
            xTrace("Found valid video mode but it requires a reboot!\n");
        }
    }
    return false;
}

bool GDI_SetDisplayMode(int32_t width, int32_t height, int32_t bits, int32_t refresh) {
    if (!GDI_EnumDisplayModes()) return false;
    return GDI_ChangeDisplayMode(width, height, bits, refresh);
}
