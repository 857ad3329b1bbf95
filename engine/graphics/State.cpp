#include "engine/graphics/State.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "engine/base/Trace.h"
#include "engine/base/Unaligned.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"
#include "engine/blit/Vqtrle.h"
#include "engine/data/Memory.h"
#include "engine/graphics/GraphicsMemory.h"
#include "engine/graphics/PartChunks.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/SoundLink.h"

namespace {

constexpr uint32_t kLineOffsetMask = 0x7FFFFFFFu;
constexpr uint16_t kInvalidScaleEntry = 65535;

using unaligned::Load16;
using unaligned::Load32;
using unaligned::Store16;
using unaligned::Store32;

int32_t FrameWidth(const uint8_t* frame) { return frame != nullptr ? Load16(frame) : 0; }
int32_t FrameHeight(const uint8_t* frame) { return frame != nullptr ? Load16(frame + 2) : 0; }

/// Line y of a frame in its image, null for an empty line.
const uint8_t* FrameLine(const uint8_t* image, const uint8_t* frame, int32_t y) {
    const uint32_t offset = Load32(frame + 4 + 4 * size_t(y)) & kLineOffsetMask;
    return offset != 0 ? image + offset : nullptr;
}

int32_t Scaled(int32_t size, float scale) { return static_cast<int32_t>(float(size) * scale); }

/// Where the pixels of a frame drawn at two scales come from: the frame column and row under
/// each drawn position, mirrored as the state draws it. The stepping tables of the scaled axes
/// are built once, for every position a hit test asks about.
class FrameMapping {
public:
    FrameMapping(const CState& state, const uint8_t* frame, float scaleX, float scaleY)
        : height_(FrameHeight(frame)), shownW_(Scaled(FrameWidth(frame), scaleX)), shownH_(Scaled(height_, scaleY)),
          mirrorX_(state.EffectiveMirrorX() != 0), mirrorY_(state.EffectiveMirrorY() != 0), scaledX_(scaleX != 1.0f),
          scaledY_(scaleY != 1.0f), columns_(scaledX_ && shownW_ > 0 ? size_t(shownW_) : 0),
          rows_(scaledY_ && shownH_ > 0 ? size_t(shownH_) : 0) {
        if (columns_.Get() != nullptr) xRaster_LineSpans(columns_.Get(), 0, shownW_ - 1, 0, FrameWidth(frame) - 1);
        if (rows_.Get() != nullptr) xRaster_LineSpans(rows_.Get(), 0, shownH_ - 1, 0, height_ - 1);
    }

    /// Frame column and row of the drawn position (x, y); false outside the drawn frame or
    /// without a table.
    bool Map(int32_t x, int32_t y, int32_t* column, int32_t* row) const {
        if (x < 0 || y < 0 || x >= shownW_ || y >= shownH_) {
            return false;
        }
        // Mirrored left-right, the drawn picture is the unmirrored one read from its other end.
        const int32_t dx = mirrorX_ ? shownW_ - 1 - x : x;
        if (scaledX_ && columns_.Get() == nullptr) return false;
        if (scaledY_ && rows_.Get() == nullptr) return false;
        *column = scaledX_ ? columns_.Get()[dx] : dx;
        *row = scaledY_ ? rows_.Get()[y] : y;
        if (mirrorY_) {
            *row = height_ - 1 - *row;
        }
        return true;
    }

private:
    int32_t height_;
    int32_t shownW_;
    int32_t shownH_;
    bool mirrorX_;
    bool mirrorY_;
    bool scaledX_;
    bool scaledY_;
    CTempArray<uint16_t> columns_;
    CTempArray<uint16_t> rows_;
};

/// Decodes a line (null: empty) of `width` pixels into `out`.
void DecodeLine(const uint8_t* line, int32_t width, uint8_t* out, const uint8_t* blocks) {
    if (line == nullptr) {
        std::memset(out, 0, size_t(width));
        return;
    }
    GetBltCompSolid(8, 8, 0)(line, static_cast<int16_t>(width), out, blocks, nullptr);
}

} // namespace

void xRaster_LineSpans(uint16_t* table, int32_t first, int32_t last, int32_t firstSource, int32_t lastSource) {
    BltMakeScaleTable(table, first, last, firstSource, lastSource);
}

CState::CState() { kind = kKindState; }

CState::~CState() { Unload(); }

// ---- Loading --------------------------------------------------------------------------------

