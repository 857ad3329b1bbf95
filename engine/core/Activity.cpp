#include "engine/core/Activity.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/base/ByteOrder.h"
#include "engine/base/Trace.h"
#include "engine/base/Unaligned.h"
#include "engine/data/Driver.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DDrawOffscreenSurface.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/SoundLink.h"

namespace {

ChunkId ChunkIdAt(std::span<const uint8_t> bytes, size_t offset) {
    return MakeChunkId(bytes[offset], bytes::be16(bytes, offset + 2), bytes[offset + 1]);
}

/// A new background surface: off the display's flip chain under DirectDraw, else in memory.
std::unique_ptr<CDrawSurface> NewBackgroundSurface() {
    if (xProfiles_Values().directDraw) return std::unique_ptr<CDrawSurface>(new (std::nothrow) CDDrawOffscreenSurface);
    return std::unique_ptr<CDrawSurface>(new (std::nothrow) CPixelSurface);
}

} // namespace

bool ActivityHeader::Parse(std::span<const uint8_t> b, ActivityHeader& out) {
    if (b.size() < kSize) return false;
    out.classId = bytes::be32(b, 0);
    out.objectId = bytes::be32(b, 4);
    out.backgroundId = ChunkIdAt(b, 8);
    out.paletteId = ChunkIdAt(b, 12);
    out.word16 = bytes::be32(b, 16);
    out.propertyBytes = bytes::be32(b, 20);
    out.word24 = bytes::be32(b, 24);
    return true;
}

bool ActivityObjectRecord::Parse(std::span<const uint8_t> b, ActivityObjectRecord& out) {
    if (b.size() < kSize) return false;
    out.classId = bytes::be32(b, 0);
    out.objectId = bytes::be32(b, 4);
    out.partId = ChunkIdAt(b, 40);
    out.word44 = bytes::be32(b, 44);
    out.propertyBytes = bytes::be32(b, 48);
    return true;
}

OActivity::OActivity(const char* name, uint32_t classId) : OBackgroundView(name, classId) {
    SetRefCount(1);
    AddEventMask(kEventWindowRequest);
    SetCursorMode(kHitChildrenOnly);
}

OActivity::~OActivity() = default;

bool OActivity::IsA(uint32_t classId) const { return classId == kClassId || OBackgroundView::IsA(classId); }

bool OActivity::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return OBackgroundView::HandleProperty(msg, set);
    switch (msg->id) {
    case kPropValue1:
        msg->Exchange(0, value1_, set);
        break;
    case kPropTiled:
        msg->Exchange(0, tiled_, set);
        break;
    case kPropColumns:
        msg->Exchange(0, columns_, set);
        break;
    case kPropRows:
        msg->Exchange(0, rows_, set);
        break;
    case kPropTileWidth:
        msg->Exchange(0, tileWidth_, set);
        break;
    case kPropTileHeight:
        msg->Exchange(0, tileHeight_, set);
        break;
    case kPropCompactGrid:
        if (set != 0 && msg->size != 0 && columns_ > 0 && rows_ > 0 &&
            msg->size == uint32_t(columns_) * uint32_t(rows_) * 4u)
            grid_.assign(msg->Payload(), msg->Payload() + msg->size);
        break;
    case kPropTileTable:
        if (set != 0 && msg->size != 0) tiles_.assign(msg->Payload(), msg->Payload() + msg->size);
        break;
    default:
        break;
    }
    return true;
}

