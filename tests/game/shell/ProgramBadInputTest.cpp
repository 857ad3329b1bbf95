// The game executable on bad input: run limits it cannot read, variables naming what it cannot
// use, a settings file it cannot read, part files that are missing, not part files or damaged,
// and a display that does not open. Each run ends within seconds, with a failing exit code and a
// line on standard error that says what was wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/data/PartFile.h"
#include "tests/support/GeneratedData.h"
#include "tests/support/Golden.h"
#include "tests/support/Png.h"
#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::CopyGeneratedData;
using vqt::test::ReadFileBytes;
using vqt::test::RunProgram;
using vqt::test::TempFolder;

constexpr int kEndsWithinMs = 60000; // a refused run ends at once; the bound only stops a hang

/// A windowed working folder like the program tests', with the generated game data as
/// "synthetic.vqk" unless the case writes its own part file there.
class ProgramBadInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(work / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\n";
        std::ofstream(work / "TLVFMH.ini") << "[FennmarkRovadu]\nPARTFILE=synthetic.vqk\nDISPLAYDEPTH=16\n";
    }
    std::map<std::string, std::string> Headless() {
        return {{"XDG_RUNTIME_DIR", locks.path()}, {"DISPLAY", ""},          {"WAYLAND_DISPLAY", ""},
                {"SDL_VIDEODRIVER", ""},          {"DATAROOTS", work.path()}, {"VQT_EXIT_AFTER_FRAMES", ""},
                {"VQT_EXIT_AFTER_MS", "20000"}};
    }
    std::map<std::string, std::string> DummyDrivers() {
        auto env = Headless();
        env["SDL_VIDEODRIVER"] = "dummy";
        env["SDL_AUDIODRIVER"] = "dummy";
        return env;
    }
    int Run(const std::map<std::string, std::string>& env, std::string& output) {
        return RunProgram(TLVGAME, work.path(), env, kEndsWithinMs, &output);
    }

    TempFolder locks;
    TempFolder work;
};

TEST_F(ProgramBadInputTest, ARunLimitThatIsNotAPositiveWholeNumberIsRefusedNamingTheVariable) {
    ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    const std::pair<const char*, const char*> refused[] = {
        {"VQT_EXIT_AFTER_MS", "abc"},     {"VQT_EXIT_AFTER_MS", "0"},      {"VQT_EXIT_AFTER_MS", "-5"},
        {"VQT_EXIT_AFTER_MS", "99999999999999999999"}, {"VQT_EXIT_AFTER_FRAMES", "abc"},
        {"VQT_EXIT_AFTER_FRAMES", "0"},   {"VQT_EXIT_AFTER_FRAMES", "-3"}, {"VQT_EXIT_AFTER_FRAMES", "5x"},
        {"VQT_SCREENSHOT", "/nonexistent/dir/x.png"},
    };
    for (const auto& [variable, value] : refused) {
        auto env = Headless();
        env["VQT_EXIT_AFTER_MS"] = "";
        env[variable] = value;
        if (std::string(variable) == "VQT_SCREENSHOT") env["VQT_EXIT_AFTER_FRAMES"] = "30";
        std::string output;
        EXPECT_EQ(Run(env, output), 2) << variable << "=" << value << ": " << output;
        EXPECT_NE(output.find(std::string(variable) + "=\"" + value + "\""), std::string::npos) << output;
    }
}