int32_t CState::Load(CPartFile* file, ChunkId id, uint8_t useCache) {
    if (id == stateId) {
        return 0;
    }
    uint8_t* table = commonBlocks; // the part's table outlives the state's contents
    Unload();
    commonBlocks = table;
    CStateRecord* record = nullptr;
    if (useCache) {
        record = GetState(file, id);
        fromCache = record != nullptr ? 1 : 0;
    }
    if (record == nullptr) {
        record = LoadState(file, id);
    }
    if (record == nullptr) {
        return 0;
    }
    stateRecord = record;
    partFile = file;
    stateId = id;
    uint8_t* image = nullptr;
    if (useCache && fromCache) {
        image = GetCompImage(file, id, commonBlocks);
        compImageCached_ = image != nullptr ? 1 : 0;
    }
    if (image == nullptr) {
        image = LoadCompImage(file, id, commonBlocks);
        compImageOwned = image != nullptr ? 1 : 0;
    }
    if (image == nullptr) {
        Unload();
        commonBlocks = table;
        return 0;
    }
    compImage = image;
    loaded = 1;
    if (record->accumulate) {
        accumSurface = std::make_unique<CPixelSurface>();
        accumSurface->Create(static_cast<int16_t>(GetFrameWidthAt(0)), static_cast<int16_t>(GetFrameHeightAt(0)), 8);
        accumFrame_ = -1;
    }
    if (rotation == 90 || rotation == 270) {
        BuildRotatedImage();
    }
    xSoundLink().UnloadSnippet(snippet);
    snippet = soundId != kNullChunkId ? xSoundLink().LoadSnippet(file, soundId) : nullptr;
    return 1;
}

void CState::ReleaseCompImage() {
    if (compImage != nullptr) {
        if (compImageOwned) {
            FreeCompImage(compImage);
        } else if (compImageCached_) {
            ::ReleaseCompImage(partFile, stateId, compImage);
        }
    }
    compImage = nullptr;
    compImageOwned = 0;
    compImageCached_ = 0;
}

void CState::Unload() {
    if (stateRecord != nullptr) {
        if (fromCache) {
            ReleaseState(partFile, stateId, stateRecord);
        } else {
            FreeState(stateRecord);
        }
        stateRecord = nullptr;
    }
    ReleaseCompImage();
    PoolFreeBlock(rotatedImage);
    rotatedImage = nullptr;
    commonBlocks = nullptr;
    accumSurface.reset();
    accumFrame_ = -1;
    fromCache = 0;
    partFile = nullptr;
    stateId = kNullChunkId;
    xSoundLink().UnloadSnippet(snippet);
    snippet = nullptr;
    soundChannel = nullptr;
    CFrameSequencer::Reset();
}

void CState::SetCompImage(uint8_t* image, uint32_t tag, uint8_t owned) {
    ReleaseCompImage();
    compImage = image;
    compImageTag = tag;
    compImageOwned = owned;
    // The turned frames follow the image they were made from.
    PoolFreeBlock(rotatedImage);
    rotatedImage = nullptr;
    if (rotation == 90 || rotation == 270) {
        BuildRotatedImage();
    }
    accumFrame_ = -1;
    RedrawAccumulation();
}

uint16_t CState::GetBaseValue() const { return stateRecord != nullptr ? stateRecord->propertyValue : 0; }

// ---- Frames ---------------------------------------------------------------------------------

int32_t CState::GetFrameCount() { return stateRecord != nullptr ? std::max<int32_t>(0, stateRecord->FrameCount()) : 0; }

bool CState::ValidFrame(int32_t f) const {
    return stateRecord != nullptr && f >= 0 && f < stateRecord->FrameCount();
}

const uint8_t* CState::ImageFrame(const uint8_t* image, int32_t f) {
    if (image == nullptr || f < 0 || f >= static_cast<int16_t>(Load16(image + 4))) {
        return nullptr;
    }
    const uint32_t offset = Load32(image + 8 + 4 * size_t(f));
    return offset != 0 ? image + offset : nullptr;
}

const uint8_t* CState::DrawImage() const { return rotation == 90 || rotation == 270 ? rotatedImage : compImage; }

const uint8_t* CState::CurrentFrameData() const {
    return ValidFrame(currentFrame) ? ImageFrame(DrawImage(), currentFrame) : nullptr;
}

int32_t CState::GetFrameWidthAt(int32_t f) { return ValidFrame(f) ? FrameWidth(ImageFrame(DrawImage(), f)) : 0; }

