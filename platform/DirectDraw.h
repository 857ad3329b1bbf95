#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Gdi.h"
#include "platform/Messages.h"

/// Our stand-in for the full-screen display interface the engine was written against: a
/// display object with modes, capabilities and a cooperative level; a primary surface with one
/// back buffer that Flip really exchanges; off-screen surfaces in "video" or system memory;
/// palettes; locks with a padded pitch; lost surfaces and their restore; result codes of our
/// own numbering. The front buffer is shown in the window given to the cooperative level.
/// Failures can be scripted through the library's script.
namespace plat::dd {

using Result = int32_t;

inline constexpr bool Failed(Result r) { return r < 0; }

/// Failure codes: our own numbers (the failure bit, our facility, a serial number).
constexpr Result MakeFailure(uint32_t n) { return Result(0x8DD00000u | n); }

inline constexpr Result DD_OK = 0;

#define VQT_DD_RESULT_CODES(X)                                                                          \
    X(E_NOTIMPL, 1) X(E_FAIL, 2) X(CO_E_NOTINITIALIZED, 3) X(E_OUTOFMEMORY, 4) X(E_INVALIDARG, 5)      \
    X(DDERR_ALREADYINITIALIZED, 10) X(DDERR_CANNOTATTACHSURFACE, 11) X(DDERR_CANNOTDETACHSURFACE, 12)  \
    X(DDERR_CURRENTLYNOTAVAIL, 13) X(DDERR_EXCEPTION, 14) X(DDERR_HEIGHTALIGN, 15)                     \
    X(DDERR_INCOMPATIBLEPRIMARY, 16) X(DDERR_INVALIDCAPS, 17) X(DDERR_INVALIDCLIPLIST, 18)             \
    X(DDERR_INVALIDMODE, 19) X(DDERR_INVALIDOBJECT, 20) X(DDERR_INVALIDPIXELFORMAT, 21)                \
    X(DDERR_INVALIDRECT, 22) X(DDERR_LOCKEDSURFACES, 23) X(DDERR_NO3D, 24) X(DDERR_NOALPHAHW, 25)      \
    X(DDERR_NOCLIPLIST, 26) X(DDERR_NOCOLORCONVHW, 27) X(DDERR_NOCOOPERATIVELEVELSET, 28)              \
    X(DDERR_NOCOLORKEY, 29) X(DDERR_NOCOLORKEYHW, 30) X(DDERR_NODIRECTDRAWSUPPORT, 31)                 \
    X(DDERR_NOEXCLUSIVEMODE, 32) X(DDERR_NOFLIPHW, 33) X(DDERR_NOGDI, 34) X(DDERR_NOMIRRORHW, 35)      \
    X(DDERR_NOTFOUND, 36) X(DDERR_NOOVERLAYHW, 37) X(DDERR_NORASTEROPHW, 38) X(DDERR_NOROTATIONHW, 39) \
    X(DDERR_NOSTRETCHHW, 40) X(DDERR_NOT4BITCOLOR, 41) X(DDERR_NOT4BITCOLORINDEX, 42)                  \
    X(DDERR_NOT8BITCOLOR, 43) X(DDERR_NOTEXTUREHW, 44) X(DDERR_NOVSYNCHW, 45) X(DDERR_NOZBUFFERHW, 46) \
    X(DDERR_NOZOVERLAYHW, 47) X(DDERR_OUTOFCAPS, 48) X(DDERR_OUTOFVIDEOMEMORY, 49)                     \
    X(DDERR_OVERLAYCANTCLIP, 50) X(DDERR_OVERLAYCOLORKEYONLYONEACTIVE, 51) X(DDERR_PALETTEBUSY, 52)    \
    X(DDERR_COLORKEYNOTSET, 53) X(DDERR_SURFACEALREADYATTACHED, 54)                                    \
    X(DDERR_SURFACEALREADYDEPENDENT, 55) X(DDERR_SURFACEBUSY, 56) X(DDERR_CANTLOCKSURFACE, 57)         \
    X(DDERR_SURFACEISOBSCURED, 58) X(DDERR_SURFACELOST, 59) X(DDERR_SURFACENOTATTACHED, 60)            \
    X(DDERR_TOOBIGHEIGHT, 61) X(DDERR_TOOBIGSIZE, 62) X(DDERR_TOOBIGWIDTH, 63)                         \
    X(DDERR_UNSUPPORTEDFORMAT, 64) X(DDERR_UNSUPPORTEDMASK, 65) X(DDERR_VERTICALBLANKINPROGRESS, 66)   \
    X(DDERR_WASSTILLDRAWING, 67) X(DDERR_XALIGN, 68) X(DDERR_INVALIDDIRECTDRAWGUID, 69)                \
    X(DDERR_DIRECTDRAWALREADYCREATED, 70) X(DDERR_NODIRECTDRAWHW, 71)                                  \
    X(DDERR_PRIMARYSURFACEALREADYEXISTS, 72) X(DDERR_NOEMULATION, 73) X(DDERR_REGIONTOOSMALL, 74)      \
    X(DDERR_CLIPPERISUSINGHWND, 75) X(DDERR_NOCLIPPERATTACHED, 76) X(DDERR_NOHWND, 77)                 \
    X(DDERR_HWNDSUBCLASSED, 78) X(DDERR_HWNDALREADYSET, 79) X(DDERR_NOPALETTEATTACHED, 80)             \
    X(DDERR_NOPALETTEHW, 81) X(DDERR_BLTFASTCANTCLIP, 82) X(DDERR_NOBLTHW, 83) X(DDERR_NODDROPSHW, 84) \
    X(DDERR_OVERLAYNOTVISIBLE, 85) X(DDERR_NOOVERLAYDEST, 86) X(DDERR_INVALIDPOSITION, 87)             \
    X(DDERR_NOTAOVERLAYSURFACE, 88) X(DDERR_EXCLUSIVEMODEALREADYSET, 89) X(DDERR_NOTFLIPPABLE, 90)     \
    X(DDERR_CANTDUPLICATE, 91) X(DDERR_NOTLOCKED, 92) X(DDERR_CANTCREATEDC, 93) X(DDERR_NODC, 94)      \
    X(DDERR_WRONGMODE, 95) X(DDERR_IMPLICITLYCREATED, 96) X(DDERR_NOTPALETTIZED, 97)                   \
    X(DDERR_UNSUPPORTEDMODE, 98) X(DDERR_NOMIPMAPHW, 99) X(DDERR_INVALIDSURFACETYPE, 100)              \
    X(DDERR_DCALREADYCREATED, 101) X(DDERR_CANTPAGELOCK, 102) X(DDERR_CANTPAGEUNLOCK, 103)             \
    X(DDERR_NOTPAGELOCKED, 104)

#define VQT_DD_DECLARE_RESULT(name, n) inline constexpr Result name = MakeFailure(n);
VQT_DD_RESULT_CODES(VQT_DD_DECLARE_RESULT)
#undef VQT_DD_DECLARE_RESULT

// Description flags.
inline constexpr uint32_t DDSD_CAPS = 0x0001;
inline constexpr uint32_t DDSD_HEIGHT = 0x0002;
inline constexpr uint32_t DDSD_WIDTH = 0x0004;
inline constexpr uint32_t DDSD_PITCH = 0x0008;
inline constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x0020;
inline constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
inline constexpr uint32_t DDSD_REFRESHRATE = 0x20000;
// Surface capabilities.
inline constexpr uint32_t DDSCAPS_BACKBUFFER = 0x0004;
inline constexpr uint32_t DDSCAPS_COMPLEX = 0x0008;
inline constexpr uint32_t DDSCAPS_FLIP = 0x0010;
inline constexpr uint32_t DDSCAPS_FRONTBUFFER = 0x0020;
inline constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x0040;
inline constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x0200;
inline constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x0800;
inline constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;
// Cooperative levels.
inline constexpr uint32_t DDSCL_FULLSCREEN = 0x0001;
inline constexpr uint32_t DDSCL_ALLOWREBOOT = 0x0002;
inline constexpr uint32_t DDSCL_NOWINDOWCHANGES = 0x0004;
inline constexpr uint32_t DDSCL_NORMAL = 0x0008;
inline constexpr uint32_t DDSCL_EXCLUSIVE = 0x0010;
// Blits, flips, locks and status.
inline constexpr uint32_t DDBLT_COLORFILL = 0x0400;
inline constexpr uint32_t DDBLT_WAIT = 0x01000000;
inline constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0x0000;
inline constexpr uint32_t DDBLTFAST_WAIT = 0x0010;
inline constexpr uint32_t DDFLIP_WAIT = 0x0001;
inline constexpr uint32_t DDLOCK_WAIT = 0x0001;
inline constexpr uint32_t DDGBS_CANBLT = 0x0001;
inline constexpr uint32_t DDGBS_ISBLTDONE = 0x0002;
// Palettes and pixel formats.
inline constexpr uint32_t DDPCAPS_8BIT = 0x0004;
inline constexpr uint32_t DDPCAPS_ALLOW256 = 0x0400;
inline constexpr uint32_t DDPF_PALETTEINDEXED8 = 0x0020;
inline constexpr uint32_t DDPF_RGB = 0x0040;
// Capabilities reported by GetCaps.
inline constexpr uint32_t DDCAPS_BLT = 0x0040;
inline constexpr uint32_t DDCAPS_COLORKEY = 0x0400;
inline constexpr uint32_t DDCAPS_ALPHA = 0x0800;
inline constexpr uint32_t DDCAPS_NOHARDWARE = 0x02000000;
inline constexpr uint32_t DDCAPS_GDI = 0x04000000;
inline constexpr uint32_t DDCAPS_PALETTE = 0x8000;
inline constexpr uint32_t DDCAPS_PALETTEVSYNC = 0x10000;
inline constexpr uint32_t DDCAPS_CANBLTSYSMEM = 0x80000000;
inline constexpr uint32_t DDFXALPHACAPS_BLTALPHAEDGEBLEND = 0x0001;
inline constexpr uint32_t DDFXALPHACAPS_BLTALPHAPIXELS = 0x0002;
inline constexpr uint32_t DDFXALPHACAPS_BLTALPHAPIXELSNEG = 0x0004;
inline constexpr uint32_t DDFXALPHACAPS_BLTALPHASURFACES = 0x0008;
inline constexpr uint32_t DDFXALPHACAPS_BLTALPHASURFACESNEG = 0x0010;
// Mode enumeration answers of the callback.
inline constexpr Result DDENUMRET_CANCEL = 0;
inline constexpr Result DDENUMRET_OK = 1;

struct PixelFormat {
    uint32_t size = sizeof(PixelFormat);
    uint32_t flags = 0;
    uint32_t fourCC = 0;
    uint32_t rgbBitCount = 0;
    uint32_t rBitMask = 0;
    uint32_t gBitMask = 0;
    uint32_t bBitMask = 0;
    uint32_t alphaBitMask = 0;
};

struct SurfaceCaps {
    uint32_t caps = 0;
};

/// Surface description: set `size` to sizeof(SurfaceDesc) before passing one in.
struct SurfaceDesc {
    uint32_t size = 0;
    uint32_t flags = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    int32_t pitch = 0;
    uint32_t backBufferCount = 0;
    uint32_t refreshRate = 0;
    void* surface = nullptr; ///< the locked pixels
    PixelFormat pixelFormat;
    SurfaceCaps caps;
};

/// Capabilities: set `size` to sizeof(Caps) before passing one in.
struct Caps {
    uint32_t size = 0;
    uint32_t caps = 0;
    uint32_t fxAlphaCaps = 0;
    uint32_t videoMemoryTotal = 0;
    uint32_t videoMemoryFree = 0;
};

/// Blit effects: set `size` to sizeof(BltFx).
struct BltFx {
    uint32_t size = 0;
    uint32_t fillColor = 0;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

/// Interfaces the display object answers through QueryInterface (both are the same object
/// here).
enum class Interface { DirectDraw, DirectDraw2 };

struct State;

/// Reference counting as the engine's code expects: the creator holds one reference.
class Object {
public:
    uint32_t AddRef() { return ++refs_; }
    uint32_t Release();

protected:
    Object() = default;
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

private:
    uint32_t refs_ = 1;
};

class Palette final : public Object {
public:
    Result GetEntries(uint32_t flags, uint32_t start, uint32_t count, PaletteEntry* out) const;
    Result SetEntries(uint32_t flags, uint32_t start, uint32_t count, const PaletteEntry* entries);
    const std::vector<PaletteEntry>& Entries() const { return entries_; }

private:
    friend class DirectDraw;
    explicit Palette(const PaletteEntry* entries);
    std::vector<PaletteEntry> entries_;
};

class Surface final : public Object {
public:
    Result GetAttachedSurface(const SurfaceCaps* caps, Surface** out);
    /// Colour fill (DDBLT_COLORFILL with fx) or a copy from src scaled to the destination
    /// rectangle (nearest pixel); null rectangles stand for whole surfaces.
    Result Blt(const Rect* dstRect, Surface* src, const Rect* srcRect, uint32_t flags, const BltFx* fx);
    /// An unscaled copy of a source rectangle to a point; nothing is clipped.
    Result BltFast(int32_t x, int32_t y, Surface* src, const Rect* srcRect, uint32_t flags);
    /// Exchanges the pixels of the primary and its back buffer and shows the new front.
    Result Flip(Surface* target, uint32_t flags);
    Result GetBltStatus(uint32_t flags);
    Result GetPixelFormat(PixelFormat* out) const;
    Result GetSurfaceDesc(SurfaceDesc* out) const;
    Result Lock(const Rect* rect, SurfaceDesc* desc, uint32_t flags, void* event);
    Result Unlock(void* pixels);
    Result IsLost() const;
    Result Restore();
    Result SetPalette(Palette* palette);
    Result GetDC(Dc** out);
    Result ReleaseDC(Dc* dc);

