#include "engine/graphics/Print.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/Platform.h"
#include "engine/core/Trace.h"
#include "engine/graphics/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "platform/Platform.h"

namespace {
bool g_jobOpen = false;
} // namespace

bool xPrint_HasDefaultPrinter() { return !plat::printer().DefaultPrinterName().empty(); }

bool xPrint_StartJob(uint8_t landscape, const char* documentName) {
    const std::string name = plat::printer().DefaultPrinterName();
    if (name.empty()) return false;
    g_jobOpen = plat::printer().StartDoc(name, documentName ? documentName : "VQT Image", landscape != 0);
    return g_jobOpen;
}

bool xPrint_StartPage() { return g_jobOpen && plat::printer().StartPage(); }
bool xPrint_EndPage() { return g_jobOpen && plat::printer().EndPage(); }

bool xPrint_EndJob() {
    if (!g_jobOpen) return false;
    g_jobOpen = false;
    return plat::printer().EndDoc();
}

void xPrint_RestoreFocus() {
    if (const plat::WindowId window = xPlatform_GetAppWindow()) plat::desktop().SetFocus(window);
}

bool xPrint_Surface(const char* jobName, CDrawSurface* surface, OWindow* window, uint8_t /*prepareOutline*/,
                    uint8_t landscape, int16_t /*outlineIndex*/) {
    if (!xPrint_HasDefaultPrinter()) return false;
    if (!window || !surface || !surface->IsValid()) {
        xTrace("Print - surface or window pointer invalid\n");
        return true;
    }
    if (!xPrint_StartJob(landscape, jobName && *jobName ? jobName : "VQT Image")) return true;
    if (!xPrint_StartPage()) {
        xPrint_EndJob();
        return true;
    }
    const plat::PrinterCaps caps = plat::printer().Caps();
    const int32_t width = surface->GetWidth();
    const int32_t height = surface->GetHeight();
    if (caps.stretchDib && width > 0 && height > 0 && caps.logPixelsX > 0 && caps.logPixelsY > 0) {
        const double scale = std::min({0.92 * caps.horzRes / width, 0.92 * caps.vertRes / height, 5000.0});
        const double ratio = double(caps.logPixelsX) / caps.logPixelsY;
        const int32_t drawnWidth = int32_t(std::fabs(width * scale * 0.92 * ratio));
        const int32_t drawnHeight = int32_t(std::fabs(height * scale * 0.92 / ratio));
        const int32_t left = (caps.horzRes - drawnWidth) / 2;
        const int32_t top = (caps.vertRes - drawnHeight) / 2;

        plat::BitmapInfoHeader info;
        info.width = width;
        info.height = height;
        info.planes = 1;
        info.bitCount = uint16_t(surface->GetBitsPerPixel());
        info.compression = plat::BI_RGB;
        info.xPelsPerMeter = info.yPelsPerMeter = 100;
        info.clrUsed = 256;
        std::vector<plat::RgbQuad> colors;
        if (info.bitCount <= 8) {
            const CColorPalette* palette = surface->EffectivePalette();
            for (int i = 0; i < CColorPalette::kEntries; ++i) {
                const uint32_t c = palette->GetEntry(i);
                colors.push_back({ColorBlue(c), ColorGreen(c), ColorRed(c), 0});
            }
        }
        // Rows are packed as long as the surface's pitch, the last line first.
        const uint8_t* pixels = surface->Lock();
        const int32_t pitch = surface->GetPitch();
        const int32_t stride = pitch < 0 ? -pitch : pitch;
        info.sizeImage = uint32_t(stride) * uint32_t(height);
        std::vector<uint8_t> rows;
        if (pixels && stride > 0) {
            rows.resize(size_t(stride) * size_t(height));
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(&rows[size_t(height - 1 - y) * size_t(stride)], pixels + int64_t(y) * pitch, size_t(stride));
        }
        surface->Unlock(0);
        if (!rows.empty())
            plat::printer().StretchDib(left, top, drawnWidth, drawnHeight, info, colors.empty() ? nullptr : colors.data(),
                                       rows.data(), stride);
    }
    xPrint_EndPage();
    xPrint_EndJob();
    xPrint_RestoreFocus();
    return true;
}
