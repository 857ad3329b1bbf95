#include <gtest/gtest.h>

#include <filesystem>

#include "engine/base/Trace.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace {

class TraceTest : public vqt::test::HeadlessTest {};

TEST_F(TraceTest, DebuggerOutputFollowsLoggingAndOnlyFileAndLineMakeAPrefix) {
    debug().Clear();
    xTrace_Keys().logging = 0;
    xTrace("hidden\n");
    xTracef("hidden %d\n", 7);
    EXPECT_EQ(traced(), "");
    xTrace_Keys().logging = 1;
    xTrace("shown\n");
    xTrace("text\n", "Source.cpp", 42);
    xTracef("value %d of %s\n", 7, "x");
    EXPECT_EQ(traced(), "shown\n### File : Source.cpp, Line : 42 \n\ttext\nvalue 7 of x\n");
}

TEST_F(TraceTest, LogFileIsCreatedThenAppendedAsTextLines) {
    vqt::test::TempFolder folder(true);
    xTrace_Keys().logging = 0;
    xTrace_Keys().logFile = 1;
    xTrace("first\n");
    EXPECT_EQ(vqt::test::ReadFileBytes(folder / "_VQT_RT.log"), "first\r\n");
    xTrace("second\n", "f.cpp", 3);
    EXPECT_EQ(vqt::test::ReadFileBytes(folder / "_VQT_RT.log"),
              "first\r\n### File : f.cpp, Line : 3 \r\n\tsecond\r\n");
}

TEST_F(TraceTest, LogMatchesGoldenAcrossRunsAndOpens) {
    vqt::test::TempFolder folder(true);
    vqt::test::WriteFileBytes(folder / "_VQT_RT.log", "line of an earlier run\r\n");
    xTrace_Keys().logging = 0;
    xTrace_Keys().logFile = 1;
    xTrace("engine start\n");
    xTrace("loading part {1, 0, 26}\n", "engine/data/PartFile.cpp", 1234);
    xTracef("frames %d, dirty rectangles %d\n", 60, 3);
    xTrace("two lines\nin one call\n", "Source.cpp", 42);
    xTrace("no line end", "Source.cpp", 43);
    xTrace(" - progress\r");
    xTrace("\n");
    vqt::test::ExpectMatchesGolden("trace_log.txt", vqt::test::ReadFileBytes(folder / "_VQT_RT.log"));
}

TEST_F(TraceTest, LogThatCannotBeOpenedLosesTheLineQuietly) {
    vqt::test::TempFolder folder(true);
    std::filesystem::create_directory(folder / "_VQT_RT.log");
    debug().Clear();
    xTrace_Keys().logFile = 1;
    xTrace("still shown\n");
    EXPECT_EQ(traced(), "still shown\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "_VQT_RT.log"));
}

class TraceDeathTest : public vqt::test::HeadlessTest {};

TEST_F(TraceDeathTest, FailedAssertionTracesAndEnds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            xTrace_Keys().logging = 0;
            xTrace_Keys().logFile = 0;
            plat::UseHeadless();
            xTrace_Keys().logging = 1;
            // The recorded debug output is lost with the child, so echo it to stderr.
            setenv("VQT_DEBUG_STDERR", "1", 1);
            plat::UseHeadless();
            const int zero = 0;
            VQT_ASSERT(zero == 1);
        },
        "### File : .*TraceTest.cpp, Line : [0-9]+ \n\tASSERTION \\[zero == 1\\] FAILED!\nFILE: .*TraceTest.cpp\nLINE: [0-9]+\n");
}

} // namespace