int32_t CState::GetFrameHeightAt(int32_t f) { return ValidFrame(f) ? FrameHeight(ImageFrame(DrawImage(), f)) : 0; }

int32_t CState::GetCompWidth() { return ValidFrame(currentFrame) ? FrameWidth(ImageFrame(compImage, currentFrame)) : 0; }

int32_t CState::GetCompHeight() {
    return ValidFrame(currentFrame) ? FrameHeight(ImageFrame(compImage, currentFrame)) : 0;
}

uint32_t CState::EffectiveMirrorX() const {
    if (rotation == 180 || rotation == 270) {
        return mirrorX == 1 ? 0 : 1;
    }
    return mirrorX;
}

uint32_t CState::EffectiveMirrorY() const {
    if (rotation == 180 || rotation == 270) {
        return mirrorY == 1 ? 0 : 1;
    }
    return mirrorY;
}

namespace {

/// The point a frame record stores as y then x at `at`, negated per effective mirror flag.
CPoint16 RecordPoint(const CState& state, const uint8_t* record, size_t at) {
    int16_t y = static_cast<int16_t>(Load16(record + at));
    int16_t x = static_cast<int16_t>(Load16(record + at + 2));
    if (state.EffectiveMirrorX()) x = static_cast<int16_t>(-x);
    if (state.EffectiveMirrorY()) y = static_cast<int16_t>(-y);
    return CPoint16(x, y);
}

} // namespace

CPoint16 CState::GetHotSpotAt(int32_t f) {
    return ValidFrame(f) ? RecordPoint(*this, stateRecord->Frame(f), 4) : CPoint16();
}

CPoint16 CState::GetFrameOffset(int32_t frame) {
    if (frame == -1) {
        frame = currentFrame;
    }
    return ValidFrame(frame) ? RecordPoint(*this, stateRecord->Frame(frame), 8) : CPoint16();
}

int32_t CState::GetFrameDurationAt(int32_t f) { return ValidFrame(f) ? Load16(stateRecord->Frame(f) + 12) : 0; }

uint64_t CState::RunDurationUnits(int32_t first, int32_t last) {
    uint64_t units = 0;
    for (int32_t f = first; f <= last; ++f) {
        units += uint64_t(GetFrameDurationAt(f));
    }
    return units;
}

// ---- Timing ---------------------------------------------------------------------------------

int32_t CState::Step() {
    previousFrame = currentFrame;
    if (!timed) {
        const int32_t result = forward ? NextFrame() : PrevFrame();
        if (result == kStepRunEnd) {
            startTick = Now();
            pauseTick = 0;
        }
        return result;
    }
    // 64-bit: a held state may stand for days.
    const uint64_t units = durationRate > 0 ? uint64_t(Elapsed()) * uint64_t(durationRate) / 1000 : 0;
    const int32_t count = GetFrameCount();
    int32_t target = -1;
    uint64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t f = forward ? i : count - 1 - i;
        sum += uint64_t(GetFrameDurationAt(f));
        if (sum >= units) {
            target = f;
            break;
        }
    }
    if (target < 0) {
        if (hold) {
            currentFrame = previousFrame;
            const int32_t result = endReported ? kStepStillAtEnd : kStepHeldEnd;
            endReported = 1;
            OnFrameChanged();
            return result;
        }
        startTick = Now();
        pauseTick = 0;
        OnFrameChanged();
        return kStepRunEnd;
    }
    if (target == currentFrame) {
        OnFrameChanged();
        return kStepNoChange;
    }
    currentFrame = target;
    OnFrameChanged();
    return forward ? kStepForward : kStepBackward;
}

void CState::SetFrame(int32_t frame) {
    const int32_t count = GetFrameCount();
    if (frame < 0 || frame >= count) {
        xTrace("WARNING - OnSetFrame() call ignored, out of range\n");
        return;
    }
    previousFrame = currentFrame;
    currentFrame = frame;
    if (previousFrame == currentFrame) {
        return;
    }
    const uint64_t units = forward ? RunDurationUnits(0, frame - 1) : RunDurationUnits(frame, count - 1);
    const uint64_t ms = durationRate > 0 ? units * 1000 / uint64_t(durationRate) : 0;
    // A paused state keeps its pause: the stamp counts back from the pause.
    startTick = (pauseTick != 0 ? pauseTick : Now()) - static_cast<uint32_t>(ms);
    OnFrameChanged();
}

