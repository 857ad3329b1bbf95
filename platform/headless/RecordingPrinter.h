#pragma once
#include <string>
#include <vector>

#include "platform/PixelConvert.h"
#include "platform/Printer.h"

namespace plat {

/// A printer without paper: each job is kept with its pages and what was drawn on them. The
/// default printer is "Headless Printer" with a page of 4800 x 6600 dots at 600 dots per inch.
/// Refusals of the spooler can be scripted.
class RecordingPrinter final : public Printer {
public:
    struct Draw {
        int32_t x = 0;
        int32_t y = 0;
        int32_t width = 0;
        int32_t height = 0;
        BitmapInfoHeader header;
        Image picture; ///< the bitmap as drawn, top row first
    };
    /// Calls that answer false (the call is still recorded where it gets that far).
    struct Script {
        bool refuseStartDoc = false;
        bool refuseStartPage = false;
        bool refuseDraw = false;
        bool refuseEndDoc = false;
    };
    struct Page {
        std::vector<Draw> draws;
    };
    struct Job {
        std::string printer;
        std::string document;
        bool landscape = false;
        bool ended = false;
        std::vector<Page> pages;
    };

    std::string DefaultPrinterName() override { return defaultPrinter_; }
    bool StartDoc(const std::string& printer, const std::string& document, bool landscape) override;
    PrinterCaps Caps() override { return caps_; }
    bool StartPage() override;
    bool StretchDib(int32_t x, int32_t y, int32_t width, int32_t height, const BitmapInfoHeader& info,
                    const RgbQuad* colors, const uint8_t* rows) override;
    bool EndPage() override { return open_; }
    bool EndDoc() override;

    void SetDefaultPrinter(std::string name) { defaultPrinter_ = std::move(name); }
    void SetCaps(const PrinterCaps& caps) { caps_ = caps; }
    const std::vector<Job>& Jobs() const { return jobs_; }
    Script& script() { return script_; }

private:
    Script script_;
    std::string defaultPrinter_ = "Headless Printer";
    PrinterCaps caps_{4800, 6600, 600, 600, true};
    std::vector<Job> jobs_;
    bool open_ = false;
};

} // namespace plat