TEST_F(ProgramBadInputTest, AVariableNamingWhatTheProgramCannotUseIsRefusedNamingItBeforeTheGamePlays) {
    ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    std::ofstream(work / "a-file") << "not a folder";
    std::ofstream(work / "a-program") << "#!/bin/sh\n";
    std::filesystem::permissions(work / "a-program", std::filesystem::perms(0755)); // can be read and run
    const std::string tooLong = "/tmp/" + std::string(5000, 'n');
    const std::pair<const char*, std::string> refused[] = {
        {"DATAROOTS", work / "missing"},
        {"DATAROOTS", work / "a-file"},
        {"DATAROOTS", work / "a-program"},
        {"DATAROOTS", ":::"},
        {"DATAROOTS", tooLong},
        {"DATAROOTS", work.path() + ":" + work / "missing"},
        {"VQT_PRINT_FOLDER", work / "a-file"},
        {"VQT_PRINT_FOLDER", work / "a-file/prints"},
        {"VQT_PRINT_FOLDER", tooLong},
        {"VQT_SCREENSHOT", work.path()},
        {"VQT_SCREENSHOT", "/proc/shot.png"},
        {"VQT_SCREENSHOT", tooLong},
        {"VQT_SCREENSHOT", work / (std::string(300, 'n') + ".png")},
    };
    for (const auto& [variable, value] : refused) {
        auto env = Headless();
        env["VQT_EXIT_AFTER_MS"] = "";
        env["VQT_EXIT_AFTER_FRAMES"] = "30"; // a run that is not refused ends soon with 0
        env[variable] = value;
        std::filesystem::remove(work / "_VQT_RT.log");
        std::filesystem::remove(work / "output.txt"); // each run adds its output there
        std::string output;
        const std::string setting = std::string(variable) + "=\"" + value.substr(0, 60);
        EXPECT_EQ(Run(env, output), 2) << setting << ": " << output;
        EXPECT_NE(output.find(setting), std::string::npos) << output;
        EXPECT_EQ(ReadFileBytes(work / "_VQT_RT.log").find("Engine initialization"), std::string::npos)
            << setting << ": the game started";
    }
#ifdef VQT_HAVE_SDL2
    // A window run refused for its print folder says so alone: no printer is chosen first.
    auto env = DummyDrivers();
    env["VQT_PRINT_FOLDER"] = work / "a-file";
    std::filesystem::remove(work / "output.txt"); // each run adds its output there
    std::string output;
    EXPECT_EQ(Run(env, output), 2) << output;
    EXPECT_EQ(output, "VQT_PRINT_FOLDER=\"" + work / "a-file\": \"" + work / "a-file\" is not a folder\n");
#endif
}

TEST_F(ProgramBadInputTest, AFolderOnAPseudoFileSystemIsRefusedNamingTheFileSystem) {
    ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    // Refused alike for root, whom the folders' rights would let write there.
    const std::pair<const char*, std::string> refused[] = {
        {"VQT_PRINT_FOLDER", "/proc/self"},
        {"VQT_PRINT_FOLDER", "/proc/prints"}, // made at the first print: in /proc
        {"VQT_PRINT_FOLDER", "/sys/kernel"},
        {"VQT_SCREENSHOT", "/sys/shot.png"},
    };
    for (const auto& [variable, value] : refused) {
        auto env = Headless();
        env["VQT_EXIT_AFTER_MS"] = "";
        env["VQT_EXIT_AFTER_FRAMES"] = "30"; // a run that is not refused ends soon with 0
        env[variable] = value;
        std::filesystem::remove(work / "output.txt"); // each run adds its output there
        std::string output;
        const std::string setting = std::string(variable) + "=\"" + value + "\": ";
        EXPECT_EQ(Run(env, output), 2) << setting << output;
        EXPECT_NE(output.find(setting), std::string::npos) << output;
        EXPECT_NE(output.find(" file system, which cannot hold files\n"), std::string::npos) << output;
    }
}

TEST_F(ProgramBadInputTest, EmptyDataRootsEntriesAPrintFolderStillToMakeAndAPictureWithoutAFolderAreTaken) {
    ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    auto env = Headless();
    env["VQT_EXIT_AFTER_MS"] = "";
    env["VQT_EXIT_AFTER_FRAMES"] = "30";
    env["DATAROOTS"] = ":" + work.path() + "::";
    env["VQT_PRINT_FOLDER"] = work / "made-at-the-first-print/prints";
    env["VQT_SCREENSHOT"] = "shot.png"; // in the working folder
    std::string output;
    EXPECT_EQ(Run(env, output), 0) << output;
    vqt::test::RgbImage picture;
    EXPECT_TRUE(vqt::test::ReadPng(work / "shot.png", picture)) << output;
    EXPECT_FALSE(std::filesystem::exists(work / "made-at-the-first-print"));
}

