// The checks of the paths that the program's own variables name: which values are refused and
// why, and that a trial of a file leaves nothing behind. The program's refusals themselves are
// run in the game shell's bad-input tests.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/PathChecks.h"
#include "tests/support/Environment.h"
#include "tests/support/Golden.h"
#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::ReadFileBytes;
using vqt::test::ScopedVariable;
using vqt::test::Subprocess;
using vqt::test::TempFolder;

constexpr std::chrono::seconds kHangBound{60}; // a trial answers at once; the bound only stops a hang

constexpr long kBashCpuMs = 60000; // bash and stat end at once; the bound only stops a hang

/// The lines that bash prints running `lines` in the repository root with these arguments
/// ($1 ...); a failure of the run itself fails the test.
std::vector<std::string> BashSays(const std::string& lines, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-c", "cd \"$0\" && " + lines, SOURCE_ROOT});
    const TempFolder outputFolder;
    Subprocess bash("/bin/bash", outputFolder.path(), {}, std::move(arguments));
    std::vector<std::string> said;
    EXPECT_TRUE(bash.Start() && bash.Wait(kBashCpuMs)) << lines;
    EXPECT_EQ(bash.ExitCode(), 0) << lines << "\n" << bash.Output();
    std::istringstream output(bash.Output());
    for (std::string line; std::getline(output, line);) said.push_back(line);
    return said;
}

/// The patterns of the `case` in tools/run-checks.sh's vqt_pseudo_file_system: the names of the
/// file systems the start scripts refuse.
std::set<std::string> ScriptsPseudoFileSystems() {
    const std::string script = ReadFileBytes(SOURCE_ROOT "/tools/run-checks.sh");
    const size_t function = script.find("\nvqt_pseudo_file_system() {");
    const std::string caseLine = "case \"$type\" in";
    const size_t patterns = script.find(caseLine, function);
    const size_t end = script.find(')', patterns);
    if (function == std::string::npos || patterns == std::string::npos || end == std::string::npos) return {};
    std::string list = script.substr(patterns + caseLine.size(), end - patterns - caseLine.size());
    for (char& c : list)
        if (c == '|' || c == '\\') c = ' ';
    std::istringstream words(list);
    std::set<std::string> names;
    for (std::string name; words >> name;) names.insert(name);
    return names;
}

/// A mount point of /proc/self/mountinfo with its escapes (\040 for a blank ...) undone.
std::string Unescaped(const std::string& field) {
    std::string path;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            path += char(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            path += field[i];
        }
    }
    return path;
}

/// Every mount point of this process's mounts.
std::vector<std::string> MountPoints() {
    std::istringstream mounts(ReadFileBytes("/proc/self/mountinfo"));
    std::vector<std::string> points;
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        if (fields >> id >> parent >> device >> root >> point) points.push_back(Unescaped(point));
    }
    return points;
}

/// A path and the words its refusal must hold ("" for a path that is taken).
struct PathCase {
    std::string path;
    std::string refusal;
};

class PathChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(root / "a-file") << "kept";
        std::filesystem::create_directory(root / "folder");
    }
    static std::string LongName(size_t bytes) { return std::string(bytes, 'n'); }
    /// A relative name of exactly that many bytes whose parts all fit in a folder.
    static std::string NameOfBytes(size_t bytes) {
        std::string name;
        for (size_t i = 0; i < bytes; ++i) name += i % 200 == 199 ? '/' : 'n';
        return name;
    }
    static void ExpectRefusals(const std::vector<PathCase>& cases, std::string (*check)(const std::string&)) {
        for (const PathCase& c : cases) {
            const std::string why = check(c.path);
            if (c.refusal.empty()) EXPECT_EQ(why, "") << c.path;
            else EXPECT_NE(why.find(c.refusal), std::string::npos) << c.path << ": " << why;
        }
    }

    TempFolder root{true}; // the working folder, for names without a folder
    const std::string tooLong = "/tmp/" + LongName(5000);
};