void CState::SetToEnd() {
    const int32_t count = GetFrameCount();
    if (count == 0) {
        return;
    }
    currentFrame = count - 1;
    previousFrame = -1;
    const uint64_t ms = durationRate > 0 ? RunDurationUnits(0, count - 1) * 1000 / uint64_t(durationRate) : 0;
    startTick = Now() - static_cast<uint32_t>(ms);
    OnFrameChanged();
}

// ---- Rotation -------------------------------------------------------------------------------

int32_t CState::SetRotation(int32_t degrees) {
    const int32_t angle = ((degrees % 360) + 360) % 360;
    if (angle % 90 != 0) {
        return angle / 90;
    }
    if ((angle == 90 || angle == 270) && rotatedImage == nullptr) {
        BuildRotatedImage();
    }
    rotation = angle;
    return angle / 90;
}

void CState::BuildRotatedImage() {
    const int32_t count = GetFrameCount();
    if (compImage == nullptr || count == 0) {
        return;
    }
    const size_t head = 8 + 4 * size_t(count);
    size_t room = head;
    for (int32_t f = 0; f < count; ++f) {
        const uint8_t* frame = ImageFrame(compImage, f);
        room += CompressSurfaceBound(FrameHeight(frame), FrameWidth(frame));
    }
    CTempArray<uint8_t> work{room};
    if (work.Get() == nullptr) {
        return;
    }
    uint8_t* out = work.Get();
    std::memset(out, 0, head);
    Store16(out + 4, static_cast<uint16_t>(count));
    size_t used = head;
    std::unordered_map<const uint8_t*, uint32_t> made; // frames shared by several entries
    CPixelSurface upright;
    CPixelSurface turned;
    for (int32_t f = 0; f < count; ++f) {
        const uint8_t* frame = ImageFrame(compImage, f);
        const int32_t w = FrameWidth(frame);
        const int32_t h = FrameHeight(frame);
        if (frame == nullptr || w == 0 || h == 0) {
            continue;
        }
        if (auto it = made.find(frame); it != made.end()) {
            Store32(out + 8 + 4 * size_t(f), it->second);
            continue;
        }
        // From the frame as stored: no mirror flag may end up in the turned picture.
        if (!upright.Create(static_cast<int16_t>(w), static_cast<int16_t>(h), 8) ||
            !turned.Create(static_cast<int16_t>(h), static_cast<int16_t>(w), 8)) {
            continue;
        }
        uint8_t* pixels = upright.Lock();
        for (int32_t y = 0; y < h; ++y) {
            DecodeLine(FrameLine(compImage, frame, y), w, pixels + upright.GetPitch() * y, commonBlocks);
        }
        upright.Unlock();
        upright.CopyRotated(CClipRect(0, 0, int16_t(w), int16_t(h)), &turned, CClipRect(0, 0, int16_t(h), int16_t(w)), 0);
        uint32_t size = 0;
        uint8_t* written = CompressSurface(&turned, &size, out + used, room - used);
        if (written == nullptr) {
            continue;
        }
        for (int32_t y = 0; y < w; ++y) {
            uint8_t* slot = written + 4 + 4 * size_t(y);
            if (const uint32_t line = Load32(slot); line != 0) {
                Store32(slot, line + static_cast<uint32_t>(used));
            }
        }
        made.emplace(frame, static_cast<uint32_t>(used));
        Store32(out + 8 + 4 * size_t(f), static_cast<uint32_t>(used));
        used += size;
    }
    Store32(out, static_cast<uint32_t>(used));
    auto* image = static_cast<uint8_t*>(PoolAllocBlock(PoolForThread(), used));
    if (image != nullptr) {
        std::memcpy(image, out, used);
        rotatedImage = image;
    }
}

// ---- Recolouring ----------------------------------------------------------------------------

void CState::Recolor(uint8_t bandA, uint8_t bandB, uint8_t* blocks) {
    if ((bandA == 0 && bandB == 0) || partFile == nullptr || compImage == nullptr) {
        return;
    }
    uint8_t* copy = LoadCompImage(partFile, stateId, commonBlocks);
    if (copy == nullptr) {
        return;
    }
    uint8_t* table = blocks != nullptr ? blocks : commonBlocks;
    if (bandA != 0) {
        VQTRLE_RecolorFrames(copy, 32, static_cast<uint8_t>(bandA - 1), table);
    }
    if (bandB != 0) {
        VQTRLE_RecolorFrames(copy, 33, static_cast<uint8_t>(bandB - 1), table);
    }
    SetCompImage(copy, compImageTag, 1);
}

