// The pointer: the cursor-hidden state, cursors built from frames, the mouse process with the
// hover cursor and the pointer view.
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/Cursor.h"
#include "engine/media/MouseProcess.h"
#include "engine/media/PartCursor.h"
#include "tests/engine/media/PointerFixture.h"

namespace vqt::test {
namespace {

/// What a pixel value gives, as the frame format has it: colour 2 white (AND 0, XOR 1), 3
/// see-through (1, 0), 4 inverted (1, 1), the rest black (0, 0); the bit of 8 is the hot spot.
struct MaskBits {
    int andBit;
    int xorBit;
};
constexpr MaskBits kOracle[8] = {{0, 0}, {0, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 0}, {0, 0}, {0, 0}};

int Bit(const uint8_t* mask, int x, int y) { return (mask[y * 4 + x / 8] >> (7 - x % 8)) & 1; }

TEST(CursorImageTest, EveryPixelValueGivesTheMaskBitsOfItsColourAndTheFirstHotPixelIsTheHotSpot) {
    std::vector<uint8_t> pixels(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) pixels[size_t(y) * 32 + size_t(x)] = uint8_t((x + 3 * y) % 16);
    const plat::CursorImage image = xCursor_BuildImage(pixels.data(), 32, 32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const MaskBits want = kOracle[(x + 3 * y) % 8];
            ASSERT_EQ(Bit(image.andMask, x, y), want.andBit) << x << "," << y;
            ASSERT_EQ(Bit(image.xorMask, x, y), want.xorBit) << x << "," << y;
        }
    EXPECT_EQ(image.hotX, 8); // (8, 0) holds 8, the first value with that bit
    EXPECT_EQ(image.hotY, 0);
}

TEST(CursorImageTest, AnAllSeeThroughFrameHasNoHotSpotAndASmallFrameIsReadOnlyWithinItself) {
    const std::vector<uint8_t> clear(32 * 32, 3);
    plat::CursorImage image = xCursor_BuildImage(clear.data(), 32, 32, 32);
    for (int i = 0; i < plat::CursorImage::kMaskBytes; ++i) {
        ASSERT_EQ(image.andMask[i], 0xFF);
        ASSERT_EQ(image.xorMask[i], 0x00);
    }
    EXPECT_EQ(image.hotX, 0);
    EXPECT_EQ(image.hotY, 0);

    // 16 x 16 white, exactly as large as its pixels (the sanitizer sees any read beyond).
    std::vector<uint8_t> small(16 * 16, 2);
    small[7 * 16 + 5] = 2 | 8;
    image = xCursor_BuildImage(small.data(), 16, 16, 16);
    EXPECT_EQ(Bit(image.xorMask, 15, 15), 1);
    EXPECT_EQ(Bit(image.andMask, 16, 3), 1) << "outside the frame is see-through";
    EXPECT_EQ(Bit(image.andMask, 3, 16), 1);
    EXPECT_EQ(image.hotX, 5);
    EXPECT_EQ(image.hotY, 7);
}

/// A 2 x 2 BMP file of 24 bits.
Bytes Bmp24() {
    Bytes b;
    PutText(b, 0, "BM");
    PutLe32(b, 2, 54 + 16);
    PutLe32(b, 10, 54);
    PutLe32(b, 14, 40);
    PutLe32(b, 18, 2);
    PutLe32(b, 22, 2);
    PutLe16(b, 26, 1);
    PutLe16(b, 28, 24);
    b.resize(54 + 16, 0x40);
    return b;
}

TEST_F(PointerTest, CursorsComeFrom8BitFramesOnlyAndShowOnlyWhenTheyChange) {
    ChunkFileBuilder b;
    const uint8_t fram = b.AddIndex("fram", 8, 8);
    Picture pointer(32, 32, 3);
    pointer.at(4, 6) = 2 | 8;
    b.AddChunk(fram, RawFrameData(pointer), {.entry = 1});
    b.AddChunk(fram, Bmp24(), {.entry = 2, .property = FrameProperty(1)});
    GiveApp(b);

    const xCursor made = xCursor_CreateFromFrame(ChunkIdOf(fram, 1));
    ASSERT_NE(made, 0u);
    const plat::CursorImage* image = input().Image(made);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->hotX, 4);
    EXPECT_EQ(image->hotY, 6);
    EXPECT_EQ(xCursor_CreateFromFrame(ChunkIdOf(fram, 2)), 0u) << "24 bits";
    EXPECT_EQ(xCursor_CreateFromFrame(ChunkIdOf(fram, 3)), 0u) << "missing";
    EXPECT_NE(traced().find("xCursor_CreateFromFrame - no 8-bit frame {1, 0, 3}\n"), std::string::npos);

