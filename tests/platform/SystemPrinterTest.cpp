// The system's printer: which destination it chooses (a folder named by VQT_PRINT_FOLDER, the
// print system's default queue, the user's data folder, or none), and a print through a private
// scheduler with one raw queue writing to a file, read back with poppler.
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/Environment.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/PdfPages.h"
#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace {

using namespace vqt::test;

/// The print system's client settings pointed at `root`: its scheduler socket, its client
/// configuration and a home without personal defaults. libcups forgets the server it used.
class PrintSystemAt {
public:
    explicit PrintSystemAt(const std::string& root)
        : server_("CUPS_SERVER", (root + "/cups.sock").c_str()), serverRoot_("CUPS_SERVERROOT", root.c_str()),
          home_("HOME", root.c_str()), lpdest_("LPDEST", nullptr), printer_("PRINTER", nullptr) {
        cupsSetServer(nullptr);
    }
    ~PrintSystemAt() { cupsSetServer(nullptr); }

private:
    ScopedVariable server_, serverRoot_, home_, lpdest_, printer_;
};

/// A packed 24-bit bitmap of 4 x 3 blocks of 40 x 40 pixels, rows bottom-up.
struct Blocks {
    static constexpr int W = 160, H = 120;
    plat::BitmapInfoHeader header;
    std::vector<uint8_t> rows;
    std::vector<PictureSample> samples;
    Blocks() {
        header.width = W;
        header.height = H;
        header.planes = 1;
        header.bitCount = 24;
        const int stride = plat::DibStride(W, 24);
        rows.assign(size_t(stride) * H, 0);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int column = x / 40, row = y / 40;
                uint8_t* p = &rows[size_t(H - 1 - y) * size_t(stride) + size_t(3 * x)];
                p[2] = uint8_t(30 + 70 * column); // red
                p[1] = uint8_t(220 - 80 * row);   // green
                p[0] = uint8_t(40 * (column + row));
                if (x % 40 == 20 && y % 40 == 20) samples.push_back({x, y, p[2], p[1], p[0]});
            }
    }
};

/// Prints the blocks on one page at (600, 900) dots, 2400 x 1800 dots large.
bool PrintBlocks(const std::string& document) {
    const Blocks blocks;
    plat::Printer& printer = plat::printer();
    if (!printer.StartDoc(printer.DefaultPrinterName(), document, false)) return false;
    const bool drawn = printer.StartPage() && printer.StretchDib(600, 900, 2400, 1800, blocks.header, nullptr, blocks.rows.data()) &&
                       printer.EndPage();
    return printer.EndDoc() && drawn;
}

class SystemPrinterTest : public HeadlessTest {
protected:
    TempFolder root;
};

