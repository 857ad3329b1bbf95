#include "platform/DirectDraw.h"

#include <algorithm>
#include <cstring>

#include "platform/Desktop.h"
#include "platform/Platform.h"

namespace plat::dd {

namespace {

constexpr uint32_t kMaxSide = 16384;
constexpr uint32_t kVideoMemory = 8u * 1024u * 1024u;

bool Consume(int& counter) {
    if (counter <= 0) return false;
    --counter;
    return true;
}

// Rows are padded well past the width so that code which assumes pitch = width x bytes per
// pixel is caught.
int32_t PaddedPitch(uint32_t width, uint32_t bits) {
    const uint32_t bytes = width * (bits / 8);
    return int32_t(((bytes + 63) / 64) * 64 + 64);
}

bool SameFormat(const PixelFormat& a, const PixelFormat& b) {
    return a.rgbBitCount == b.rgbBitCount && a.rBitMask == b.rBitMask && a.gBitMask == b.gBitMask &&
           a.bBitMask == b.bBitMask;
}

Desktop* TheDesktop() { return services().desktop.get(); }

} // namespace

struct State {
    Script script;
    Stats stats;
    bool layout555 = false;
    std::vector<Surface*> surfaces;
    Surface* primary = nullptr;
    WindowId window = 0;
    uint32_t level = 0;
    uint32_t videoUsed = 0;

