#pragma once
// The fixture of the font and text view tests: the base fixture's fresh engine context (no
// default system font yet) with the profile keys of a windowed stage and language 10; with
// surfaces filled with a sentinel for drawing checks.
#include <cstring>
#include <memory>

#include "engine/blit/Blitter.h"
#include "engine/media/Application.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/TextDIBSurface.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextView.h"
#include "tests/engine/graphics/GraphicsOracle.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {

class TextTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xProfiles_Set("FULLSCREEN", sLong(0)); // windowed: dirty rectangles, no DirectDraw
        SetLanguage(kLanguageEnglishUs);
    }
    static void SetLanguage(uint32_t language) {
        xLanguage_Context().initialised = true;
        xLanguage_Context().language = language;
    }
    /// A text surface (it has a drawing context) of that depth, every byte `fill`.
    static std::unique_ptr<CTextDIBSurface> Surface(int16_t w, int16_t h, int16_t bits, uint8_t fill = 0x5A) {
        auto s = std::make_unique<CTextDIBSurface>();
        EXPECT_TRUE(s->Create(w, h, bits));
        Fill(*s, fill);
        return s;
    }
    /// A memory surface (no drawing context) of 16 bits in the layout given.
    static std::unique_ptr<CPixelSurface> Memory16(int16_t w, int16_t h, int16_t format, uint8_t fill = 0x5A) {
        auto s = std::make_unique<CPixelSurface>();
        EXPECT_TRUE(s->Create(w, h, 16));
        s->SetPixelFormat(format);
        Fill(*s, fill);
        return s;
    }
    static void Fill(CDrawSurface& s, uint8_t fill) {
        const CSurfaceLock lock(&s);
        for (int y = 0; y < s.GetHeight(); ++y)
            std::memset(lock.Pixels() + int64_t(s.GetPitch()) * y, fill, size_t(s.GetWidth()) * s.GetBitsPerPixel() / 8);
    }
    /// The bytes of pixel (x, y).
    static const uint8_t* At(CDrawSurface& s, int x, int y) {
        return s.Lock() + int64_t(s.GetPitch()) * y + int64_t(x) * (s.GetBitsPerPixel() / 8);
    }
    static uint16_t Pixel16(CDrawSurface& s, int x, int y) { return oracle::Get16(At(s, x, y)); }
    static bool Changed(CDrawSurface& s, int x, int y, uint8_t fill = 0x5A) {
        const uint8_t* p = At(s, x, y);
        for (int i = 0; i < s.GetBitsPerPixel() / 8; ++i)
            if (p[i] != fill) return true;
        return false;
    }
};

/// Text views loaded from stored properties, their texts from the 'utxt' index of the
/// application's part file.
class TextViewTest : public TextTest {
protected:
    void TearDown() override {
        app.reset();
        TextTest::TearDown();
    }
    /// Writes the part file and makes it the application's.
    void UsePartFile(const ChunkFileBuilder& builder) {
        const std::string path = folder / "texts.vqk";
        ASSERT_TRUE(builder.WriteFile(path));
        auto file = std::make_unique<CPartFile>();
        ASSERT_TRUE(file->Open(path.c_str(), 1));
        app = std::make_unique<OApplication>();
        app->SetPartFile(std::move(file));
    }
    /// A view of that class loaded from the properties.
    template <class View>
    std::unique_ptr<View> Load(const PropertyBytes& properties) {
        auto view = std::make_unique<View>();
        std::vector<uint8_t> bytes = properties.bytes();
        ODrvMemory stream;
        stream.AdoptMemory(bytes.data(), bytes.size(), bytes.size());
        view->LoadProperties(&stream, properties.size());
        return view;
    }
    /// The family of the platform font a view draws with.
    static std::string Family(OTextView& view) { return static_cast<OSysFont*>(view.GetFont())->Handle()->Family(); }

    TempFolder folder;
    std::unique_ptr<OApplication> app;
};

} // namespace vqt::test