TEST_F(SystemPrinterTest, WithoutAPrintQueueTheChoiceFallsToAFolderOrToNoPrinter) {
    const PrintSystemAt nothing(root.path()); // no scheduler listens there
    struct Case {
        const char* name;
        std::optional<std::string> printFolder, dataHome, home;
        std::string printer; ///< "" for none
        std::string note;    ///< told in the debug output
    };
    std::ofstream(root / "a-file") << "not a folder";
    const std::string data = root / "data/vqt-prints";
    const std::vector<Case> cases = {
        {"the folder named, made at the first print", root / "named/prints", root / "data", {}, "PDF files in " + root / "named/prints", ""},
        {"the user's data folder", {}, root / "data", {}, "PDF files in " + data, "PDF files in " + data},
        {"the data folder under the home folder", {}, {}, root.path(), "PDF files in " + root / ".local/share/vqt-prints",
         root / ".local/share/vqt-prints"},
        {"a named file is no folder", root / "a-file", root / "data", {}, "PDF files in " + data,
         "VQT_PRINT_FOLDER names no folder that can be written"},
        {"no folder at all", {}, {}, {}, "", "no default printer and no folder for PDF files"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedVariable folder("VQT_PRINT_FOLDER", c.printFolder ? c.printFolder->c_str() : nullptr);
        ScopedVariable dataHome("XDG_DATA_HOME", c.dataHome ? c.dataHome->c_str() : nullptr);
        ScopedVariable home("HOME", c.home ? c.home->c_str() : nullptr);
        debug().Clear();
        plat::UseSystemPrinter();
        EXPECT_EQ(plat::printer().DefaultPrinterName(), c.printer);
        EXPECT_NE(traced().find(c.note), std::string::npos);
        EXPECT_EQ(plat::printer().StartDoc(c.printer, "x", false), !c.printer.empty());
        plat::printer().EndDoc();
    }
    // A folder printer's page is Letter at 600 dots per inch.
    ScopedVariable folder("VQT_PRINT_FOLDER", (root / "prints").c_str());
    plat::UseSystemPrinter();
    const plat::PrinterCaps caps = plat::printer().Caps();
    EXPECT_EQ(caps.horzRes, 5100);
    EXPECT_EQ(caps.vertRes, 6600);
    EXPECT_EQ(caps.logPixelsX, 600);
    EXPECT_EQ(caps.logPixelsY, 600);
    ASSERT_TRUE(PrintBlocks("Turned"));
    EXPECT_TRUE(std::filesystem::exists(root / "prints/Turned.pdf"));
}

/// A scheduler of its own in a folder: one raw queue, the default destination, whose device
/// writes each job into "out.pdf" of the folder.
class PrivateScheduler {
public:
    explicit PrivateScheduler(const std::string& root) : root_(root) {
        for (const char* sub : {"spool", "cache", "state", "log", "tmp", "bin/backend", "bin/filter"})
            std::filesystem::create_directories(root + "/" + sub);
        std::filesystem::create_directory_symlink("/usr/lib/cups/daemon", root + "/bin/daemon");
        std::ofstream(root + "/cupsd.conf") << "Listen " << root << "/cups.sock\nBrowsing No\nDefaultAuthType None\n"
                                            << "<Location />\nOrder allow,deny\nAllow all\n</Location>\n";
        std::ofstream(root + "/cups-files.conf")
            << "ServerRoot " << root << "\nRequestRoot " << root << "/spool\nCacheDir " << root << "/cache\n"
            << "StateDir " << root << "/state\nTempDir " << root << "/tmp\nErrorLog " << root << "/log/error_log\n"
            << "AccessLog " << root << "/log/access_log\nPageLog " << root << "/log/page_log\n"
            << "Printcap " << root << "/printcap\nDataDir /usr/share/cups\nServerBin " << root << "/bin\n";
        std::ofstream(root + "/printers.conf") << "<DefaultPrinter Spool>\nDeviceURI tofile:" << root
                                               << "/out.pdf\nState Idle\nAccepting Yes\nShared No\n</DefaultPrinter>\n";
        Script(root + "/bin/backend/tofile", 0700,
               "[ $# -eq 0 ] && exit 0\nout=\"${DEVICE_URI#tofile:}\"\n"
               "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi > \"$out.part\" && mv \"$out.part\" \"$out\"\n");
        Script(root + "/run-cupsd", 0755,
               "exec /usr/sbin/cupsd -f -c " + root + "/cupsd.conf -s " + root + "/cups-files.conf\n");
        process_.emplace(root + "/run-cupsd", root, std::map<std::string, std::string>{});
        started_ = process_->Start();
    }
    ~PrivateScheduler() {
        if (started_ && process_->Signal(SIGTERM)) process_->Wait(5000);
    }
    /// Waits (while the scheduler uses at most 10 s of processor time) until the queue answers
    /// as the default destination.
    bool Up() {
        return started_ && process_->WaitUntil(
                               [] {
                                   if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr)) {
                                       cupsFreeDests(1, dest);
                                       return true;
                                   }
                                   cupsSetServer(nullptr);
                                   return false;
                               },
                               10000, 50);
    }
    /// Waits (as long) for the queue's output file.
    bool OutputWritten() {
        return started_ && process_->WaitUntil([&] { return std::filesystem::exists(root_ + "/out.pdf"); }, 10000, 50);
    }

private:
    static void Script(const std::string& path, mode_t mode, const std::string& body) {
        std::ofstream(path) << "#!/bin/sh\n" << body;
        ::chmod(path.c_str(), mode);
    }
    std::string root_;
    std::optional<Subprocess> process_;
    bool started_ = false;
};

TEST_F(SystemPrinterTest, APrintReachesTheDefaultQueueAsAPdfJobNamedByTheDocument) {
    if (!std::filesystem::exists("/usr/sbin/cupsd")) GTEST_SKIP() << "the print scheduler (cups-daemon) is not installed";
    const PrintSystemAt system(root.path());
    ScopedVariable noFolder("VQT_PRINT_FOLDER", nullptr);
    PrivateScheduler scheduler(root.path());
    ASSERT_TRUE(scheduler.Up()) << ReadFileBytes(root / "log/error_log");
    plat::UseSystemPrinter();
    ASSERT_EQ(plat::printer().DefaultPrinterName(), "Spool");
    const plat::PrinterCaps caps = plat::printer().Caps();
    EXPECT_EQ(caps.logPixelsX, 600);
    EXPECT_GT(caps.horzRes, 4000);

    ASSERT_TRUE(PrintBlocks("Certificate of the test"));
    ASSERT_TRUE(scheduler.OutputWritten()) << ReadFileBytes(root / "log/error_log");
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "Spool", 0, CUPS_WHICHJOBS_ALL);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(jobs[0].title, "Certificate of the test");
    EXPECT_STREQ(jobs[0].format, CUPS_FORMAT_PDF);
    cupsFreeJobs(count, jobs);

    RgbImage page;
    ASSERT_TRUE(RenderPdfPage(root / "out.pdf", 75, page)) << "pdftoppm (poppler-utils) is needed";
    // The page's printable area starts at its top left corner (the queue tells no margins).
    const Blocks blocks;
    ExpectPrintedPage(page, {600 / 8.0, 900 / 8.0, 3000 / 8.0, 2700 / 8.0}, Blocks::W, Blocks::H, blocks.samples);

    // A folder named by VQT_PRINT_FOLDER wins over the default queue.
    ScopedVariable folder("VQT_PRINT_FOLDER", (root / "prints").c_str());
    plat::UseSystemPrinter();
    EXPECT_EQ(plat::printer().DefaultPrinterName(), "PDF files in " + root / "prints");
}

} // namespace
