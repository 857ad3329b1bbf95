#pragma once
// The readers of still images: BMP, GIF and PCX files and the engine's compressed images. Each
// takes its bytes from a driver (in practice a memory driver over a frame chunk) and writes into
// any drawing surface, converting rows when the surface keeps another depth or 16-bit layout
// than the image. A reader that fails traces why and answers false; the surface keeps what was
// read into it. Every count and size from the data is checked before it is used.
#include <cstdint>

class CDrawSurface;
class ODriver;

/// Width, height and bits per pixel of an image.
struct FrameInfo {
    int16_t width = 0;
    int16_t height = 0;
    int16_t bitsPerPixel = 0;
};

// ---- BMP: 8, 16 (5-5-5) and 24 bits, stored plain or (8 bits) run-length coded.

/// Reads the BMP into the surface, re-created at the image's size and depth when `create` is
/// set or its size or depth differ. The 8-bit colour table becomes the surface's palette.
bool LoadSurfaceFromBMP(CDrawSurface* surface, ODriver* stream, uint8_t create);
/// Width, height and bit count of the BMP at the stream's position; false, with the reader's
/// trace, for anything the reader would refuse by its headers.
bool xFrame_ReadBmpInfo(ODriver* stream, FrameInfo* info);

// ---- GIF 87a and 89a: the first image, 8 bits, plain or interlaced.

/// Reads the first image into the surface, re-created at its size with 8 bits; the global
/// colour table (or a palette of zeros without one) becomes the surface's palette.
bool LoadGIF(CDrawSurface* surface, ODriver* stream);
/// The size of the first image, 8 bits; false, with the reader's trace, when the file holds no
/// readable image descriptor.
bool ReadGifInfo(ODriver* stream, FrameInfo* info);

// ---- PCX: 1, 2, 4 or 8 bits per plane, one or more planes.

/// Reads the PCX into the surface, re-created at its size: 8 bits for images of up to 8 bits
/// per pixel in planes of 1, 2 or 4 bits; 8 times the planes for one, three or four planes of
/// 8 bits (three give 24-bit pixels, four 32-bit ones).
bool LoadPCX(CDrawSurface* surface, ODriver* stream);
/// The size and the depth the reader gives the surface; false, with the reader's trace, for a
/// header the reader refuses.
bool ReadPcxInfo(ODriver* stream, FrameInfo* info);

// ---- The engine's compressed image: a 14-byte little-endian header (width, height, bits per
// pixel 8, 16 or 24, coding mode 0, 1 or 8, first row and end row of the rows coded line by
// line, 2 bytes not read), then the coded data.

/// Reads the image into the surface. The surface is re-created at the image's size, with the
/// image's depth or, when `keepDepth` is set, its own, unless `reuse` is set and it already
/// has that size and depth. Modes 0 and 1 decode the rows from the first row to the end row,
/// none when the first is not before the end (the other rows keep what they held); mode 8
/// decodes the whole image. 16-bit pixels are 5-5-5 and are converted for a 5-6-5 surface, or
/// for any 16-bit surface while the current 16-bit layout is 5-6-5. A short or invalid header
/// leaves the surface unchanged.
bool LoadCompressedImageToSurface(ODriver* stream, CDrawSurface* surface, uint8_t reuse, uint8_t keepDepth);
/// Width, height and bits per pixel from the header; false, with the loader's trace, for a
/// header the loader refuses.
bool ReadCompressedInfo(ODriver* stream, FrameInfo* info);
