#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/data/ChunkId.h"
#include "platform/Movie.h"

class CDrawSurface;
class CPartFile;
class ODriver;

/// An open movie, from a file or from a chunk of a part file; closing it (destroying it)
/// releases the chunk's driver. A chunk's movie is read through the driver the part file
/// lends for it, within the chunk's data only: the decoder never sees another byte.
class CMovieClip {
public:
    /// The movie of a chunk (its access logged with the tag "Data"); null when the chunk is
    /// missing or holds no movie that can be played.
    static std::unique_ptr<CMovieClip> OpenChunk(CPartFile* file, ChunkId id, bool preload);
    /// The movie of a file; null when it cannot be opened or holds no movie.
    static std::unique_ptr<CMovieClip> OpenFile(const std::string& name, bool preload);

    ~CMovieClip();
    CMovieClip(const CMovieClip&) = delete;
    CMovieClip& operator=(const CMovieClip&) = delete;

    plat::Movie& Movie() { return *movie_; }

    /// The frame step of every player, only while the main window has the keyboard focus:
    /// decodes the current frame, copies it into the frame surface at (x, y) (clipped; nothing
    /// unless the surface has 16 bits and the buffer format is 9 or 10), copies the frame
    /// surface onto the display surface (within the overlay view's bounds when the window has
    /// one), advances while the frame is below the second-to-last one, and marks the stage
    /// dirty. False (nothing done) without a main window or its focus.
    bool ShowFrame(CDrawSurface* frame, int32_t x, int32_t y, uint32_t bufferFormat);

private:
    CMovieClip(CPartFile* file, ODriver* driver) : file_(file), driver_(driver) {}

    CPartFile* file_ = nullptr;
    ODriver* driver_ = nullptr;
    std::unique_ptr<plat::Movie> movie_; ///< reads through driver_: goes first
};
