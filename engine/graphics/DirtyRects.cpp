#include "engine/graphics/DirtyRects.h"

#include "engine/data/Profiles.h"
#include "engine/graphics/GraphicsState.h"

CDirtyRects& CDirtyRects::Get() { return xGraphics_State().dirtyRects; }

void CDirtyRects::Add(const CRect16& rect) {
    if (!xProfiles_Values().dirtyRects || rect.IsEmpty()) return;

    CRect16 r = rect;
    r.left = ClampToInt16(int32_t(rect.left) & ~3);
    r.right = ClampToInt16((int32_t(rect.right) + 3) & ~3);
    if (!clip_.IsEmpty()) {
        r = r.Intersect(clip_);
        if (r.IsEmpty()) return;
    }
    if (count_ >= kMax) {
        rects_[0] = StageRect();
        count_ = 1;
        return;
    }
    for (int16_t i = 0; i < count_; ++i)
        if (rects_[i].Contains(r)) return;
    int16_t kept = 0;
    for (int16_t i = 0; i < count_; ++i)
        if (!r.Contains(rects_[i])) rects_[kept++] = rects_[i];
    count_ = kept;
    rects_[count_++] = r;
}

CRect16 CDirtyRects::StageRect() const {
    if (!clip_.IsEmpty()) return clip_;
    const ProfileStore& store = xProfiles_Store();
    return CRect16(0, 0, ClampToInt16(store.stageWidth), ClampToInt16(store.stageHeight));
}

void xDirtyRects_Add(const CRect16& rect) { CDirtyRects::Get().Add(rect); }
void xDirtyRects_Clear() { CDirtyRects::Get().Clear(); }
void xStage_SetClipRect(const CRect16& rect) { CDirtyRects::Get().SetClipRect(rect); }

void xStage_GetClipRect(CRect16* rect) {
    if (rect) *rect = CDirtyRects::Get().ClipRect();
}
