// The paths the start scripts take reach the game whole: every run folder and part file the door
// takes plays, whatever its length or its characters. The builds' folder is taken exactly as far
// as CMake, run for real, can work in each tree the scripts build there; a clone's default folders
// are checked as named ones are. What a run writes in its run folder replaces what is there,
// never writing through a link.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/GeneratedData.h"
#include "tests/tools/run/ScriptTestKit.h"

namespace {

using vqt::test::ReadFileBytes;
using vqt::test::TempFolder;
using namespace vqt::test::scripts;

namespace fs = std::filesystem;

/// A run of tools/start-game on this tree: its run folder, the folder its own part file is copied
/// into ("" for the generated data), the name the part file gets there, and the bot that plays
/// ("" for the game).
struct Play {
    const char* name;
    std::string runFolder;
    std::string dataFolder;
    std::string partFile = vqt::test::kGeneratedPartFile;
    const char* bot = "";
};

TEST_F(StartScriptsTest, EveryRunFolderAndPartFileTheDoorTakesPlays) {
    const std::string deepRun = PathOfLength(run / "r", 4095 - 64);
    const std::string escapes = "/a\\tb\\\\c\\nd";
    // A run folder reached through a link is the folder it links to.
    fs::create_directories(builds / "linked-run");
    fs::create_directory_symlink(builds / "linked-run", run / "link");
    const Play plays[] = {
        {"a run folder at the system's limit, the generated data", deepRun, ""},
        {"a long run folder, a part file whose name takes a whole name's bytes", run / std::string(120, 'r'),
         builds / "data", std::string(251, 'p') + ".vqk"},
        {"a part file at the system's limit", run / "short", PathOfLength(builds / "d", 4095 - 300)},
        {"backslash escapes in the run folder and the part file's", run / ("x" + escapes), builds / ("y" + escapes)},
        {"the part file in the run folder under a plain name", run / "own", run / "own", "own-data.vqk"},
        {"the part file in the run folder under the link's name", run / "own2", run / "own2", "partfile.vqk"},
        {"the part file in the run folder under a plain name the game would cut", run / "own3", run / "own3",
         std::string(126, 'p') + ".vqk"},
        {"the part file in a run folder reached through a link", run / "link", run / "link", "own-data.vqk"},
        {"the bot in a run folder at the system's limit", PathOfLength(run / "s", 4095 - 64), "", vqt::test::kGeneratedPartFile, "circus-race"},
    };
    for (const Play& play : plays) {
        SCOPED_TRACE(play.name);
        auto env = Environment();
        env["VQT_RUN_DIR"] = play.runFolder;
        env["VQT_EXIT_AFTER_FRAMES"] = *play.bot ? "30" : "5";
        env["VQT_BOT"] = play.bot;
        env["ASAN_OPTIONS"] = "detect_leaks=0"; // the display library's own blocks
        std::string part;
        if (!play.dataFolder.empty()) {
            fs::create_directories(play.dataFolder);
            ASSERT_TRUE(vqt::test::CopyGeneratedData(play.dataFolder, play.partFile));
            part = play.dataFolder + "/" + play.partFile;
            env["PARTFILE"] = part;
        }
        std::string output;
        const int code = Run("start-game", {TREE}, env, output);
        EXPECT_EQ(output.find("cannot be opened"), std::string::npos) << output;
        if (*play.bot) {
            // Stopped after 30 frames, the bot has not reached its game: the program says so.
            EXPECT_NE(output.find(std::string("tlvbotview: ") + play.bot + ": activities"), std::string::npos) << output;
            continue;
        }
        EXPECT_EQ(code, 0) << output;
        EXPECT_TRUE(fs::exists(play.runFolder + "/last-frame.png")) << output;
        const std::string settings = ReadFileBytes(play.runFolder + "/TLVFMH.ini");
        // The game keeps 127 bytes of a setting: a part file in the run folder is named as it is
        // under a short plain name only.
        const bool inRunFolder = play.dataFolder == play.runFolder;
        const bool namedAsItIs = inRunFolder && play.partFile.size() <= 64;
        const std::string named = part.empty() ? "synthetic.vqk" : namedAsItIs ? play.partFile : "partfile.vqk";
        EXPECT_NE(settings.find("\nPARTFILE=" + named + "\n"), std::string::npos) << settings;
        const bool linked = !part.empty() && !namedAsItIs;
        EXPECT_EQ(fs::is_symlink(play.runFolder + "/partfile.vqk"), linked) << output;
        if (linked) {
            EXPECT_EQ(fs::read_symlink(play.runFolder + "/partfile.vqk"), part);
        } else if (inRunFolder) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(part)));
        }
    }
}

