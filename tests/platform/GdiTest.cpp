#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/HeadlessTest.h"

namespace {

using namespace plat;

class GdiTest : public vqt::test::HeadlessTest {
protected:
    WindowId MakeWindow(int32_t w, int32_t h) {
        WindowParams p;
        p.style = WS_POPUP;
        p.rect = {0, 0, w, h};
        const WindowId id = plat::desktop().CreateWindow(p);
        plat::desktop().Find(id)->Show(SW_SHOWNA);
        return id;
    }
    static BitmapInfoHeader Header(int32_t w, int32_t h, uint16_t bits) {
        BitmapInfoHeader hd;
        hd.width = w;
        hd.height = h;
        hd.bitCount = bits;
        return hd;
    }
};

TEST_F(GdiTest, DibSectionIsBottomUpWithAlignedRowsAndATableOnlyUpTo8Bits) {
    Dc* dc = gdi().CreateCompatibleDc(nullptr);
    ASSERT_NE(dc, nullptr);
    uint8_t* bits = nullptr;
    Bitmap* b8 = gdi().CreateDibSection(dc, Header(5, 3, 8), nullptr, DIB_RGB_COLORS, &bits);
    ASSERT_NE(b8, nullptr);
    EXPECT_EQ(bits, b8->Memory());
    EXPECT_EQ(b8->Stride(), 8);
    EXPECT_EQ(b8->MemorySize(), 24u);
    EXPECT_TRUE(b8->BottomUp());
    EXPECT_EQ(b8->ColorTable().size(), 256u);
    Bitmap* b16 = gdi().CreateDibSection(dc, Header(3, -2, 16), nullptr, DIB_RGB_COLORS, &bits);
    ASSERT_NE(b16, nullptr);
    EXPECT_EQ(b16->Stride(), 8);
    EXPECT_FALSE(b16->BottomUp());
    EXPECT_TRUE(b16->ColorTable().empty());
    Bitmap* b24 = gdi().CreateDibSection(dc, Header(5, 1, 24), nullptr, DIB_RGB_COLORS, &bits);
    ASSERT_NE(b24, nullptr);
    EXPECT_EQ(b24->Stride(), 16);

    // Headers it cannot take.
    EXPECT_EQ(gdi().CreateDibSection(dc, Header(0, 3, 8), nullptr, DIB_RGB_COLORS, &bits), nullptr);
    EXPECT_EQ(bits, nullptr);
    EXPECT_EQ(gdi().CreateDibSection(dc, Header(4, 4, 12), nullptr, DIB_RGB_COLORS, &bits), nullptr);
    BitmapInfoHeader compressed = Header(4, 4, 8);
    compressed.compression = 1;
    EXPECT_EQ(gdi().CreateDibSection(dc, compressed, nullptr, DIB_RGB_COLORS, &bits), nullptr);
    EXPECT_EQ(gdi().CreateDibSection(dc, Header(20000, 4, 8), nullptr, DIB_RGB_COLORS, &bits), nullptr);
}

TEST_F(GdiTest, SelectionKeepsObjectsAliveAndDeletionFreesThem) {
    const size_t before = gdi().LiveObjects();
    Dc* dc = gdi().CreateCompatibleDc(nullptr);
    uint8_t* bits = nullptr;
    Bitmap* bmp = gdi().CreateDibSection(dc, Header(4, 4, 16), nullptr, DIB_RGB_COLORS, &bits);
    Bitmap* stock = gdi().SelectBitmap(dc, bmp);
    EXPECT_EQ(stock, gdi().StockBitmap());
    EXPECT_EQ(bmp->SelectedInto(), dc);
    Dc* other = gdi().CreateCompatibleDc(nullptr);
    EXPECT_EQ(gdi().SelectBitmap(other, bmp), nullptr) << "one context at a time";
    EXPECT_FALSE(gdi().DeleteObject(bmp)) << "a selected bitmap stays";
    EXPECT_EQ(gdi().SelectBitmap(dc, stock), bmp);
    EXPECT_TRUE(gdi().DeleteObject(bmp));
    EXPECT_TRUE(gdi().DeleteDc(dc));
    EXPECT_TRUE(gdi().DeleteDc(other));
    EXPECT_FALSE(gdi().DeleteDc(dc));
    EXPECT_EQ(gdi().LiveObjects(), before);
}

TEST_F(GdiTest, ColourTableKeepsTheFourthByteAndOnlyFitsTheBitmap) {
    Dc* dc = gdi().CreateCompatibleDc(nullptr);
    uint8_t* bits = nullptr;
    Bitmap* b8 = gdi().CreateDibSection(dc, Header(2, 2, 8), nullptr, DIB_RGB_COLORS, &bits);
    gdi().SelectBitmap(dc, b8);
    std::vector<RgbQuad> table(300);
    for (size_t i = 0; i < table.size(); ++i) table[i] = RgbQuad{uint8_t(i), 1, 2, uint8_t(i % 5)};
    EXPECT_EQ(gdi().SetDibColorTable(dc, 0, 300, table.data()), 256u);
    EXPECT_EQ(gdi().SetDibColorTable(dc, 250, 10, table.data()), 6u);
    RgbQuad back[2];
    EXPECT_EQ(gdi().GetDibColorTable(dc, 3, 2, back), 2u);
    EXPECT_EQ(back[0], (RgbQuad{3, 1, 2, 3}));
    EXPECT_EQ(back[1].reserved, 4);

    Dc* dc16 = gdi().CreateCompatibleDc(nullptr);
    gdi().SelectBitmap(dc16, gdi().CreateDibSection(dc16, Header(2, 2, 16), nullptr, DIB_RGB_COLORS, &bits));
    EXPECT_EQ(gdi().SetDibColorTable(dc16, 0, 256, table.data()), 0u) << "no table above 8 bits";
}

TEST_F(GdiTest, RealisingAPaletteInAWindowContextHandsItToTheWindow) {
    const WindowId id = MakeWindow(4, 4);
    Dc* wdc = gdi().GetDc(id);
    ASSERT_NE(wdc, nullptr);
    EXPECT_EQ(wdc, gdi().GetDc(id)) << "each window has its own context";
    std::vector<PaletteEntry> entries(256, PaletteEntry{1, 2, 3, PC_NOCOLLAPSE});
    GdiPalette* pal = gdi().CreatePalette(kLogPaletteVersion, 256, entries.data());
    EXPECT_EQ(gdi().RealizePalette(wdc), 0u) << "the stock palette realises nothing";
    GdiPalette* old = gdi().SelectPalette(wdc, pal, false);
    EXPECT_EQ(old, gdi().StockPalette());
    entries[7] = PaletteEntry{200, 100, 50, PC_NOCOLLAPSE};
    EXPECT_EQ(gdi().SetPaletteEntries(pal, 7, 1, &entries[7]), 1u);
    EXPECT_EQ(gdi().RealizePalette(wdc), 256u);
    const Window& w = *plat::desktop().Find(id);
    EXPECT_EQ(w.Realizations(), 1);
    ASSERT_EQ(w.RealizedPalette().size(), 256u);
    EXPECT_EQ(w.RealizedPalette()[7], (PaletteEntry{200, 100, 50, PC_NOCOLLAPSE}));
    EXPECT_FALSE(gdi().DeleteObject(pal)) << "selected into the window's context";
    gdi().SelectPalette(wdc, old, false);
    EXPECT_TRUE(gdi().DeleteObject(pal));
    gdi().script().failGetPaletteEntries = 1;
    PaletteEntry one;
    EXPECT_EQ(gdi().GetPaletteEntries(gdi().StockPalette(), 0, 1, &one), 0u);
    EXPECT_EQ(gdi().GetPaletteEntries(gdi().StockPalette(), 19, 1, &one), 1u);
    EXPECT_EQ(one, (PaletteEntry{255, 255, 255, 0}));
}

TEST_F(GdiTest, BitBltShowsEightBitPixelsThroughTheTableAnd555Widened) {
    const WindowId id = MakeWindow(6, 4);
    Dc* wdc = gdi().GetDc(id);
    Dc* mem = gdi().CreateCompatibleDc(nullptr);
    uint8_t* bits = nullptr;
    std::vector<RgbQuad> table(256);
    table[1] = RgbQuad{30, 20, 10, 4};  // the fourth byte is not a colour
    table[2] = RgbQuad{255, 255, 255, 1};
    BitmapInfoHeader h = Header(3, 2, 8);
    Bitmap* b8 = gdi().CreateDibSection(mem, h, table.data(), DIB_RGB_COLORS, &bits);
    gdi().SelectBitmap(mem, b8);
    // Bottom-up: the first stored row is the bottom one.
    bits[0] = 2;
    bits[1] = 1;
    bits[4 + 0] = 1;
    ASSERT_TRUE(gdi().BitBlt(wdc, 2, 1, 3, 2, mem, 0, 0, SRCCOPY));
    const Image& img = plat::desktop().Find(id)->Presented();
    EXPECT_EQ(img.At(2, 1), MakeArgb(10, 20, 30)) << "top row, first pixel";
    EXPECT_EQ(img.At(2, 2), MakeArgb(255, 255, 255));
    EXPECT_EQ(img.At(3, 2), MakeArgb(10, 20, 30));
    EXPECT_EQ(img.At(1, 1), MakeArgb(0, 0, 0)) << "outside the copy";

    Dc* mem16 = gdi().CreateCompatibleDc(nullptr);
    Bitmap* b16 = gdi().CreateDibSection(mem16, Header(2, -1, 16), nullptr, DIB_RGB_COLORS, &bits);
    gdi().SelectBitmap(mem16, b16);
    const uint16_t px[2] = {0x7FFF, uint16_t((31 << 10) | (1 << 5) | 16)};
    std::memcpy(bits, px, 4);
    // A copy hanging over the window's edge is clipped.
    ASSERT_TRUE(gdi().BitBlt(wdc, 5, 3, 2, 1, mem16, 0, 0, SRCCOPY));
    EXPECT_EQ(plat::desktop().Find(id)->Presented().At(5, 3), MakeArgb(255, 255, 255));
    ASSERT_TRUE(gdi().BitBlt(wdc, 0, 0, 1, 1, mem16, 1, 0, SRCCOPY));
    EXPECT_EQ(plat::desktop().Find(id)->Presented().At(0, 0), MakeArgb(255, 8, 132)) << "5-bit channels widened by repeating their top bits";
    EXPECT_FALSE(gdi().BitBlt(wdc, 0, 0, 1, 1, mem16, 0, 0, 0x00EE0086)) << "only plain copies";
    EXPECT_FALSE(gdi().BitBlt(mem, 0, 0, 1, 1, mem16, 0, 0, SRCCOPY)) << "only into windows";
    EXPECT_EQ(gdi().counts().bitBlts, 3);
}

TEST_F(GdiTest, StretchDibitsScalesAPackedBottomUpBitmap) {
    const WindowId id = MakeWindow(8, 8);
    Dc* wdc = gdi().GetDc(id);
    // 2 x 2, 24 bits, bottom-up: stored rows are bottom (blue, green) then top (red, white).
    const uint8_t packed[16] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
    const BitmapInfoHeader h = Header(2, 2, 24);
    EXPECT_EQ(gdi().StretchDIBits(wdc, 0, 0, 4, 4, 0, 0, 2, 2, packed, h, nullptr, DIB_RGB_COLORS, SRCCOPY), 2);
    const Image& img = plat::desktop().Find(id)->Presented();
    EXPECT_EQ(img.At(0, 0), MakeArgb(255, 0, 0));
    EXPECT_EQ(img.At(3, 1), MakeArgb(255, 255, 255));
    EXPECT_EQ(img.At(1, 2), MakeArgb(0, 0, 255));
    EXPECT_EQ(img.At(2, 3), MakeArgb(0, 255, 0));
    EXPECT_EQ(img.At(4, 4), MakeArgb(0, 0, 0));
    EXPECT_EQ(gdi().StretchDIBits(wdc, 0, 0, 4, 4, 0, 0, 2, 2, packed, Header(2, 2, 4), nullptr, DIB_RGB_COLORS,
                                  SRCCOPY),
              0);
}

} // namespace
