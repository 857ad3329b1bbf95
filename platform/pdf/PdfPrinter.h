#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Printer.h"

namespace plat {

/// A sheet of paper: its size and the margins the printer leaves blank, in hundredths of a
/// millimetre. Letter without margins unless the destination knows better.
struct PrintMedia {
    int32_t width = 21590;
    int32_t length = 27940;
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
};

/// Where a finished document goes: a print queue or a folder of files.
class PdfDestination {
public:
    virtual ~PdfDestination() = default;
    /// The name the printer is known by.
    virtual std::string Name() const = 0;
    /// The paper of the destination's default media.
    virtual PrintMedia Media() = 0;
    /// Hands over one document as PDF bytes; false (with a note in the debug output) when the
    /// destination refuses it.
    virtual bool Deliver(const std::string& document, const std::string& pdf) = 0;
};

/// A printer that lays each job out as one PDF document, one PDF page per page, on the
/// destination's paper at 600 dots per inch (the printable area being the paper less its
/// margins), and delivers the document when the job ends. Without a destination it is no
/// printer: its name is empty and every job is refused.
class PdfPrinter final : public Printer {
public:
    static constexpr int32_t kDotsPerInch = 600;

    explicit PdfPrinter(std::unique_ptr<PdfDestination> destination);
    ~PdfPrinter() override;

    std::string DefaultPrinterName() override;
    bool StartDoc(const std::string& printer, const std::string& document, bool landscape) override;
    /// The printable area of the open job's paper (else of the destination's) in dots.
    PrinterCaps Caps() override;
    bool StartPage() override;
    /// The bitmap becomes an image of the page, scaled by the viewer without smoothing.
    bool StretchDib(int32_t x, int32_t y, int32_t width, int32_t height, const BitmapInfoHeader& info,
                    const RgbQuad* colors, const uint8_t* rows) override;
    bool EndPage() override;
    /// Finishes the document (an open page is ended first) and delivers it.
    bool EndDoc() override;

private:
    struct Job;
    std::unique_ptr<PdfDestination> destination_;
    std::unique_ptr<Job> job_;
};

/// Writes a note about printing to the debug output.
void PrintNote(const std::string& text);

} // namespace plat