/// A file or a folder of the user's own where the run would link its part file stays as it is:
/// the run is refused before it touches the run folder.
TEST_F(StartScriptsTest, AFileOfItsOwnWhereTheRunLinksItsPartFileIsKept) {
    const TempFolder data;
    ASSERT_TRUE(vqt::test::CopyGeneratedData(data.path()));
    for (const bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "a folder" : "a file");
        const TempFolder runFolder;
        const std::string own = runFolder / "partfile.vqk";
        if (folder) fs::create_directory(own);
        std::ofstream(folder ? own + "/inside" : own) << "the user's own\n";
        const auto before = Snapshot(runFolder.path());
        const auto beforeInside = folder ? Snapshot(own) : before;
        auto env = Environment();
        env["VQT_RUN_DIR"] = runFolder.path();
        env["PARTFILE"] = data / vqt::test::kGeneratedPartFile;
        std::string output;
        EXPECT_EQ(Run("start-game", {TREE}, env, output), 2) << output;
        EXPECT_NE(output.find("holds a file partfile.vqk of its own"), std::string::npos) << output;
        auto after = Snapshot(runFolder.path());
        after.erase(".run-lock"); // made before the run looks at its part file
        EXPECT_EQ(after, before) << output;
        if (folder) {
            EXPECT_EQ(Snapshot(own), beforeInside) << output;
        }
    }
}

/// A clone in a folder the build cannot take: with VQT_BUILD_DIR unset, each script that builds
/// refuses the default builds' folder in it as it would a named one, saying that the variable
/// moves it, before anything is built; a clone too long for CMake to work in, where the scripts
/// run it, is refused whatever the builds' folder.
TEST_F(StartScriptsTest, AClonesDefaultBuildsFolderIsCheckedAsANamedOneIs) {
    const TempFolder clones;
    const std::string projects = clones / "C# projects/vqt";
    const std::string deep = PathOfLength(clones / "d", 2040), deeper = PathOfLength(clones / "e", 2100);
    const struct {
        const char* name;
        std::string clone;
        std::string says;
        bool defaultRefused;
    } cases[] = {
        {"a clone in a folder named 'C# projects'", projects,
         "VQT_BUILD_DIR is unset and its default \"" + projects + "/build\" holds '#'", true},
        {"a clone of 2040 bytes", deep,
         "VQT_BUILD_DIR is unset and its default \"" + deep.substr(0, 40) + "...\" (2046 bytes) is too long", true},
        {"a clone of 2100 bytes", deeper,
         "The repository's folder \"" + deeper.substr(0, 40) + "...\" (2100 bytes) is too long", false},
    };
    for (const auto& c : cases) {
        CloneScripts(c.clone);
        for (const char* script : {"run", "test", "fuzz"}) {
            SCOPED_TRACE(std::string(c.name) + ", tools/" + script);
            auto env = Environment();
            env["VQT_BUILD_DIR"] = "";
            std::string output;
            EXPECT_EQ(RunIn(tools.path(), {c.clone + "/tools/" + script}, env, output), 2) << output;
            EXPECT_NE(output.find(c.says), std::string::npos) << output;
            EXPECT_EQ(output.find("; set VQT_BUILD_DIR to a folder elsewhere to move it\n") != std::string::npos, c.defaultRefused)
                << output;
            EXPECT_EQ(output.find("build started"), std::string::npos) << output;
            EXPECT_FALSE(fs::exists(c.clone + "/build"));
        }
    }
}

