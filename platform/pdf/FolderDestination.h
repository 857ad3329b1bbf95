#pragma once
#include <string>

#include "platform/pdf/PdfPrinter.h"

namespace plat {

/// Each printed document becomes a PDF file in a folder (made when missing), named after the
/// document ("name.pdf", then "name-2.pdf" and so on, an existing file never overwritten). A
/// file is written under a hidden name first and appears under its own name only when it is
/// complete.
class FolderDestination final : public PdfDestination {
public:
    explicit FolderDestination(std::string folder) : folder_(std::move(folder)) {}
    std::string Name() const override { return "PDF files in " + folder_; }
    PrintMedia Media() override { return {}; }
    bool Deliver(const std::string& document, const std::string& pdf) override;
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};

/// Whether files can be written in the folder: it is a folder that can be written, or it does
/// not exist yet and the nearest existing folder above it can be written (the folder is then
/// made at the first delivery).
bool FolderCanBeUsed(const std::string& folder);

} // namespace plat
