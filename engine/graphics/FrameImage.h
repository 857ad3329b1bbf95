#pragma once
// Still images of the part file (frame chunks). A chunk whose header carries a property record
// names its image type there (the 16-bit value at record offset 22): 1 BMP, 3 GIF, 5 PCX, 10
// the engine's compressed image; a chunk without one holds a raw 8-bit image (big-endian width
// and height, then the rows top first). The readers themselves are in ImageReaders.h.
#include <cstdint>

#include "engine/data/ChunkId.h"
#include "engine/graphics/ImageReaders.h"

class CDrawSurface;
class CPartFile;

/// Image types of the property record.
enum : uint16_t { kFrameBmp = 1, kFrameGif = 3, kFramePcx = 5, kFrameCompressed = 10 };

/// Fills `info` from the image's headers without loading it: the size and the depth the
/// reader gives the surface (8 bits for raw images); other types report 0xFFFF each. False
/// when the chunk is missing, or its headers cannot be read or are refused by the reader (with
/// the reader's trace). A missing chunk shows "VQT : Missing Frame {%d, %d, %d}" in a box
/// titled "Error".
bool xFrame_GetInfo(CPartFile* file, ChunkId id, FrameInfo* info);
/// Loads the frame into `surface`, or into a new memory surface when none is given (then always
/// re-created); answers the surface, or null when the chunk does not exist or a raw image has no
/// usable size. BMP frames follow `create`; a compressed frame reuses a given surface of its
/// size and keeps that surface's depth. A reader that fails traces why and leaves what it read
/// in the surface.
CDrawSurface* xFrame_CreateSurface(CPartFile* file, ChunkId id, CDrawSurface* surface, uint8_t create);
