// Printing to PDF files in a folder, read back with poppler at 75 dots per inch: the picture's
// box, its colours and the white page around it; a folder that cannot take the file.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/Print.h"
#include "platform/pdf/FolderDestination.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/support/PdfPages.h"
#include "tools/builders/TempFolder.h"

namespace {

using namespace vqt::test;

/// The colour of block (column, row) of the test picture.
uint32_t BlockColour(int column, int row) {
    return ColorWord(uint8_t(40 + 60 * column), uint8_t(230 - 90 * row), uint8_t(column * row * 30 + 10));
}

class PdfPrintTest : public GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        window = std::make_unique<OWindow>();
        plat::services().printer =
            std::make_unique<plat::PdfPrinter>(std::make_unique<plat::FolderDestination>(folder.path()));
    }
    void TearDown() override {
        window.reset();
        GraphicsTest::TearDown();
    }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder;
    std::unique_ptr<OWindow> window;
};

TEST_F(PdfPrintTest, ColouredBlocksLandInTheirBoxOnAWhiteLetterPage) {
    // A 640 x 480 picture of 4 x 3 blocks of 160 x 160 in 24 bits.
    CPixelSurface s;
    ASSERT_TRUE(s.Create(640, 480, 24));
    std::vector<PictureSample> samples;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column) {
            const uint32_t c = BlockColour(column, row);
            s.FillRect(CClipRect(int16_t(160 * column), int16_t(160 * row), int16_t(160 * column + 160),
                                 int16_t(160 * row + 160)),
                       c);
            samples.push_back({160 * column + 80, 160 * row + 80, ColorRed(c), ColorGreen(c), ColorBlue(c)});
        }
    ASSERT_TRUE(xPrint_Surface("Blocks", &s, window.get(), 0, 0, 0));
    ASSERT_EQ(Files(), std::vector<std::string>{"Blocks.pdf"}) << "one finished file, no partial one";
    ASSERT_TRUE(xPrint_Surface("Blocks", &s, window.get(), 0, 0, 0));
    EXPECT_EQ(Files(), (std::vector<std::string>{"Blocks-2.pdf", "Blocks.pdf"})) << "an earlier file is kept";

    RgbImage page;
    ASSERT_TRUE(RenderPdfPage(folder / "Blocks.pdf", 75, page)) << "pdftoppm (poppler-utils) is needed";
    EXPECT_EQ(page.width, 638); // Letter, 8.5 x 11 inches
    EXPECT_EQ(page.height, 825);
    // Letter at 600 dots per inch is 5100 x 6600 dots: the picture is 4316 x 3237 dots at
    // (392, 1681), an eighth of that at 75 dots per inch.
    ExpectPrintedPage(page, {392 / 8.0, 1681 / 8.0, (392 + 4316) / 8.0, (1681 + 3237) / 8.0}, 640, 480, samples);
}

TEST_F(PdfPrintTest, AFolderThatCannotTakeTheFileAnswersFalseAndKeepsNoPartOfIt) {
    CPixelSurface s;
    ASSERT_TRUE(s.Create(8, 8, 24));
    // Every name the document could take is taken.
    std::ofstream(folder / "Blocks.pdf") << "earlier";
    for (int n = 2; n <= 1000; ++n) std::ofstream(folder / ("Blocks-" + std::to_string(n) + ".pdf")) << "earlier";
    debug().Clear();
    EXPECT_FALSE(xPrint_Surface("Blocks", &s, window.get(), 0, 0, 0));
    EXPECT_NE(traced().find("Print - the print job could not be finished\n"), std::string::npos);
    EXPECT_NE(traced().find("Printing: no file name for \"Blocks\""), std::string::npos);
    EXPECT_EQ(Files().size(), 1000u);
    // A file has taken the folder's place.
    std::filesystem::remove_all(folder.path());
    std::ofstream(folder.path()) << "not a folder";
    debug().Clear();
    EXPECT_FALSE(xPrint_Surface("Blocks", &s, window.get(), 0, 0, 0));
    EXPECT_NE(traced().find("Printing: cannot write in " + folder.path()), std::string::npos);
    std::filesystem::remove(folder.path());
    std::filesystem::create_directory(folder.path());
}

} // namespace
