#pragma once
#include <string>

#include "engine/media/Application.h"
#include "engine/data/PartFile.h"
#include "tests/engine/core/StageFixture.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {

/// The stage with an application object whose part file is written from a builder.
class PointerTest : public StageTest {
protected:
    /// Opens the image as the application's part file (owned by the application).
    CPartFile* GiveApp(const ChunkFileBuilder& image, const char* name = "app.vqk") {
        const std::string path = folder / name;
        EXPECT_TRUE(image.WriteFile(path));
        auto partFile = std::make_unique<CPartFile>();
        partFile->SetAccessFailureHandler(handler);
        EXPECT_TRUE(partFile->Open(path.c_str(), 1));
        CPartFile* given = partFile.get();
        app.SetPartFile(std::move(partFile));
        return given;
    }

    OApplication app;
    DrvAccessFailureHandler handler = nullptr;
};

} // namespace vqt::test
