// Files written whole or not at all: the synthetic data tool stopped at any moment while it
// writes leaves each of its files as it was or whole, never a part of one under its name; a
// link at a file's name is replaced, not written through; and what the writer refuses.
#include "platform/posix/WholeFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/Golden.h"
#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

constexpr long kToolCpuMs = 120000; // the tool ends within a second; the bound only stops a hang
const std::string kPartName = "synthetic.vqk";
const std::string kMessagesName = "VQTMsg.vqk"; // written beside the part file

/// What the tool writes, from one run to its end.
struct ToolFiles {
    std::string part;
    std::string messages;
};

const ToolFiles& WhatTheToolWrites() {
    static const ToolFiles files = [] {
        const TempFolder folder;
        Subprocess tool(SYNTHETIC_TOOL, folder.path(), {}, {kPartName});
        EXPECT_TRUE(tool.Start() && tool.Wait(kToolCpuMs) && tool.ExitCode() == 0) << tool.Output();
        return ToolFiles{ReadFileBytes(folder / kPartName), ReadFileBytes(folder / kMessagesName)};
    }();
    return files;
}

/// The bytes the process has written so far (its "wchar"); -1 when it cannot be read.
long long BytesWritten(pid_t pid) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string name;
    long long value = 0;
    while (io >> name >> value)
        if (name == "wchar:") return value;
    return -1;
}

/// What stands at a name: its inode, size and time of change; "" for nothing.
std::string Identity(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return "";
    return std::to_string(info.st_ino) + " " + std::to_string(info.st_size) + " " + std::to_string(info.st_ctim.tv_sec) +
           "." + std::to_string(info.st_ctim.tv_nsec);
}

/// A moment of the tool's writing: it holds once the tool (its process number) has got there.
struct Moment {
    const char* name;
    std::function<bool(pid_t)> reached;
};

/// A moment at which the tool has written this many bytes, its message file first.
std::function<bool(pid_t)> AfterBytes(long long bytes) {
    return [bytes](pid_t pid) { return BytesWritten(pid) >= bytes; };
}

class WholeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(WhatTheToolWrites().part.size(), 4u << 20) << "a file written in many pieces";
        ASSERT_FALSE(WhatTheToolWrites().messages.empty());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.push_back(entry.path().filename());
        return names;
    }

    TempFolder folder;
    TempFolder elsewhere;
};

TEST_F(WholeFileTest, TheToolStoppedWhileItWritesLeavesEachFileAsItWasOrWhole) {
    const ToolFiles& written = WhatTheToolWrites();
    const auto messages = static_cast<long long>(written.messages.size());
    const auto part = static_cast<long long>(written.part.size());
    const std::string previousPart = "the part file of an earlier run", previousMessages = "its messages";
    std::string seen; // what stood at the two names before the tool started
    const std::vector<Moment> moments = {
        {"at its start", [](pid_t) { return true; }},
        {"once a name shows another file", [&](pid_t) {
             return Identity(folder / kPartName) + Identity(folder / kMessagesName) != seen;
         }},
        {"once its message file is written", AfterBytes(messages)},
        {"a quarter into the part file", AfterBytes(messages + part / 4)},
        {"half-way into the part file", AfterBytes(messages + part / 2)},
        {"three quarters into the part file", AfterBytes(messages + part * 3 / 4)},
        {"once the part file is written", AfterBytes(messages + part)},
    };
    for (const int signal : {SIGINT, SIGKILL}) {
        for (const Moment& moment : moments) {
            // Ctrl+C over files of an earlier run; a kill where there were none.
            const bool previous = signal == SIGINT;
            SCOPED_TRACE(testing::Message() << moment.name << ", signal " << signal
                                            << (previous ? ", over earlier files" : ", no earlier files"));
            for (const std::string& name : Names()) std::filesystem::remove(folder / name);
            if (previous) {
                WriteFileBytes(folder / kPartName, previousPart);
                WriteFileBytes(folder / kMessagesName, previousMessages);
            }
            seen = Identity(folder / kPartName) + Identity(folder / kMessagesName);
            Subprocess tool(SYNTHETIC_TOOL, elsewhere.path(), {}, {folder / kPartName});
            ASSERT_TRUE(tool.Start());
            const pid_t pid = tool.Pid();
            // Looked at without a pause; a tool that ends first is not stopped.
            if (tool.WaitUntil([&] { return moment.reached(pid); }, kToolCpuMs, 0)) tool.Signal(signal);
            ASSERT_TRUE(tool.Wait(kToolCpuMs)) << tool.Output();

            for (const auto& [name, whole, before] : {std::tuple(kPartName, written.part, previousPart),
                                                      std::tuple(kMessagesName, written.messages, previousMessages)}) {
                const std::string at = folder / name;
                if (!std::filesystem::exists(at)) {
                    EXPECT_FALSE(previous) << name << ": the earlier file is gone";
                    continue;
                }
                EXPECT_TRUE(std::filesystem::is_regular_file(at)) << name;
                const std::string bytes = ReadFileBytes(at);
                EXPECT_TRUE(bytes == whole || (previous && bytes == before))
                    << name << ": " << bytes.size() << " bytes, neither the earlier file nor a whole new one";
            }
            if (ReadFileBytes(folder / kPartName) == written.part) {
                EXPECT_TRUE(ReadFileBytes(folder / kMessagesName) == written.messages)
                    << "a new part file beside messages of another run";
            }
            // A copy that was named, but not yet put in place, when a kill came is whole.
            for (const std::string& name : Names()) {
                if (name == kPartName || name == kMessagesName) continue;
                const std::string bytes = ReadFileBytes(folder / name);
                EXPECT_TRUE(bytes == written.part || bytes == written.messages) << name << " is a part of a file";
            }
        }
    }
}