    // For tests and the backends.
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    int32_t Pitch() const { return pitch_; }
    const PixelFormat& Format() const { return format_; }
    uint32_t CapsBits() const { return caps_; }
    const uint8_t* Pixels() const { return memory_.data(); }
    bool InVideoMemory() const { return (caps_ & DDSCAPS_VIDEOMEMORY) != 0; }
    int Locks() const { return locks_; }
    /// Shows the surface in the cooperative window (the primary does this after each flip).
    void Present() const;
    /// Marks the surface lost (with its back buffer), as a display switch does.
    void MarkLost();

private:
    friend class DirectDraw;
    friend struct State;
    Surface(std::shared_ptr<State> state, uint32_t caps, uint32_t width, uint32_t height, const PixelFormat& format);
    ~Surface() override;
    bool Contains(const Rect& r) const;
    /// Whether this surface and `other` (if any) can be copied between: DDERR_SURFACELOST when
    /// either is lost, DDERR_SURFACEBUSY when either is locked.
    Result Usable(const Surface* other) const;
    /// The rectangle given, or the whole surface for none.
    Rect RectOr(const Rect* r) const { return r ? *r : Rect{0, 0, int32_t(width_), int32_t(height_)}; }
    /// The pixels of `src` to read from: a copy in `store` when it is this surface, so that a
    /// surface may be its own source.
    const uint8_t* SourcePixels(const Surface& src, std::vector<uint8_t>& store) const;
    size_t BytesPerPixel() const { return format_.rgbBitCount / 8; }
    bool Is565() const { return format_.gBitMask == 0x07E0; }

