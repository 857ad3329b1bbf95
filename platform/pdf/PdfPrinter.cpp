#include "platform/pdf/PdfPrinter.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cstring>
#include <utility>

#include "platform/Gdi.h"
#include "platform/PixelConvert.h"
#include "platform/Platform.h"

namespace plat {

namespace {

struct CairoRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoRelease>;
using CairoContext = std::unique_ptr<cairo_t, CairoRelease>;

constexpr double kHundredthsMmPerInch = 2540.0;

double Points(int32_t hundredthsMm) { return hundredthsMm * 72.0 / kHundredthsMmPerInch; }
int32_t Dots(int32_t hundredthsMm) { return int32_t(int64_t(hundredthsMm) * PdfPrinter::kDotsPerInch / 2540); }

/// The paper turned a quarter for landscape: its sides and margins exchanged.
PrintMedia Turned(const PrintMedia& m) { return {m.length, m.width, m.top, m.bottom, m.left, m.right}; }

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

bool CairoOk(cairo_status_t status, const char* what) {
    if (status == CAIRO_STATUS_SUCCESS) return true;
    PrintNote(std::string("Printing: ") + what + ": " + cairo_status_to_string(status) + "\n");
    return false;
}

} // namespace

void PrintNote(const std::string& text) {
    if (services().debug) debug().Write(text);
}

/// An open job: the PDF bytes written so far, the cairo surface writing them and its context.
struct PdfPrinter::Job {
    std::string document;
    PrintMedia media;
    std::string pdf;
    CairoSurface surface;
    CairoContext context;
    bool pageOpen = false;
};

PdfPrinter::PdfPrinter(std::unique_ptr<PdfDestination> destination) : destination_(std::move(destination)) {}

PdfPrinter::~PdfPrinter() = default;

std::string PdfPrinter::DefaultPrinterName() { return destination_ ? destination_->Name() : std::string(); }

bool PdfPrinter::StartDoc(const std::string& printer, const std::string& document, bool landscape) {
    if (!destination_ || job_ || printer.empty() || printer != destination_->Name()) return false;
    auto job = std::make_unique<Job>();
    job->document = document;
    job->media = landscape ? Turned(destination_->Media()) : destination_->Media();
    job->surface.reset(cairo_pdf_surface_create_for_stream(AppendBytes, &job->pdf, Points(job->media.width),
                                                           Points(job->media.length)));
    if (!CairoOk(cairo_surface_status(job->surface.get()), "cannot start a PDF document")) return false;
    cairo_pdf_surface_set_metadata(job->surface.get(), CAIRO_PDF_METADATA_TITLE, document.c_str());
    job->context.reset(cairo_create(job->surface.get()));
    if (!CairoOk(cairo_status(job->context.get()), "cannot draw into the PDF document")) return false;
    job_ = std::move(job);
    return true;
}

PrinterCaps PdfPrinter::Caps() {
    const PrintMedia m = job_ ? job_->media : (destination_ ? destination_->Media() : PrintMedia{});
    return {Dots(m.width - m.left - m.right), Dots(m.length - m.top - m.bottom), kDotsPerInch, kDotsPerInch, true};
}

bool PdfPrinter::StartPage() {
    if (!job_ || job_->pageOpen) return false;
    cairo_pdf_surface_set_size(job_->surface.get(), Points(job_->media.width), Points(job_->media.length));
    job_->pageOpen = true;
    return true;
}

bool PdfPrinter::StretchDib(int32_t x, int32_t y, int32_t width, int32_t height, const BitmapInfoHeader& info,
                            const RgbQuad* colors, const uint8_t* rows) {
    if (!job_ || !job_->pageOpen || width <= 0 || height <= 0) return false;
    Image picture;
    if (!PackedDibImage(info, colors, rows, picture)) return false;
    CairoSurface image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height));
    if (!CairoOk(cairo_surface_status(image.get()), "no memory for a printed picture")) return false;
    // An RGB24 pixel is a 32-bit word 0x??RRGGBB, as a shown colour is.
    const int stride = cairo_image_surface_get_stride(image.get());
    unsigned char* pixels = cairo_image_surface_get_data(image.get());
    for (int32_t row = 0; row < picture.height; ++row)
        std::memcpy(pixels + size_t(row) * size_t(stride), picture.Row(row), size_t(picture.width) * sizeof(Argb));
    cairo_surface_mark_dirty(image.get());

    cairo_t* cr = job_->context.get();
    const double pointsPerDot = 72.0 / kDotsPerInch;
    cairo_save(cr);
    cairo_scale(cr, pointsPerDot, pointsPerDot);
    cairo_translate(cr, Dots(job_->media.left) + x, Dots(job_->media.top) + y);
    cairo_scale(cr, double(width) / picture.width, double(height) / picture.height);
    cairo_set_source_surface(cr, image.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, 0, 0, picture.width, picture.height);
    cairo_fill(cr);
    cairo_restore(cr);
    return CairoOk(cairo_status(cr), "cannot draw a printed picture");
}

bool PdfPrinter::EndPage() {
    if (!job_ || !job_->pageOpen) return false;
    cairo_show_page(job_->context.get());
    job_->pageOpen = false;
    return CairoOk(cairo_status(job_->context.get()), "cannot end a page");
}

bool PdfPrinter::EndDoc() {
    if (!job_) return false;
    std::unique_ptr<Job> job = std::move(job_);
    if (job->pageOpen) cairo_show_page(job->context.get());
    job->context.reset();
    cairo_surface_finish(job->surface.get());
    const bool written = CairoOk(cairo_surface_status(job->surface.get()), "cannot finish the PDF document");
    job->surface.reset();
    return written && destination_->Deliver(job->document, job->pdf);
}

} // namespace plat
