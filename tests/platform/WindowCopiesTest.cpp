// A headless window converts its copies only when its picture is looked at: what it then shows
// must be what converting each copy as it was made would have shown.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/HeadlessTest.h"

namespace {

using namespace plat;

constexpr int32_t kW = 8, kH = 6;

/// A source of one format whose pixels can be changed after a copy.
struct Pixels {
    int bits;
    int32_t w, h;
    std::vector<uint8_t> bytes;
    std::vector<Argb> palette;

    Pixels(int bits_, int32_t w_, int32_t h_) : bits(bits_), w(w_), h(h_), bytes(size_t(w_ * h_ * bits_ / 8)) {
        if (bits == 8) palette.assign(256, MakeArgb(0, 0, 0));
    }
    PixelSource Source() const {
        return PixelSource{bytes.data(), w * bits / 8, w, h, bits, false, palette.empty() ? nullptr : palette.data()};
    }
};

class WindowCopiesTest : public vqt::test::HeadlessTest {
protected:
    Window& MakeWindow() {
        WindowParams p;
        p.style = WS_POPUP;
        p.rect = {0, 0, kW, kH};
        Window* window = desktop().Find(desktop().CreateWindow(p));
        window->Show(SW_SHOWNA);
        return *window;
    }
};

TEST_F(WindowCopiesTest, WaitingCopiesShowWhatTheirSourcesHeldWhenCopiedInTheOrderMade) {
    Window& window = MakeWindow();
    Pixels red(32, kW, kH), index(8, 4, 2), stretch(24, 1, 1);
    for (size_t i = 0; i < red.bytes.size(); i += 4) red.bytes[i + 2] = 200; // blue, green, red, x
    index.palette[1] = MakeArgb(0, 90, 0);
    index.bytes.assign(index.bytes.size(), 1);
    stretch.bytes = {7, 8, 9};

    window.Blit(red.Source(), 0, 0, kW, kH, 0, 0);
    window.Blit(index.Source(), 0, 0, 4, 2, 6, 1); // clipped to two columns at the right edge
    window.StretchBlit(stretch.Source(), WinRect{0, 0, 1, 1}, WinRect{0, 4, 2, 6});
    window.Blit(index.Source(), 1, 0, 1, 1, 0, 5); // drawn over the stretched corner
    // Changed after the copies: none of this may show.
    red.bytes.assign(red.bytes.size(), 0);
    index.palette[1] = MakeArgb(255, 255, 255);
    index.bytes.assign(index.bytes.size(), 0);

    const Image& shown = window.Presented();
    struct Expected {
        int32_t x, y;
        Argb colour;
    };
    const Expected kExpected[] = {
        {0, 0, MakeArgb(200, 0, 0)}, {5, 1, MakeArgb(200, 0, 0)}, {6, 1, MakeArgb(0, 90, 0)},
        {7, 2, MakeArgb(0, 90, 0)},  {7, 3, MakeArgb(200, 0, 0)}, {1, 4, MakeArgb(9, 8, 7)},
        {1, 5, MakeArgb(9, 8, 7)},   {0, 5, MakeArgb(0, 90, 0)},  {2, 5, MakeArgb(200, 0, 0)},
    };
    for (const Expected& e : kExpected) EXPECT_EQ(shown.At(e.x, e.y), e.colour) << e.x << ", " << e.y;
    EXPECT_EQ(window.Blits(), 4);
}

TEST_F(WindowCopiesTest, ACopyOverTheWholePictureHidesTheOnesBeforeItAndLaterPartsLieOnTop) {
    Window& window = MakeWindow();
    Pixels blue(16, kW, kH), dot(16, 1, 1);
    for (size_t i = 0; i < blue.bytes.size(); i += 2) blue.bytes[i] = 0x1F; // x-5-5-5 blue
    dot.bytes = {0x00, 0x7C};                                                // red
    for (int frame = 0; frame < 3; ++frame) {
        window.Blit(dot.Source(), 0, 0, 1, 1, frame, 0);
        window.Blit(blue.Source(), 0, 0, kW, kH, 0, 0);
        window.Blit(dot.Source(), 0, 0, 1, 1, 7, 5);
    }
    const Image& shown = window.Presented();
    EXPECT_EQ(shown.At(0, 0), MakeArgb(0, 0, 255));
    EXPECT_EQ(shown.At(2, 0), MakeArgb(0, 0, 255)) << "the last frame's early dot lies under its whole copy";
    EXPECT_EQ(shown.At(7, 5), MakeArgb(255, 0, 0));
}

TEST_F(WindowCopiesTest, AResizeKeepsWhatTheWaitingCopiesDrewWhereThePictureStays) {
    const struct {
        const char* what;
        int32_t w, h;
        /// Then back to its own size.
        bool back;
        /// A point of the picture, and whether the copy shows there.
        int32_t x, y;
        bool drawn;
    } cases[] = {
        {"grown: the copy stays", 12, 9, false, 7, 5, true},
        {"grown: the new part is black", 12, 9, false, 9, 7, false},
        {"shrunk and back: the kept part stays", 4, 3, true, 3, 2, true},
        {"shrunk and back: the cut part is gone", 4, 3, true, 6, 4, false},
    };
    for (const auto& c : cases) {
        Window& window = MakeWindow();
        Pixels green(32, kW, kH);
        for (size_t i = 0; i < green.bytes.size(); i += 4) green.bytes[i + 1] = 180;
        window.Blit(green.Source(), 0, 0, kW, kH, 0, 0);
        window.SetPos(HWND_TOP, 0, 0, c.w, c.h, SWP_NOZORDER | SWP_NOMOVE);
        if (c.back) window.SetPos(HWND_TOP, 0, 0, kW, kH, SWP_NOZORDER | SWP_NOMOVE);
        const Image& shown = window.Presented();
        ASSERT_EQ(shown.width, c.back ? kW : c.w) << c.what;
        EXPECT_EQ(shown.At(c.x, c.y), c.drawn ? MakeArgb(0, 180, 0) : MakeArgb(0, 0, 0)) << c.what;
    }
}

} // namespace
