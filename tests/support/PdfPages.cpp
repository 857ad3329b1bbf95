#include "tests/support/PdfPages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vqt::test {

namespace {

bool White(const RgbImage& page, int x, int y) {
    const size_t at = (size_t(y) * size_t(page.width) + size_t(x)) * 3;
    return page.rgb[at] == 255 && page.rgb[at + 1] == 255 && page.rgb[at + 2] == 255;
}

} // namespace

bool RenderPdfPage(const std::string& pdf, int dotsPerInch, RgbImage& page) {
    const std::string prefix = pdf + ".page";
    const std::string command = "pdftoppm -r " + std::to_string(dotsPerInch) + " -f 1 -l 1 -singlefile -png '" + pdf +
                                "' '" + prefix + "' 2>/dev/null";
    const bool drawn = std::system(command.c_str()) == 0 && ReadPng(prefix + ".png", page);
    std::remove((prefix + ".png").c_str());
    return drawn;
}

void ExpectPrintedPage(const RgbImage& page, const PageBox& box, int pictureWidth, int pictureHeight,
                       const std::vector<PictureSample>& samples) {
    ASSERT_GT(page.width, 0);
    // The picture's edges along its middle row and column.
    const int midY = int((box.top + box.bottom) / 2), midX = int((box.left + box.right) / 2);
    int first = -1, last = -1;
    for (int x = 0; x < page.width; ++x) {
        if (White(page, x, midY)) continue;
        if (first < 0) first = x;
        last = x;
    }
    EXPECT_NEAR(first, box.left, 1.0);
    EXPECT_NEAR(last + 1, box.right, 1.0);
    first = last = -1;
    for (int y = 0; y < page.height; ++y) {
        if (White(page, midX, y)) continue;
        if (first < 0) first = y;
        last = y;
    }
    EXPECT_NEAR(first, box.top, 1.0);
    EXPECT_NEAR(last + 1, box.bottom, 1.0);
    // White margins.
    int marked = 0;
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            const bool inside = x + 1 >= box.left - 1 && x <= box.right + 1 && y + 1 >= box.top - 1 && y <= box.bottom + 1;
            if (!inside && !White(page, x, y)) ++marked;
        }
    EXPECT_EQ(marked, 0) << "pixels marked outside the picture";
    // The picture's colours at the samples.
    for (const PictureSample& s : samples) {
        const int x = int((box.left + (s.x + 0.5) * (box.right - box.left) / pictureWidth));
        const int y = int((box.top + (s.y + 0.5) * (box.bottom - box.top) / pictureHeight));
        ASSERT_TRUE(x >= 0 && x < page.width && y >= 0 && y < page.height);
        const size_t at = (size_t(y) * size_t(page.width) + size_t(x)) * 3;
        EXPECT_NEAR(page.rgb[at], s.red, 2) << "red at " << s.x << "," << s.y;
        EXPECT_NEAR(page.rgb[at + 1], s.green, 2) << "green at " << s.x << "," << s.y;
        EXPECT_NEAR(page.rgb[at + 2], s.blue, 2) << "blue at " << s.x << "," << s.y;
    }
}

} // namespace vqt::test