bool OActivity::TileGridUsable() {
    if (columns_ <= 0 || rows_ <= 0 || tileWidth_ <= 0 || tileHeight_ <= 0) {
        xTracef("OActivity - %s : tile grid of %d x %d tiles of %d x %d cannot be drawn\n", GetName(), columns_,
                rows_, tileWidth_, tileHeight_);
        return false;
    }
    if (int32_t(columns_) * tileWidth_ > INT16_MAX || int32_t(rows_) * tileHeight_ > INT16_MAX) {
        xTracef("OActivity - %s : tile map of %d x %d tiles of %d x %d is too large\n", GetName(), columns_, rows_,
                tileWidth_, tileHeight_);
        return false;
    }
    const size_t cells = size_t(columns_) * size_t(rows_);
    if (tiles_.empty() && grid_.empty()) {
        xTracef("OActivity - %s : tiled without tile data\n", GetName());
        return false;
    }
    // The old grid gives each cell 4 bytes, the tile number in the first two.
    if (tiles_.empty() && grid_.size() < cells * 4) {
        xTracef("OActivity - %s : tile grid of %u bytes is short of %u cells\n", GetName(), unsigned(grid_.size()),
                unsigned(cells));
        return false;
    }
    if (!tiles_.empty() && tiles_.size() < cells * kTileRecordSize) {
        xTracef("OActivity - %s : tile table of %u bytes is short of %u cells\n", GetName(), unsigned(tiles_.size()),
                unsigned(cells));
        return false;
    }
    return true;
}

int32_t OActivity::OnPropertiesLoaded() {
    badGrid_ = false;
    if (!tiled_) return 1;
    if (!TileGridUsable()) {
        badGrid_ = true;
        grid_.clear();
        return 1;
    }
    const size_t cells = size_t(columns_) * size_t(rows_);
    if (tiles_.empty()) {
        tiles_.assign(cells * kTileRecordSize, 0);
        for (size_t i = 0; i < cells; ++i) std::memcpy(&tiles_[i * kTileRecordSize], &grid_[i * 4], 2);
    }
    SetSize(CPoint16(int16_t(columns_ * tileWidth_), int16_t(rows_ * tileHeight_)), 0);
    tileCount_ = int32_t(columns_) * rows_;
    grid_.clear();
    grid_.shrink_to_fit();
    return 1;
}

int32_t OActivity::TileAt(int32_t row, int32_t column) const {
    if (row < 0 || column < 0 || row >= rows_ || column >= columns_) return -1;
    const size_t at = (size_t(row) * size_t(columns_) + size_t(column)) * kTileRecordSize;
    if (at + 2 > tiles_.size()) return -1;
    return unaligned::Load16(&tiles_[at]);
}

void OActivity::GetBoundsRect(CRect16* rect) {
    if (rect) *rect = CRect16(0, 0, GetWidth(), GetHeight());
}

OView* OActivity::HitTestPointDeep(const CPoint16& point) {
    if (point.x < 0 || point.y < 0 || point.x >= GetWidth() || point.y >= GetHeight()) return nullptr;
    const uint16_t mode = GetCursorMode();
    if ((mode == kHitChildrenThenSelf || mode == kHitChildrenOnly) && ChildCount() > 0) {
        for (int32_t i = ChildCount() - 1; i >= 0; --i) {
            ONode* child = ChildAt(i);
            if (!child->IsA(OView::kClassId)) continue;
            if (OView* hit = static_cast<OView*>(child)->HitTestPoint(point)) return hit;
        }
    }
    if (IsShownThroughParents() && IsVisible() && mode != kHitNever && mode != kHitChildrenOnly) return this;
    return nullptr;
}

OView* OActivity::HitTestPointAt(const CPoint16& point, OView* skipped) {
    if (point.x < 0 || point.y < 0 || point.x >= GetWidth() || point.y >= GetHeight()) return nullptr;
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        ONode* child = ChildAt(i);
        if (child == skipped || !child->IsA(OView::kClassId)) continue;
        auto* view = static_cast<OView*>(child);
        CRect16 rect;
        view->GetBoundsRect(&rect);
        if (!rect.ContainsPoint(point.x, point.y)) continue;
        if (OView* hit = view->HitTestPoint(point)) return hit;
    }
    return nullptr;
}

void OActivity::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
    OView::Draw(destination, point, source, target);
}

int32_t OActivity::FlushSoundQueues() {
    xSoundLink().ClearQueues();
    return 1;
}

