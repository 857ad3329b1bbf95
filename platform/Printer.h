#pragma once
#include <cstdint>
#include <string>

#include "platform/Gdi.h"

namespace plat {

/// Metrics of a printer's page (GetDeviceCaps): printable size in dots, dots per inch and
/// whether the printer can stretch device-independent bitmaps.
struct PrinterCaps {
    int32_t horzRes = 0;
    int32_t vertRes = 0;
    int32_t logPixelsX = 0;
    int32_t logPixelsY = 0;
    bool stretchDib = true;
};

/// The print spooler as the engine uses it: the default printer, one open job at a time with
/// its pages, and bitmaps stretched onto a page.
class Printer {
public:
    virtual ~Printer() = default;
    /// The default printer's name, empty when none is set up.
    virtual std::string DefaultPrinterName() = 0;
    /// Opens a job on the printer and starts the document; false when either fails.
    virtual bool StartDoc(const std::string& printer, const std::string& document, bool landscape) = 0;
    /// The page metrics of the open job.
    virtual PrinterCaps Caps() = 0;
    virtual bool StartPage() = 0;
    /// Draws a packed bitmap stretched into a rectangle of the page's printable area (in
    /// dots): the header, its colour table (at 8 bits) and the rows read as PackedDibSource
    /// reads them.
    virtual bool StretchDib(int32_t x, int32_t y, int32_t width, int32_t height, const BitmapInfoHeader& info,
                            const RgbQuad* colors, const uint8_t* rows) = 0;
    virtual bool EndPage() = 0;
    /// Ends the document and closes the job.
    virtual bool EndDoc() = 0;
};

} // namespace plat