TEST_F(PathChecksTest, AFileIsRefusedWhereItCannotBeWrittenWithoutTouchingAnything) {
    const std::vector<PathCase> cases = {
        {"shot.png", ""}, // in the working folder
        {root / "new.png", ""},
        {root / "a-file", ""},
        {root / "folder", "it names a folder"},
        {root / "folder/", "it names a folder"},
        {root / "missing/shot.png", "the folder \"" + root / "missing\" does not exist"},
        {root / "a-file/shot.png", "\"" + root / "a-file\" is not a folder"},
        {tooLong, "bytes long, more than the system takes (4095)"},
        {root / LongName(256), "more than the system takes in one name (255)"},
        {root / LongName(255), ""},
    };
    for (const PathCase& c : cases) {
        const std::string why = plat::FileCannotBeWritten(c.path);
        if (c.refusal.empty()) EXPECT_EQ(why, "") << c.path;
        else EXPECT_NE(why.find(c.refusal), std::string::npos) << c.path << ": " << why;
    }
    EXPECT_FALSE(std::filesystem::exists(root / "shot.png"));
    EXPECT_FALSE(std::filesystem::exists(root / "new.png"));
}

TEST_F(PathChecksTest, TryingAFileLeavesNoFileBehindAndAnExistingOneAsItWas) {
    const auto before = std::filesystem::last_write_time(root / "a-file");
    EXPECT_EQ(plat::FileCannotBeMade(root / "a-file"), "");
    EXPECT_EQ(ReadFileBytes(root / "a-file"), "kept");
    EXPECT_EQ(std::filesystem::last_write_time(root / "a-file"), before);
    EXPECT_EQ(plat::FileCannotBeMade("shot.png"), "");
    EXPECT_EQ(plat::FileCannotBeMade(root / "new.png"), "");
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(root.path()), {}).size(), 2u)
        << "only a-file and folder";
    // Where the system makes no file whatever the folder's rights say, only a trial finds it.
    EXPECT_NE(plat::FileCannotBeMade("/proc/shot.png").find("the file cannot be made"), std::string::npos);
    EXPECT_NE(plat::FileCannotBeMade(root / "missing/shot.png").find("No such file"), std::string::npos);
}

TEST_F(PathChecksTest, AFolderCanBeUsedWhenItCanBeWrittenOrMadeAndIsNotMadeByTheCheck) {
    const std::vector<PathCase> cases = {
        {root / "folder", ""},
        {"prints", ""},
        {root / "new/deeper/prints", ""},
        {root / "a-file", "\"" + root / "a-file\" is not a folder"},
        {root / "a-file/prints", "the folder does not exist and cannot be made: \"" + root / "a-file\" is not a folder"},
        {tooLong, "more than the system takes (4095)"},
        {root / (LongName(256) + "/prints"), "more than the system takes in one name (255)"},
    };
    for (const PathCase& c : cases) {
        const std::string why = plat::FolderCannotBeUsed(c.path);
        if (c.refusal.empty()) EXPECT_EQ(why, "") << c.path;
        else EXPECT_NE(why.find(c.refusal), std::string::npos) << c.path << ": " << why;
    }
    EXPECT_FALSE(std::filesystem::exists(root / "new"));
    EXPECT_FALSE(std::filesystem::exists(root / "prints"));
}

TEST_F(PathChecksTest, ANameFitsUpTo4095BytesAndEachPartUpTo255) {
    ExpectRefusals(
        {
            {NameOfBytes(4095), ""},
            {NameOfBytes(4096), "the name is 4096 bytes long, more than the system takes (4095)"},
            {"/tmp/" + LongName(255) + "/shot.png", ""},
            {"/tmp/" + LongName(256) + "/shot.png", "is 256 bytes long, more than the system takes in one name (255)"},
        },
        plat::PathTooLong);
}

TEST_F(PathChecksTest, APathIsOnAPseudoFileSystemWhenItOrTheNearestPathAboveItIs) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/proc", "proc"},
        {"/proc/self", "proc"},
        {"/proc/missing/prints", "proc"},
        {"/sys", "sysfs"},
        {"/sys/kernel", "sysfs"},
        {root.path(), ""},
        {root / "missing/prints", ""},
        {"prints", ""}, // in the working folder
    };
    for (const auto& [path, system] : cases) EXPECT_EQ(plat::OnPseudoFileSystem(path), system) << path;
}