bool OActivity::ReloadBackground() {
    CDrawSurface* surface = GetBackgroundSurface();
    CPartFile* file = GetBackgroundFile();
    if (!surface || !file || GetBackgroundId() == kNullChunkId) return false;
    if (!file->ChunkExists(GetBackgroundId())) return false;
    surface->Restore();
    return xFrame_CreateSurface(file, GetBackgroundId(), surface, 0) != nullptr;
}

bool OActivity::LoadBackground(CPartFile* file, ChunkId id) {
    RememberBackground(file, id);
    FrameInfo info;
    if (!xFrame_GetInfo(file, id, &info)) return false;
    if (info.width <= 0 || info.height <= 0) return false;

    CDrawSurface* surface = GetBackgroundSurface();
    if (!surface) {
        SetBackgroundSurface(NewBackgroundSurface());
        surface = GetBackgroundSurface();
        if (!surface) return false;
    }
    surface->Restore();
    if (surface->GetWidth() != info.width || surface->GetHeight() != info.height) {
        if (!surface->Create(info.width, info.height, xProfiles_Values().displayDepth)) return false;
    }
    surface->SetPalette(&palette_, 0);
    if (!xFrame_CreateSurface(file, id, surface, 0)) {
        if (!surface->IsSurfaceLost()) return false;
        xTrace("+++ OActivity::LoadFromRAVO - BG load failed due to lost surafce - continuing\n");
    }

    const CRect16 stage = CDirtyRects::Get().StageRect();
    if (tiled_ && !badGrid_ && tileCount_ > 0) {
        const int16_t width = int16_t(columns_ * tileWidth_);
        const int16_t height = int16_t(rows_ * tileHeight_);
        SetSize(CPoint16(width, height), 0);
        tileCount_ = int32_t(columns_) * rows_;
        SetScrollLimits(GetScrollMin(), CPointF(float(width - stage.Width()), float(height - stage.Height())));
        MoveBy(float(width / 2), float(height / 2), 0, 1);
    } else {
        SetSize(CPoint16(surface->GetWidth(), surface->GetHeight()), 0);
        SetScrollLimits(GetScrollMin(), CPointF(float(surface->GetWidth() - stage.Width()),
                                                float(surface->GetHeight() - stage.Height())));
    }
    return true;
}

bool OActivity::ScrollTo(const CPointF& point, uint8_t relative) {
    const CPointF old = GetScrollOffset();
    CPointF next = relative ? CPointF(old.x + point.x, old.y + point.y) : point;
    if (WrapsH()) {
        const float e = float(CDirtyRects::Get().StageRect().Width()) + GetScrollMax().x;
        const float s = GetScrollMin().x;
        for (int i = 0; i < 32001 && next.x > e; ++i) next.x = next.x - e + s;
        for (int i = 0; i < 32001 && next.x < s; ++i) next.x = e - (s - next.x);
    } else {
        next.x = ClampScroll(next.x, GetScrollMin().x, GetScrollMax().x);
    }
    next.y = ClampScroll(next.y, GetScrollMin().y, GetScrollMax().y);
    const CPointF& at = GetPosition();
    // The view follows the whole pixels the background is drawn at, so fractional steps never
    // leave it behind the picture.
    MoveBy(at.x + float(int32_t(old.x) - int32_t(next.x)), at.y + float(int32_t(old.y) - int32_t(next.y)), 0, 1);
    SetScrollOffset(next);
    if (next == old) return false;
    Invalidate();
    return true;
}

CPointF OActivity::GetBackgroundSize() {
    if (tiled_ && tileCount_ > 0) return CPointF(float(columns_ * tileWidth_), float(rows_ * tileHeight_));
    return OBackgroundView::GetBackgroundSize();
}