TEST_F(ProgramBadInputTest, ASettingsFileThatCannotBeReadEndsTheRunNamingIt) {
    ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    std::filesystem::remove(work / "TLVFMH.ini");
    std::filesystem::create_directory(work / "TLVFMH.ini"); // opens for no one, not even the superuser
    const char* told = "The settings file \"TLVFMH.ini\" cannot be read (it is a folder); the game cannot start.";
    std::string output;
    EXPECT_EQ(Run(Headless(), output), 255) << output;
    EXPECT_NE(output.find(told), std::string::npos) << output;
    EXPECT_EQ(output.find("part file"), std::string::npos) << output;
#ifdef VQT_HAVE_SDL2
    output.clear();
    EXPECT_EQ(Run(DummyDrivers(), output), 255) << output;
    EXPECT_NE(output.find(std::string("Message box \"Error\": ") + told), std::string::npos) << output;
#endif
}

/// The times `text` stands in `output`.
int Count(const std::string& output, const std::string& text) {
    int count = 0;
    for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) ++count;
    return count;
}

TEST_F(ProgramBadInputTest, ASaveFileThatCannotBeOpenedIsToldOnceAndKeptWhileTheGamePlaysOn) {
    ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    std::filesystem::create_directory(work / "TLVSave.vqk"); // opens for no one, not even the superuser
    std::ofstream(work / "TLVSave.vqk/notes.txt") << "kept";
    std::ofstream(work / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\nSTARTACTIVITY=4\n"; // the sign-in
    const std::string told =
        "Save file TLVSave.vqk: it cannot be opened (it is a folder); its players can be neither read nor kept.";
    std::vector<std::map<std::string, std::string>> runs = {Headless()};
#ifdef VQT_HAVE_SDL2
    runs.push_back(DummyDrivers()); // through the SDL2 window, whose box echoes its text
#endif
    size_t earlier = 0; // the runs share the folder's output file
    for (auto env : runs) {
        SCOPED_TRACE(env["SDL_VIDEODRIVER"].empty() ? "headless" : "in a window");
        env["VQT_EXIT_AFTER_MS"] = "";
        env["VQT_EXIT_AFTER_FRAMES"] = "30"; // past the sign-in's reading of the slots
        std::string output;
        EXPECT_EQ(Run(env, output), 0) << output;
        const std::string said = output.substr(std::min(earlier, output.size()));
        earlier = output.size();
        EXPECT_EQ(Count(said, told), env["SDL_VIDEODRIVER"].empty() ? 1 : 2) << said;
        EXPECT_EQ(ReadFileBytes(work / "TLVSave.vqk/notes.txt"), "kept");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work / "TLVSave.vqk"), {}), 1);
        EXPECT_FALSE(std::filesystem::exists(work / "TLVSave.vqk.new"));
    }
}

/// A part file the game cannot run on, what its user is told, and how the program ends.
struct BadPartFile {
    const char* name;
    void (*write)(const std::string& path);
    int exitCode;
    const char* told;
};

/// The generated part file cut short inside the first activity's data: its index still reads.
void CutInsideTheFirstActivity(const std::string& path) {
    ASSERT_TRUE(CopyGeneratedData(std::filesystem::path(path).parent_path(), "whole.vqk"));
    const std::string whole = std::filesystem::path(path).parent_path() / "whole.vqk";
    uint32_t size = 0, offset = 0;
    {
        CPartFile file;
        ASSERT_TRUE(file.Open(whole.c_str(), 1));
        ASSERT_TRUE(file.GetChunkLocation(MakeChunkId(1, 26), &size, &offset));
    }
    std::filesystem::copy_file(whole, path);
    std::filesystem::resize_file(path, offset + size / 2);
}

/// The generated part file with its master index's size field beyond the file's end.
void DamageTheMasterIndex(const std::string& path) {
    ASSERT_TRUE(CopyGeneratedData(std::filesystem::path(path).parent_path(), "synthetic.vqk"));
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    unsigned char start[8] = {};
    ASSERT_TRUE(file.read(reinterpret_cast<char*>(start), 8));
    // A start record "rmta" points at the master ("meta"), little-endian; else it is the master.
    const uint32_t master = std::string(reinterpret_cast<char*>(start) + 4, 4) == "rmta"
                                ? uint32_t(start[0]) | uint32_t(start[1]) << 8 | uint32_t(start[2]) << 16 |
                                      uint32_t(start[3]) << 24
                                : 0;
    char tag[4] = {};
    ASSERT_TRUE(file.seekg(master + 4).read(tag, 4));
    ASSERT_EQ(std::string(tag, 4), "meta");
    const char tooLarge[4] = {0x7F, char(0xFF), char(0xFF), char(0xF0)}; // big-endian
    ASSERT_TRUE(file.seekp(master + 8).write(tooLarge, 4));
}