    xCursor_Set(made);
    xCursor_Set(made);
    EXPECT_EQ(input().SetCursorCalls(), 1);
    xCursor_Destroy(made);
    EXPECT_EQ(input().LiveCursors(), 0u);
}

class PlainView : public OView {
public:
    PlainView() : OView("button", 1300) {}
    int32_t OnIdle() override { return 1; }
};

/// The stage with the application's mouse process, a game cursor pair and a 40 x 40 view of hover mode 1 at
/// (100, 100).
class MouseProcessTest : public PointerTest {
protected:
    void SetUp() override {
        PointerTest::SetUp();
        app.CreateProcesses();
        mouse = app.GetMouseProcess();
        ASSERT_NE(mouse, nullptr);
        plat::CursorImage image;
        normal = input().CreateCursor(image);
        hover = input().CreateCursor(image);
        mouse->SetCursors(normal, hover);
        button = new PlainView;
        button->SetCursorMode(OView::kHitChildrenThenSelf);
        button->SetSize(CPoint16(40, 40), 0);
        button->SetPosition(CPointF(100, 100), 0, 0);
        window->AddChild(button);
    }
    /// Moves the pointer and runs one update.
    void PointAt(int x, int y) {
        input().SetCursorPos({x, y});
        mouse->Update();
    }
    /// A pointer view of two states whose frames have the offset (5, 7).
    OPartCursor* MakePointerView() {
        ChunkFileBuilder b;
        PartBuilder parts(b);
        FramePlan frame{.picture = Picture(8, 8, 1), .offsetX = 5, .offsetY = 7};
        PartPlan part;
        part.states = {StatePlan{.frames = {frame}}, StatePlan{.frames = {frame}}};
        const uint32_t id = parts.AddPart(part).part;
        auto* view = new OPartCursor;
        view->SetPartID(Open(b), id, 1);
        view->SetState(0);
        return view;
    }

    OMouseProcess* mouse = nullptr;
    OView* button = nullptr;
    xCursor normal = 0;
    xCursor hover = 0;
};

TEST_F(MouseProcessTest, TheHoverCursorShowsOverAHoverViewAndTheNormalOneElsewhereInTheClientArea) {
    struct Step {
        int x, y;
        xCursor* expected;
    };
    const Step steps[] = {{100, 100, &hover}, {300, 300, &normal}, {110, 95, &hover}, {700, 100, &hover}};
    for (const Step& s : steps) {
        PointAt(s.x, s.y);
        EXPECT_EQ(input().CurrentCursor(), *s.expected) << s.x << "," << s.y;
    }
    // The views' own pointer entry and exit (what the main window calls on a mouse move).
    PointAt(300, 300);
    button->OnCursorEnter();
    EXPECT_EQ(mouse->GetCurrentCursor(), hover);
    EXPECT_EQ(input().CurrentCursor(), hover);
    button->OnCursorLeave();
    EXPECT_EQ(mouse->GetCurrentCursor(), 0u);
    EXPECT_EQ(input().CurrentCursor(), normal);
    // Outside the client area a refresh shows the kept cursor again.
    input().SetCursorPos({700, 100});
    mouse->SetCurrentCursor(hover);
    xCursor_Set(normal);
    mouse->Refresh();
    EXPECT_EQ(input().CurrentCursor(), hover);
}

TEST_F(MouseProcessTest, UpdatesComeWhenMoreThan30MillisecondsHavePassed) {
    OPartCursor* view = MakePointerView();
    mouse->SetCursorView(view);
    int moves = 0;
    float lastX = view->GetPosition().x;
    for (int ms = 1; ms <= 300; ++ms) {
        clock().Advance(1);
        input().SetCursorPos({ms, 200});
        Frames(1, 0);
        if (view->GetPosition().x != lastX) {
            ++moves;
            lastX = view->GetPosition().x;
            EXPECT_EQ(ms % 31, 0) << "moved at " << ms << " ms";
        }
    }
    EXPECT_EQ(moves, 9);
}

TEST_F(MouseProcessTest, APointerViewTakesTheHoverStateFollowsThePointerAndHidesTheSystemPointerOnce) {
    OPartCursor* view = MakePointerView();
    mouse->SetCursorView(view);
    EXPECT_EQ(view->GetParent(), window);
    EXPECT_EQ(view->GetPriority(), OMouseProcess::kPointerPriority);
    EXPECT_EQ(xCursor_HiddenState(), -1);
    PointAt(100, 100);
    EXPECT_EQ(view->GetState(), 1);
    EXPECT_EQ(view->GetOffset(), CPointF(-5, -7));
    EXPECT_EQ(view->GetPosition(), CPointF(95, 93)) << "the frame's hot spot on the pointer";
    PointAt(300, 200);
    EXPECT_EQ(view->GetState(), 0);
    EXPECT_EQ(view->GetPosition(), CPointF(295, 193));
    view->SetPosition(CPointF(10, 10), 1, 1);
    EXPECT_EQ(view->GetPosition(), CPointF(305, 203)) << "a relative move is by the amount alone";
    EXPECT_EQ(input().ShowCursorCalls(), 1) << "hidden by the view and by each update: one call";

    button->OnCursorEnter();
    EXPECT_EQ(view->GetState(), 1);
    button->OnCursorLeave();
    EXPECT_EQ(view->GetState(), 0);

    delete view; // leaves the mouse process first
    EXPECT_EQ(mouse->GetCursorView(), nullptr);
    EXPECT_FALSE(mouse->IsPointerActive());
}

} // namespace
} // namespace vqt::test