/// What a run writes in its run folder (the message file beside its part file, the settings)
/// replaces what is there, whole: a link of that name is replaced, and a user's file it leads to
/// stays byte for byte. A message file that already is the one beside the part file stays.
TEST_F(StartScriptsTest, ARunReplacesWhatItWritesInItsFolderNeverWritingThroughALink) {
    const TempFolder data, users;
    ASSERT_TRUE(vqt::test::CopyGeneratedData(data.path()));
    const std::string messages = data / "VQTMsg.vqk", usersFile = users / "own", missing = users / "missing";
    const std::string usersBytes = "the user's own\n";
    const struct {
        const char* linkName;
        std::string target;
    } cases[] = {
        {"VQTMsg.vqk", usersFile}, {"VQTMsg.vqk", messages},   {"VQT.ini", usersFile},     {"VQT.ini", missing},
        {"TLVFMH.ini", usersFile}, {"TLVFMH.ini", missing}, {"VQT.ini.new", usersFile},
    };
    const std::regex scratch(R"(.*\.(ini|vqk)\.[A-Za-z0-9]{6})");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.linkName) + " linked to " + c.target);
        const TempFolder folder;
        std::ofstream(usersFile, std::ios::trunc) << usersBytes;
        fs::create_symlink(c.target, folder / c.linkName);
        auto env = Environment();
        env["VQT_RUN_DIR"] = folder.path();
        env["PARTFILE"] = data / vqt::test::kGeneratedPartFile;
        env["VQT_EXIT_AFTER_FRAMES"] = "3";
        std::string output;
        EXPECT_EQ(Run("start-game", {TREE}, env, output), 0) << output;
        EXPECT_EQ(ReadFileBytes(usersFile), usersBytes);
        EXPECT_FALSE(fs::exists(fs::symlink_status(missing)));
        EXPECT_EQ(ReadFileBytes(folder / "VQTMsg.vqk"), ReadFileBytes(messages));
        const bool written = c.linkName != std::string("VQT.ini.new") && c.target != messages;
        EXPECT_EQ(fs::is_symlink(folder / c.linkName), !written);
        for (const std::string& name : Listing(folder.path())) EXPECT_FALSE(std::regex_match(name, scratch)) << name;
    }
}

/// The trees the scripts build under VQT_BUILD_DIR (each `$build/NAME"` or `$builds/NAME"`).
std::set<std::string> TreesTheScriptsBuild() {
    std::set<std::string> trees;
    const std::regex tree(R"(\$builds?/([a-z]+)\")");
    for (const char* script : {"run", "test", "fuzz"}) {
        const std::string text = ReadFileBytes(Script(script));
        for (std::sregex_iterator it(text.begin(), text.end(), tree), end; it != end; ++it)
            if ((*it)[1] != "run") trees.insert((*it)[1]); // a tree's run folder is no tree
    }
    return trees;
}

/// The longest path, below this tree, of a folder that CMake's tools run in (each holds a test
/// file for ctest).
size_t DeepestFolderOfThisTree() {
    size_t deepest = 0;
    const std::string tree = TREE;
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        if (entry.path().filename() == "CTestTestfile.cmake" && entry.path().parent_path() != tree)
            deepest = std::max(deepest, entry.path().parent_path().string().size() - tree.size() - 1);
    return deepest;
}

/// Whether CMake's own tools work in this folder: a script (kept in `scripts`) run there, and ctest.
bool CMakeWorksIn(const std::string& folder, const TempFolder& scripts, std::string& said) {
    std::ofstream(scripts / "hello.cmake") << "message(STATUS hello)\n";
    const std::map<std::string, std::string> env = {{"PATH", std::getenv("PATH")}};
    std::string ctest;
    const bool works = RunIn(folder, {"cmake", "-P", scripts / "hello.cmake"}, env, said) == 0 &&
                       RunIn(folder, {"ctest", "-N"}, env, ctest) == 0;
    said += ctest;
    return works;
}

