#pragma once
// Still images of the part file (frame chunks). A chunk whose header carries a property record
// names its image type there (the 16-bit value at record offset 22): 1 BMP, 3 GIF, 5 PCX, 10
// the engine's compressed image; a chunk without one holds a raw 8-bit image (big-endian width
// and height, then the rows top first). The BMP reader is built here; the GIF, PCX and
// compressed-image readers come with the image codecs, and until then such frames load nothing.
#include <cstdint>

#include "engine/data/ChunkId.h"

class CDrawSurface;
class CPartFile;
class ODriver;

/// Width, height and bits per pixel of a frame image.
struct FrameInfo {
    int16_t width = 0;
    int16_t height = 0;
    int16_t bitsPerPixel = 0;
};

/// Image types of the property record.
enum : uint16_t { kFrameBmp = 1, kFrameGif = 3, kFramePcx = 5, kFrameCompressed = 10 };

/// Fills `info` from the image's headers without loading it: BMP and compressed images from
/// their headers, GIF and PCX not at all, other types 0xFFFF each. True when the chunk exists
/// and carries a property record; a missing chunk shows "VQT : Missing Frame {%d, %d, %d}" in a
/// box titled "Error".
bool xFrame_GetInfo(CPartFile* file, ChunkId id, FrameInfo* info);
/// Loads the frame into `surface`, or into a new memory surface when none is given (then always
/// re-created); answers the surface, or null when the chunk does not exist or a raw image has no
/// usable size. A reader that fails leaves what it read in the surface.
CDrawSurface* xFrame_CreateSurface(CPartFile* file, ChunkId id, CDrawSurface* surface, uint8_t create);
/// Reads a BMP file from the stream into the surface (re-created when `create` is set or its
/// size or depth differ): 8, 16 (5-5-5) and 24 bits, stored plain or (8 bits) run-length coded.
bool LoadSurfaceFromBMP(CDrawSurface* surface, ODriver* stream, uint8_t create);
/// Width, height and bit count of the BMP at the stream's position.
bool xFrame_ReadBmpInfo(ODriver* stream, FrameInfo* info);