// ---- Accumulation ---------------------------------------------------------------------------

void CState::OnFrameChanged() { RedrawAccumulation(); }

void CState::RedrawAccumulation() {
    if (stateRecord == nullptr || !stateRecord->accumulate || accumSurface == nullptr || currentFrame == accumFrame_) {
        return;
    }
    // Moving on, the frames since the one shown are drawn over it: frame 0 covers the whole
    // surface, so that gives the picture a run from frame 0 gives. Otherwise from frame 0.
    const int32_t first = accumFrame_ >= 0 && currentFrame > accumFrame_ ? accumFrame_ + 1 : 0;
    uint8_t* pixels = accumSurface->Lock();
    const int32_t sw = accumSurface->GetWidth();
    const int32_t sh = accumSurface->GetHeight();
    const int32_t pitch = accumSurface->GetPitch();
    bool complete = pixels != nullptr;
    for (int32_t f = first; complete && f <= currentFrame; ++f) {
        const uint8_t* frame = ImageFrame(compImage, f);
        const int32_t w = FrameWidth(frame);
        const int32_t h = FrameHeight(frame);
        if (frame == nullptr || w == 0) {
            continue;
        }
        CTempArray<uint8_t> line{size_t(w)};
        if (line.Get() == nullptr) {
            complete = false;
            break;
        }
        for (int32_t y = 0; y < std::min(h, sh); ++y) {
            const uint8_t* data = FrameLine(compImage, frame, y);
            if (data == nullptr && f != 0) {
                continue;
            }
            DecodeLine(data, w, line.Get(), commonBlocks);
            uint8_t* row = pixels + pitch * y;
            for (int32_t x = 0; x < std::min(w, sw); ++x) {
                if (f == 0 || line.Get()[x] != 0) {
                    row[x] = line.Get()[x];
                }
            }
        }
    }
    accumSurface->Unlock();
    // A picture left unfinished is drawn again from frame 0 at the next change.
    accumFrame_ = complete ? currentFrame : -1;
}

// ---- Drawing --------------------------------------------------------------------------------

