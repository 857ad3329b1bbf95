#include "platform/headless/RecordingPrinter.h"

namespace plat {

bool RecordingPrinter::StartDoc(const std::string& printer, const std::string& document, bool landscape) {
    if (printer.empty() || printer != defaultPrinter_) return false;
    jobs_.push_back(Job{printer, document, landscape, false, {}});
    open_ = true;
    return true;
}

bool RecordingPrinter::StartPage() {
    if (!open_) return false;
    jobs_.back().pages.emplace_back();
    return true;
}

bool RecordingPrinter::StretchDib(int32_t x, int32_t y, int32_t width, int32_t height, const BitmapInfoHeader& info,
                                  const RgbQuad* colors, const uint8_t* rows, int32_t stride) {
    if (!open_ || jobs_.back().pages.empty() || !rows || info.width <= 0 || info.height <= 0) return false;
    if (info.bitCount != 8 && info.bitCount != 16 && info.bitCount != 24) return false;
    Draw draw{x, y, width, height, {}};
    draw.picture.Resize(info.width, info.height);
    std::vector<Argb> colours;
    if (info.bitCount == 8) TableColours(colors, colors ? 256 : 0, colours);
    // Rows are stored bottom-up; 16-bit pixels are 5-5-5.
    const PixelSource source{rows + int64_t(info.height - 1) * stride, -stride, info.width, info.height,
                             info.bitCount, false, colours.data()};
    for (int32_t row = 0; row < info.height; ++row) ConvertRow(source, 0, row, info.width, draw.picture.Row(row));
    jobs_.back().pages.back().draws.push_back(std::move(draw));
    return true;
}

bool RecordingPrinter::EndDoc() {
    if (!open_) return false;
    jobs_.back().ended = true;
    open_ = false;
    return true;
}

} // namespace plat