TEST_F(StartScriptsTest, TheBuildsFolderIsTakenAsFarAsCMakeWorksInEveryTree) {
    // The scripts' trees, then their deepest folder, a line each.
    const std::string listed = ChecksSay("printf '%s\\n' \"${VQT_BUILD_TREES[@]}\" \"$VQT_TREE_DEEPEST_FOLDER\"");
    std::istringstream lines(listed);
    std::set<std::string> trees;
    std::string deepest;
    for (std::string line; std::getline(lines, line);) {
        if (!deepest.empty()) trees.insert(deepest);
        deepest = line;
    }
    ASSERT_FALSE(trees.empty()) << listed;
    for (const std::string& tree : TreesTheScriptsBuild()) EXPECT_TRUE(trees.count(tree)) << tree << " is missing in VQT_BUILD_TREES";
    EXPECT_LE(DeepestFolderOfThisTree(), deepest.size()) << "a folder of the build is deeper than " << deepest;
    size_t longestTree = 0;
    for (const std::string& tree : trees) longestTree = std::max(longestTree, tree.size());

    // At the longest VQT_BUILD_DIR the door takes, the deepest folder of the longest tree is one
    // CMake works in; a byte more and it cannot.
    const size_t max = BuildDirMax();
    ASSERT_GT(max, 0u);
    const std::string below = "/" + std::string(longestTree, 't') + "/" + deepest;
    for (const size_t length : {max, max + 1}) {
        SCOPED_TRACE("VQT_BUILD_DIR of " + std::to_string(length) + " bytes");
        const std::string folder = PathOfLength(builds / "l" + std::to_string(length), length) + below;
        fs::create_directories(folder);
        std::string said;
        EXPECT_EQ(CMakeWorksIn(folder, tools, said), length == max) << said;
    }
}

/// A project of the shapes the build has: a command of its own that writes into the tree, run
/// as given, and a list of sources looked for again at each build.
constexpr const char* kProjectOfTheBuildsShapes =
    "cmake_minimum_required(VERSION 3.20)\n"
    "project(shapes NONE)\n"
    "file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*.txt)\n"
    "add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/made.txt COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/made.txt\n"
    "  VERBATIM)\n"
    "add_custom_target(shapes ALL DEPENDS ${CMAKE_BINARY_DIR}/made.txt)\n";

TEST_F(StartScriptsTest, TheBuildsFolderTakesEveryCharacterCMakeCanBuildIn) {
    const TempFolder project;
    std::ofstream(project / "CMakeLists.txt") << kProjectOfTheBuildsShapes;
    const std::map<std::string, std::string> env = {{"PATH", std::getenv("PATH")}};
    // Each character alone, and brackets that pair.
    std::vector<std::string> names = {"a\tb", "a[b]c", "a]b[c", "a[[b]]c", "a[b]]c"};
    for (char c = ' '; c < 127; ++c)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '/') names.push_back(std::string("a") + c + "b");
    for (const std::string& name : names) {
        const std::string folder = builds / name;
        SCOPED_TRACE("a builds' folder named '" + name + "'");
        std::string output;
        const bool built = RunIn(project.path(), {"cmake", "-S", ".", "-B", folder, "-G", "Ninja"}, env, output) == 0 &&
                           RunIn(project.path(), {"cmake", "--build", folder}, env, output) == 0 &&
                           fs::exists(folder + "/made.txt");
        auto checks = Environment();
        checks["VQT_BUILD_DIR"] = folder + "/game";
        std::string refusal;
        const bool taken = RunIn(SOURCE_ROOT, {"/bin/bash", "-c", "source tools/run-checks.sh && vqt_check_characters VQT_BUILD_DIR"},
                                 checks, refusal) == 0;
        EXPECT_EQ(taken, built) << output << refusal;
        fs::remove_all(folder);
    }
}

} // namespace
