// Builds cursors from arbitrary frame chunks of the application's part file, as the game does
// at start: raw 8-bit frames and BMP frames of any size and depth. Nothing may be read beyond
// a frame.
//
// Input: one flag byte (bit 0: the chunk names the BMP image type in its property record, else
// it is a raw frame), then the chunk's data.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/media/Application.h"
#include "engine/data/PartFile.h"
#include "engine/core/Cursor.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ChunkFileBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    if (size < 1) return 0;
    vqt::test::ChunkFileBuilder image;
    const uint8_t frames = image.AddIndex("fram", 8, 1);
    vqt::test::ChunkPlan chunk{.entry = 1};
    if (data[0] & 1) chunk.property = vqt::test::FrameProperty(1);
    image.AddChunk(frames, vqt::test::Bytes(data + 1, data + size), chunk);
    const std::string& path = vqt::fuzz::ScratchPath("cursor");
    if (!image.WriteFile(path)) return 0;

    OApplication app;
    auto owned = std::make_unique<CPartFile>();
    CPartFile* file = owned.get();
    app.SetPartFile(std::move(owned));
    if (!file->Open(path.c_str(), 1)) return 0;
    xCursor_Destroy(xCursor_CreateFromFrame(vqt::test::ChunkIdOf(frames, 1)));
    return 0;
}
