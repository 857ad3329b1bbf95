// Loads arbitrary activity chunk data through the activity manager: the header, the activity's
// own properties with its tile grid, every object record with its properties, then draws the
// background under the whole stage and asks the hit tests. Nothing may read or write out of
// bounds, and every temporary buffer must come back.
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/TempBuffers.h"
#include "engine/core/Trace.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/PixelSurface.h"
#include "platform/Platform.h"
#include "tests/support/ActivityBuilder.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const std::string& ScratchPath() { return vqt::fuzz::ScratchPath("activity"); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vqt::fuzz::StartHeadlessOnce();
    // The data as activity {1, 0, 1}, beside a tile sheet and a palette it may name.
    vqt::test::ChunkFileBuilder b;
    const uint8_t actv = b.AddIndex("actv", 8, 2);
    const uint8_t fram = b.AddIndex("fram", 8, 1);
    b.AddChunk(actv, vqt::test::Bytes(data, data + size), {.entry = 1});
    b.AddChunk(fram, vqt::test::BmpFile(vqt::test::TileSheet(8, 8, 4, 2, {0, 0xFF, 0xFF00})),
               {.entry = 1, .property = vqt::test::FrameProperty(1)});
    if (!b.WriteFile(ScratchPath())) return 0;
    CPartFile file;
    if (!file.Open(ScratchPath().c_str(), 1)) return 0;
    {
        OActivityManager manager;
        manager.Init(&file);
        const ChunkId id = vqt::test::ChunkIdOf(1, 1);
        if (manager.LoadActivity(&file, &id, nullptr)) {
            manager.AttachObjects(true);
            OActivity* activity = manager.GetPendingActivity();
            CPixelSurface stage;
            stage.Create(64, 48, 16);
            activity->DrawBackgroundRect(CClipRect(0, 0, 64, 48), &stage, CClipRect(0, 0, 64, 48));
            activity->ScrollTo(CPointF(5, 7), 1);
            activity->DrawBackgroundRect(CClipRect(-3, -3, 70, 50), &stage, CClipRect(0, 0, 64, 48));
            activity->HitTestPointDeep(CPoint16(10, 10));
        }
        manager.SwapInPending();
    }
    DeleteAllDeferred();
    if (xTempBuffers_GetNumInUse() != 0) __builtin_trap();
    return 0;
}
