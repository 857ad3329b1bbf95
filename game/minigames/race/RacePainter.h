#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "engine/graphics/ClipRect.h"
#include "engine/graphics/PixelSurface.h"

class CDrawSurface;
struct CGRaceSection;
struct CGRacePieceList;

/// Paints the road into the race's tall background picture, strip by strip: each rectangle is
/// first restored from an untouched copy of the picture, then the pieces of the sections are
/// drawn into it (decorations first, then the verges), and the result is copied to its twin one
/// wrap away, so that both ends of the picture show the same road when the scroll jumps back.
class CGRacePainter {
public:
    static constexpr int32_t kMinSections = 3;
    /// Sections whose pieces are drawn into a rectangle (the newest first).
    static constexpr size_t kPaintedSections = 4;

    /// Takes the geometry and an untouched copy of the picture; false (traced) when the picture
    /// is lower than three stage heights or cannot be copied, and then nothing is painted.
    bool Prepare(CDrawSurface* background, int32_t stageWidth, int32_t stageHeight, int32_t bandHeight);
    bool CanPaint() const { return sectionCount_ >= kMinSections; }
    int32_t SectionCount() const { return sectionCount_; }

    /// The strip of a band of a section (at most the rest of the section), full width.
    CClipRect BandRect(int32_t section, int32_t band) const;
    /// The whole rectangle of a background section.
    CClipRect SectionRect(int32_t section) const;
    /// The same rows one wrap away; an empty rectangle when they leave the picture or overlap.
    CClipRect TwinRect(const CClipRect& rect) const;

    /// Paints the band that has come into view above the window and records it.
    void PaintNewBand(int32_t section, int32_t band, const std::vector<CGRaceSection*>& sections);
    void PaintSection(int32_t section, const std::vector<CGRaceSection*>& sections);
    /// Restores, draws the pieces of the first sections and copies to the twin.
    void PaintRect(const CClipRect& rect, const std::vector<CGRaceSection*>& sections);
    /// Draws the verges of the sections into the rectangle without restoring it first.
    void DrawVerges(const CClipRect& rect, const std::vector<CGRaceSection*>& sections);
    void RestoreBand(const CClipRect& rect);
    void CopyBandToTwin(const CClipRect& rect);

    /// Whether the band is the last painted or the one before (a band is not painted twice in a
    /// row); the history holds the current band and the last two painted.
    bool IsRecentBand(int32_t band) const { return band == history_[1] || band == history_[2]; }
    void SetCurrentBand(int32_t band) { history_[0] = band; }
    const std::array<int32_t, 3>& BandHistory() const { return history_; }
    /// How many rectangles were painted (for the tests and the benches).
    uint32_t PaintCount() const { return paints_; }

private:
    /// Copies whole rows of the rectangle between two surfaces of the picture's layout.
    void CopyRows(CDrawSurface* from, int32_t fromTop, CDrawSurface* to, int32_t toTop, int32_t rows);
    void DrawPieces(const CGRacePieceList& pieces, const CClipRect& rect);
    void RecordBand(int32_t band);

    CDrawSurface* background_ = nullptr;
    CPixelSurface copy_;
    int32_t stageWidth_ = 0;
    int32_t stageHeight_ = 0;
    int32_t bandHeight_ = 0;
    int32_t sectionCount_ = 0;
    std::array<int32_t, 3> history_{-1, -1, -1};
    uint32_t paints_ = 0;
};
