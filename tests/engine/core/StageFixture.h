#pragma once
#include <memory>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/core/Engine.h"
#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/GraphicsContext.h"
#include "platform/PixelConvert.h"
#include "platform/Window.h"
#include "tests/engine/core/RunLoopFixture.h"
#include "tests/support/ActivityBuilder.h"
#include "tests/support/Png.h"
#include "tests/support/TempFolder.h"

namespace vqt::test {

/// A presented picture as 8-bit red, green and blue.
inline RgbImage ToRgb(const plat::Image& image) {
    RgbImage out{image.width, image.height, {}};
    for (const plat::Argb c : image.pixels) {
        out.rgb.push_back(plat::ArgbRed(c));
        out.rgb.push_back(plat::ArgbGreen(c));
        out.rgb.push_back(plat::ArgbBlue(c));
    }
    return out;
}

/// The engine with its main window over a 640 x 480 16-bit windowed stage (dirty rectangles
/// on, no DirectDraw), shown on the headless desktop; part files are written from builders
/// into a temporary folder.
class StageTest : public RunLoopTest {
protected:
    void SetUp() override {
        RunLoopTest::SetUp();
        xGraphics_Context().ResetForTest(); // the window's palettes become the global one
        xProfiles_Set("DIRECTDRAW", sLong(0));
        xProfiles_Set("FULLSCREEN", sLong(0));
        OView::ResetForTest();
        ASSERT_TRUE(OVQEngine::Startup());
        window = new OWindow;
        window->SetDepth(16);
        window->SetDisplaySurface(new CDIBSurface);
        ASSERT_TRUE(window->Create(CRect16(0, 0, 640, 480), false, 0));
        plat::desktop().Find(window->GetWindowId())->Show(plat::SW_SHOW);
        OVQEngine::Instance()->SetMainWindow(window);
    }
    void TearDown() override {
        DestroyActivityManager();
        OVQEngine::Shutdown();
        file.reset();
        OView::ResetForTest();
        xGraphics_Context().ResetForTest();
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
    /// What the headless window shows: the last picture presented into it.
    const plat::Image& Shown() { return plat::desktop().Find(window->GetWindowId())->Presented(); }

    TempFolder folder;
    std::unique_ptr<CPartFile> file;
    OWindow* window = nullptr;
};

} // namespace vqt::test