TEST_F(WholeFileTest, TheToolReplacesALinkAtItsFilesAndLeavesWhatItNamedAsItWas) {
    WriteFileBytes(elsewhere / "part", "kept");
    WriteFileBytes(elsewhere / "messages", "kept too");
    std::filesystem::create_symlink(elsewhere / "part", folder / kPartName);
    std::filesystem::create_symlink(elsewhere / "messages", folder / kMessagesName);
    const TempFolder working;
    Subprocess tool(SYNTHETIC_TOOL, working.path(), {}, {folder / kPartName});
    ASSERT_TRUE(tool.Start());
    ASSERT_TRUE(tool.Wait(kToolCpuMs));
    ASSERT_EQ(tool.ExitCode(), 0) << tool.Output();
    for (const std::string& name : {kPartName, kMessagesName})
        EXPECT_FALSE(std::filesystem::is_symlink(folder / name)) << name;
    EXPECT_TRUE(ReadFileBytes(folder / kPartName) == WhatTheToolWrites().part) << "the new part file";
    EXPECT_TRUE(ReadFileBytes(folder / kMessagesName) == WhatTheToolWrites().messages) << "the new message file";
    EXPECT_EQ(ReadFileBytes(elsewhere / "part"), "kept");
    EXPECT_EQ(ReadFileBytes(elsewhere / "messages"), "kept too");
}

/// Each way of writing a whole file: without a name first, and by a temporary name.
struct Writer {
    const char* name;
    std::string (*write)(const std::string&, const std::vector<uint8_t>&);
};
constexpr Writer kWriters[] = {{"unnamed first", plat::WriteWholeFile}, {"by name", plat::WriteWholeFileByName}};

TEST_F(WholeFileTest, AFileIsReplacedWithoutTouchingThePreviousOneOrWhatALinkNamed) {
    for (const Writer& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        for (const std::string& name : Names()) std::filesystem::remove(folder / name);
        WriteFileBytes(folder / "file", "previous");
        std::ifstream reader(folder / "file"); // a reader of the previous file keeps reading it
        std::filesystem::create_symlink(elsewhere / "missing", folder / "dangling");
        for (const std::string name : {"file", "dangling", "fresh"}) {
            SCOPED_TRACE(name);
            EXPECT_EQ(writer.write(folder / name, {'n', 'e', 'w'}), "");
            EXPECT_FALSE(std::filesystem::is_symlink(folder / name));
            EXPECT_EQ(ReadFileBytes(folder / name), "new");
        }
        std::string previous;
        EXPECT_TRUE(std::getline(reader, previous));
        EXPECT_EQ(previous, "previous");
        EXPECT_FALSE(std::filesystem::exists(elsewhere / "missing")) << "the link's target was made";
        EXPECT_EQ(Names().size(), 3u) << "no temporary file is left";
    }
}

TEST_F(WholeFileTest, AFileThatCannotBeWrittenIsRefusedWithWhyAndLeavesNothing) {
    std::filesystem::create_directory(folder / "a-folder");
    struct Refusal {
        std::string path;
        std::string why;
    };
    const std::vector<Refusal> refusals = {
        {folder / "missing/file", "cannot make a file in " + folder / "missing: No such file or directory"},
        {folder / "a-folder", "cannot put the new file at " + folder / "a-folder: Is a directory"},
    };
    for (const Writer& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        for (const Refusal& r : refusals) EXPECT_EQ(writer.write(r.path, {'x'}), r.why);
        EXPECT_EQ(Names(), std::vector<std::string>{"a-folder"});
        EXPECT_TRUE(std::filesystem::is_empty(folder / "a-folder"));
    }
}

} // namespace
} // namespace vqt::test