TEST_F(PathChecksTest, TheStartScriptsRefuseTheFileSystemsTheProgramRefusesByTheSameNames) {
    const std::vector<std::string> program = plat::PseudoFileSystemNames();
    EXPECT_EQ(ScriptsPseudoFileSystems(), std::set<std::string>(program.begin(), program.end()));

    // What the script does with each name, stat made to print it: the list read above is the
    // one it refuses by, and a file system of the user's files passes.
    std::vector<std::string> types = program;
    types.insert(types.end(), {"tmpfs", "ext2/ext3"});
    std::vector<std::string> expected = program;
    expected.insert(expected.end(), {"passes tmpfs", "passes ext2/ext3"});
    EXPECT_EQ(BashSays("source tools/run-checks.sh && stat() { echo \"$faked\"; } && "
                       "for faked; do vqt_pseudo_file_system /anywhere || echo \"passes $faked\"; done",
                       types),
              expected);
}

TEST_F(PathChecksTest, EveryMountOfThisMachineIsNamedAsStatNamesItsFileSystem) {
    const std::vector<std::string> points = MountPoints();
    // One line for each mount point, empty where stat cannot ask it.
    const std::vector<std::string> types =
        BashSays("for point; do stat -f -c %T -- \"$point\" 2>/dev/null || echo; done", points);
    ASSERT_EQ(types.size(), points.size());
    const std::vector<std::string> names = plat::PseudoFileSystemNames();
    const std::set<std::string> pseudo(names.begin(), names.end());
    std::set<std::string> seen;
    for (size_t i = 0; i < points.size(); ++i) {
        if (types[i].empty()) continue;
        const bool isPseudo = pseudo.count(types[i]) != 0;
        EXPECT_EQ(plat::OnPseudoFileSystem(points[i]), isPseudo ? types[i] : "") << points[i] << " (" << types[i] << ")";
        if (isPseudo) seen.insert(types[i]);
    }
    EXPECT_TRUE(seen.count("proc") && seen.count("sysfs")) << "every Linux machine mounts /proc and /sys";
}

TEST_F(PathChecksTest, AFolderOnAPseudoFileSystemHoldsNeitherPrintsNorThePicture) {
    // Whatever the rights say (root may write to /proc): the file system is named.
    ExpectRefusals(
        {
            {"/proc/self", "the folder \"/proc/self\" is on the proc file system, which cannot hold files"},
            {"/proc/prints", "cannot be made: the folder \"/proc\" is on the proc file system"},
            {"/sys/kernel/prints", "cannot be made: the folder \"/sys/kernel\" is on the sysfs file system"},
        },
        plat::FolderCannotBeUsed);
    ExpectRefusals({{"/proc/shot.png", "the folder \"/proc\" is on the proc file system, which cannot hold files"}},
                   plat::FileCannotBeWritten);
}

TEST_F(PathChecksTest, ADataRootThatIsAFileIsRefusedEvenWhenItCanBeReadAndRun) {
    std::ofstream(root / "a-program") << "#!/bin/sh\n";
    std::filesystem::permissions(root / "a-program", std::filesystem::perms(0755));
    for (const std::string& entry : {root / "a-program", std::string("/bin/sh")}) {
        const ScopedVariable dataRoots("DATAROOTS", (root / "folder:" + entry).c_str());
        EXPECT_NE(plat::VariableFaults().find("\"" + entry + "\" is not a folder"), std::string::npos) << entry;
    }
}

TEST_F(PathChecksTest, TryingAPipeWithoutAReaderIsAnsweredAtOnce) {
    const std::string pipe = root / "shot.png";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    std::packaged_task<std::string()> trial([&pipe] { return plat::FileCannotBeMade(pipe); });
    std::future<std::string> answer = trial.get_future();
    std::thread trying(std::move(trial));
    const bool answered = answer.wait_for(kHangBound) == std::future_status::ready;
    const int reader = answered ? -1 : ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK); // releases a waiting open
    trying.join();
    if (reader >= 0) ::close(reader);
    ASSERT_TRUE(answered) << "the trial waited for a reader of the pipe";
    EXPECT_NE(answer.get().find("the file cannot be opened for writing"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_fifo(pipe)) << "the pipe is left as it was";
}

TEST_F(PathChecksTest, ALongValueIsShownByItsStartAndLength) {
    EXPECT_EQ(plat::VariableSetting("NAME", "short"), "NAME=\"short\"");
    EXPECT_EQ(plat::VariableSetting("NAME", LongName(120)), "NAME=\"" + LongName(120) + "\"");
    EXPECT_EQ(plat::VariableSetting("NAME", LongName(121)), "NAME=\"" + LongName(60) + "...\" (121 bytes)");
}

} // namespace
