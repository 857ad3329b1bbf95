// Text from untrusted bytes: a 'utxt' chunk and a stored property block of family 70 load into
// a text view of each kind, which then renders and draws; and arbitrary double-byte text is drawn
// with arbitrary rectangles, alignment, wrap and direction. Every draw goes into the middle of a
// surface whose margin must stay untouched; nothing may read or write out of bounds.
//
// Input: one flag byte, eight bytes of rectangle (four signed bytes: layout left, top, width and
// height, then clip left, top, width and height), then the 'utxt' chunk and the property block,
// each behind a big-endian 16-bit length, and the rest as the text to draw.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "engine/media/Application.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/TextDIBSurface.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextCView.h"
#include "engine/media/TextDView.h"
#include "engine/media/TextFXView.h"
#include "platform/headless/HeadlessLocale.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ChunkFileBuilder.h"

namespace {

using vqt::fuzz::Take;

using vqt::test::Bytes;

constexpr int16_t kWidth = 160;
constexpr int16_t kHeight = 120;
constexpr int16_t kMargin = 16;
constexpr uint8_t kGuard = 0xA7;

/// A view whose size comes from the harness rather than from the stored block, so that a block
/// cannot ask for a surface of gigabytes.
template <class View>
class Bounded : public View {
public:
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override {
        if (msg && msg->family == OView::kClassId && msg->id == OView::kPropSize) return true;
        return View::HandleProperty(msg, set);
    }
};

/// The guarded surface: the margin keeps its bytes whatever is drawn inside.
class Guarded {
public:
    explicit Guarded(int16_t bits) {
        surface.Create(kWidth, kHeight, bits);
        const CSurfaceLock lock(&surface);
        for (int y = 0; y < kHeight; ++y)
            std::memset(lock.Pixels() + int64_t(surface.GetPitch()) * y, kGuard, size_t(kWidth) * bits / 8);
    }
    void Check() {
        const CSurfaceLock lock(&surface);
        const int bytes = surface.GetBitsPerPixel() / 8;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (x >= kMargin && x < kWidth - kMargin && y >= kMargin && y < kHeight - kMargin) continue;
                const uint8_t* p = lock.Pixels() + int64_t(surface.GetPitch()) * y + x * bytes;
                for (int i = 0; i < bytes; ++i)
                    if (p[i] != kGuard) __builtin_trap();
            }
    }
    CTextDIBSurface surface;
};

const CClipRect kInside(kMargin, kMargin, kWidth - kMargin, kHeight - kMargin);

void LoadAndDraw(OTextView& view, Bytes& block, OView& parent, Guarded& stage) {
    parent.AddChild(&view);
    view.SetPosition(CPointF(kWidth / 2, kHeight / 2), 0, 0);
    view.SetSize(CPoint16(kWidth - 2 * kMargin, kHeight - 2 * kMargin), 0);
    ODrvMemory stream;
    stream.AdoptMemory(block.data(), block.size(), block.size());
    view.LoadProperties(&stream, uint32_t(block.size()));
    view.OnIdle();
    view.Draw(&stage.surface, CPoint16(0, 0), CClipRect(0, 0, kWidth - 2 * kMargin, kHeight - 2 * kMargin), kInside);
    parent.RemoveChild(&view);
    stage.Check();
}

} // namespace

// fontconfig keeps the character sets of the fonts it knows behind offsets instead of pointers,
// so the leak checks between inputs take that live memory for lost.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    static const bool ready = [] {
        // Shift-JIS lead bytes: texts are double-byte.
        static_cast<plat::HeadlessLocale&>(plat::locale()).SetDoubleByteCodePage(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
        return true;
    }();
    (void)ready;
    xLanguage_Context().language = kLanguageEnglishUs;
    if (size < 9) return 0;
    const uint8_t flags = data[0];
    const auto* box = reinterpret_cast<const int8_t*>(data + 1);
    data += 9;
    size -= 9;
    const Bytes utxt = Take(data, size);
    Bytes block = Take(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The views' text is the chunk's entry 1, in the language the flags choose.
    vqt::test::ChunkFileBuilder image;
    image.AddChunk(image.AddIndex("utxt", 8, 2), utxt, {.entry = 1});
    if (!image.WriteFile(vqt::fuzz::ScratchPath("text"))) return 0;
    auto file = std::make_unique<CPartFile>();
    if (!file->Open(vqt::fuzz::ScratchPath("text").c_str(), 1)) return 0;
    OApplication app;
    app.SetPartFile(std::move(file));
    xLanguage_Context().language = flags & 0x80 ? 24 : kLanguageEnglishUs;
    vqt::test::PropertyBytes head;
    head.Short(OTextView::kClassId, OTextView::kPropTextEntry, 1);
    Bytes stored = head.bytes();
    stored.insert(stored.end(), block.begin(), block.end());

    Guarded stage(flags & 0x40 ? 24 : 16);
    OActivityProp parent("parent", OActivityProp::kClassId);
    {
        Bounded<OTextDView> d;
        d.SetBuffered(flags & 0x01);
        d.SetDrawWhenEmpty(flags & 0x02);
        LoadAndDraw(d, stored, parent, stage);
        Bounded<OTextFXView> fx;
        fx.SetBorder(flags & 0x04);
        fx.SetBlend(flags & 0x08, int16_t(flags));
        LoadAndDraw(fx, stored, parent, stage);
        Bounded<OTextCView> c;
        c.SetCentreVertically(flags & 0x10);
        c.SetRequestedDepth(flags & 0x20 ? 8 : -1);
        LoadAndDraw(c, stored, parent, stage);
    }

    // Arbitrary text with arbitrary rectangles: the layout may lie anywhere, the clip inside.
    OSysFont fonts[2] = {OSysFont(9, false), OSysFont(30, true)};
    fonts[1].CreateFontByName("Arial");
    const CClipRect layout(int16_t(box[0] * 4), int16_t(box[1] * 4), int16_t(box[0] * 4 + box[2] * 4),
                           int16_t(box[1] * 4 + box[3] * 4));
    const CClipRect clip(int16_t(kMargin + (box[4] & 0x3F)), int16_t(kMargin + (box[5] & 0x3F)),
                         int16_t(kMargin + (box[4] & 0x3F) + (box[6] & 0x7F)),
                         int16_t(kMargin + (box[5] & 0x3F) + (box[7] & 0x7F)));
    const CClipRect inside(std::max(clip.left, kInside.left), std::max(clip.top, kInside.top),
                           std::min(clip.right, kInside.right), std::min(clip.bottom, kInside.bottom));
    const uint32_t colour = 0x00FFFFFF;
    CTextStyle style;
    style.textColor = &colour;
    style.alignment = flags % 3;
    style.wordWrap = flags & 0x08;
    style.direction = (flags >> 4) % 3;
    fonts[flags & 0x01].DrawTextInRect(text.c_str(), &stage.surface, layout, inside, &style);
    stage.Check();
    fonts[flags & 0x01].MeasureText(text.c_str(), &stage.surface, nullptr, &style);
    return 0;
}
