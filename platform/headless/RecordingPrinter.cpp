#include "platform/headless/RecordingPrinter.h"

namespace plat {

bool RecordingPrinter::StartDoc(const std::string& printer, const std::string& document, bool landscape) {
    if (printer.empty() || printer != defaultPrinter_ || script_.refuseStartDoc) return false;
    jobs_.push_back(Job{printer, document, landscape, false, {}});
    open_ = true;
    return true;
}

bool RecordingPrinter::StartPage() {
    if (!open_ || script_.refuseStartPage) return false;
    jobs_.back().pages.emplace_back();
    return true;
}

bool RecordingPrinter::StretchDib(int32_t x, int32_t y, int32_t width, int32_t height, const BitmapInfoHeader& info,
                                  const RgbQuad* colors, const uint8_t* rows) {
    if (!open_ || jobs_.back().pages.empty() || script_.refuseDraw) return false;
    Draw draw{x, y, width, height, info, {}};
    if (!PackedDibImage(info, colors, rows, draw.picture)) return false;
    jobs_.back().pages.back().draws.push_back(std::move(draw));
    return true;
}

bool RecordingPrinter::EndDoc() {
    if (!open_) return false;
    jobs_.back().ended = true;
    open_ = false;
    return !script_.refuseEndDoc;
}

} // namespace plat
