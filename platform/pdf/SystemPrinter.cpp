// The printer of a run on a real desktop: PDF documents sent to the print system's default
// destination, or written into a folder.
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/pdf/CupsDestination.h"
#include "platform/pdf/FolderDestination.h"

namespace plat {

namespace {

/// The user's data folder: XDG_DATA_HOME, else ~/.local/share; empty when neither is known.
std::string DataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return xdg;
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share";
    return {};
}

std::unique_ptr<PdfDestination> ChooseDestination() {
    if (const char* folder = std::getenv("VQT_PRINT_FOLDER"); folder && *folder) {
        if (FolderCanBeUsed(folder)) return std::make_unique<FolderDestination>(folder);
        PrintNote(std::string("Printing: VQT_PRINT_FOLDER names no folder that can be written: ") + folder + "\n");
    }
    if (auto queue = CupsDestination::Default()) return queue;
    if (const std::string home = DataHome(); !home.empty()) {
        const std::string folder = home + "/vqt-prints";
        if (FolderCanBeUsed(folder)) {
            PrintNote("Printing: no default printer; printed pages become PDF files in " + folder + "\n");
            return std::make_unique<FolderDestination>(folder);
        }
    }
    PrintNote("Printing: no default printer and no folder for PDF files\n");
    return nullptr;
}

} // namespace

void UseSystemPrinter() { services().printer = std::make_unique<PdfPrinter>(ChooseDestination()); }

} // namespace plat
