#pragma once
// The movie service: the stand-in for the video library. A movie is opened from bytes the
// engine hands over (a file, or a stretch of a chunk file read through the engine's driver),
// decoded a frame at a time on the platform clock and copied into 16-bit pixels.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace plat {

class File;

/// Where a movie's bytes come from. The service reads nothing else: no file name, no protocol.
class MovieSource {
public:
    virtual ~MovieSource() = default;
    /// Reads up to `count` bytes at the position and moves past them: the bytes read, 0 at the
    /// end, -1 on failure.
    virtual int64_t Read(void* buffer, size_t count) = 0;
    /// Moves to a position from the start; false (position kept) outside 0..Size().
    virtual bool Seek(int64_t position) = 0;
    virtual int64_t Position() const = 0;
    virtual int64_t Size() const = 0;
};

/// A source over an open file, from its start to its end.
std::unique_ptr<MovieSource> MovieSourceOfFile(std::unique_ptr<File> file);

/// The 16-bit layouts a frame is copied in, numbered as the video library numbers them.
enum MoviePixels : uint32_t {
    kMoviePixelsNone = 0,
    kMoviePixels555 = 9,  ///< x-5-5-5: red in bits 14-10
    kMoviePixels565 = 10, ///< 5-6-5: red in bits 15-11
};

/// An open movie; closed when destroyed.
class Movie {
public:
    virtual ~Movie() = default;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    /// Frames of the movie (counted at open when the container does not say).
    virtual uint32_t FrameCount() const = 0;
    /// The frame that DoFrame decodes, from 1.
    virtual uint32_t CurrentFrame() const = 0;
    /// True while the current frame's time has not come yet on the platform clock; false
    /// before the first frame was shown.
    virtual bool Wait() = 0;
    /// Decodes the current frame, and the sound that comes with it; false when no picture of
    /// it could be decoded (the last decoded one is kept).
    virtual bool DoFrame() = 0;
    /// Copies the last decoded picture with its top-left corner at (x, y) into a 16-bit
    /// buffer of `width` x `height` pixels whose rows lie `pitch` bytes apart. Only the part
    /// inside the buffer is written (offsets may be negative). Nothing is written for a
    /// layout other than 555 or 565, before the first picture, or for a pitch too small for
    /// the width; the answer says whether a picture was copied.
    virtual bool CopyToBuffer(uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, int32_t x, int32_t y,
                              MoviePixels layout) = 0;
    /// The volume of the movie's sound, 0 (silent) to 127 (as recorded, the default). The
    /// sound plays through a voice of the audio service's mixer, fed as frames are decoded,
    /// until the movie closes; a movie without a sound track that can be played has none.
    virtual void SetVolume(int32_t volume) = 0;
    /// Moves to the next frame (the last frame stays current).
    virtual void NextFrame() = 0;
};

/// Opens movies.
class Movies {
public:
    virtual ~Movies() = default;
    /// The movie in the source, or null when the bytes are not a movie that can be played.
    /// With `preload` the whole source is read into memory first.
    virtual std::unique_ptr<Movie> Open(std::unique_ptr<MovieSource> source, bool preload) = 0;
};

} // namespace plat
