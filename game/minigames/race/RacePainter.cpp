#include "game/minigames/race/RacePainter.h"

#include <algorithm>
#include <cstring>

#include "engine/base/Trace.h"
#include "engine/core/ActivityProp.h"
#include "engine/graphics/DrawSurface.h"
#include "game/minigames/race/RaceSection.h"

namespace {

CClipRect Intersect(const CClipRect& a, const CClipRect& b) {
    const CClipRect r(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom));
    return r.Width() > 0 && r.Height() > 0 ? r : CClipRect();
}

bool IsEmpty(const CClipRect& r) { return r.Width() <= 0 || r.Height() <= 0; }

} // namespace

bool CGRacePainter::Prepare(CDrawSurface* background, int32_t stageWidth, int32_t stageHeight, int32_t bandHeight) {
    background_ = nullptr;
    sectionCount_ = 0;
    history_ = {-1, -1, -1};
    stageWidth_ = stageWidth;
    stageHeight_ = std::max(stageHeight, 1);
    bandHeight_ = std::clamp(bandHeight, 1, stageHeight_);
    if (background == nullptr || background->GetWidth() < stageWidth_) {
        xTracef("CGRace : no background picture, no road painted\n");
        return false;
    }
    const int32_t sections = background->GetHeight() / stageHeight_;
    if (sections < kMinSections) {
        xTracef("CGRace : background %d pixels high holds %d stage heights, fewer than %d: no road painted\n",
                int(background->GetHeight()), int(sections), int(kMinSections));
        return false;
    }
    if (!copy_.Create(background->GetWidth(), background->GetHeight(), background->GetBitsPerPixel())) {
        xTracef("CGRace : no room for the background copy, no road painted\n");
        return false;
    }
    background_ = background;
    CopyRows(background_, 0, &copy_, 0, background->GetHeight());
    sectionCount_ = sections;
    return true;
}

CClipRect CGRacePainter::BandRect(int32_t section, int32_t band) const {
    const int32_t offset = band * bandHeight_;
    if (band < 0 || offset >= stageHeight_) return CClipRect();
    const int32_t top = section * stageHeight_ + offset;
    const int32_t height = std::min(bandHeight_, stageHeight_ - offset);
    return CClipRect(0, int16_t(top), int16_t(stageWidth_), int16_t(top + height));
}

CClipRect CGRacePainter::SectionRect(int32_t section) const {
    return CClipRect(0, int16_t(section * stageHeight_), int16_t(stageWidth_), int16_t((section + 1) * stageHeight_));
}

CClipRect CGRacePainter::TwinRect(const CClipRect& rect) const {
    if (IsEmpty(rect)) return CClipRect();
    const int32_t wrap = (sectionCount_ - 1) * stageHeight_;
    const int32_t pictureBottom = sectionCount_ * stageHeight_;
    for (const int32_t shift : {wrap, -wrap}) {
        const int32_t top = rect.top + shift, bottom = rect.bottom + shift;
        if (top >= 0 && bottom <= pictureBottom && (bottom <= rect.top || top >= rect.bottom)) {
            return CClipRect(rect.left, int16_t(top), rect.right, int16_t(bottom));
        }
    }
    return CClipRect();
}

void CGRacePainter::CopyRows(CDrawSurface* from, int32_t fromTop, CDrawSurface* to, int32_t toTop, int32_t rows) {
    const int32_t height = std::min<int32_t>(from->GetHeight(), to->GetHeight());
    if (fromTop < 0 || toTop < 0 || rows <= 0 || fromTop + rows > height || toTop + rows > height) return;
    const size_t rowBytes = size_t(std::min<int32_t>(from->GetWidth(), to->GetWidth())) * size_t(from->GetBitsPerPixel() / 8);
    if (from == to) {
        CSurfaceLock lock(from);
        if (lock.Pixels() == nullptr) return;
        const int32_t pitch = from->GetPitch();
        for (int32_t r = 0; r < rows; ++r) {
            std::memmove(lock.Pixels() + size_t(toTop + r) * size_t(pitch), lock.Pixels() + size_t(fromTop + r) * size_t(pitch),
                         rowBytes);
        }
        return;
    }
    CSurfaceLock source(from);
    CSurfaceLock target(to);
    if (source.Pixels() == nullptr || target.Pixels() == nullptr) return;
    const size_t sourcePitch = size_t(from->GetPitch()), targetPitch = size_t(to->GetPitch());
    for (int32_t r = 0; r < rows; ++r) {
        std::memcpy(target.Pixels() + size_t(toTop + r) * targetPitch, source.Pixels() + size_t(fromTop + r) * sourcePitch,
                    rowBytes);
    }
}

void CGRacePainter::RestoreBand(const CClipRect& rect) {
    if (!CanPaint() || IsEmpty(rect)) return;
    CopyRows(&copy_, rect.top, background_, rect.top, rect.Height());
}

void CGRacePainter::CopyBandToTwin(const CClipRect& rect) {
    const CClipRect twin = TwinRect(rect);
    if (!CanPaint() || IsEmpty(rect) || IsEmpty(twin)) return;
    CopyRows(background_, rect.top, background_, twin.top, rect.Height());
}

void CGRacePainter::DrawPieces(const CGRacePieceList& pieces, const CClipRect& rect) {
    for (OActivityProp* prop : pieces.props) {
        if (prop == nullptr || !prop->IsVisible()) continue;
        const int16_t left = int16_t(prop->GetLeft()), top = int16_t(prop->GetTop());
        const CClipRect bounds(left, top, int16_t(left + prop->GetWidth()), int16_t(top + prop->GetHeight()));
        const CClipRect target = Intersect(bounds, rect);
        if (IsEmpty(target)) continue;
        const CClipRect source(int16_t(target.left - left), int16_t(target.top - top), int16_t(target.right - left),
                               int16_t(target.bottom - top));
        prop->Draw(background_, CPoint16(0, 0), source, target);
    }
}

void CGRacePainter::PaintRect(const CClipRect& rect, const std::vector<CGRaceSection*>& sections) {
    if (!CanPaint() || IsEmpty(rect)) return;
    RestoreBand(rect);
    const size_t count = std::min(sections.size(), kPaintedSections);
    {
        CSysLockForDraw lock(background_);
        for (size_t i = 0; i < count; ++i) DrawPieces(sections[i]->decorations, rect);
        for (size_t i = 0; i < count; ++i) {
            DrawPieces(sections[i]->left, rect);
            DrawPieces(sections[i]->right, rect);
        }
    }
    CopyBandToTwin(rect);
    ++paints_;
}

void CGRacePainter::DrawVerges(const CClipRect& rect, const std::vector<CGRaceSection*>& sections) {
    if (!CanPaint() || IsEmpty(rect)) return;
    CSysLockForDraw lock(background_);
    for (size_t i = 1; i < std::min<size_t>(sections.size(), 3); ++i) {
        DrawPieces(sections[i]->left, rect);
        DrawPieces(sections[i]->right, rect);
    }
}

void CGRacePainter::RecordBand(int32_t band) {
    history_[2] = history_[1];
    history_[1] = band;
    history_[0] = band;
}

void CGRacePainter::PaintNewBand(int32_t section, int32_t band, const std::vector<CGRaceSection*>& sections) {
    if (!CanPaint()) return;
    PaintRect(BandRect(section, band), sections);
    RecordBand(band);
}

void CGRacePainter::PaintSection(int32_t section, const std::vector<CGRaceSection*>& sections) {
    if (section < 0 || section >= sectionCount_) return;
    PaintRect(SectionRect(section), sections);
}
