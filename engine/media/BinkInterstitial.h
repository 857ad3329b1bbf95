#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Interstitial.h"
#include "engine/data/ChunkId.h"
#include "engine/graphics/PixelSurface.h"

class CMovieClip;
class CPartFile;

/// Plays a movie frame by frame inside the engine's frame loop (IsA 37): from a movie chunk of
/// a part file or, with the chunk id 0, from a file. The movie is centred in a 16-bit frame
/// surface as large as the target and shown on the display surface; a press ends it once the movie is
/// past its minimum frame.
class OBinkInterstitial : public OInterstitial {
public:
    static constexpr uint32_t kClassId = 37;

    OBinkInterstitial();
    /// Closes the movie and gives back what Start took (cursor, extra process, drawing flag).
    ~OBinkInterstitial() override;

    bool IsA(uint32_t classId) const override;

    /// Remembers the movie chunk (0: the file name is used), the preload flag, the minimum
    /// frame before a skip and the caller's value; logs the chunk access with the tag "bink".
    void SetMovie(CPartFile* file, ChunkId id, uint8_t preload, uint32_t unused1, uint32_t unused2,
                  int16_t minimumFrame, uint32_t value);
    /// The movie file played when no chunk id is set (at most 255 characters kept).
    void SetFileName(const char* name);

    /// The start of the movie: hides the system pointer, suspends the application's extra process and opens
    /// the movie; a movie that cannot be had is traced and the interstitial is done at once.
    void Setup(uint32_t tag, CDrawSurface* target) override;
    /// One frame when its time has come, then presented; the movie's end (its frame number
    /// stood still over a shown frame) makes the interstitial done.
    int32_t OnIdle() override;
    void OnAppSuspend() override;
    void OnAppResume() override;
    /// 1 (the movie closed) once the movie is past the minimum frame; 0 before, or without one.
    int32_t MayFinish() override;
    /// Closes the movie, resumes the extra process, restores the drawing flag and the pointer,
    /// and sets done. Runs once whatever calls it (a second call does nothing more).
    void Close();

    bool IsMovieOpen() const { return clip_ != nullptr; }
    /// The open movie's current frame number (0 without one).
    uint32_t GetCurrentFrame() const;
    int32_t GetOffsetX() const { return offsetX_; }
    int32_t GetOffsetY() const { return offsetY_; }
    uint32_t GetBufferFormat() const { return bufferFormat_; }
    uint32_t GetValue() const { return value_; }
    /// The movie chunk set (the null id when a file is played).
    ChunkId GetChunkId() const { return chunkId_; }
    CPixelSurface& GetFrameSurface() { return frame_; }

private:
    bool OpenMovie();

    int32_t offsetX_ = 0;
    int32_t offsetY_ = 0;
    uint32_t bufferFormat_ = 0;
    std::string fileName_;
    uint32_t value_ = 0;
    CPixelSurface frame_;
    std::unique_ptr<CMovieClip> clip_;
    int16_t minimumFrame_ = 5;
    int32_t lastFrame_ = -1;
    uint8_t preload_ = 0;
    uint8_t active_ = 1;
    uint8_t firstFrame_ = 0;
    uint8_t ended_ = 0;
    ChunkId chunkId_ = kNullChunkId;
    CPartFile* partFile_ = nullptr;
    // What Start took and Close gives back.
    bool hidCursor_ = false;
    bool suspendedExtra_ = false;
    bool savedDrawing_ = false;
    bool drawingWas_ = true;
    bool closed_ = false;
};
