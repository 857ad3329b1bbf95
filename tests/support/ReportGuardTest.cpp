// The guard every scenario test ends with: which trace lines and message boxes it reports as
// faults of the run, and which its allowances cover.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ReportGuard.h"

namespace vqt::test {
namespace {

using Boxes = std::vector<plat::ScriptedDialogs::Box>;
using Lines = std::vector<std::string>;

plat::ScriptedDialogs::Box Recorded(std::string title, std::string text) {
    plat::ScriptedDialogs::Box box;
    box.title = std::move(title);
    box.text = std::move(text);
    return box;
}

TEST(ReportGuardTest, FaultLinesAndBoxesAreReportedUnlessAllowed) {
    const struct {
        const char* what;
        std::string trace;
        Boxes boxes;
        Lines allowTraces, allowBoxes;
        Lines reported;
    } cases[] = {
        {"a plain trace", "Loaded part 3\nShown\n", {}, {}, {}, {}},
        {"each fault word, in any case",
         "Unable to open x.vqk\nthe chunk is MISSING\nfile Non Existent\nChunk 4 Still Cached",
         {}, {}, {},
         {"Unable to open x.vqk", "the chunk is MISSING", "file Non Existent", "Chunk 4 Still Cached"}},
        {"a fault line an allowance holds", "Unable to open save.dat\nmissing art\n", {}, {"save.dat"}, {},
         {"missing art"}},
        {"allowances match as written", "Unable to open SAVE.DAT\n", {}, {"save.dat"}, {}, {"Unable to open SAVE.DAT"}},
        {"a told box, whatever its words", "Message box \"Oops\": all went well\n", {}, {}, {},
         {"Message box \"Oops\": all went well"}},
        {"a told box its text is allowed", "Message box \"Disc\": insert the disc\n", {}, {}, {"the disc"}, {}},
        {"a told box is no trace line", "Message box \"Disc\": disc missing\n", {}, {"disc missing"}, {},
         {"Message box \"Disc\": disc missing"}},
        {"a told box's title is not its text", "Message box \"Disc: two\": insert it\n", {}, {}, {"two"},
         {"Message box \"Disc: two\": insert it"}},
        {"a told box's text from its first character", "Message box \"Disc\": Insert it\n", {}, {}, {"Insert"}, {}},
        {"a told box's text from its first character after a title with a colon",
         "Message box \"Disc: two\": Insert it\n", {}, {}, {"Insert"}, {}},
        {"recorded boxes, in order", "", {Recorded("Disc", "Insert the disc"), Recorded("Save", "Saved")}, {},
         {"Saved"}, {"box \"Disc\": Insert the disc"}},
        {"a recorded box's title is not its text", "", {Recorded("Disc", "Insert it")}, {}, {"Disc"},
         {"box \"Disc\": Insert it"}},
    };
    for (const auto& c : cases) {
        ReportGuard guard;
        for (const std::string& a : c.allowTraces) guard.AllowTrace(a);
        for (const std::string& a : c.allowBoxes) guard.AllowBox(a);
        EXPECT_EQ(guard.Unexpected(c.trace, c.boxes), c.reported) << c.what;
    }
}

} // namespace
} // namespace vqt::test
