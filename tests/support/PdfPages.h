#pragma once
#include <string>
#include <vector>

#include "tests/support/Png.h"

namespace vqt::test {

/// Page 1 of a PDF file as poppler's pdftoppm draws it at the resolution; false when the
/// program is missing or fails.
bool RenderPdfPage(const std::string& pdf, int dotsPerInch, RgbImage& page);

/// Where a printed picture should lie on a rendered page, in the page's pixels (right and
/// bottom exclusive).
struct PageBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

/// A pixel of the printed picture and its colour.
struct PictureSample {
    int x = 0;
    int y = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
};

/// Checks a rendered page: the picture's edges lie within a pixel of the box along its middle
/// row and column, the page is white outside the box (a pixel of slack), and at each sample
/// the page shows the sample's colour within 2 per channel.
void ExpectPrintedPage(const RgbImage& page, const PageBox& box, int pictureWidth, int pictureHeight,
                       const std::vector<PictureSample>& samples);

} // namespace vqt::test
