#pragma once
#include <cstdint>
#include <memory>

#include "engine/data/ChunkId.h"
#include "engine/graphics/FrameSequencer.h"

class CPartFile;
class CPixelSurface;
struct CStateRecord;
struct SoundChannel;
struct xSnippet;

/// One animation of a part: compressed 8-bit frames with a hot spot, an offset and a display
/// duration each, loaded from a state chunk and its compressed image, drawn mirrored, turned by
/// quarter turns, scaled, tinted or blended, tested for hits pixel by pixel, and optionally
/// carrying a sound snippet.
///
/// Images in memory are host order: u32 size, i16 frame count, u16, one u32 frame offset per
/// frame (0: none), then the frames: u16 width, u16 height, one u32 line offset per line from
/// the image's start (0: empty line; bit 31 is masked off), and the compressed lines.
///
/// Rotations 180 and 270 invert both mirror flags: 180 is drawn as the plain frames mirrored
/// both ways, 270 as the quarter-turned frames mirrored both ways.
class CState : public CFrameSequencer {
public:
    CState();
    /// Unloads.
    ~CState() override;

    /// Loads the state and its compressed image (through the chunk cache when asked); 1 when
    /// loaded, 0 when nothing was (also for the id already loaded). The common-block table must
    /// be set before: the image's lines are checked against it.
    int32_t Load(CPartFile* partFile, ChunkId stateId, uint8_t useCache);
    /// Releases the record and images, the accumulation surface and the snippet, then resets
    /// the timing.
    void Unload();
    void Reset() override { Unload(); }
    /// Replaces the compressed image; an owned one is freed by the state.
    void SetCompImage(uint8_t* image, uint32_t tag, uint8_t owned);

    int32_t GetFrameCount() override;
    int32_t GetDepth() override { return 8; }
    int32_t GetFrameWidth() override { return GetFrameWidthAt(currentFrame); }
    int32_t GetFrameHeight() override { return GetFrameHeightAt(currentFrame); }
    CPoint16 GetHotSpot() override { return GetHotSpotAt(currentFrame); }
    int32_t GetFrameDuration() override { return GetFrameDurationAt(currentFrame); }
    void OnCopyFrameToSurface(CDrawSurface* dest, const CClipRect* sourceRect, const CClipRect* destRect,
                              CColorPalette* palette, uint32_t spare) override;
    /// Recolours a private copy of the image: band a from band 32, band b from band 33 (0 each:
    /// nothing), following the common blocks.
    void Recolor(uint8_t bandA, uint8_t bandB, uint8_t* blocks) override;
    void RecolorBands(uint8_t bandA, uint8_t bandB, uint8_t* blocks) { Recolor(bandA, bandB, blocks); }
    /// Redraws the accumulation surface of accumulating states.
    void OnFrameChanged() override;
    /// Builds the quarter-turned image once for 90 and 270.
    int32_t SetRotation(int32_t degrees) override;
    /// Makes the frame current and sets the start stamp back so that the timed step finds it.
    void SetFrame(int32_t frame) override;
    /// Timed step by the frames' durations (results 1-6).
    int32_t Step() override;

    int32_t GetFrameWidthAt(int32_t frame);
    int32_t GetFrameHeightAt(int32_t frame);
    /// Size of the current frame in the compressed image, whatever the rotation.
    int32_t GetCompWidth();
    int32_t GetCompHeight();
    /// Hot spot of a frame, negated per effective mirror flag; (0, 0) out of range.
    CPoint16 GetHotSpotAt(int32_t frame);
    int32_t GetFrameDurationAt(int32_t frame);
    /// Offset of a frame (-1: the current one), negated per effective mirror flag; (0, 0) when
    /// missing.
    CPoint16 GetFrameOffset(int32_t frame);
    /// Shows the last frame as if the whole run had just played.
    void SetToEnd();
    /// The u16 property value of the state record (0 without one).
    uint16_t GetBaseValue() const;

    /// Mirror flags in force: inverted for the rotations 180 and 270.
    uint32_t EffectiveMirrorX() const;
    uint32_t EffectiveMirrorY() const;

    // ---- hit tests on the current frame (a pixel is hit when its colour index is not 0)
    /// Whether a drawn pixel of the frame lies in the rectangle (frame coordinates).
    bool HitTestRect(const CClipRect& rect);
    /// Whether the point hits a drawn pixel of the frame drawn at the scales from the origin.
    bool HitTestPointScaled(CPoint16 point, CPoint16 origin, float scaleX, float scaleY);
    /// Whether this frame, drawn into `rect` at its scales, and the other state's frame, drawn
    /// into `otherRect` at its own, have a drawn pixel in common.
    bool IntersectsState(const CClipRect& rect, float scaleX, float scaleY, CState* other,
                         const CClipRect& otherRect, float otherScaleX, float otherScaleY);
    /// Walks the segment over the frame drawn into `rect` at the scales and answers whether it
    /// meets a drawn pixel; the first such point goes to `outPoint` (which starts as `start`),
    /// and `outFlag` is set to 1.
    bool HitTestSegment(CPoint16 start, CPoint16 end, const CClipRect& rect, float scaleX, float scaleY,
                        CPoint16* outPoint, uint8_t* outFlag);

    // ---- sound
    void PlaySound(uint8_t loop);
    void StopSound();

    /// Compresses an 8-bit surface into a compressed frame: into `buffer` of `capacity` bytes,
    /// or a new block of the memory manager when null. Null (after a trace) when the room left
    /// cannot take the lines still to write. `outSize` receives the bytes written.
    static uint8_t* CompressSurface(CDrawSurface* surface, uint32_t* outSize, uint8_t* buffer = nullptr,
                                    size_t capacity = 0);
    /// The room CompressSurface may need for a frame of that size.
    static size_t CompressSurfaceBound(int32_t width, int32_t height);

    CStateRecord* stateRecord = nullptr;
    uint8_t* compImage = nullptr;
    uint32_t compImageTag = 0;
    uint8_t* rotatedImage = nullptr;
    uint8_t fromCache = 0;
    CPartFile* partFile = nullptr;
    uint8_t compImageOwned = 0;
    uint8_t* commonBlocks = nullptr;
    ChunkId stateId = kNullChunkId;
    std::unique_ptr<CPixelSurface> accumSurface;
    ChunkId soundId = kNullChunkId;
    xSnippet* snippet = nullptr;
    uint32_t soundPipe = 0;
    SoundChannel* soundChannel = nullptr;

private:
    /// The image frames are drawn from: the rotated one for 90 and 270.
    const uint8_t* DrawImage() const;
    /// Frame f of an image, null when missing.
    static const uint8_t* ImageFrame(const uint8_t* image, int32_t f);
    const uint8_t* CurrentFrameData() const;
    bool ValidFrame(int32_t f) const;
    void ReleaseCompImage();
    void BuildRotatedImage();
    void RedrawAccumulation();
    /// The colour index of a frame pixel (unmirrored frame coordinates).
    uint8_t FramePixel(const uint8_t* frame, int32_t column, int32_t row);
    uint64_t RunDurationUnits(int32_t first, int32_t last);

    uint8_t compImageCached_ = 0;
    int32_t accumFrame_ = -1; ///< the frame the accumulation surface shows
};

/// The stepping table of the hit tests: the Bresenham walk of BltMakeScaleTable, except that a
/// zero extent writes the single entry 0.
void xRaster_LineSpans(uint16_t* table, int32_t first, int32_t last, int32_t firstSource, int32_t lastSource);
