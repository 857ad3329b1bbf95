#include "engine/media/MovieClip.h"

#include <algorithm>

#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "engine/data/Driver.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/ClipRect.h"
#include "engine/graphics/DrawSurface.h"
#include "platform/Platform.h"

namespace {

/// A chunk's data read through the part file's driver. Every read seeks first, so reads of
/// other chunks between two frames do not disturb the movie.
class CChunkMovieSource final : public plat::MovieSource {
public:
    CChunkMovieSource(ODriver* driver, uint32_t offset, uint32_t size) : driver_(driver), offset_(offset), size_(size) {}

    int64_t Read(void* buffer, size_t count) override {
        const uint64_t left = uint64_t(size_) - uint64_t(position_);
        const uint32_t wanted = uint32_t(std::min<uint64_t>({count, left, UINT32_MAX}));
        if (wanted == 0) return 0;
        if (driver_->Control(DRV_SEEK, 0, intptr_t(uint64_t(offset_) + uint64_t(position_))) < 0) return -1;
        uint32_t got = 0;
        const int32_t result = driver_->Read(buffer, wanted, &got);
        got = std::min(got, wanted);
        if (result < 0 && got == 0) return -1;
        position_ += got;
        return got;
    }
    bool Seek(int64_t position) override {
        if (position < 0 || position > int64_t(size_)) return false;
        position_ = position;
        return true;
    }
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return size_; }

private:
    ODriver* driver_;
    uint32_t offset_;
    uint32_t size_;
    int64_t position_ = 0;
};

bool HasFocus(const OWindow& window) {
    return window.GetWindowId() != 0 && plat::desktop().Focus() == window.GetWindowId();
}

} // namespace

std::unique_ptr<CMovieClip> CMovieClip::OpenChunk(CPartFile* file, ChunkId id, bool preload) {
    uint32_t size = 0;
    uint32_t offset = 0;
    if (!file || id == kNullChunkId || !file->GetChunkLocation(id, &size, &offset)) return nullptr;
    file->LogChunk(id, "Data");
    ODriver* driver = file->AcquireChunkDriver(id);
    if (!driver) return nullptr;
    std::unique_ptr<CMovieClip> clip(new CMovieClip(file, driver));
    clip->movie_ = plat::movies().Open(std::make_unique<CChunkMovieSource>(driver, offset, size), preload);
    if (!clip->movie_) return nullptr;
    return clip;
}

std::unique_ptr<CMovieClip> CMovieClip::OpenFile(const std::string& name, bool preload) {
    std::unique_ptr<CMovieClip> clip(new CMovieClip(nullptr, nullptr));
    clip->movie_ = plat::movies().Open(plat::MovieSourceOfFile(plat::files().Open(name, plat::OpenMode::Read)), preload);
    if (!clip->movie_) return nullptr;
    return clip;
}

CMovieClip::~CMovieClip() {
    movie_.reset();
    if (driver_) file_->ReleaseChunkDriver(&driver_);
}

bool CMovieClip::ShowFrame(CDrawSurface* frame, int32_t x, int32_t y, uint32_t bufferFormat) {
    OWindow* window = OWindow::Main();
    if (!window || !HasFocus(*window)) return false;
    movie_->DoFrame();
    const bool sixteenBitFormat = bufferFormat == plat::kMoviePixels555 || bufferFormat == plat::kMoviePixels565;
    if (frame && frame->GetBitsPerPixel() == 16 && sixteenBitFormat) {
        CSysLockForDraw system(frame);
        CSurfaceLock lock(frame);
        if (lock.Pixels())
            movie_->CopyToBuffer(lock.Pixels(), frame->GetPitch(), frame->GetWidth(), frame->GetHeight(), x, y,
                                 plat::MoviePixels(bufferFormat));
    }
    if (CDrawSurface* display = window->GetDisplaySurface(); frame && display) {
        CSysLockForDraw lock(display);
        CRect16 area(0, 0, frame->GetWidth(), frame->GetHeight());
        if (window->overlayView) {
            CRect16 bounds;
            window->overlayView->GetBoundsRect(&bounds);
            area = area.Intersect(bounds);
        }
        if (!area.IsEmpty())
            frame->CopyRect(CClipRect(area.left, area.top, area.right, area.bottom), display, CPoint16(area.left, area.top), 0);
    }
    if (movie_->CurrentFrame() + 1 < movie_->FrameCount()) movie_->NextFrame();
    window->PostFullRedraw();
    return true;
}
