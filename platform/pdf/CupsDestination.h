#pragma once
#include <memory>
#include <string>

#include "platform/pdf/PdfPrinter.h"

typedef struct cups_dest_s cups_dest_t;

namespace plat {

/// The print system's default destination: each document goes to it as one PDF job named by
/// the document.
class CupsDestination final : public PdfDestination {
public:
    /// The default destination, or null when the print system knows none (or cannot be
    /// reached).
    static std::unique_ptr<CupsDestination> Default();
    ~CupsDestination() override;

    std::string Name() const override;
    /// The destination's default media, Letter when it tells none.
    PrintMedia Media() override;
    /// Creates the job, sends the document and closes it; a job that fails on the way is
    /// cancelled.
    bool Deliver(const std::string& document, const std::string& pdf) override;

private:
    explicit CupsDestination(cups_dest_t* dest) : dest_(dest) {}
    cups_dest_t* dest_;
};

} // namespace plat
