#pragma once
// Full-stage video: the buffer format of the engine's pixel format and the blocking players
// that play a movie chunk in a loop of their own.
#include <cstdint>

#include "engine/data/ChunkId.h"

class CPartFile;

/// A test that ends a movie early when it answers non-zero.
using xVideo_SkipTest = int32_t (*)();

/// The 16-bit buffer format of an engine pixel format: 1 (5-5-5) gives 9, 2 (5-6-5) gives 10;
/// any other is traced ("Unsupported pixel format specified for Bink buffer") and gives 0.
uint32_t xVideo_BufferFormat(int32_t pixelFormat);

/// Plays a movie chunk centred on the stage until it ends, or until a mouse button is held or
/// the skip test answers non-zero once it has reached frame 11; then returns. With DIRECTDRAW
/// set it hands over to PlayVideoClip. False (traced) when the movie cannot be opened.
bool xVideo_PlayClip(CPartFile* file, ChunkId id, uint8_t preload, xVideo_SkipTest skip);
/// The same under DirectDraw: an off-screen frame surface, the display cleared and flipped
/// twice when the movie is not stage-sized, frames only while the main window has the focus.
bool PlayVideoClip(CPartFile* file, ChunkId id, uint8_t preload, xVideo_SkipTest skip);
/// Plays a movie chunk as xVideo_PlayClip does (preloaded when `flags` is non-zero), its sound
/// at `gain`: 32768 (and above) as recorded, 0 silent.
bool xVideo_Play(CPartFile* file, ChunkId id, uint32_t flags, int32_t gain, xVideo_SkipTest skip);