void CState::OnCopyFrameToSurface(CDrawSurface* dest, const CClipRect* sourceRect, const CClipRect* destRect,
                                  CColorPalette* palette, uint32_t /*spare*/) {
    if (dest == nullptr) {
        return;
    }
    const uint32_t mx = EffectiveMirrorX();
    const uint32_t my = EffectiveMirrorY();
    const int32_t frameW = GetFrameWidth();
    const int32_t frameH = GetFrameHeight();
    CClipRect src = sourceRect != nullptr ? *sourceRect : CClipRect(0, 0, int16_t(frameW), int16_t(frameH));
    if (sourceRect != nullptr && my) {
        src.top = static_cast<int16_t>(frameH - sourceRect->bottom);
        src.bottom = static_cast<int16_t>(frameH - sourceRect->top);
    }
    const CClipRect dst =
        destRect != nullptr ? *destRect : CClipRect(0, 0, int16_t(src.Width()), int16_t(src.Height()));

    if (stateRecord != nullptr && stateRecord->accumulate && accumSurface != nullptr) {
        if (palette != nullptr) {
            accumSurface->SetPalette(palette);
        }
        // A silhouette has no mask to read here: the frames are drawn with colour 0 left out.
        const uint32_t mode = drawMode == uint32_t(kBltSilhouette) ? uint32_t(kBltTrans) : drawMode;
        if (mx) {
            accumSurface->StretchCopyFlipped(src, dest, dst, mode);
        } else {
            accumSurface->StretchCopy(src, dest, dst, mode);
        }
        return;
    }

    const uint8_t* image = DrawImage();
    const uint8_t* frame = CurrentFrameData();
    if (frame == nullptr || frameW == 0 || frameH == 0 || dst.Width() <= 0 || dst.Height() <= 0) {
        return;
    }
    uint8_t* pixels = dest->Lock();
    if (pixels == nullptr) {
        dest->Unlock();
        return;
    }
    const int32_t pitch = dest->GetPitch();
    const int32_t depth = dest->GetBitsPerPixel();
    const int32_t bpp = depth / 8;
    const int32_t destW = dest->GetWidth();
    const int32_t destH = dest->GetHeight();

    BltSettings& blt = BltContext();
    blt.BltDstPixelFormat = dest->GetPixelFormat();
    blt.BltSrcPixelFormat = 0;
    blt.BltTintColor = ColorWord(tintColour[0], tintColour[1], tintColour[2]);
    blt.BltTintLevel = tintLevel;
    blt.BltBlendLevel = blendLevel;

    // The part of the destination rectangle that lies on the destination.
    const int32_t clipL = std::max(0, -int32_t(dst.left));
    const int32_t clipR = std::max(0, int32_t(dst.right) - destW);
    const int32_t count = dst.Width() - clipL - clipR;
    CTempArray<uint8_t> line{size_t(frameW)};

    if (src.Width() == dst.Width() && src.Height() == dst.Height()) {
        if (src.left < 0 || src.top < 0 || src.right > frameW || src.bottom > frameH || count <= 0 ||
            line.Get() == nullptr) {
            dest->Unlock();
            return;
        }
        const BltCompFunc straight = GetBltCompFunc(8, depth, int32_t(drawMode), uint8_t(mx != 0));
        const BltFunc plain = GetBltFunc(8, depth, int32_t(drawMode), uint8_t(mx != 0));
        const bool whole = src.left == 0 && src.right == frameW && clipL == 0 && clipR == 0;
        // Mirrored, the run is read from its far end: a cut on the right moves the source start.
        const int32_t srcStart = src.left + (mx ? clipR : clipL);
        for (int32_t i = 0; i < dst.Height(); ++i) {
            const int32_t y = dst.top + i;
            if (y < 0 || y >= destH) {
                continue;
            }
            const int32_t row = my ? src.bottom - 1 - i : src.top + i;
            const uint8_t* data = FrameLine(image, frame, row);
            if (data == nullptr) {
                continue;
            }
            uint8_t* out = pixels + pitch * y + bpp * (dst.left + clipL);
            if (whole) {
                if (straight != nullptr) straight(data, static_cast<int16_t>(frameW), out, commonBlocks, palette);
            } else if (plain != nullptr) {
                DecodeLine(data, frameW, line.Get(), commonBlocks);
                plain(line.Get() + srcStart, static_cast<int16_t>(count), out, palette);
            }
        }
    } else {
        const BltFunc scaled = GetBltScaledFunc(8, depth, int32_t(drawMode), uint8_t(mx != 0));
        const uint16_t* rows = blt.BltScaleTableY;
        const uint16_t* columns = blt.BltScaleTableX;
        if (scaled == nullptr || rows == nullptr || columns == nullptr || count <= 0 || line.Get() == nullptr) {
            dest->Unlock();
            return;
        }
        // Every column the routine will read must lie in the frame.
        const uint16_t* first = columns + (mx ? clipR : clipL);
        for (int32_t j = 0; j < count; ++j) {
            if (first[j] >= frameW) {
                xTrace("CState::OnCopyFrameToSurface - invalid entry in scaling table\n", __FILE__, __LINE__);
                dest->Unlock();
                return;
            }
        }
        const int16_t origin = blt.BltScaleOriginX;
        blt.BltScaleTableX = first;
        blt.BltScaleOriginX = 0;
        for (int32_t i = 0; i < dst.Height(); ++i) {
            const int32_t y = dst.top + i;
            if (y < 0 || y >= destH) {
                continue;
            }
            const uint16_t entry = rows[i];
            if (entry == kInvalidScaleEntry || entry >= frameH) {
                xTrace("CState::OnCopyFrameToSurface - invalid entry in scaling table\n", __FILE__, __LINE__);
                continue;
            }
            const int32_t row = my ? frameH - 1 - entry : entry;
            const uint8_t* data = FrameLine(image, frame, row);
            if (data == nullptr) {
                continue;
            }
            DecodeLine(data, frameW, line.Get(), commonBlocks);
            scaled(line.Get(), static_cast<int16_t>(count), pixels + pitch * y + bpp * (dst.left + clipL), palette);
        }
        blt.BltScaleTableX = columns;
        blt.BltScaleOriginX = origin;
    }
    dest->Unlock();
}

// ---- Hit tests ------------------------------------------------------------------------------

