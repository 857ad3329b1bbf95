#pragma once
#include <memory>
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/GraphicsContext.h"
#include "platform/PixelConvert.h"
#include "platform/Window.h"
#include "tests/engine/core/RunLoopFixture.h"
#include "tools/builders/ActivityBuilder.h"
#include "tests/support/Png.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {

/// Chunk files of tiled stages: a sheet of 32 one-colour tiles of 32 x 32 and activities of
/// 20 x 15 tiles over it.
class TiledStages {
public:
    TiledStages() {
        actv_ = builder.AddIndex("actv", 8, 30);
        const uint8_t fram = builder.AddIndex("fram", 8, 2);
        std::vector<uint32_t> colours{0};
        for (uint32_t t = 0; t < 32; ++t)
            colours.push_back(((t * 8) & 0xFF) | (((t * 37) & 0xFF) << 8) | ((255 - t * 8) << 16));
        sheet_ = builder.AddChunk(fram, BmpFile(TileSheet(32, 32, 8, 4, colours)),
                                  {.entry = 1, .property = FrameProperty(1)});
    }
    /// Activity {1, 0, entry} of the class, tile (column, row) being (row * step + column) mod 32.
    void Add(uint16_t entry, int step, std::vector<ObjectPlan> objects = {}, uint32_t classId = 53) {
        std::vector<uint16_t> tiles;
        for (int row = 0; row < 15; ++row)
            for (int col = 0; col < 20; ++col) tiles.push_back(uint16_t((row * step + col) % 32));
        ActivityPlan desc{.classId = classId,
                          .backgroundId = sheet_,
                          .properties = TiledActivityProps(20, 15, 32, 32, tiles),
                          .objects = std::move(objects)};
        builder.AddChunk(actv_, ActivityData(desc), {.entry = entry});
    }

    ChunkFileBuilder builder;

private:
    uint8_t actv_ = 0;
    uint32_t sheet_ = 0;
};

/// The engine with its main window over a 640 x 480 16-bit windowed stage (`UseDepth` changes it) (dirty rectangles
/// on, no DirectDraw), shown on the headless desktop; part files are written from builders
/// into a temporary folder.
class StageTest : public RunLoopTest {
protected:
    void SetUp() override {
        RunLoopTest::SetUp();
        xProfiles_Set("DIRECTDRAW", sLong(0));
        xProfiles_Set("FULLSCREEN", sLong(0));
        ASSERT_TRUE(OVQEngine::Startup());
        window = new OWindow;
        window->SetDepth(16);
        window->SetDisplaySurface(new CDIBSurface);
        ASSERT_TRUE(window->Create(CRect16(0, 0, 640, 480), false, 0));
        plat::desktop().Find(window->GetWindowId())->Show(plat::SW_SHOW);
        OVQEngine::Instance()->SetMainWindow(std::unique_ptr<OWindow>(window));
    }
    void TearDown() override {
        DestroyActivityManager();
        OVQEngine::Shutdown();
        file.reset();
        RunLoopTest::TearDown();
    }
    /// Writes the image and opens it as the part file of the run.
    CPartFile* Open(const ChunkFileBuilder& builder) {
        const std::string path = folder / "parts.vqk";
        EXPECT_TRUE(builder.WriteFile(path));
        file = std::make_unique<CPartFile>();
        EXPECT_TRUE(file->Open(path.c_str(), 1));
        return file.get();
    }
    /// Makes the activity manager over the part file, in a variant.
    OActivityManager& Manager(uint8_t variant) {
        if (!GetActivityManager()) {
            EXPECT_TRUE(CreateActivityManager());
            GetActivityManager()->Init(file.get());
        }
        GetActivityManager()->SetVariant(variant);
        return *GetActivityManager();
    }
    /// Makes the stage `depth` bits deep (an 8-bit one in the global palette's colours).
    void UseDepth(int16_t depth) {
        window->SetDepth(depth);
        window->SetDisplaySize(640, 480, depth);
        window->SetPalette(xGraphics_GlobalPalette()); // a new 8-bit picture's colours are black
    }
    /// What the headless window shows: the last picture presented into it.
    const plat::Image& Shown() { return plat::desktop().Find(window->GetWindowId())->Presented(); }

    TempFolder folder;
    std::unique_ptr<CPartFile> file;
    OWindow* window = nullptr;
};

} // namespace vqt::test
