#include "engine/media/BinkInterstitial.h"

#include <cstdio>

#include "engine/base/Trace.h"
#include "engine/core/Cursor.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/media/Application.h"
#include "engine/media/MovieClip.h"
#include "engine/media/Video.h"
#include "platform/Platform.h"

namespace {

/// The name a movie is traced by: the file name, or the chunk id.
std::string MovieName(ChunkId id, const std::string& fileName) {
    if (id == kNullChunkId) return fileName;
    char text[32];
    std::snprintf(text, sizeof text, "{%d, %d, %d}", int(ChunkIndexOf(id)), int(ChunkSecondOf(id)),
                  int(ChunkEntryOf(id)));
    return text;
}

} // namespace

OBinkInterstitial::OBinkInterstitial() : OInterstitial("OInterstitial", OInterstitial::kClassId) {}

OBinkInterstitial::~OBinkInterstitial() { Close(); }

bool OBinkInterstitial::IsA(uint32_t classId) const { return classId == kClassId || OInterstitial::IsA(classId); }

void OBinkInterstitial::SetMovie(CPartFile* file, ChunkId id, uint8_t preload, uint32_t, uint32_t, int16_t minimumFrame,
                                 uint32_t value) {
    partFile_ = file;
    chunkId_ = id;
    preload_ = preload;
    minimumFrame_ = minimumFrame;
    value_ = value;
    if (file && id != kNullChunkId) file->LogChunk(id, "bink");
}

void OBinkInterstitial::SetFileName(const char* name) { fileName_ = std::string(name ? name : "").substr(0, 255); }

uint32_t OBinkInterstitial::GetCurrentFrame() const { return clip_ ? clip_->Movie().CurrentFrame() : 0; }

void OBinkInterstitial::Setup(uint32_t tag, CDrawSurface* target) {
    Close(); // a movie still open from an earlier start
    closed_ = false;
    OInterstitial::Setup(tag, target);
    lastFrame_ = -1;
    ended_ = 0;
    if (xCursor_HiddenState() == 0) {
        xCursor_Show(false);
        hidCursor_ = true;
    }
    if (chunkId_ == kNullChunkId && !plat::files().Exists(fileName_)) {
        xTracef("Bink movie file or chunkID not found : %s", fileName_.c_str());
        Close();
        return;
    }
    if (OApplication* app = OApplication::Get()) {
        app->SuspendExtra();
        suspendedExtra_ = true;
    }
    if (!OpenMovie()) {
        xTracef("Unable to open Bink file : %s", MovieName(chunkId_, fileName_).c_str());
        Close();
    }
}

bool OBinkInterstitial::OpenMovie() {
    CDrawSurface* target = GetTarget();
    if (!target) return false;
    clip_ = chunkId_ != kNullChunkId ? CMovieClip::OpenChunk(partFile_, chunkId_, preload_ != 0)
                                     : CMovieClip::OpenFile(fileName_, preload_ != 0);
    if (!clip_) return false;
    firstFrame_ = 1;
    frame_.Destroy();
    // Sixteen bits whatever the target's depth: the decoder writes 16-bit pixels only, and the
    // copy onto the display converts them.
    if (!frame_.Create(target->GetWidth(), target->GetHeight(), 16)) return false;
    const int16_t pixelFormat = xProfiles_Values().pixelFormat;
    frame_.SetPixelFormat(pixelFormat);
    offsetX_ = (frame_.GetWidth() - clip_->Movie().Width()) / 2;
    offsetY_ = (frame_.GetHeight() - clip_->Movie().Height()) / 2;
    bufferFormat_ = xVideo_BufferFormat(pixelFormat);
    OWindow* window = OWindow::Main();
    if (xProfiles_Values().directDraw != 0 && window) {
        drawingWas_ = window->IsDrawingEnabled();
        savedDrawing_ = true;
        window->SetDrawingEnabled(false);
    } else if (window) {
        window->PostFullRedraw();
    }
    return true;
}

int32_t OBinkInterstitial::OnIdle() {
    if (!clip_) {
        if (!IsDone()) Close();
        return 1;
    }
    OWindow* window = OWindow::Main();
    CDrawSurface* display = window ? window->GetDisplaySurface() : nullptr;
    if (!window || !display || display->IsSurfaceLost() || !active_ || !xPlatform_Link().IsDisplayReady() || IsDone())
        return 1;
    plat::Movie& movie = clip_->Movie();
    if (!firstFrame_ && movie.Wait()) return 1;
    if (!ended_ && clip_->ShowFrame(&frame_, offsetX_, offsetY_, bufferFormat_)) {
        window->Present();
        firstFrame_ = 0;
        const int32_t frame = int32_t(movie.CurrentFrame());
        if (frame == lastFrame_) ended_ = 1;
        lastFrame_ = frame;
    }
    if (ended_) Close();
    return 1;
}

void OBinkInterstitial::OnAppSuspend() {
    OInterstitial::OnAppSuspend();
    active_ = 0;
}

void OBinkInterstitial::OnAppResume() {
    OInterstitial::OnAppResume();
    active_ = 1;
}

int32_t OBinkInterstitial::MayFinish() {
    if (!clip_ || int32_t(clip_->Movie().CurrentFrame()) <= minimumFrame_) return 0;
    Close();
    return 1;
}

void OBinkInterstitial::Close() {
    if (closed_) return;
    closed_ = true;
    clip_.reset();
    if (suspendedExtra_) {
        suspendedExtra_ = false;
        if (OApplication* app = OApplication::Get()) app->ResumeExtra();
    }
    if (savedDrawing_) {
        savedDrawing_ = false;
        if (OWindow* window = OWindow::Main()) window->SetDrawingEnabled(drawingWas_);
    }
    if (hidCursor_) {
        hidCursor_ = false;
        xCursor_Show(true);
    }
    SetDone(true);
}