uint8_t CState::FramePixel(const uint8_t* frame, int32_t column, int32_t row) {
    if (stateRecord != nullptr && stateRecord->accumulate && accumSurface != nullptr) {
        if (column < 0 || row < 0 || column >= accumSurface->GetWidth() || row >= accumSurface->GetHeight()) {
            return 0;
        }
        const uint8_t value = accumSurface->Lock()[accumSurface->GetPitch() * row + column];
        accumSurface->Unlock();
        return value;
    }
    const int32_t w = FrameWidth(frame);
    if (frame == nullptr || column < 0 || row < 0 || column >= w || row >= FrameHeight(frame)) {
        return 0;
    }
    const uint8_t* line = FrameLine(DrawImage(), frame, row);
    return line != nullptr ? VQTRLE_HitTestLine(static_cast<int16_t>(column), static_cast<int16_t>(column + 1), line,
                                                static_cast<int16_t>(w), commonBlocks)
                           : 0;
}

bool CState::HitTestPointScaled(CPoint16 point, CPoint16 origin, float scaleX, float scaleY) {
    const uint8_t* frame = CurrentFrameData();
    if (frame == nullptr) {
        return false;
    }
    int32_t column = 0;
    int32_t row = 0;
    if (!FrameMapping(*this, frame, scaleX, scaleY).Map(point.x - origin.x, point.y - origin.y, &column, &row)) {
        return false;
    }
    return FramePixel(frame, column, row) != 0;
}

bool CState::HitTestRect(const CClipRect& rect) {
    const uint8_t* frame = CurrentFrameData();
    if (frame == nullptr) {
        return false;
    }
    const int32_t w = FrameWidth(frame);
    const int32_t h = FrameHeight(frame);
    int32_t left = std::max<int32_t>(rect.left, 0);
    int32_t right = std::min<int32_t>(rect.right, w);
    if (EffectiveMirrorX()) {
        const int32_t l = w - right;
        right = w - left;
        left = l;
    }
    if (left >= right) {
        return false;
    }
    for (int32_t r = std::max<int32_t>(rect.top, 0); r < std::min<int32_t>(rect.bottom, h); ++r) {
        const int32_t row = EffectiveMirrorY() ? h - 1 - r : r;
        const uint8_t* line = FrameLine(DrawImage(), frame, row);
        if (line != nullptr && VQTRLE_HitTestLine(static_cast<int16_t>(left), static_cast<int16_t>(right), line,
                                                  static_cast<int16_t>(w), commonBlocks)) {
            return true;
        }
    }
    return false;
}

bool CState::IntersectsState(const CClipRect& rect, float scaleX, float scaleY, CState* other,
                             const CClipRect& otherRect, float otherScaleX, float otherScaleY) {
    if (other == nullptr) {
        return false;
    }
    const uint8_t* frameA = CurrentFrameData();
    const uint8_t* frameB = other->CurrentFrameData();
    if (frameA == nullptr || frameB == nullptr) {
        return false;
    }
    const int32_t left = std::max(rect.left, otherRect.left);
    const int32_t right = std::min(rect.right, otherRect.right);
    const int32_t top = std::max(rect.top, otherRect.top);
    const int32_t bottom = std::min(rect.bottom, otherRect.bottom);
    const int32_t wA = FrameWidth(frameA);
    const int32_t wB = FrameWidth(frameB);
    CTempArray<uint8_t> lineA{size_t(wA)};
    CTempArray<uint8_t> lineB{size_t(wB)};
    if (lineA.Get() == nullptr || lineB.Get() == nullptr) {
        return false;
    }
    const FrameMapping mapA(*this, frameA, scaleX, scaleY);
    const FrameMapping mapB(*other, frameB, otherScaleX, otherScaleY);
    for (int32_t y = top; y < bottom; ++y) {
        bool decoded = false;
        for (int32_t x = left; x < right; ++x) {
            int32_t cA, rA, cB, rB;
            if (!mapA.Map(x - rect.left, y - rect.top, &cA, &rA) ||
                !mapB.Map(x - otherRect.left, y - otherRect.top, &cB, &rB)) {
                continue;
            }
            if (!decoded) {
                DecodeLine(FrameLine(DrawImage(), frameA, rA), wA, lineA.Get(), commonBlocks);
                DecodeLine(FrameLine(other->DrawImage(), frameB, rB), wB, lineB.Get(), other->commonBlocks);
                decoded = true;
            }
            if (lineA.Get()[cA] != 0 && lineB.Get()[cB] != 0) {
                return true;
            }
        }
    }
    return false;
}