void OActivity::DrawBackgroundRect(const CClipRect& source, CDrawSurface* destination, const CClipRect& target) {
    CDrawSurface* sheet = GetBackgroundSurface();
    if (!sheet || !destination || source.Width() <= 0 || source.Height() <= 0 || target.Width() <= 0 ||
        target.Height() <= 0)
        return;
    if (!sheet->IsValid()) ReloadBackground();
    if (!tiled_ || tileCount_ <= 0 || badGrid_) {
        OBackgroundView::DrawBackgroundRect(source, destination, target);
        return;
    }
    const int32_t tw = tileWidth_;
    const int32_t th = tileHeight_;
    const int32_t perRow = sheet->GetWidth() / tw;
    if (perRow <= 0) return;
    const int32_t sheetTiles = perRow * (sheet->GetHeight() / th);
    const int32_t scrollX = int32_t(GetScrollOffset().x);
    const int32_t scrollY = int32_t(GetScrollOffset().y);
    const CRect16 area = FromClip(source);

    const int32_t row0 = std::max(0, int32_t(source.top) / th);
    const int32_t row1 = std::min(int32_t(rows_) - 1, (int32_t(source.bottom) - 1) / th);
    const int32_t col0 = std::max(0, int32_t(source.left) / tw);
    const int32_t col1 = std::min(int32_t(columns_) - 1, (int32_t(source.right) - 1) / tw);
    for (int32_t row = row0; row <= row1; ++row) {
        int32_t col = col0;
        while (col <= col1) {
            const int32_t first = TileAt(row, col);
            if (first < 0 || first >= sheetTiles) {
                ++col; // a tile that is not on the sheet is left out
                continue;
            }
            // A run of consecutive tile numbers is one piece, as long as it stays on one sheet row.
            int32_t length = 1;
            while (col + length <= col1) {
                const int32_t next = first + length;
                if (TileAt(row, col + length) != next || next >= sheetTiles || next % perRow == 0) break;
                ++length;
            }
            const CRect16 piece(ClampToInt16(col * tw), ClampToInt16(row * th), ClampToInt16((col + length) * tw),
                                ClampToInt16((row + 1) * th));
            const CRect16 part = piece.Intersect(area);
            if (!part.IsEmpty()) {
                const int32_t sx = (first % perRow) * tw + (part.left - piece.left);
                const int32_t sy = (first / perRow) * th + (part.top - piece.top);
                const CClipRect from(ClampToInt16(sx), ClampToInt16(sy), ClampToInt16(sx + part.Width()),
                                     ClampToInt16(sy + part.Height()));
                const CClipRect to(ClampToInt16(part.left - scrollX), ClampToInt16(part.top - scrollY),
                                   ClampToInt16(part.right - scrollX), ClampToInt16(part.bottom - scrollY));
                sheet->StretchCopy(from, destination, to, GetDrawFlags());
            }
            col += length;
        }
    }
}

bool OActivity::ReadActivityData(CPartFile* file, ODriver* stream) {
    if (!stream) return false;
    uint8_t raw[ActivityHeader::kSize];
    ActivityHeader header;
    if (!stream->ReadExactly(raw, sizeof raw) || !ActivityHeader::Parse(raw, header)) {
        xTracef("OActivity - %s : activity header cannot be read\n", GetName());
        return false;
    }
    const intptr_t size = stream->Control(DRV_SIZE);
    if (size < intptr_t(ActivityHeader::kSize) || header.propertyBytes > uint64_t(size) - ActivityHeader::kSize) {
        xTracef("OActivity - %s : %u bytes of properties run past the activity data\n", GetName(),
                unsigned(header.propertyBytes));
        return false;
    }
    LoadProperties(stream, header.propertyBytes);
    if (badGrid_) return false;
    if (header.paletteId != kNullChunkId) palette_.LoadFromChunk(file, header.paletteId);
    paletteId_ = header.paletteId;
    if (header.backgroundId != kNullChunkId) {
        if (!GetBackgroundSurface()) SetBackgroundSurface(NewBackgroundSurface());
        LoadBackground(file, header.backgroundId);
        if (paletteId_ != kNullChunkId && GetBackgroundSurface()) GetBackgroundSurface()->SetPalette(&palette_, 0);
    }
    return true;
}
