// Loads arbitrary activity chunk data through the activity manager with the game's factory in
// front of the engine's: the header, the activity's own properties with its tile grid, every
// object record with its properties, then draws the background under the whole stage, asks the
// hit tests and runs a frame of the activity and its props once it is current, then touches
// every game prop with every other. Nothing may read or write out of
// bounds, and every temporary buffer must come back.
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/base/Trace.h"
#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/RunLoop.h"
#include "engine/data/PartFile.h"
#include "engine/data/TempBuffers.h"
#include "engine/graphics/PixelSurface.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVFactory.h"
#include "game/shell/TLVObject.h"
#include "platform/Platform.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/builders/ActivityBuilder.h"

namespace {

const std::string& ScratchPath() { return vqt::fuzz::ScratchPath("activity"); }

} // namespace

// Text views among the props make fonts; fontconfig keeps the character sets of the fonts it
// knows behind offsets instead of pointers, so the leak checks between inputs take that live
// memory for lost.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    xGame_RegisterClasses();
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
        manager.AddFactory(new CTLVFactory);
        const ChunkId id = vqt::test::ChunkIdOf(1, 1);
        if (manager.LoadActivity(&file, &id)) {
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
        if (OActivity* current = manager.GetCurrentActivity()) {
            IdleWalk(current);
            for (int32_t i = 0; i < current->ChildCount(); ++i)
                for (int32_t k = 0; k < current->ChildCount(); ++k) {
                    auto* prop = dynamic_cast<TLV_Object*>(current->ChildAt(i));
                    auto* other = dynamic_cast<TLV_Object*>(current->ChildAt(k));
                    if (prop && other) prop->OnContact(other);
                }
        }
    }
    DeleteAllDeferred();
    if (xTempBuffers_GetNumInUse() != 0) __builtin_trap();
    return 0;
}