bool CState::HitTestSegment(CPoint16 start, CPoint16 end, const CClipRect& rect, float scaleX, float scaleY,
                            CPoint16* outPoint, uint8_t* outFlag) {
    if (outFlag != nullptr) *outFlag = 1;
    if (outPoint != nullptr) *outPoint = start;
    const uint8_t* frame = CurrentFrameData();
    if (frame == nullptr) {
        return false;
    }
    int32_t x = start.x;
    int32_t y = start.y;
    const int32_t dx = std::abs(end.x - start.x);
    const int32_t dy = -std::abs(end.y - start.y);
    const int32_t sx = start.x < end.x ? 1 : -1;
    const int32_t sy = start.y < end.y ? 1 : -1;
    int32_t err = dx + dy;
    const FrameMapping mapping(*this, frame, scaleX, scaleY);
    for (;;) {
        int32_t column = 0;
        int32_t row = 0;
        if (mapping.Map(x - rect.left, y - rect.top, &column, &row) && FramePixel(frame, column, row) != 0) {
            if (outPoint != nullptr) *outPoint = CPoint16(int16_t(x), int16_t(y));
            return true;
        }
        if (x == end.x && y == end.y) {
            return false;
        }
        const int32_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// ---- Sound ----------------------------------------------------------------------------------

void CState::PlaySound(uint8_t loop) {
    if (snippet == nullptr) {
        return;
    }
    CSoundLink& sound = xSoundLink();
    sound.SetSnippetLoop(snippet, loop ? kSnippetLoop : kSnippetOnce);
    uint32_t pipe = 0;
    SoundChannel* channel = sound.FindFreePipe(&pipe);
    if (channel == nullptr) {
        return;
    }
    soundChannel = channel;
    soundPipe = pipe;
    sound.PlayOnPipe(snippet, soundPipe, 0, 0);
}

void CState::StopSound() {
    if (snippet == nullptr) {
        return;
    }
    CSoundLink& sound = xSoundLink();
    sound.StopOnPipe(snippet, soundPipe);
    if (soundChannel != nullptr) {
        sound.SetBalance(soundChannel, 128, 128);
        sound.SetVolume(soundChannel, 127);
    }
    soundChannel = nullptr;
}

// ---- Compression ----------------------------------------------------------------------------

size_t CState::CompressSurfaceBound(int32_t width, int32_t height) {
    const size_t h = height > 0 ? size_t(height) : 0;
    return 4 + 4 * h + h * VQTRLE_MaxLineBytes(width);
}

uint8_t* CState::CompressSurface(CDrawSurface* surface, uint32_t* outSize, uint8_t* buffer, size_t capacity) {
    if (outSize != nullptr) *outSize = 0;
    if (surface == nullptr || surface->GetBitsPerPixel() != 8) {
        return nullptr;
    }
    const int32_t w = surface->GetWidth();
    const int32_t h = surface->GetHeight();
    const bool own = buffer == nullptr;
    if (own) {
        capacity = CompressSurfaceBound(w, h);
        buffer = static_cast<uint8_t*>(PoolAllocBlock(PoolForThread(), capacity));
        if (buffer == nullptr) {
            return nullptr;
        }
    }
    const size_t lineRoom = VQTRLE_MaxLineBytes(w);
    size_t used = 4 + 4 * size_t(h);
    bool fits = used <= capacity;
    uint8_t* pixels = fits ? surface->Lock() : nullptr;
    if (fits && pixels != nullptr) {
        Store16(buffer, static_cast<uint16_t>(w));
        Store16(buffer + 2, static_cast<uint16_t>(h));
        const int32_t pitch = surface->GetPitch();
        for (int32_t y = 0; y < h; ++y) {
            if (capacity - used < lineRoom * size_t(h - y)) {
                fits = false;
                break;
            }
            const int32_t n = VQTRLE_CompressLine(pixels + pitch * y, static_cast<int16_t>(w), buffer + used, capacity - used);
            if (n < 0) {
                fits = false;
                break;
            }
            Store32(buffer + 4 + 4 * size_t(y), n > 0 ? static_cast<uint32_t>(used) : 0);
            used += size_t(n);
        }
    }
    surface->Unlock();
    if (!fits || pixels == nullptr) {
        if (!fits) xTrace("Error - CompressSurface() : Calculated work buffer too small\n");
        if (own) PoolFreeBlock(buffer);
        return nullptr;
    }
    if (outSize != nullptr) *outSize = static_cast<uint32_t>(used);
    return buffer;
}
