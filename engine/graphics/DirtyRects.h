#pragma once
#include <cstdint>

#include "engine/base/Rect.h"

/// Notes a stage rectangle for redrawing in the next frame (only while DIRTYRECTS is on):
/// widened horizontally to multiples of 4, clipped to the stage clip rectangle, dropped when a
/// listed rectangle holds it, replacing the listed ones it holds; a full list of 25 collapses
/// to the whole stage.
void xDirtyRects_Add(const CRect16& rect);
void xDirtyRects_Clear();
void xStage_SetClipRect(const CRect16& rect);
void xStage_GetClipRect(CRect16* rect);

/// The engine's one dirty-rectangle list and the stage clip rectangle.
class CDirtyRects {
public:
    static constexpr int16_t kMax = 25;

    /// The list of the engine context.
    static CDirtyRects& Get();

    void Add(const CRect16& rect);
    void Clear() { count_ = 0; }
    int16_t Count() const { return count_; }
    const CRect16& At(int16_t index) const { return rects_[index]; }
    const CRect16& ClipRect() const { return clip_; }
    /// The whole stage: the clip rectangle, or, before the stage has one, (0, 0) and the
    /// profile's stage size.
    CRect16 StageRect() const;
    void SetClipRect(const CRect16& rect) { clip_ = rect; }

private:
    CRect16 clip_;
    CRect16 rects_[kMax];
    int16_t count_ = 0;
};
