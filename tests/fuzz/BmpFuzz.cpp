// Reads arbitrary bytes as a BMP file, as a frame chunk of the part file is read: first its
// size and depth, then the picture into a surface made to fit it.
#include <cstdint>
#include <string>

#include "engine/data/DrvMemory.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/PixelSurface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    ODrvMemory stream;
    if (stream.Control(DRV_ADOPTMEM, reinterpret_cast<intptr_t>(bytes.data()), static_cast<intptr_t>(size),
                       static_cast<intptr_t>(size)) != DRV_OK) {
        return 0;
    }
    FrameInfo info;
    xFrame_ReadBmpInfo(&stream, &info);
    stream.Control(DRV_SEEK, 0, 0);
    CPixelSurface surface;
    LoadSurfaceFromBMP(&surface, &stream, 1);
    return 0;
}
