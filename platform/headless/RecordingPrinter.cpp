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
    for (int32_t row = 0; row < info.height; ++row) {
        // Rows are stored bottom-up.
        const uint8_t* p = rows + int64_t(info.height - 1 - row) * stride;
        Argb* out = draw.picture.Row(row);
        for (int32_t col = 0; col < info.width; ++col) {
            if (info.bitCount == 8) {
                const RgbQuad c = colors ? colors[p[col]] : RgbQuad{};
                out[col] = MakeArgb(c.red, c.green, c.blue);
            } else if (info.bitCount == 16) {
                out[col] = Expand555(uint16_t(p[2 * col] | (p[2 * col + 1] << 8)));
            } else {
                out[col] = MakeArgb(p[3 * col + 2], p[3 * col + 1], p[3 * col]);
            }
        }
    }
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