const BadPartFile kBadPartFiles[] = {
    {"missing", [](const std::string&) {}, 255, "The part file \"synthetic.vqk\" cannot be opened"},
    {"empty", [](const std::string& path) { std::ofstream(path).flush(); }, 255,
     "The file \"synthetic.vqk\" is not a part file of the game"},
    {"random bytes",
     [](const std::string& path) {
         std::ofstream out(path, std::ios::binary);
         for (uint32_t i = 0, x = 12345; i < 4096; ++i, x = x * 1103515245u + 12345u) out.put(char(x >> 16));
     },
     255, "The file \"synthetic.vqk\" is not a part file of the game"},
    {"damaged index", DamageTheMasterIndex, 255,
     "The part file \"synthetic.vqk\" is damaged: its index cannot be read; the game cannot start."},
    {"cut short", CutInsideTheFirstActivity, 1,
     "The game's data is damaged: activity {1, 0, 26} cannot be loaded from \"synthetic.vqk\" (chunk ID(1,26) lies "
     "outside its file)"},
};

TEST_F(ProgramBadInputTest, APartFileTheGameCannotRunOnEndsTheRunSayingWhatIsWrongWithWhichFile) {
    for (const BadPartFile& bad : kBadPartFiles) {
        std::filesystem::remove(work / "synthetic.vqk");
        bad.write(work / "synthetic.vqk");
        std::string output;
        EXPECT_EQ(Run(Headless(), output), bad.exitCode) << bad.name << ": " << output;
        EXPECT_NE(output.find(bad.told), std::string::npos) << bad.name << ": " << output;
#ifdef VQT_HAVE_SDL2
        // In a window the same words are shown in the box, except that a missing file asks for
        // the game's disc.
        output.clear();
        EXPECT_EQ(Run(DummyDrivers(), output), bad.exitCode) << bad.name << " (SDL2): " << output;
        EXPECT_NE(output.find(bad.told), std::string::npos) << bad.name << " (SDL2): " << output;
        const std::string box = std::string("Message box \"Error\": ") +
                                (bad.exitCode == 255 && std::string(bad.name) == "missing" ? "Please insert" : bad.told);
        EXPECT_NE(output.find(box), std::string::npos) << bad.name << " (SDL2): " << output;
#endif
    }
}

#ifdef VQT_HAVE_SDL2
TEST_F(ProgramBadInputTest, ADisplayThatDoesNotOpenEndsTheRunSayingSo) {
    ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    auto env = Headless();
    env["DISPLAY"] = ":4711"; // no X server listens there
    // SDL's failed start on it leaves a block of the desktop bus's library behind (sanitizer tree).
    std::ofstream(work / "leaks.supp") << "leak:libdbus-1.so\n";
    env["LSAN_OPTIONS"] = "suppressions=" + work / "leaks.supp";
    std::string output;
    EXPECT_EQ(Run(env, output), 1) << output;
    EXPECT_NE(output.find("No window can be opened on the display of DISPLAY=:4711"), std::string::npos) << output;
}

TEST_F(ProgramBadInputTest, WithoutASoundCardOneLineSaysTheGameRunsSilent) {
    ASSERT_TRUE(CopyGeneratedData(work.path(), "synthetic.vqk"));
    auto env = DummyDrivers();
    // SDL's ALSA driver on a machine without a sound card, whatever this machine has: the sound
    // library's settings name one card, which is not there, and the library complains of it.
    env["SDL_AUDIODRIVER"] = "alsa";
    std::ofstream(work / "asound.conf") << "pcm.!default { type hw card \"31\" }\nctl.!default { type hw card \"31\" }\n";
    env["ALSA_CONFIG_PATH"] = work / "asound.conf";
    env["AUDIODEV"] = "";
    env["VQT_EXIT_AFTER_MS"] = "";
    env["VQT_EXIT_AFTER_FRAMES"] = "30";
    std::string output;
    EXPECT_EQ(Run(env, output), 0) << output;
    EXPECT_EQ(output.find("ALSA lib"), std::string::npos) << output;
    EXPECT_EQ(Count(output, "the game runs silent"), 1) << output;
}
#endif

} // namespace
