#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/View.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/data/ChunkId.h"

class CPartFile;

/// A view that owns one background surface (an image of the part file) and a scroll offset
/// within it (class id 52).
class OBackgroundView : public OView {
public:
    static constexpr uint32_t kClassId = 52;

    OBackgroundView(const char* name, uint32_t classId);
    ~OBackgroundView() override;

    bool IsA(uint32_t classId) const override;
    int32_t OnIdle() override { return 1; }
    /// Draws the part of the background that `source` (relative to the view's top-left corner)
    /// shows at the scroll offset into `target`, then the child views.
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;

    /// Reads the remembered background image again; the background view has nothing to read.
    virtual bool ReloadBackground() { return false; }
    /// Reads the image of the chunk into a new memory surface and sizes the view to it.
    virtual bool LoadBackground(CPartFile* file, ChunkId id);
    /// Moves the scroll offset (or by it when relative), clamped to the limits; false when it
    /// did not change.
    virtual bool ScrollTo(const CPointF& point, uint8_t relative);
    /// The background's height and width (vertical first); 0, 0 without a surface.
    virtual CPointF GetBackgroundSize();
    /// Copies `source` of the background into `target` of the destination.
    virtual void DrawBackgroundRect(const CClipRect& source, CDrawSurface* destination, const CClipRect& target);

    CDrawSurface* GetBackgroundSurface() const { return surface_.get(); }
    /// Hands over a surface; the old one is deleted.
    void SetBackgroundSurface(std::unique_ptr<CDrawSurface> surface);
    /// Gives up the surface to the caller.
    std::unique_ptr<CDrawSurface> TakeBackgroundSurface();

    const CPointF& GetScrollOffset() const { return scroll_; }
    /// Scroll limits: largest and smallest offset, vertical first.
    const CPointF& GetScrollMax() const { return scrollMax_; }
    const CPointF& GetScrollMin() const { return scrollMin_; }
    void SetScrollLimits(const CPointF& smallest, const CPointF& largest) {
        scrollMin_ = smallest;
        scrollMax_ = largest;
    }
    uint32_t GetDrawFlags() const { return drawFlags_; }
    void SetDrawFlags(uint32_t flags) { drawFlags_ = flags; }
    CPartFile* GetBackgroundFile() const { return file_; }
    ChunkId GetBackgroundId() const { return backgroundId_; }

protected:
    /// Clamps to [smallest, largest]; a largest limit below the smallest (a map smaller than the
    /// stage) gives the smallest.
    static float ClampScroll(float value, float smallest, float largest);
    void SetScrollOffset(const CPointF& offset) { scroll_ = offset; }
    void RememberBackground(CPartFile* file, ChunkId id) {
        file_ = file;
        backgroundId_ = id;
    }

private:
    std::unique_ptr<CDrawSurface> surface_;
    CPointF scrollMax_;
    CPointF scrollMin_;
    CPointF scroll_;
    uint32_t drawFlags_ = 0;
    CPartFile* file_ = nullptr;
    ChunkId backgroundId_ = kNullChunkId;
};
