#include "platform/pdf/CupsDestination.h"

#include <cups/cups.h>

namespace plat {

namespace {

struct DestInfoRelease {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};

bool Refused(const std::string& what) {
    PrintNote("Printing: " + what + ": " + cupsLastErrorString() + "\n");
    return false;
}

} // namespace

std::unique_ptr<CupsDestination> CupsDestination::Default() {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest) return nullptr;
    return std::unique_ptr<CupsDestination>(new CupsDestination(dest));
}

CupsDestination::~CupsDestination() { cupsFreeDests(1, dest_); }

std::string CupsDestination::Name() const { return dest_->name; }

PrintMedia CupsDestination::Media() {
    const std::unique_ptr<cups_dinfo_t, DestInfoRelease> info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest_));
    cups_size_t size{};
    if (!info || !cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest_, info.get(), CUPS_MEDIA_FLAGS_DEFAULT, &size) ||
        size.width <= 0 || size.length <= 0)
        return {};
    return {size.width, size.length, size.left, size.right, size.top, size.bottom};
}

bool CupsDestination::Deliver(const std::string& document, const std::string& pdf) {
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, dest_->name, document.c_str(), 0, nullptr);
    if (job <= 0) return Refused("the print queue " + Name() + " refused the job \"" + document + "\"");
    const bool sent =
        cupsStartDocument(CUPS_HTTP_DEFAULT, dest_->name, job, document.c_str(), CUPS_FORMAT_PDF, 1) ==
            HTTP_STATUS_CONTINUE &&
        cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.data(), pdf.size()) == HTTP_STATUS_CONTINUE &&
        cupsFinishDocument(CUPS_HTTP_DEFAULT, dest_->name) == IPP_STATUS_OK;
    if (sent) return true;
    Refused("the print queue " + Name() + " did not take \"" + document + "\"");
    cupsCancelJob2(CUPS_HTTP_DEFAULT, dest_->name, job, 0);
    return false;
}

} // namespace plat
