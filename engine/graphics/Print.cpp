#include "engine/graphics/Print.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "engine/base/AppInstance.h"
#include "engine/base/Trace.h"
#include "engine/base/Unaligned.h"
#include "engine/blit/BltPixel.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/GraphicsState.h"
#include "platform/Platform.h"

bool xPrint_HasDefaultPrinter() { return !plat::printer().DefaultPrinterName().empty(); }

bool xPrint_StartJob(uint8_t landscape, const char* documentName) {
    const std::string name = plat::printer().DefaultPrinterName();
    if (name.empty()) return false;
    xGraphics_State().printJobOpen = plat::printer().StartDoc(name, documentName ? documentName : "VQT Image", landscape != 0);
    return xGraphics_State().printJobOpen;
}

bool xPrint_StartPage() { return xGraphics_State().printJobOpen && plat::printer().StartPage(); }
bool xPrint_EndPage() { return xGraphics_State().printJobOpen && plat::printer().EndPage(); }

bool xPrint_EndJob() {
    if (!xGraphics_State().printJobOpen) return false;
    xGraphics_State().printJobOpen = false;
    return plat::printer().EndDoc();
}

void xPrint_RestoreFocus() {
    if (const plat::WindowId window = xPlatform_GetAppWindow()) plat::desktop().SetFocus(window);
}

namespace {

/// Where the picture goes on the page, in dots of the printable area.
struct PageBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

/// The picture enlarged to 0.92 of the printable area (at most 5000 times), the aspect factor
/// of unequal resolutions applied, centred; sizes are truncated to whole dots. An aspect factor
/// that would carry the box past the printable area shrinks it, proportions kept, to fit.
PageBox FitOnPage(const plat::PrinterCaps& caps, int32_t width, int32_t height) {
    const double scale = std::min({0.92 * caps.horzRes / width, 0.92 * caps.vertRes / height, 5000.0});
    const double ratio = double(caps.logPixelsX) / caps.logPixelsY;
    const double w = std::fabs(width * scale * 0.92 * ratio);
    const double h = std::fabs(height * scale * 0.92 / ratio);
    const double shrink = std::min({1.0, caps.horzRes / w, caps.vertRes / h});
    const int32_t drawnWidth = int32_t(w * shrink), drawnHeight = int32_t(h * shrink);
    return {(caps.horzRes - drawnWidth) / 2, (caps.vertRes - drawnHeight) / 2, drawnWidth, drawnHeight};
}

/// A surface as a packed bitmap: its header, the colour table of 8-bit pictures and the rows
/// bottom-up, each padded to whole 32-bit words; 5-6-5 pixels become 5-5-5, the layout of a
/// 16-bit bitmap.
struct PackedBitmap {
    plat::BitmapInfoHeader info;
    std::vector<plat::RgbQuad> colors;
    std::unique_ptr<uint8_t[]> rows;
};

bool PackSurface(CDrawSurface& surface, PackedBitmap& out) {
    const int bits = surface.GetBitsPerPixel();
    const int32_t width = surface.GetWidth(), height = surface.GetHeight();
    if ((bits != 8 && bits != 16 && bits != 24 && bits != 32) || width <= 0 || height <= 0) return false;
    const int32_t stride = plat::DibStride(width, bits);
    out.info = plat::BitmapInfoHeader{};
    out.info.width = width;
    out.info.height = height;
    out.info.planes = 1;
    out.info.bitCount = uint16_t(bits);
    out.info.compression = plat::BI_RGB;
    out.info.sizeImage = uint32_t(stride) * uint32_t(height);
    out.info.xPelsPerMeter = out.info.yPelsPerMeter = 100;
    out.info.clrUsed = bits == 8 ? 256 : 0; // no colour table follows a deeper bitmap
    if (bits == 8) {
        const CColorPalette* palette = surface.EffectivePalette();
        out.colors.resize(CColorPalette::kEntries);
        for (int i = 0; i < CColorPalette::kEntries; ++i) {
            const uint32_t c = palette->GetEntry(i);
            out.colors[size_t(i)] = {ColorBlue(c), ColorGreen(c), ColorRed(c), 0};
        }
    }
    out.rows.reset(new (std::nothrow) uint8_t[out.info.sizeImage]());
    if (!out.rows) return false;
    CSurfaceLock lock(&surface);
    const uint8_t* pixels = lock.Pixels();
    if (!pixels) return false;
    const int32_t pitch = surface.GetPitch();
    const size_t rowBytes = size_t(width) * size_t(bits / 8);
    const bool convert565 = bits == 16 && surface.GetPixelFormat() == kPixelFormat565;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = pixels + int64_t(pitch) * y;
        uint8_t* to = out.rows.get() + size_t(height - 1 - y) * size_t(stride);
        if (!convert565) {
            std::memcpy(to, from, rowBytes);
            continue;
        }
        for (int32_t x = 0; x < width; ++x)
            unaligned::Store16(to + 2 * x, blt::To555(unaligned::Load16(from + 2 * x)));
    }
    return true;
}

/// Steps 4 to 9 of a print: the page's metrics, the optional outline picture, the packed
/// bitmap and its stretch onto the page. False when nothing could be drawn.
bool DrawOnPage(CDrawSurface& surface, uint8_t prepareOutline, int16_t outlineIndex) {
    const plat::PrinterCaps caps = plat::printer().Caps();
    if (!caps.stretchDib) {
        xTrace("Print - the printer cannot stretch bitmaps\n");
        return false;
    }
    const int32_t width = surface.GetWidth(), height = surface.GetHeight();
    if (caps.horzRes <= 0 || caps.vertRes <= 0 || caps.logPixelsX <= 0 || caps.logPixelsY <= 0 || width <= 0 ||
        height <= 0)
        return false;
    const PageBox box = FitOnPage(caps, width, height);
    if (prepareOutline) surface.MakeOutlinePicture(uint8_t(outlineIndex), 0);
    PackedBitmap bitmap;
    if (!PackSurface(surface, bitmap)) {
        xTrace("Print - no memory for the printed picture\n");
        return false;
    }
    if (!plat::printer().StretchDib(box.left, box.top, box.width, box.height, bitmap.info,
                                    bitmap.colors.empty() ? nullptr : bitmap.colors.data(), bitmap.rows.get())) {
        xTrace("Print - the printer refused the picture\n");
        return false;
    }
    return true;
}

} // namespace

bool xPrint_Surface(const char* jobName, CDrawSurface* surface, OWindow* window, uint8_t prepareOutline,
                    uint8_t landscape, int16_t outlineIndex) {
    if (!xPrint_HasDefaultPrinter()) return false;
    if (!window || !surface || !surface->IsValid()) {
        xTrace("Print - surface or window pointer invalid\n");
        return false;
    }
    if (!xPrint_StartJob(landscape, jobName && *jobName ? jobName : "VQT Image")) {
        xTrace("Print - the printer refused the job\n");
        return false;
    }
    bool printed = xPrint_StartPage();
    if (!printed) {
        xTrace("Print - the printer refused the page\n");
    } else {
        printed = DrawOnPage(*surface, prepareOutline, outlineIndex);
        printed = xPrint_EndPage() && printed;
    }
    if (!xPrint_EndJob()) {
        xTrace("Print - the print job could not be finished\n");
        printed = false;
    }
    xPrint_RestoreFocus();
    return printed;
}