    PixelFormat DisplayFormat() const {
        const Desktop* d = TheDesktop();
        return FormatForDepth(d ? uint32_t(d->BitsPerPixel()) : 16u, layout555);
    }
};

PixelFormat FormatForDepth(uint32_t bits, bool layout555) {
    PixelFormat f;
    f.rgbBitCount = bits;
    switch (bits) {
    case 8:
        f.flags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
        break;
    case 16:
        f.flags = DDPF_RGB;
        if (layout555) {
            f.rBitMask = 0x7C00;
            f.gBitMask = 0x03E0;
        } else {
            f.rBitMask = 0xF800;
            f.gBitMask = 0x07E0;
        }
        f.bBitMask = 0x001F;
        break;
    default:
        f.flags = DDPF_RGB;
        f.rBitMask = 0xFF0000;
        f.gBitMask = 0x00FF00;
        f.bBitMask = 0x0000FF;
        break;
    }
    return f;
}

// ------------------------------------------------------------------ Object

uint32_t Object::Release() {
    const uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

// ------------------------------------------------------------------ Palette

Palette::Palette(const PaletteEntry* entries) : entries_(entries, entries + 256) {}

Result Palette::GetEntries(uint32_t, uint32_t start, uint32_t count, PaletteEntry* out) const {
    if (!out || start > 256 || count > 256 - start) return E_INVALIDARG;
    std::copy_n(entries_.begin() + start, count, out);
    return DD_OK;
}

Result Palette::SetEntries(uint32_t, uint32_t start, uint32_t count, const PaletteEntry* entries) {
    if (!entries || start > 256 || count > 256 - start) return E_INVALIDARG;
    std::copy_n(entries, count, entries_.begin() + start);
    return DD_OK;
}

// ------------------------------------------------------------------ Surface

Surface::Surface(std::shared_ptr<State> state, uint32_t caps, uint32_t width, uint32_t height,
                 const PixelFormat& format)
    : state_(std::move(state)), caps_(caps), width_(width), height_(height), format_(format),
      pitch_(PaddedPitch(width, format.rgbBitCount)), memory_(size_t(pitch_) * height, 0) {
    state_->surfaces.push_back(this);
    if (caps_ & DDSCAPS_VIDEOMEMORY) state_->videoUsed += uint32_t(memory_.size());
}

Surface::~Surface() {
    if (backBuffer_) {
        backBuffer_->primary_ = nullptr;
        backBuffer_->Release();
    }
    if (primary_ && primary_->backBuffer_ == this) primary_->backBuffer_ = nullptr;
    if (palette_) palette_->Release();
    if (state_->primary == this) state_->primary = nullptr;
    if (caps_ & DDSCAPS_VIDEOMEMORY) state_->videoUsed -= uint32_t(memory_.size());
    auto& list = state_->surfaces;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

bool Surface::Contains(const Rect& r) const {
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && uint32_t(r.right) <= width_ &&
           uint32_t(r.bottom) <= height_;
}

Result Surface::Usable(const Surface* other) const {
    if (lost_ || (other && other->lost_)) return DDERR_SURFACELOST;
    if (locks_ > 0 || (other && other->locks_ > 0)) return DDERR_SURFACEBUSY;
    return DD_OK;
}

const uint8_t* Surface::SourcePixels(const Surface& src, std::vector<uint8_t>& store) const {
    if (&src != this) return src.memory_.data();
    store = memory_;
    return store.data();
}

Result Surface::GetAttachedSurface(const SurfaceCaps* caps, Surface** out) {
    if (!caps || !out) return E_INVALIDARG;
    *out = nullptr;
    if (Failed(state_->script.attachResult)) return state_->script.attachResult;
    if (!(caps->caps & DDSCAPS_BACKBUFFER) || !backBuffer_) return DDERR_NOTFOUND;
    backBuffer_->AddRef();
    *out = backBuffer_;
    return DD_OK;
}

Result Surface::Blt(const Rect* dstRect, Surface* src, const Rect* srcRect, uint32_t flags, const BltFx* fx) {
    if (const Result r = Usable(src); Failed(r)) return r;
    const Rect d = RectOr(dstRect);
    if (!Contains(d)) return DDERR_INVALIDRECT;
    const size_t bpp = BytesPerPixel();
    if (flags & DDBLT_COLORFILL) {
        if (!fx || fx->size != sizeof(BltFx)) return E_INVALIDARG;
        ++state_->stats.fills;
        for (int32_t y = d.top; y < d.bottom; ++y) {
            uint8_t* row = memory_.data() + size_t(y) * size_t(pitch_) + size_t(d.left) * bpp;
            for (int32_t x = d.left; x < d.right; ++x, row += bpp)
                for (size_t b = 0; b < bpp; ++b) row[b] = uint8_t(fx->fillColor >> (8 * b));
        }
        return DD_OK;
    }
    if (!src) return E_INVALIDARG;
    const Rect s = src->RectOr(srcRect);
    if (!src->Contains(s)) return DDERR_INVALIDRECT;
    if (!SameFormat(format_, src->format_)) return DDERR_INVALIDPIXELFORMAT;
    ++state_->stats.blts;
    const int32_t dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return DD_OK;
    std::vector<uint8_t> store;
    const uint8_t* source = SourcePixels(*src, store);
    for (int32_t j = 0; j < dh; ++j) {
        const int32_t sy = s.top + int32_t(int64_t(j) * sh / dh);
        uint8_t* out = memory_.data() + size_t(d.top + j) * size_t(pitch_) + size_t(d.left) * bpp;
        const uint8_t* in = source + size_t(sy) * size_t(src->pitch_);
        for (int32_t i = 0; i < dw; ++i) {
            const int32_t sx = s.left + int32_t(int64_t(i) * sw / dw);
            std::memcpy(out + size_t(i) * bpp, in + size_t(sx) * bpp, bpp);
        }
    }
    return DD_OK;
}

Result Surface::BltFast(int32_t x, int32_t y, Surface* src, const Rect* srcRect, uint32_t) {
    if (!src) return E_INVALIDARG;
    if (const Result r = Usable(src); Failed(r)) return r;
    const Rect s = src->RectOr(srcRect);
    if (!src->Contains(s)) return DDERR_INVALIDRECT;
    const Rect d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
    if (!Contains(d)) return DDERR_INVALIDRECT;
    if (!SameFormat(format_, src->format_)) return DDERR_INVALIDPIXELFORMAT;
    ++state_->stats.bltFasts;
    const size_t bpp = BytesPerPixel();
    const size_t rowBytes = size_t(s.right - s.left) * bpp;
    std::vector<uint8_t> store;
    const uint8_t* source = SourcePixels(*src, store);
    for (int32_t j = 0; j < s.bottom - s.top; ++j)
        std::memcpy(memory_.data() + size_t(y + j) * size_t(pitch_) + size_t(x) * bpp,
                    source + size_t(s.top + j) * size_t(src->pitch_) + size_t(s.left) * bpp, rowBytes);
    return DD_OK;
}

Result Surface::Flip(Surface*, uint32_t) {
    if (!(caps_ & DDSCAPS_FLIP) || !backBuffer_) return DDERR_NOTFLIPPABLE;
    ++state_->stats.flips;
    if (Consume(state_->script.flipLost)) MarkLost();
    if (const Result r = Usable(backBuffer_); Failed(r)) return r;
    memory_.swap(backBuffer_->memory_);
    Present();
    return DD_OK;
}

Result Surface::GetBltStatus(uint32_t) {
    ++state_->stats.bltStatusCalls;
    if (Consume(state_->script.stillDrawing)) return DDERR_WASSTILLDRAWING;
    if (Failed(state_->script.bltStatusResult)) return state_->script.bltStatusResult;
    return lost_ ? DDERR_SURFACELOST : DD_OK;
}

Result Surface::GetPixelFormat(PixelFormat* out) const {
    if (!out || out->size != sizeof(PixelFormat)) return E_INVALIDARG;
    *out = format_;
    return DD_OK;
}

Result Surface::GetSurfaceDesc(SurfaceDesc* out) const {
    if (!out || out->size != sizeof(SurfaceDesc)) return E_INVALIDARG;
    out->flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    out->width = width_;
    out->height = height_;
    out->pitch = pitch_;
    out->pixelFormat = format_;
    out->caps.caps = caps_;
    out->backBufferCount = backBuffer_ ? 1 : 0;
    out->surface = nullptr;
    return DD_OK;
}

Result Surface::Lock(const Rect* rect, SurfaceDesc* desc, uint32_t, void*) {
    if (!desc || desc->size != sizeof(SurfaceDesc)) return E_INVALIDARG;
    if (lost_) return DDERR_SURFACELOST;
    const Rect r = RectOr(rect);
    if (!Contains(r)) return DDERR_INVALIDRECT;
    GetSurfaceDesc(desc);
    desc->surface = memory_.data() + size_t(r.top) * size_t(pitch_) + size_t(r.left) * BytesPerPixel();
    ++locks_;
    return DD_OK;
}

Result Surface::Unlock(void*) {
    if (locks_ <= 0) return DDERR_NOTLOCKED;
    --locks_;
    return DD_OK;
}

Result Surface::IsLost() const { return lost_ ? DDERR_SURFACELOST : DD_OK; }

Result Surface::Restore() {
    ++state_->stats.restores;
    if (Consume(state_->script.restoreFails)) return DDERR_WRONGMODE;
    lost_ = false;
    if (backBuffer_) backBuffer_->lost_ = false;
    return DD_OK;
}

Result Surface::SetPalette(Palette* palette) {
    if (format_.rgbBitCount != 8) return DDERR_NOTPALETTIZED;
    if (palette) palette->AddRef();
    if (palette_) palette_->Release();
    palette_ = palette;
    return DD_OK;
}

Result Surface::GetDC(Dc** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (lost_) return DDERR_SURFACELOST;
    if (dc_) return DDERR_DCALREADYCREATED;
    dc_ = std::make_unique<Dc>(Dc::Kind::Surface);
    dc_->SetSurfaceTarget(
        PixelTarget{memory_.data(), pitch_, int32_t(width_), int32_t(height_), int(format_.rgbBitCount), Is565()});
    ++locks_;
    *out = dc_.get();
    return DD_OK;
}

Result Surface::ReleaseDC(Dc* dc) {
    if (!dc || dc != dc_.get()) return DDERR_NODC;
    dc_.reset();
    --locks_;
    return DD_OK;
}

void Surface::Present() const {
    Window* window = WindowById(state_->window);
    if (!window) return;
    std::vector<Argb> colours(256, MakeArgb(0, 0, 0));
    if (palette_)
        for (size_t i = 0; i < 256; ++i) {
            const PaletteEntry& e = palette_->Entries()[i];
            colours[i] = MakeArgb(e.red, e.green, e.blue);
        }
    const PixelSource s{memory_.data(), pitch_, int32_t(width_), int32_t(height_),
                        int(format_.rgbBitCount), Is565(), colours.data()};
    window->Blit(s, 0, 0, s.width, s.height, 0, 0);
    window->Flush();
    ++state_->stats.presents;
}

void Surface::MarkLost() {
    lost_ = true;
    if (backBuffer_) backBuffer_->lost_ = true;
}

// ------------------------------------------------------------------ DirectDraw

DirectDraw::DirectDraw(std::shared_ptr<State> state) : state_(std::move(state)) {}

DirectDraw::~DirectDraw() = default;

Result DirectDraw::QueryInterface(Interface, DirectDraw** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (state_->script.queryFails) return E_FAIL;
    AddRef();
    *out = this;
    return DD_OK;
}

Result DirectDraw::GetCaps(Caps* hardware, Caps* emulation) {
    if ((hardware && hardware->size != sizeof(Caps)) || (emulation && emulation->size != sizeof(Caps)))
        return E_INVALIDARG;
    if (hardware) {
        *hardware = state_->script.hardware;
        hardware->size = sizeof(Caps);
        hardware->videoMemoryFree =
            hardware->videoMemoryTotal > state_->videoUsed ? hardware->videoMemoryTotal - state_->videoUsed : 0;
    }
    if (emulation) {
        *emulation = state_->script.emulation;
        emulation->size = sizeof(Caps);
    }
    return DD_OK;
}

Result DirectDraw::SetCooperativeLevel(WindowId window, uint32_t flags) {
    if (Failed(state_->script.cooperativeResult)) return state_->script.cooperativeResult;
    const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
    if (exclusive != fullScreen || (exclusive && (flags & DDSCL_NORMAL))) return E_INVALIDARG;
    if (exclusive && !WindowById(window)) return DDERR_NOHWND;
    state_->window = window;
    state_->level = flags;
    state_->stats.cooperativeFlags = flags;
    state_->stats.cooperativeWindow = window;
    return DD_OK;
}

Result DirectDraw::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bits) {
    return SetDisplayMode(width, height, bits, 0, 0);
}

Result DirectDraw::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t refresh, uint32_t) {
    ++state_->stats.setModes;
    if (Failed(state_->script.setModeResult)) return state_->script.setModeResult;
    Desktop* desktop = TheDesktop();
    if (!desktop) return DDERR_NODIRECTDRAWHW;
    DevMode mode = MakeDevMode(width, height, bits, refresh);
    if (refresh == 0) mode.fields &= ~DM_DISPLAYFREQUENCY;
    const int32_t r = desktop->ChangeDisplaySettings(&mode, CDS_FULLSCREEN);
    if (r == DISP_CHANGE_SUCCESSFUL) return DD_OK;
    return r == DISP_CHANGE_BADMODE ? DDERR_INVALIDMODE : DDERR_UNSUPPORTEDMODE;
}

Result DirectDraw::RestoreDisplayMode() {
    ++state_->stats.restoreModes;
    if (state_->script.restoreModeResult != DD_OK) return state_->script.restoreModeResult;
    if (Desktop* desktop = TheDesktop()) desktop->ChangeDisplaySettings(nullptr, 0);
    return DD_OK;
}

Result DirectDraw::EnumDisplayModes(uint32_t, const SurfaceDesc*, void* context, EnumModesCallback callback) {
    if (!callback) return E_INVALIDARG;
    if (Failed(state_->script.enumResult)) return state_->script.enumResult;
    Desktop* desktop = TheDesktop();
    if (!desktop) return DD_OK;
    DevMode mode;
    for (uint32_t i = 0; desktop->EnumDisplaySettings(i, mode); ++i) {
        if (mode.bitsPerPel != 8 && mode.bitsPerPel != 16 && mode.bitsPerPel != 24 && mode.bitsPerPel != 32)
            continue;
        SurfaceDesc d;
        d.size = sizeof(SurfaceDesc);
        d.flags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
        d.width = mode.pelsWidth;
        d.height = mode.pelsHeight;
        d.pitch = PaddedPitch(mode.pelsWidth, mode.bitsPerPel);
        d.refreshRate = mode.displayFrequency;
        d.pixelFormat = FormatForDepth(mode.bitsPerPel, state_->layout555);
        if (callback(&d, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

Result DirectDraw::CreateSurface(SurfaceDesc* desc, Surface** out, void*) {
    if (!desc || !out || desc->size != sizeof(SurfaceDesc) || !(desc->flags & DDSD_CAPS)) return E_INVALIDARG;
    *out = nullptr;
    const uint32_t caps = desc->caps.caps;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (Failed(state_->script.createPrimaryResult)) return state_->script.createPrimaryResult;
        if (state_->level == 0) return DDERR_NOCOOPERATIVELEVELSET;
        if (state_->primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
        const Desktop* desktop = TheDesktop();
        const uint32_t w = desktop ? uint32_t(desktop->Rect().Width()) : 640;
        const uint32_t h = desktop ? uint32_t(desktop->Rect().Height()) : 480;
        const PixelFormat format = state_->DisplayFormat();
        const bool flipping = (caps & DDSCAPS_FLIP) && (desc->flags & DDSD_BACKBUFFERCOUNT);
        if (flipping && (desc->backBufferCount != 1 || !(caps & DDSCAPS_COMPLEX))) return DDERR_INVALIDCAPS;
        const uint32_t primaryCaps = caps | DDSCAPS_VIDEOMEMORY | (flipping ? DDSCAPS_FRONTBUFFER : 0);
        Surface* primary = new Surface(state_, primaryCaps, w, h, format);
        if (flipping) {
            primary->backBuffer_ =
                new Surface(state_, DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY, w, h,
                            format);
            primary->backBuffer_->primary_ = primary;
        }
        state_->primary = primary;
        *out = primary;
        return DD_OK;
    }
    if (!(caps & DDSCAPS_OFFSCREENPLAIN) || !(desc->flags & DDSD_WIDTH) || !(desc->flags & DDSD_HEIGHT))
        return DDERR_INVALIDCAPS;
    if (Failed(state_->script.createOffscreenResult)) return state_->script.createOffscreenResult;
    if (desc->width == 0 || desc->height == 0) return E_INVALIDARG;
    if (desc->width > kMaxSide) return DDERR_TOOBIGWIDTH;
    if (desc->height > kMaxSide) return DDERR_TOOBIGHEIGHT;
    const PixelFormat format = (desc->flags & DDSD_PIXELFORMAT) ? desc->pixelFormat : state_->DisplayFormat();
    const uint32_t bits = format.rgbBitCount;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return DDERR_INVALIDPIXELFORMAT;
    uint32_t memory = caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY);
    const size_t bytes = size_t(PaddedPitch(desc->width, bits)) * desc->height;
    const uint32_t total = state_->script.hardware.videoMemoryTotal;
    const bool videoFits = !state_->script.videoMemoryRefused && state_->videoUsed + bytes <= total;
    if (memory == DDSCAPS_VIDEOMEMORY && !videoFits) return DDERR_OUTOFVIDEOMEMORY;
    if (memory == 0) memory = videoFits ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    *out = new Surface(state_, (caps & ~(DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)) | memory, desc->width,
                       desc->height, format);
    return DD_OK;
}

Result DirectDraw::CreatePalette(uint32_t flags, const PaletteEntry* entries, Palette** out, void*) {
    if (!out || !entries || !(flags & DDPCAPS_8BIT)) return E_INVALIDARG;
    *out = nullptr;
    if (Failed(state_->script.createPaletteResult)) return state_->script.createPaletteResult;
    *out = new Palette(entries);
    return DD_OK;
}

// ------------------------------------------------------------------ Library

Library::Library() : state_(std::make_shared<State>()) {
    Caps& hw = state_->script.hardware;
    hw.size = sizeof(Caps);
    hw.caps = DDCAPS_BLT | DDCAPS_COLORKEY | DDCAPS_PALETTE | DDCAPS_CANBLTSYSMEM;
    hw.videoMemoryTotal = kVideoMemory;
    Caps& emu = state_->script.emulation;
    emu.size = sizeof(Caps);
    emu.caps = DDCAPS_BLT | DDCAPS_GDI | DDCAPS_COLORKEY | DDCAPS_PALETTE;
    emu.fxAlphaCaps = DDFXALPHACAPS_BLTALPHAPIXELS;
}

Library::~Library() = default;

bool Library::Load() {
    loaded_ = !state_->script.loadFails;
    return loaded_;
}

Result Library::Create(DirectDraw** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!loaded_) return CO_E_NOTINITIALIZED;
    if (state_->script.createResult != DD_OK) return state_->script.createResult;
    *out = new DirectDraw(state_);
    return DD_OK;
}

void Library::SetLayout555(bool on) { state_->layout555 = on; }
bool Library::Layout555() const { return state_->layout555; }

void Library::LoseSurfaces() {
    for (Surface* s : state_->surfaces) s->MarkLost();
}

Script& Library::script() { return state_->script; }
const Stats& Library::stats() const { return state_->stats; }
size_t Library::LiveSurfaces() const { return state_->surfaces.size(); }

} // namespace plat::dd
