#include "platform/Gdi.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>
#include <utility>

#include "platform/Desktop.h"
#include "platform/Platform.h"

namespace plat {

namespace {

constexpr int32_t kMaxSide = 16384;

bool Consume(int& counter) {
    if (counter <= 0) return false;
    --counter;
    return true;
}

/// The top row and the pitch to the next row down of `height` rows stored `stride` bytes apart
/// from `base`, bottom-up or top-down.
template <typename Byte>
std::pair<Byte*, int32_t> TopRow(Byte* base, int32_t height, int32_t stride, bool bottomUp) {
    if (!bottomUp) return {base, stride};
    return {base + size_t(height - 1) * size_t(stride), -stride};
}

/// How many of `count` entries from `start` a table of `size` entries holds.
uint32_t EntriesInRange(size_t size, uint32_t start, uint32_t count) {
    return start >= size ? 0 : uint32_t(std::min<size_t>(count, size - start));
}

/// Copies `count` entries into a table from `start` (as far as it reaches); answers how many.
template <typename T>
uint32_t CopyIntoTable(std::vector<T>& table, uint32_t start, uint32_t count, const T* from) {
    const uint32_t n = EntriesInRange(table.size(), start, count);
    if (n) std::copy_n(from, n, table.begin() + start);
    return n;
}

/// Copies `count` entries of a table from `start` (as far as it reaches); answers how many.
template <typename T>
uint32_t CopyFromTable(const std::vector<T>& table, uint32_t start, uint32_t count, T* to) {
    const uint32_t n = EntriesInRange(table.size(), start, count);
    if (n) std::copy_n(table.begin() + start, n, to);
    return n;
}

} // namespace

int32_t DibStride(int32_t width, int bits) { return int32_t(((int64_t(width) * bits + 31) / 32) * 4); }

bool PackedDibSource(const BitmapInfoHeader& header, const RgbQuad* colors, const void* bits,
                     std::vector<Argb>& paletteStore, PixelSource& out) {
    const int bitCount = header.bitCount;
    if (!bits || (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) ||
        header.compression != BI_RGB || header.width <= 0 || header.height == 0 || header.height == INT32_MIN)
        return false;
    out = PixelSource{};
    out.width = header.width;
    out.height = header.height < 0 ? -header.height : header.height;
    out.bits = bitCount;
    std::tie(out.top, out.pitch) =
        TopRow(static_cast<const uint8_t*>(bits), out.height, DibStride(header.width, bitCount), header.height > 0);
    if (bitCount == 8) {
        TableColours(colors, colors ? (header.clrUsed ? header.clrUsed : 256) : 0, paletteStore);
        out.palette = paletteStore.data();
    }
    return true;
}

bool PackedDibImage(const BitmapInfoHeader& header, const RgbQuad* colors, const void* bits, Image& out) {
    std::vector<Argb> palette;
    PixelSource source;
    if (!PackedDibSource(header, colors, bits, palette, source)) return false;
    out.Resize(source.width, source.height);
    for (int32_t row = 0; row < source.height; ++row) ConvertRow(source, 0, row, source.width, out.Row(row));
    return true;
}

void TableColours(const RgbQuad* table, size_t count, std::vector<Argb>& out) {
    out.assign(256, MakeArgb(0, 0, 0));
    for (size_t i = 0; i < count && i < 256; ++i) out[i] = MakeArgb(table[i].red, table[i].green, table[i].blue);
}

PixelSource Bitmap::Source(std::vector<Argb>& paletteStore) const {
    PixelSource s;
    s.width = width_;
    s.height = height_;
    s.bits = bits_;
    s.is565 = false; // a 16-bit device-independent bitmap is always 5-5-5
    std::tie(s.top, s.pitch) = TopRow(pixels_.data(), height_, stride_, bottomUp_);
    if (bits_ <= 8) {
        TableColours(colors_.data(), colors_.size(), paletteStore);
        s.palette = paletteStore.data();
    }
    return s;
}

PixelTarget Dc::Target() const {
    if (kind_ == Kind::Surface) return surface_;
    PixelTarget t;
    if (kind_ != Kind::Memory || !bitmap_ || bitmap_->bits_ < 8) return t;
    Bitmap& b = *bitmap_;
    t.width = b.width_;
    t.height = b.height_;
    t.bits = b.bits_;
    std::tie(t.top, t.pitch) = TopRow(b.pixels_.data(), b.height_, b.stride_, b.bottomUp_);
    return t;
}

Gdi::Gdi() {
    stockBitmap_.width_ = 1;
    stockBitmap_.height_ = 1;
    stockBitmap_.bits_ = 1;
    stockBitmap_.stride_ = 4;
    stockBitmap_.pixels_.assign(4, 0);
    // The stock palette: the twenty static colours' corners, black first and white last.
    stockPalette_.entries_ = {{0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
                              {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
                              {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
                              {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
                              {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}};
}

Gdi::~Gdi() = default;

Dc* Gdi::CreateCompatibleDc(Dc*) {
    if (Consume(script_.failCreateDc)) return nullptr;
    auto dc = std::make_unique<Dc>(Dc::Kind::Memory);
    dc->bitmap_ = &stockBitmap_;
    dc->palette_ = &stockPalette_;
    Dc* raw = dc.get();
    dcs_[raw] = std::move(dc);
    return raw;
}

bool Gdi::DeleteDc(Dc* dc) {
    auto it = dcs_.find(dc);
    if (it == dcs_.end()) return false;
    if (dc->bitmap_ && dc->bitmap_ != &stockBitmap_) dc->bitmap_->selectedInto_ = nullptr;
    dcs_.erase(it);
    return true;
}

Bitmap* Gdi::CreateDibSection(Dc*, const BitmapInfoHeader& header, const RgbQuad* colors, uint32_t usage,
                              uint8_t** bits) {
    if (bits) *bits = nullptr;
    if (Consume(script_.failCreateDib)) return nullptr;
    const int bitCount = header.bitCount;
    const bool depthOk = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
                         bitCount == 32;
    const int64_t height = header.height < 0 ? -int64_t(header.height) : int64_t(header.height);
    if (header.size < 40 || header.planes != 1 || !depthOk || header.compression != BI_RGB ||
        usage != DIB_RGB_COLORS || header.width <= 0 || header.width > kMaxSide || height == 0 || height > kMaxSide)
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width_ = header.width;
    bitmap->height_ = int32_t(height);
    bitmap->bits_ = bitCount;
    bitmap->bottomUp_ = header.height > 0;
    bitmap->stride_ = DibStride(header.width, bitCount);
    bitmap->pixels_.assign(size_t(bitmap->stride_) * size_t(height), 0);
    if (bitCount <= 8) {
        const uint32_t room = 1u << bitCount;
        bitmap->colors_.assign(room, RgbQuad{});
        const uint32_t given = header.clrUsed ? std::min(header.clrUsed, room) : room;
        if (colors)
            for (uint32_t i = 0; i < given; ++i) bitmap->colors_[i] = colors[i];
    }
    Bitmap* raw = bitmap.get();
    bitmaps_[raw] = std::move(bitmap);
    if (bits) *bits = raw->pixels_.data();
    return raw;
}

bool Gdi::DeleteObject(Bitmap* bitmap) {
    auto it = bitmaps_.find(bitmap);
    if (it == bitmaps_.end() || bitmap->selectedInto_) return false; // selected objects stay
    bitmaps_.erase(it);
    return true;
}

bool Gdi::DeleteObject(GdiPalette* palette) {
    auto it = palettes_.find(palette);
    if (it == palettes_.end()) return false;
    // A palette selected into a context stays.
    for (auto& [raw, dc] : dcs_)
        if (dc->palette_ == palette) return false;
    if (services().desktop)
        for (WindowId id : services().desktop->TopLevelWindows())
            if (Window* w = services().desktop->Find(id); w && w->OwnDc().palette_ == palette) return false;
    palettes_.erase(it);
    return true;
}

Bitmap* Gdi::SelectBitmap(Dc* dc, Bitmap* bitmap) {
    if (!dc || !bitmap || dc->kind_ != Dc::Kind::Memory) return nullptr;
    if (bitmap != &stockBitmap_ && bitmap->selectedInto_ && bitmap->selectedInto_ != dc) return nullptr;
    Bitmap* previous = dc->bitmap_;
    if (previous && previous != &stockBitmap_) previous->selectedInto_ = nullptr;
    dc->bitmap_ = bitmap;
    if (bitmap != &stockBitmap_) bitmap->selectedInto_ = dc;
    return previous;
}

uint32_t Gdi::SetDibColorTable(Dc* dc, uint32_t start, uint32_t count, const RgbQuad* colors) {
    if (!dc || !colors || !dc->bitmap_ || dc->bitmap_ == &stockBitmap_) return 0;
    return CopyIntoTable(dc->bitmap_->colors_, start, count, colors);
}

uint32_t Gdi::GetDibColorTable(Dc* dc, uint32_t start, uint32_t count, RgbQuad* colors) {
    if (!dc || !colors || !dc->bitmap_ || dc->bitmap_ == &stockBitmap_) return 0;
    return CopyFromTable(dc->bitmap_->colors_, start, count, colors);
}

int Gdi::SetMapMode(Dc* dc, int mode) {
    if (!dc) return 0;
    const int previous = dc->mapMode_;
    dc->mapMode_ = mode;
    return previous;
}

GdiPalette* Gdi::CreatePalette(uint16_t version, uint16_t count, const PaletteEntry* entries) {
    if (Consume(script_.failCreatePalette)) return nullptr;
    if (version != kLogPaletteVersion || count == 0 || !entries) return nullptr;
    auto palette = std::make_unique<GdiPalette>();
    palette->entries_.assign(entries, entries + count);
    GdiPalette* raw = palette.get();
    palettes_[raw] = std::move(palette);
    return raw;
}

uint32_t Gdi::SetPaletteEntries(GdiPalette* palette, uint32_t start, uint32_t count, const PaletteEntry* entries) {
    if (!palette || !entries || palette == &stockPalette_) return 0;
    return CopyIntoTable(palette->entries_, start, count, entries);
}

uint32_t Gdi::GetPaletteEntries(GdiPalette* palette, uint32_t start, uint32_t count, PaletteEntry* entries) {
    if (Consume(script_.failGetPaletteEntries)) return 0;
    if (!palette || !entries) return 0;
    return CopyFromTable(palette->entries_, start, count, entries);
}

GdiPalette* Gdi::SelectPalette(Dc* dc, GdiPalette* palette, bool) {
    if (!dc || !palette) return nullptr;
    GdiPalette* previous = dc->palette_;
    dc->palette_ = palette;
    return previous;
}

uint32_t Gdi::RealizePalette(Dc* dc) {
    if (!dc || dc->kind_ != Dc::Kind::Window || !dc->palette_ || dc->palette_ == &stockPalette_) return 0;
    Window* window = WindowById(dc->window_);
    if (!window) return 0;
    window->Realize(dc->palette_->entries_);
    ++counts_.realizations;
    return uint32_t(dc->palette_->entries_.size());
}

Dc* Gdi::GetDc(WindowId window) {
    Window* w = WindowById(window);
    if (!w) return nullptr;
    Dc& dc = w->OwnDc();
    if (!dc.palette_) dc.palette_ = &stockPalette_;
    return &dc;
}

int Gdi::ReleaseDc(WindowId window, Dc* dc) {
    Window* w = WindowById(window);
    return (w && dc == &w->OwnDc()) ? 1 : 0;
}

bool Gdi::BitBlt(Dc* dst, int32_t x, int32_t y, int32_t width, int32_t height, Dc* src, int32_t srcX, int32_t srcY,
                 uint32_t rop) {
    if (!dst || !src || rop != SRCCOPY || dst->kind_ != Dc::Kind::Window || src->kind_ != Dc::Kind::Memory) return false;
    Window* window = WindowById(dst->window_);
    Bitmap* bitmap = src->bitmap_;
    if (!window || !bitmap || bitmap == &stockBitmap_) return false;
    std::vector<Argb> colours;
    window->Blit(bitmap->Source(colours), srcX, srcY, width, height, x, y);
    ++counts_.bitBlts;
    return true;
}

int32_t Gdi::StretchDIBits(Dc* dst, int32_t x, int32_t y, int32_t width, int32_t height, int32_t srcX, int32_t srcY,
                           int32_t srcWidth, int32_t srcHeight, const void* bits, const BitmapInfoHeader& header,
                           const RgbQuad* colors, uint32_t usage, uint32_t rop) {
    if (!dst || rop != SRCCOPY || usage != DIB_RGB_COLORS || dst->kind_ != Dc::Kind::Window) return 0;
    std::vector<Argb> colours;
    PixelSource s;
    if (!PackedDibSource(header, colors, bits, colours, s)) return 0;
    Window* window = WindowById(dst->window_);
    if (!window) return 0;
    // The source rectangle is given from the bottom-left corner in a bottom-up bitmap.
    const int32_t top = header.height > 0 ? s.height - (srcY + srcHeight) : srcY;
    const WinRect srcRect{srcX, top, srcX + srcWidth, top + srcHeight};
    window->StretchBlit(s, srcRect, WinRect{x, y, x + width, y + height});
    return srcHeight;
}

bool Gdi::GdiFlush() {
    ++counts_.flushes;
    if (services().desktop)
        for (WindowId id : services().desktop->TopLevelWindows())
            if (Window* w = services().desktop->Find(id)) w->Flush();
    return true;
}

} // namespace plat