    std::shared_ptr<State> state_;
    uint32_t caps_;
    uint32_t width_;
    uint32_t height_;
    PixelFormat format_;
    int32_t pitch_;
    std::vector<uint8_t> memory_;
    Surface* backBuffer_ = nullptr; ///< held (one reference) by a flipping primary
    Surface* primary_ = nullptr;    ///< the primary a back buffer belongs to (not held)
    Palette* palette_ = nullptr;    ///< held
    int locks_ = 0;
    bool lost_ = false;
    std::unique_ptr<Dc> dc_;
};

using EnumModesCallback = Result (*)(const SurfaceDesc* desc, void* context);

/// The display object.
class DirectDraw final : public Object {
public:
    Result QueryInterface(Interface which, DirectDraw** out);
    Result GetCaps(Caps* hardware, Caps* emulation);
    Result SetCooperativeLevel(WindowId window, uint32_t flags);
    Result SetDisplayMode(uint32_t width, uint32_t height, uint32_t bits);
    Result SetDisplayMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t refresh, uint32_t flags);
    Result RestoreDisplayMode();
    /// Calls back once per display mode (until it answers DDENUMRET_CANCEL).
    Result EnumDisplayModes(uint32_t flags, const SurfaceDesc* filter, void* context, EnumModesCallback callback);
    Result CreateSurface(SurfaceDesc* desc, Surface** out, void* outer);
    Result CreatePalette(uint32_t flags, const PaletteEntry* entries, Palette** out, void* outer);

private:
    friend class Library;
    explicit DirectDraw(std::shared_ptr<State> state);
    ~DirectDraw() override;
    std::shared_ptr<State> state_;
};

/// What a test can make the stand-in do.
struct Script {
    bool loadFails = false;          ///< the library cannot be loaded
    Result createResult = DD_OK;     ///< answer of creating the display object
    bool queryFails = false;         ///< QueryInterface answers E_FAIL
    Result cooperativeResult = DD_OK;
    Result setModeResult = DD_OK;    ///< answer of SetDisplayMode (before the mode is tried)
    Result restoreModeResult = DD_OK; ///< answer of RestoreDisplayMode (E_NOTIMPL for instance)
    Result enumResult = DD_OK;
    Result createPrimaryResult = DD_OK;
    Result attachResult = DD_OK;     ///< answer of GetAttachedSurface
    Result createPaletteResult = DD_OK;
    Result createOffscreenResult = DD_OK; ///< answer of creating any off-screen surface
    bool videoMemoryRefused = false; ///< off-screen surfaces in video memory cannot be made
    int flipLost = 0;                ///< the next n flips find the primary lost
    int restoreFails = 0;            ///< the next n restores answer DDERR_WRONGMODE
    int stillDrawing = 0;            ///< the next n GetBltStatus calls answer DDERR_WASSTILLDRAWING
    Result bltStatusResult = DD_OK;  ///< then GetBltStatus answers this (every time)
    Caps hardware;                   ///< reported capabilities (the library fills defaults)
    Caps emulation;
};

/// Counts of what the engine asked for.
struct Stats {
    int flips = 0;
    int restores = 0;
    int fills = 0;
    int blts = 0;
    int bltFasts = 0;
    int bltStatusCalls = 0;
    int setModes = 0;
    int restoreModes = 0;
    uint32_t cooperativeFlags = 0;
    WindowId cooperativeWindow = 0;
    int presents = 0;
};

/// The service: loading the library and making the display object.
class Library {
public:
    Library();
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    /// Loads the library and finds its entry point; false when it cannot be had.
    bool Load();
    bool IsLoaded() const { return loaded_; }
    void Free() { loaded_ = false; }
    /// Makes the display object (the library must be loaded).
    Result Create(DirectDraw** out);

    /// 16-bit display modes are 5-5-5 (green mask 0x3E0) instead of 5-6-5 (0x7E0).
    void SetLayout555(bool on);
    bool Layout555() const;
    /// Marks every surface lost, as a switch away from the display does.
    void LoseSurfaces();

    Script& script();
    const Stats& stats() const;
    /// Surfaces made and not yet released.
    size_t LiveSurfaces() const;

private:
    std::shared_ptr<State> state_;
    bool loaded_ = false;
};

/// The pixel format of a display depth in a 16-bit layout.
PixelFormat FormatForDepth(uint32_t bits, bool layout555);

} // namespace plat::dd
